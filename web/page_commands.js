// The page's commands: "Kryptera / Dekryptera" (offering the repaired reading
// of a text a mail path changed), the clipboard's (Kopiera, Klistra In, and
// the editor's copy, cut and paste), and drops. What goes to the clipboard
// comes from the exact text; what comes in goes into it.
const password = $("Text1"), button = $("cmdKryDekry"), status = $("Label4");

// While the command runs, with its messages, the page's state says so.
let busy = false;
const cryptCommand = async () => {
    if (!core || busy) return;
    busy = true;
    document.documentElement.dataset.state = "busy";
    try {
        // The selection, or on a phone, where selecting is fiddly, all of it.
        let { from, to } = selection();
        if (from === to) [from, to] = [0, model.exact.length];
        if (from === to) return void await tell(texts.noSelection, "information");
        const answer = check(model.exact, from, to, password.value);
        if (answer === FORGOTTEN_PASSWORD) {
            await tell(texts.noPassword, "critical");
            return void password.focus();
        }
        if (answer === REFUSED) return void await tell(coreMessage(), "critical");
        if (!await ask(texts.warning, "critical", true)) return;
        // Shows the busy cursor before the work holds up the page.
        document.body.classList.add("busy");
        await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve)));
        const run = crypt(model.exact.slice(from, to), password.value);
        if (run.answer !== OK) return void await tell(run.answer === REFUSED ? coreMessage() : texts.noPassword, "critical");
        // Where a mail path changed the text, the repaired reading is offered;
        // every other outcome keeps the exact result without a word, as in the window.
        let repair;
        try {
            repair = repairOf(model.exact, from, to, password.value);
        } catch {
            repair = { failed: true };
            restartCore();
        }
        let shown = run.result;
        if (repair.outcome === REPAIRED) {
            document.body.classList.remove("busy");  // the user's turn
            if (await askYesNo(filled(texts.repairQuestion, repair.changes, repair.line, repair.column))) shown = repair.text;
        }
        setExact(shown);
        status.textContent = texts.done;
        if (repair.failed) await tell(texts.noRepairMemory, "information");
    } finally {
        document.body.classList.remove("busy");
        busy = false;
        if (core) document.documentElement.dataset.state = "ready";
    }
};

const outgoing = () => {
    const { from, to } = selection();
    return from === to ? model.exact : model.exact.slice(from, to);
};
let copyOverride = null;
const writeClipboard = async (exact) => {
    try {
        await navigator.clipboard.writeText(exact);
        return true;
    } catch {
        // Older or stricter browsers: the editor's copy, its data set by the copy handler.
        copyOverride = exact;
        try { return document.execCommand("copy") && copyOverride === null; } finally { copyOverride = null; }
    }
};
const onCopyOrCut = (event, cut) => {
    if (copyOverride !== null) {
        event.clipboardData.setData("text/plain", copyOverride);
        copyOverride = null;
        return void event.preventDefault();
    }
    if (!box.contains(event.target)) return;
    event.preventDefault();
    status.textContent = "";
    const { from, to } = selection();
    event.clipboardData.setData("text/plain", model.exact.slice(from, to));
    if (cut && from !== to) editExact(from, to, "");
};
document.addEventListener("copy", (event) => onCopyOrCut(event, false));
document.addEventListener("cut", (event) => onCopyOrCut(event, true));
box.addEventListener("paste", (event) => {
    event.preventDefault();
    status.textContent = "";
    const { from, to } = selection();
    editExact(from, to, event.clipboardData.getData("text/plain"));
});

// A drop carries its text exactly, like a paste: where the pointer is, or
// where the caret is in a browser that cannot tell. Text dragged within the
// box moves, unless Ctrl holds it as a copy.
let dragged = null;
const droppedAt = (event) => {
    const point = document.caretPositionFromPoint?.(event.clientX, event.clientY);
    const range = point ? null : document.caretRangeFromPoint?.(event.clientX, event.clientY);
    const viewIndex = point ? viewIndexOfPlace(point.offsetNode, point.offset)
        : range ? viewIndexOfPlace(range.startContainer, range.startOffset) : null;
    return viewIndex === null ? selection().from : exactIndexOf(viewIndex);
};
box.addEventListener("dragstart", (event) => {
    dragged = selection();
    event.dataTransfer.setData("text/plain", model.exact.slice(dragged.from, dragged.to));
});
box.addEventListener("dragend", () => { dragged = null; });
box.addEventListener("drop", (event) => {
    const dropped = event.dataTransfer?.getData("text/plain");
    if (!dropped) return;
    event.preventDefault();
    status.textContent = "";
    let at = droppedAt(event);
    const moved = dragged && !event.ctrlKey ? dragged : null;
    dragged = null;
    if (moved && at >= moved.from && at <= moved.to) return;
    if (moved) {
        replaceExact(moved.from, moved.to, "");
        if (at > moved.to) at -= moved.to - moved.from;
    }
    editExact(at, at, dropped);
});

$("SSCommand1").addEventListener("click", async () => {
    status.textContent = "";
    if (!await writeClipboard(outgoing())) await tell(texts.noClipboardWrite, "information");
});
$("SSCommand3").addEventListener("click", async () => {
    status.textContent = "";
    let exact;
    try {
        exact = await navigator.clipboard.readText();
    } catch {
        return void await tell(texts.noClipboardRead, "information");
    }
    box.focus();
    setExact(exact);
});
button.addEventListener("click", cryptCommand);
password.addEventListener("keydown", (event) => {
    if (event.key === "Enter" && !event.isComposing) {
        event.preventDefault();
        cryptCommand();
    }
});
