// The box: an editable element whose children are chunks of whole lines of
// the view, each a block holding one text node. The style sheet makes each
// chunk content-visibility: auto, so the browser lays out only the chunks on
// screen: a megabyte in one block takes it seconds, in chunks a few dozen
// milliseconds. A chunk breaks only after a line end, so lines wrap as they
// would in one block; a line longer than a chunk stays whole in one bigger
// chunk, since cutting it would show it as two lines. When the view is
// empty or ends in a line end, the last chunk holds a <br> after its text,
// which gives the empty last line a line box the caret can reach.
const box = document.getElementById("txtClip");
// A browser that cannot edit plain text alone edits rich text instead: the
// page makes every edit itself all the same.
if (box.contentEditable !== "plaintext-only") box.contentEditable = "true";
const chunkSize = 4096;

// Each { div, node, text, start }: node is the div's text node, start the
// view index of the chunk's first character.
const chunks = [];
const chunkOfDiv = new WeakMap();

const viewLength = () => chunks.at(-1).start + chunks.at(-1).text.length;

// The chunk that holds a view index: the last one starting at or before it.
const chunkIndexAt = (viewIndex) => {
    let low = 0, high = chunks.length - 1;
    while (low < high) {
        const middle = (low + high + 1) >> 1;
        if (chunks[middle].start <= viewIndex) low = middle; else high = middle - 1;
    }
    return low;
};

const viewSlice = (from, to) => {
    const first = chunkIndexAt(from), last = chunkIndexAt(to);
    const joined = chunks.slice(first, last + 1).map((chunk) => chunk.text).join("");
    return joined.slice(from - chunks[first].start, to - chunks[first].start);
};

// Cuts a stretch of whole lines into the texts of chunks.
const cutIntoChunks = (stretch) => {
    const pieces = [];
    for (let from = 0; from < stretch.length;) {
        let end = stretch.length;
        if (end - from > chunkSize) {
            end = stretch.lastIndexOf("\n", from + chunkSize - 1);
            if (end < from) end = stretch.indexOf("\n", from + chunkSize);
            end = end < 0 ? stretch.length : end + 1;
        }
        pieces.push(stretch.slice(from, end));
        from = end;
    }
    return pieces;
};

// Whether a chunk's DOM is its text node, maybe with a <br> after it, and
// whether it shows the chunk's text. Whether the <br> is there is set right
// by the page's next change of the chunk, or by the end of a composition.
const shapely = (chunk) => chunk.div.firstChild === chunk.node &&
    (chunk.div.childNodes.length === 1 || (chunk.div.childNodes.length === 2 && chunk.div.lastChild.nodeName === "BR"));
const intact = (chunk) => chunk.div.parentNode === box && shapely(chunk) && chunk.node.data === chunk.text;

const fillChunk = (chunk, text, last) => {
    chunk.text = text;
    if (chunk.node.data !== text) chunk.node.data = text;
    const withBreak = last && (text === "" || text.endsWith("\n"));
    if (!shapely(chunk) || (chunk.div.childNodes.length === 2) !== withBreak) {
        chunk.div.replaceChildren(chunk.node, ...(withBreak ? [document.createElement("br")] : []));
    }
};
const fillLastChunk = () => fillChunk(chunks.at(-1), chunks.at(-1).text, true);

const newChunk = (text, last) => {
    const chunk = { div: document.createElement("div"), node: document.createTextNode(text), text: null, start: 0 };
    // Until a chunk has been laid out its height is guessed from its lines.
    let lines = 1;
    for (let at = text.indexOf("\n"); at >= 0; at = text.indexOf("\n", at + 1)) ++lines;
    chunk.div.style.containIntrinsicSize = `auto ${(lines * 1.3).toFixed(1)}em`;
    fillChunk(chunk, text, last);
    chunkOfDiv.set(chunk.div, chunk);
    return chunk;
};

const numberChunksFrom = (first) => {
    for (let i = Math.max(1, first); i < chunks.length; ++i) chunks[i].start = chunks[i - 1].start + chunks[i - 1].text.length;
    if (chunks.length) chunks[0].start = 0;
};

