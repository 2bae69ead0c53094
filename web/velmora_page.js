"use strict";
// Velmora in the browser: the window's job on one page, the cipher being the
// same core compiled to WebAssembly (createVelmoraCore, inlined before this).
//
// A textarea cannot hold the text exactly: browsers turn CR LF and a lone CR
// into LF, on input and in .value. So the exact text lives here, and the
// textarea is a view of it in which every line end is one LF. Each change
// seen in the view is carried over to the exact text; text pasted or read
// from the clipboard goes straight into the exact text, and what goes to the
// clipboard comes from it.
(() => {
  const texts = {
    noSelection: "Du måste markera text",
    noPassword: "Du har glömt lösenord",
    warning: "Viktigt !!  Om du inte kommer ihåg\r\nLösenordet kan du aldrig Dekryptera ",
    done: "Kryptering / Dekryptering  Klar  OK",
    starting: "Startar …",
    noWebAssembly: "Den här webbläsaren kan inte köra Velmora: WebAssembly saknas eller är avstängt.",
    noStart: "Velmora kunde inte starta: webbläsaren har WebAssembly men kunde inte köra det (till exempel för att för lite minne tilläts). Stäng andra flikar och ladda om sidan, eller försök i en annan webbläsare.",
    noClipboardRead: "Webbläsaren lät inte sidan läsa urklippet. Klistra in med Ctrl+V (eller håll fingret i textrutan och välj Klistra in).",
    noClipboardWrite: "Webbläsaren lät inte sidan skriva till urklippet. Markera texten och kopiera med Ctrl+C (eller håll fingret på texten och välj Kopiera).",
  };
  // Answers of the core's velmora_check and velmora_crypt.
  const OK = 0, FORGOTTEN_PASSWORD = 1, REFUSED = 2;

  const $ = (id) => document.getElementById(id);
  const area = $("txtClip"), password = $("Text1"), button = $("cmdKryDekry"), status = $("Label4");

  // The view of an exact text, and positions of one in the other. A CR LF
  // pair is one character of the view; a position between its CR and its
  // LF belongs before it.
  const viewOf = (exact) => exact.replace(/\r\n|\r|\n/g, "\n");

  let exact = "";  // the text, exactly
  let shown = "";  // the view that matches it, as last put in the textarea
  // Where each CR LF pair of the exact text begins, in order; kept up to
  // date with each change, so that no keystroke scans a megabyte for them.
  let pairs = [];

  // The number of pairs counted from the start for which before(pair, count) holds.
  const countPairs = (before) => {
    let low = 0, high = pairs.length;
    while (low < high) {
      const middle = (low + high) >> 1;
      if (before(pairs[middle], middle)) low = middle + 1; else high = middle;
    }
    return low;
  };
  const exactIndexOf = (viewIndex) => viewIndex + countPairs((at, count) => at - count < viewIndex);
  const viewIndexOf = (exactIndex) => {
    const inPair = exact[exactIndex - 1] === "\r" && exact[exactIndex] === "\n";
    const at = inPair ? exactIndex - 1 : exactIndex;
    return at - countPairs((pair) => pair < at - 1);
  };

  // Puts inserted in place of exact[from, to); the pairs that begin where
  // the text changed are found anew, those after it move along.
  const spliceExact = (from, to, inserted) => {
    exact = exact.slice(0, from) + inserted + exact.slice(to);
    const kept = countPairs((pair) => pair < from - 1), moved = countPairs((pair) => pair < to);
    const shift = inserted.length - (to - from), found = [];
    for (let at = exact.indexOf("\r\n", Math.max(0, from - 1)); at >= 0 && at < from + inserted.length; at = exact.indexOf("\r\n", at + 2)) {
      found.push(at);
    }
    pairs = pairs.slice(0, kept).concat(found, pairs.slice(moved).map((pair) => pair + shift));
  };

  const selection = () => ({
    from: exactIndexOf(area.selectionStart),
    to: exactIndexOf(area.selectionEnd),
  });

  // Shows the exact text anew, the selection given in exact positions. A
  // short text goes in through the editor while the box has the focus, so
  // that the browser's own history holds a step and offers Undo in its
  // menus (the page answers it); setting the value would empty that history.
  const render = (from, to) => {
    const view = viewOf(exact);
    let typed = false;
    if (document.activeElement === area && view.length <= 4096 && view.split("\n").length <= 64) {
      area.select();
      coming = { quiet: true };
      typed = document.execCommand("insertText", false, view) && area.value === view;
      coming = null;
    }
    if (!typed) area.value = view;
    shown = area.value;
    area.setSelectionRange(viewIndexOf(from), viewIndexOf(to));
  };

  // The page's own undo history: the browser's knows only the view, so it
  // would bring back a CR LF where a lone CR or LF had been. Each step holds
  // what it replaced and the selection before and after it; characters
  // typed one after another in one place are one step. It keeps the last
  // 500 steps, fewer where they hold more than 16 Mi characters together.
  const history = { back: [], ahead: [], typedTo: -1 };
  const historyLimit = { steps: 500, characters: 1 << 24 };
  const forgetOldSteps = () => {
    const weight = (step) => step.removed.length + step.inserted.length;
    let total = history.back.reduce((sum, step) => sum + weight(step), 0);
    while (history.back.length > 1 && (history.back.length > historyLimit.steps || total > historyLimit.characters)) {
      total -= weight(history.back.shift());
    }
  };
  // A piece of a long text as a string of its own: a slice would keep the
  // whole text it was cut from alive for as long as the history holds it.
  const detached = (piece) => (piece.length * 4 < exact.length ? Array.from(piece).join("") : piece);

  // Replaces exact[from, to) by inserted as one step of the history; before
  // is the selection undo brings back.
  const replaceExact = (from, to, inserted, { typing = false, before = selection() } = {}) => {
    const last = history.back.at(-1);
    if (typing && from === to && from === history.typedTo && last) {
      last.inserted += inserted;
    } else {
      history.back.push({ at: from, removed: detached(exact.slice(from, to)), inserted: detached(inserted), before });
      forgetOldSteps();
    }
    history.ahead.length = 0;
    spliceExact(from, to, inserted);
    const end = from + inserted.length;
    history.typedTo = typing ? end : -1;
    history.back.at(-1).after = { from: end, to: end };
  };

  // Takes a step back (undo) or forward again (redo), if there is one.
  const travel = (back) => {
    const step = (back ? history.back : history.ahead).pop();
    if (!step) return false;
    (back ? history.ahead : history.back).push(step);
    const [gone, come] = back ? [step.inserted, step.removed] : [step.removed, step.inserted];
    spliceExact(step.at, step.at + gone.length, come);
    history.typedTo = -1;
    const { from, to } = back ? step.before : step.after;
    render(from, to);
    return true;
  };

  // A lone CR and a lone LF brought together are one line end now; the
  // view must show them as one, the caret before it.
  const showPairing = (from, end) => {
    const paired = (at) => exact[at - 1] === "\r" && exact[at] === "\n";
    if (paired(from) || paired(end)) render(end, end);
  };

  // The edit the browser is about to make in the view: its kind and the
  // selection before it, which mark where the changed stretch begins and
  // ends (in "aaa" with one more "a" the text alone cannot tell where).
  let coming = null;
  const changedStretch = (now) => {
    const grown = now.length - shown.length;
    if (coming && coming.start !== coming.end) return [coming.start, coming.end];
    if (coming && /Backward$/.test(coming.type)) return [coming.start + grown, coming.start];
    if (coming && /Forward$/.test(coming.type)) return [coming.start, coming.start - grown];
    if (coming && coming.type.startsWith("insert")) return [coming.start, coming.start];
    return null;
  };
  // Whether now is shown with shown[head, tail) replaced: the rest must agree.
  const fits = (now, head, tail) => head >= 0 && tail >= head && tail <= shown.length &&
    now.length - (shown.length - tail) >= head && now.startsWith(shown.slice(0, head)) && now.endsWith(shown.slice(tail));
  // The common head and tail of the two views, for edits not announced.
  const difference = (now) => {
    const shorter = Math.min(now.length, shown.length);
    let head = 0;
    while (head < shorter && now.charCodeAt(head) === shown.charCodeAt(head)) ++head;
    let tail = 0;
    while (tail < shorter - head && now.charCodeAt(now.length - 1 - tail) === shown.charCodeAt(shown.length - 1 - tail)) ++tail;
    return [head, shown.length - tail];
  };

  // Carries a change of the textarea over to the exact text. A typed line
  // end is CR LF, as Enter gives in the window and as mail is written.
  const takeEdit = () => {
    if (coming?.quiet) return;
    const now = area.value;
    const announced = changedStretch(now);
    const [head, tail] = announced && fits(now, ...announced) ? announced : difference(now);
    const inserted = now.slice(head, now.length - (shown.length - tail)).replace(/\n/g, "\r\n");
    const from = exactIndexOf(head);
    if (inserted !== "" || head !== tail) {
      const before = coming ? { from: exactIndexOf(coming.start), to: exactIndexOf(coming.end) } : undefined;
      replaceExact(from, exactIndexOf(tail), inserted, { typing: coming?.type === "insertText", before });
    }
    shown = now;
    coming = null;
    showPairing(from, from + inserted.length);
  };

  // Puts exact text in place of exact[from, to). A short piece of one line
  // goes into the view as if typed, which keeps the layout of the rest; the
  // editor takes time growing with the square of the number of line breaks
  // (half a minute for 256 KiB of mail), so anything else is shown anew.
  const insertExact = (text, from, to) => {
    area.focus();
    const [viewFrom, viewTo] = [viewIndexOf(from), viewIndexOf(to)];
    replaceExact(from, to, text);
    const end = from + text.length;
    if (text.length <= 4096 && !/[\r\n]/.test(text)) {
      area.setSelectionRange(viewFrom, viewTo);
      coming = { quiet: true };
      const typed = document.execCommand("insertText", false, text);
      coming = null;
      if (typed && area.value.length === shown.length + text.length - (viewTo - viewFrom)) {
        shown = area.value;
        return void showPairing(from, end);
      }
    }
    render(end, end);
  };

  const setExact = (text) => {
    replaceExact(0, exact.length, text);
    render(0, 0);
  };

  // Message boxes of the page's own: one button "OK", or "OK" and "Avbryt"
  // (Escape counts as Avbryt). Resolves to true for OK.
  const dialog = $("dlgMessage");
  const ask = (message, icon, withCancel) => new Promise((resolve) => {
    $("dlgText").textContent = message;
    $("dlgIcon").className = icon;
    $("dlgCancel").hidden = !withCancel;
    const answer = (ok) => {
      dialog.onclose = null;
      dialog.close();
      resolve(ok);
    };
    $("dlgOk").onclick = () => answer(true);
    $("dlgCancel").onclick = () => answer(false);
    dialog.onclose = () => resolve(false);
    dialog.showModal();
    $("dlgOk").focus();
  });
  const tell = (message, icon) => ask(message, icon, false);

  // The core: strings copied into its memory, wiped and freed after use.
  let core = null;
  const withStrings = (strings, use) => {
    const pointers = strings.map((s) => core._malloc(Math.max(2, s.length * 2)));
    try {
      strings.forEach((s, i) => {
        const units = new Uint16Array(core.HEAPU16.buffer, pointers[i], s.length);
        for (let k = 0; k < s.length; ++k) units[k] = s.charCodeAt(k);
      });
      return use(pointers);
    } finally {
      strings.forEach((s, i) => new Uint16Array(core.HEAPU16.buffer, pointers[i], s.length).fill(0));
      pointers.forEach((p) => core._free(p));
    }
  };
  const check = (text, from, to, typed) => withStrings([text, typed], ([t, p]) =>
    core._velmora_check(t, from, to, p, typed.length));
  const crypt = (text, typed) => withStrings([text, typed], ([t, p]) => {
    const answer = core._velmora_crypt(t, text.length, p, typed.length);
    if (answer !== OK) return { answer };
    const units = new Uint16Array(core.HEAPU16.buffer, core._velmora_result(), core._velmora_result_length());
    const result = new TextDecoder("utf-16le").decode(units);
    core._velmora_forget();
    return { answer, result };
  });
  const coreMessage = () => core.UTF8ToString(core._velmora_message());

  let busy = false;
  const cryptCommand = async () => {
    if (!core || busy) return;
    busy = true;
    try {
      // The selection, or on a phone, where selecting is fiddly, all of it.
      let { from, to } = selection();
      if (from === to) [from, to] = [0, exact.length];
      if (from === to) return void await tell(texts.noSelection, "information");
      const answer = check(exact, from, to, password.value);
      if (answer === FORGOTTEN_PASSWORD) {
        await tell(texts.noPassword, "critical");
        return void password.focus();
      }
      if (answer === REFUSED) return void await tell(coreMessage(), "critical");
      if (!await ask(texts.warning, "critical", true)) return;
      // Shows the busy cursor before the work holds up the page.
      document.body.classList.add("busy");
      await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve)));
      const run = crypt(exact.slice(from, to), password.value);
      if (run.answer !== OK) return void await tell(run.answer === REFUSED ? coreMessage() : texts.noPassword, "critical");
      setExact(run.result);
      status.textContent = texts.done;
    } finally {
      document.body.classList.remove("busy");
      busy = false;
    }
  };

  // Clipboard: what goes out is the exact text; what comes in goes into it.
  const outgoing = () => {
    const { from, to } = selection();
    return from === to ? exact : exact.slice(from, to);
  };
  let copyOverride = null;
  const writeClipboard = async (text) => {
    try {
      await navigator.clipboard.writeText(text);
      return true;
    } catch {
      // Older or stricter browsers: the editor's copy, its data set by the copy handler.
      copyOverride = text;
      try { return document.execCommand("copy") && copyOverride === null; } finally { copyOverride = null; }
    }
  };
  const onCopyOrCut = (event, cut) => {
    if (copyOverride !== null) {
      event.clipboardData.setData("text/plain", copyOverride);
      copyOverride = null;
      return void event.preventDefault();
    }
    if (event.target !== area) return;
    event.preventDefault();
    status.textContent = "";
    const { from, to } = selection();
    event.clipboardData.setData("text/plain", exact.slice(from, to));
    if (cut && from !== to) {
      replaceExact(from, to, "");
      render(from, from);
    }
  };
  document.addEventListener("copy", (e) => onCopyOrCut(e, false));
  document.addEventListener("cut", (e) => onCopyOrCut(e, true));
  area.addEventListener("paste", (e) => {
    e.preventDefault();
    status.textContent = "";
    const { from, to } = selection();
    insertExact(e.clipboardData.getData("text/plain"), from, to);
  });

  // A drop carries its text exactly, like a paste: where the pointer is, or
  // where the caret is in a browser that cannot tell. Text dragged within
  // the box moves, unless Ctrl holds it as a copy.
  let dragged = null;
  area.addEventListener("dragstart", (e) => {
    dragged = selection();
    e.dataTransfer.setData("text/plain", exact.slice(dragged.from, dragged.to));
  });
  area.addEventListener("dragend", () => { dragged = null; });
  area.addEventListener("drop", (e) => {
    const text = e.dataTransfer?.getData("text/plain");
    if (!text) return;
    e.preventDefault();
    status.textContent = "";
    const point = document.caretPositionFromPoint?.(e.clientX, e.clientY);
    let at = point?.offsetNode === area ? exactIndexOf(point.offset) : selection().from;
    const moved = dragged && !e.ctrlKey ? dragged : null;
    dragged = null;
    if (moved && at >= moved.from && at <= moved.to) return;
    if (moved) {
      replaceExact(moved.from, moved.to, "");
      if (at > moved.to) at -= moved.to - moved.from;
    }
    replaceExact(at, at, text);
    render(at + text.length, at + text.length);
  });

  // Undo and redo go through the page's history, whether asked for by key
  // (Ctrl+Z; Ctrl+Y or Ctrl+Shift+Z; Cmd on a Mac) or by the browser's menu.
  const historyKey = (e) => {
    if (!(e.ctrlKey || e.metaKey) || e.altKey || e.isComposing) return null;
    const key = e.key.toLowerCase();
    if (key === "z") return e.shiftKey ? "historyRedo" : "historyUndo";
    return key === "y" && !e.shiftKey ? "historyRedo" : null;
  };
  area.addEventListener("keydown", (e) => {
    const wanted = historyKey(e);
    if (!wanted) return;
    e.preventDefault();
    travel(wanted === "historyUndo");
  });
  area.addEventListener("beforeinput", (e) => {
    if (coming?.quiet) return;
    if (e.inputType === "historyUndo" || e.inputType === "historyRedo") {
      e.preventDefault();
      return void travel(e.inputType === "historyUndo");
    }
    coming = { type: e.inputType, start: area.selectionStart, end: area.selectionEnd };
  });
  area.addEventListener("input", (e) => {
    // An undo the browser made itself (one it does not announce): the view
    // goes back to the text, and the page takes its own step.
    if (e.inputType === "historyUndo" || e.inputType === "historyRedo") {
      const caret = Math.min(exact.length, selection().from);
      return void (travel(e.inputType === "historyUndo") || render(caret, caret));
    }
    takeEdit();
  });
  takeEdit();  // text the browser may have restored into the box

  $("SSCommand1").addEventListener("click", async () => {
    status.textContent = "";
    if (!await writeClipboard(outgoing())) await tell(texts.noClipboardWrite, "information");
  });
  $("SSCommand3").addEventListener("click", async () => {
    status.textContent = "";
    let text;
    try {
      text = await navigator.clipboard.readText();
    } catch {
      return void await tell(texts.noClipboardRead, "information");
    }
    area.focus();
    setExact(text);
  });
  button.addEventListener("click", cryptCommand);
  password.addEventListener("keydown", (e) => {
    if (e.key === "Enter" && !e.isComposing) {
      e.preventDefault();
      cryptCommand();
    }
  });

  status.textContent = texts.starting;
  if (typeof WebAssembly !== "object") {
    status.textContent = texts.noWebAssembly;
    return;
  }
  // The module would first try to fetch its own binary, inlined as a data:
  // URL, which the page's policy forbids, and then decode it itself: without
  // fetch it goes straight to the decoding.
  const fetchAsLoaded = window.fetch;
  window.fetch = undefined;
  let loading;
  try {
    loading = createVelmoraCore();
  } catch (error) {
    loading = Promise.reject(error);
  } finally {
    window.fetch = fetchAsLoaded;
  }
  loading.then((module) => {
    core = module;
    status.textContent = "";
    button.disabled = false;
    document.documentElement.dataset.state = "ready";
  }, () => {
    status.textContent = texts.noStart;
  });
})();
