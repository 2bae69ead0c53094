// Edits in the box. Where the browser announces an edit it lets the page
// cancel (typing, Enter, the kinds of Delete and Backspace), the page makes
// it itself in the exact text and shows it. Edits it cannot cancel (an input
// method's composition: on a phone every keystroke is one) the browser
// makes in the DOM, and the page reads back the chunks it changed, takes
// the difference into the exact text, and rebuilds any chunk the browser
// left otherwise than the page would have shown it.

// The edit the browser is about to make itself: its kind and the selection
// before it, which mark where the changed stretch begins and ends (in "aaa"
// with one more "a" the text alone cannot tell where).
let coming = null;

const viewRangeOf = (range) => [viewIndexOfPlace(range.startContainer, range.startOffset),
    viewIndexOfPlace(range.endContainer, range.endOffset)];

// The stretch of the view an edit removes: the selection, or where it is a
// caret, the stretch the browser names, else one character (a surrogate
// pair or a line end counting as one), else the word or line the
// browser's selection moves over.
const removedStretch = (event, { start, end }) => {
    if (start !== end) return [start, end];
    const named = event.getTargetRanges().map(viewRangeOf).find(([from, to]) => from !== null && to !== null && from < to);
    if (named) return named;
    const type = event.inputType, forward = type.endsWith("Forward");
    if (type === "deleteContentBackward" || type === "deleteContentForward") {
        const pairAt = (at) => at >= 0 && /^[\ud800-\udbff][\udc00-\udfff]$/.test(viewSlice(at, at + 2));
        const width = pairAt(forward ? start : start - 2) ? 2 : 1;
        return forward ? [start, Math.min(viewLength(), start + width)] : [Math.max(0, start - width), start];
    }
    const unit = /Word/.test(type) ? "word" : /SoftLine/.test(type) ? "lineboundary" : "paragraphboundary";
    getSelection().modify("extend", forward ? "forward" : "backward", unit);
    const moved = selectionInBox();
    return moved ? [moved.start, moved.end] : [start, start];
};

// The exact text an insertion puts in: a typed line end is CR LF, as Enter
// gives in the window and as mail is written; pasted and dropped text as it is.
const insertedText = (event) => {
    const type = event.inputType;
    if (type === "insertLineBreak" || type === "insertParagraph") return "\r\n";
    const data = event.data ?? event.dataTransfer?.getData("text/plain") ?? "";
    return /^insertFrom(Paste|Drop)/.test(type) ? data : data.replace(/\r\n|\r|\n/g, "\r\n");
};

// Whether the page makes an edit of this kind itself.
const pageMakes = (event) => event.cancelable && !event.isComposing &&
    /^(insert|delete|format|history)/.test(event.inputType) && !/Composition/.test(event.inputType);

box.addEventListener("beforeinput", (event) => {
    if (markingUndo) return;
    const type = event.inputType;
    if (!pageMakes(event)) {
        const { start, end } = viewSelection();
        coming = { type, start, end };
        return;
    }
    event.preventDefault();
    if (type === "historyUndo" || type === "historyRedo") return void travel(type === "historyUndo");
    if (type.startsWith("format")) return;
    const caret = viewSelection();
    const [start, end] = type.startsWith("delete") ? removedStretch(event, caret)
        : (event.getTargetRanges().map(viewRangeOf).find(([from, to]) => from !== null && from < to) ?? [caret.start, caret.end]);
    const inserted = type.startsWith("delete") ? "" : insertedText(event);
    if (start === end && inserted === "") return;
    editExact(exactIndexOf(start), exactIndexOf(end), inserted,
        { typing: type === "insertText", before: { from: exactIndexOf(caret.start), to: exactIndexOf(caret.end) } });
});

// Where the browser's edit changed before into now, both texts of the
// stretch it changed, which begins at the view index start: [head, tail)
// of before is what was replaced. The hint is the edit announced.
const changedStretch = (before, now, start, hint) => {
    const grown = now.length - before.length;
    const fits = (head, tail) => head >= 0 && tail >= head && tail <= before.length && now.length - (before.length - tail) >= head &&
        now.startsWith(before.slice(0, head)) && now.endsWith(before.slice(tail));
    if (hint) {
        const [from, to] = [hint.start - start, hint.end - start];
        const announced = from !== to ? [from, to] : /Backward$/.test(hint.type) ? [from + grown, from]
            : /Forward$/.test(hint.type) ? [from, from - grown] : hint.type.startsWith("insert") ? [from, from] : null;
        if (announced && fits(...announced)) return announced;
    }
    const shorter = Math.min(now.length, before.length);
    let head = 0, tail = 0;
    while (head < shorter && now.charCodeAt(head) === before.charCodeAt(head)) ++head;
    while (tail < shorter - head && now.charCodeAt(now.length - 1 - tail) === before.charCodeAt(before.length - 1 - tail)) ++tail;
    return [head, before.length - tail];
};

