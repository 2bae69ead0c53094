// Changes of the exact text, and the page's own undo history: the browser's
// knows only the view, so it would bring back a CR LF where a lone CR or LF
// had been. Each step holds what it replaced and the selection before and
// after it; characters typed one after another in one place are one step.
// It keeps the last 500 steps, fewer where they hold more than 16 Mi
// characters together.
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
const detached = (piece) => (piece.length * 4 < model.exact.length ? Array.from(piece).join("") : piece);

// The selection in exact positions.
const selection = () => {
    const { start, end } = viewSelection();
    return { from: exactIndexOf(start), to: exactIndexOf(end) };
};
const selectExact = (from, to) => placeSelection(viewIndexOf(from), viewIndexOf(to));

// Replaces exact[from, to) by inserted as one step of the history and shows
// it; before is the selection undo brings back. Answers the view's change.
const replaceExact = (from, to, inserted, { typing = false, before = selection(), shown = true } = {}) => {
    const last = history.back.at(-1);
    if (typing && from === to && from === history.typedTo && last) {
        last.inserted += inserted;
    } else {
        history.back.push({ at: from, removed: detached(model.exact.slice(from, to)), inserted: detached(inserted), before });
        forgetOldSteps();
    }
    history.ahead.length = 0;
    const change = spliceExact(from, to, inserted);
    if (shown) showChange(change);
    const end = from + inserted.length;
    history.typedTo = typing ? end : -1;
    history.back.at(-1).after = { from: end, to: end };
    return change;
};

// Replaces exact[from, to) by inserted as an edit of the user's: shown, the
// caret after it, and a step in the browser's history too.
const editExact = (from, to, inserted, options) => {
    replaceExact(from, to, inserted, options);
    const caret = viewIndexOf(from + inserted.length);
    markUndoStep(caret);
    placeSelection(caret, caret);
};

const setExact = (exact) => {
    showView(replaceExact(0, model.exact.length, exact, { shown: false }).viewText);
    markUndoStep(0);
    placeSelection(0, 0);
};

// Takes a step back (undo) or forward again (redo), if there is one.
const travel = (back) => {
    const step = (back ? history.back : history.ahead).pop();
    if (!step) return false;
    (back ? history.ahead : history.back).push(step);
    const [gone, come] = back ? [step.inserted, step.removed] : [step.removed, step.inserted];
    showChange(spliceExact(step.at, step.at + gone.length, come));
    history.typedTo = -1;
    const { from, to } = back ? step.before : step.after;
    selectExact(from, to);
    return true;
};