// Puts chunks with the texts given in place of chunks[first, end): the
// chunks there keep their elements, more are made or the rest removed. An
// empty view is one empty chunk.
const replaceChunks = (first, end, texts) => {
    if (end === chunks.length && first === 0 && !texts.length) texts = [""];
    const kept = Math.min(end - first, texts.length), last = (i) => end === chunks.length && i === texts.length - 1;
    for (let i = 0; i < kept; ++i) fillChunk(chunks[first + i], texts[i], last(i));
    const made = texts.slice(kept).map((text, i) => newChunk(text, last(kept + i)));
    if (made.length) {
        const fragment = document.createDocumentFragment();
        fragment.append(...made.map((chunk) => chunk.div));
        box.insertBefore(fragment, chunks[end]?.div ?? null);
    }
    for (const chunk of chunks.slice(first + kept, end)) chunk.div.remove();
    chunks.splice(first + kept, end - first - kept, ...made);
    numberChunksFrom(first);
    fillLastChunk();
};

// Shows a change of the view: view[at, at + length) becomes viewText. Only
// the chunks it touches change. The changed stretch runs on to the end of
// the chunk that holds the change's end, and a change ending where a chunk
// begins takes that chunk in: so the stretch ends in a line end, or ends
// the view.
const showChange = ({ at, length, viewText }) => {
    const first = chunkIndexAt(at), last = chunkIndexAt(at + length);
    const old = chunks.slice(first, last + 1).map((chunk) => chunk.text).join("");
    const local = at - chunks[first].start;
    const stretch = old.slice(0, local) + viewText + old.slice(local + length);
    replaceChunks(first, last + 1, cutIntoChunks(stretch));
};

// Builds the chunks of a whole view anew.
const showView = (view) => {
    box.replaceChildren();
    chunks.length = 0;
    replaceChunks(0, 0, cutIntoChunks(view));
};

// A view index as a place in the DOM, and back; null for a place outside
// the box's chunks.
const domPlaceOf = (viewIndex) => {
    const chunk = chunks[chunkIndexAt(viewIndex)];
    return chunk.text === "" ? [chunk.div, 0] : [chunk.node, Math.min(viewIndex - chunk.start, chunk.text.length)];
};
const viewIndexOfPlace = (node, offset) => {
    if (node === box) return offset < chunks.length ? chunks[offset].start : viewLength();
    let div = node;
    while (div && div.parentNode !== box) div = div.parentNode;
    const chunk = div && chunkOfDiv.get(div);
    if (!chunk) return null;
    if (node === chunk.node) return chunk.start + Math.min(offset, chunk.text.length);
    if (node === div && offset === 0) return chunk.start;
    const before = document.createRange();
    before.setStart(div, 0);
    before.setEnd(node, offset);
    return chunk.start + Math.min(before.toString().length, chunk.text.length);
};

// The selection in view indices. The browser's selection leaves the box
// when the focus goes to the password, and the page goes on using the one
// last seen in the box, as a text area keeps its own.
let remembered = { start: 0, end: 0 };
const selectionInBox = () => {
    const selection = getSelection();
    if (!selection?.rangeCount) return null;
    const range = selection.getRangeAt(0);
    const start = viewIndexOfPlace(range.startContainer, range.startOffset);
    const end = viewIndexOfPlace(range.endContainer, range.endOffset);
    return start === null || end === null ? null : { start, end };
};
const viewSelection = () => selectionInBox() ?? remembered;

// Selects view[start, end). Placing the browser's selection in the box would
// take the focus there in some browsers, so without the focus the box only
// remembers it, and shows it on getting the focus back.
const placeSelection = (start, end) => {
    remembered = { start, end };
    if (document.activeElement === box) getSelection().setBaseAndExtent(...domPlaceOf(start), ...domPlaceOf(end));
    else if (selectionInBox()) getSelection().removeAllRanges();
};
// The browser tells of a change of selection only later, when the focus
// may have left the box already: leaving it, the box takes note too.
const noteSelection = () => { remembered = selectionInBox() ?? remembered; };
document.addEventListener("selectionchange", noteSelection);
box.addEventListener("blur", noteSelection);
box.addEventListener("focus", () => placeSelection(remembered.start, remembered.end));