// Whether the view's change the exact text made is the one the DOM shows,
// when chunks' stretch [start, start + before.length) reads now.
const showsChange = (change, start, before, now) => {
    const low = Math.min(change.at, start), high = Math.max(change.at + change.length, start + before.length);
    const old = viewSlice(low, high);
    return old.slice(0, change.at - low) + change.viewText + old.slice(change.at + change.length - low) ===
        old.slice(0, start - low) + now + old.slice(start + before.length - low);
};

// Edits that are typing, one history step with the typing next to them. A
// composition over a selection may come as its deletion, then its text.
const typedKinds = /^(insert(Text|CompositionText|FromComposition)|delete(ByComposition|CompositionText))$/;

// Takes an edit the browser made itself into the exact text.
const takeBrowserEdit = (composing) => {
    const changed = changedByBrowser();
    const announced = coming;
    coming = null;
    if (!changed) return;
    const start = changed.first < chunks.length ? chunks[changed.first].start : viewLength();
    const before = chunks.slice(changed.first, changed.end).map((chunk) => chunk.text).join("");
    const now = shownText(changed.nodes);
    const [head, tail] = changedStretch(before, now, start, announced);
    const inserted = now.slice(head, now.length - (before.length - tail));
    if (inserted === "" && head === tail) return void (composing || restoreChanged(changed));
    const from = exactIndexOf(start + head);
    const change = replaceExact(from, exactIndexOf(start + tail), inserted.replace(/\n/g, "\r\n"), {
        typing: typedKinds.test(announced?.type ?? ""), shown: false,
        before: announced ? { from: exactIndexOf(announced.start), to: exactIndexOf(announced.end) } : undefined });
    if (showsChange(change, start, before, now) && adoptChanged(changed)) return;
    restoreChanged(changed);
    showChange(change);
    const caret = viewIndexOf(from + inserted.replace(/\n/g, "\r\n").length);
    placeSelection(caret, caret);
};

// A composition: the browser puts its text in the DOM itself, and at a
// chunk's start it may well put it at the end of the chunk before, or over
// a selection that spans chunks join their blocks in its own way. So the
// page first joins the chunks from the one holding the character before
// the selection to the one holding its end, which puts the selection
// inside one text node.
box.addEventListener("compositionstart", () => {
    const { start, end } = viewSelection();
    const first = chunkIndexAt(Math.max(0, start - 1)), last = chunkIndexAt(Math.max(start, end - 1));
    if (first === last) return;
    replaceChunks(first, last + 1, [chunks.slice(first, last + 1).map((chunk) => chunk.text).join("")]);
    const { node, start: joinedAt } = chunks[first];
    getSelection().setBaseAndExtent(node, start - joinedAt, node, end - joinedAt);
});

// At a composition's end the chunks it changed are rebuilt as the page
// makes them, once their text has been taken.
box.addEventListener("compositionend", () => {
    const changed = changedByBrowser();
    if (changed) {
        const taken = chunks.slice(changed.first, changed.end).map((chunk) => chunk.text).join("");
        if (shownText(changed.nodes) !== taken) return;
        const { start, end } = viewSelection();
        restoreChanged(changed);
        placeSelection(start, end);
    }
    if (intact(chunks.at(-1))) fillLastChunk();
});

// Undo and redo go through the page's history, whether asked for by key
// (Ctrl+Z; Ctrl+Y or Ctrl+Shift+Z; Cmd on a Mac) or by the browser's menu.
// Ctrl+A selects the box's text alone.
const commandOfKey = (event) => {
    if (!(event.ctrlKey || event.metaKey) || event.altKey || event.isComposing) return null;
    const key = event.key.toLowerCase();
    if (key === "z") return event.shiftKey ? "historyRedo" : "historyUndo";
    if (key === "a" && !event.shiftKey) return "selectAll";
    return key === "y" && !event.shiftKey ? "historyRedo" : null;
};
box.addEventListener("keydown", (event) => {
    // A browser whose window had no focus may give the box the focus without
    // telling it, and without a selection, where keys do nothing.
    if (!selectionInBox()) placeSelection(remembered.start, remembered.end);
    const command = commandOfKey(event);
    if (!command) return;
    event.preventDefault();
    if (command === "selectAll") placeSelection(0, viewLength());
    else travel(command === "historyUndo");
});
box.addEventListener("input", (event) => {
    if (markingUndo) return;
    // An undo the browser made itself, of a step the page marked in its
    // history: the chunks go back to the text, and the page takes its own step.
    if (event.inputType === "historyUndo" || event.inputType === "historyRedo") {
        coming = null;
        const changed = changedByBrowser();
        if (changed) restoreChanged(changed);
        if (!travel(event.inputType === "historyUndo")) placeSelection(remembered.start, remembered.end);
        return;
    }
    takeBrowserEdit(event.isComposing);
});