// The DOM's stretch the browser changed itself, against the chunks it
// held: chunks[first, end) were shown by the nodes given.
const changedByBrowser = () => {
    const nodes = box.childNodes, count = chunks.length;
    let head = 0, tail = 0;
    while (head < count && nodes[head] === chunks[head].div && intact(chunks[head])) ++head;
    if (head === count && nodes.length === count) return null;
    while (tail < count - head && tail < nodes.length - head && nodes[nodes.length - 1 - tail] === chunks[count - 1 - tail].div &&
        intact(chunks[count - 1 - tail])) {
        ++tail;
    }
    return { first: head, end: count - tail, nodes: [...nodes].slice(head, nodes.length - tail) };
};

// The text a stretch of DOM shows: a block ends its line, a <br> is a line
// end unless it only holds a block's last line open.
const shownText = (nodes) => nodes.map((node) => {
    if (node.nodeType === Node.TEXT_NODE) return node.data;
    if (node.nodeName === "BR") return node.nextSibling || !node.parentNode || node.parentNode === box ? "\n" : "";
    const inner = shownText([...node.childNodes]);
    const block = node.nodeName === "DIV" || node.nodeName === "P";
    return block && node.nextSibling && !inner.endsWith("\n") ? inner + "\n" : inner;
}).join("");

// Takes the browser's text of chunks[first, end) as theirs, when each
// still has its element and the texts keep the chunks' rule (each but the
// view's last ends in a line end). What the browser made inside them stays
// until the composition ends: rebuilt sooner, it would end it.
const adoptChanged = ({ first, end, nodes }) => {
    const own = chunks.slice(first, end);
    if (nodes.length !== own.length || own.some((chunk, i) => nodes[i] !== chunk.div)) return false;
    const texts = own.map((chunk) => shownText([...chunk.div.childNodes]));
    if (!texts.every((t, i) => (end === chunks.length && i === texts.length - 1) || t.endsWith("\n"))) return false;
    own.forEach((chunk, i) => { chunk.text = texts[i]; });
    numberChunksFrom(first);
    return true;
};

// Puts back the chunks[first, end) the browser changed, with the texts they
// held, in place of the nodes it left.
const restoreChanged = ({ first, end, nodes }) => {
    const texts = chunks.slice(first, end).map((chunk) => chunk.text);
    const next = nodes.at(-1)?.nextSibling ?? chunks[end]?.div ?? null;
    for (const node of nodes) node.remove();
    for (const chunk of chunks.slice(first, end)) chunk.div.remove();
    const made = texts.map((text, i) => newChunk(text, end === chunks.length && i === texts.length - 1));
    const fragment = document.createDocumentFragment();
    fragment.append(...made.map((chunk) => chunk.div));
    box.insertBefore(fragment, next);
    chunks.splice(first, end - first, ...made);
    numberChunksFrom(first);
    fillLastChunk();
};

// The browser keeps its own undo history apart from the page's, and offers
// Undo in its menus only while that history holds a step: after each edit
// the page replaces a character near the caret by itself through the
// editor, a step that changes nothing and that the page answers with its own.
let markingUndo = false;
const markUndoStep = (viewIndex) => {
    if (document.activeElement !== box) return;
    const chunk = chunks[chunkIndexAt(viewIndex)];
    const plain = (at) => at >= 0 && at < chunk.text.length && !/[\s\ud800-\udfff]/.test(chunk.text[at]);
    const caret = viewIndex - chunk.start;
    let at = -1;
    for (let distance = 0; distance < 64 && at < 0; ++distance) at = [caret - 1 - distance, caret + distance].find(plain) ?? -1;
    if (at < 0) return;
    getSelection().setBaseAndExtent(chunk.node, at, chunk.node, at + 1);
    markingUndo = true;
    try { document.execCommand("insertText", false, chunk.text[at]); } finally { markingUndo = false; }
    if (!intact(chunk)) restoreChanged({ first: chunks.indexOf(chunk), end: chunks.indexOf(chunk) + 1, nodes: [chunk.div] });
};
