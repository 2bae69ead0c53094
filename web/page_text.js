// Velmora in the browser: the window's job on one page, the cipher being the
// same core compiled to WebAssembly. These files are joined, in the order
// web/CMakeLists.txt gives, into one script in one closure.
//
// No element of a page holds the text exactly: browsers turn CR LF and a
// lone CR into LF, on input and in what they read back. So the exact text
// lives here, and the box shows a view of it; each edit is made in the
// exact text and shown in the view, text pasted or read from the clipboard
// goes straight into the exact text, and what goes to the clipboard comes
// from it.

// The exact text and positions in it. The box shows a view of the text in
// which every line end (CR LF, lone CR, lone LF) is one LF; a CR LF pair is
// one character of the view, and a position between its CR and its LF
// belongs before it.
const viewOf = (exact) => exact.replace(/\r\n|\r|\n/g, "\n");

const model = {
    exact: "",
    // Where each CR LF pair of the exact text begins, in order; kept up to
    // date with each change, so that no keystroke scans a megabyte for them.
    pairs: [],
};

// The number of pairs counted from the start for which before(pair, count) holds.
const countPairs = (before) => {
    let low = 0, high = model.pairs.length;
    while (low < high) {
        const middle = (low + high) >> 1;
        if (before(model.pairs[middle], middle)) low = middle + 1; else high = middle;
    }
    return low;
};
const exactIndexOf = (viewIndex) => viewIndex + countPairs((at, count) => at - count < viewIndex);
const inPair = (exactIndex) => model.exact[exactIndex - 1] === "\r" && model.exact[exactIndex] === "\n";
const viewIndexOf = (exactIndex) => {
    const at = inPair(exactIndex) ? exactIndex - 1 : exactIndex;
    return at - countPairs((pair) => pair < at - 1);
};

// Puts inserted in place of exact[from, to) and answers how the view
// changes: view[at, at + length) becomes viewText. The stretch compared
// reaches one character beyond the change on either side, since a lone CR
// and a lone LF that meet or part change the view there too; its end never
// splits a pair (its start may: the pair's LF alone shows as the pair does).
const spliceExact = (from, to, inserted) => {
    const start = Math.max(0, from - 1);
    let end = Math.min(model.exact.length, to + 1);
    if (inPair(end)) ++end;
    const at = viewIndexOf(start), length = viewIndexOf(end) - at;

    model.exact = model.exact.slice(0, from) + inserted + model.exact.slice(to);
    const kept = countPairs((pair) => pair < from - 1), moved = countPairs((pair) => pair < to);
    const shift = inserted.length - (to - from), found = [];
    for (let pair = model.exact.indexOf("\r\n", Math.max(0, from - 1)); pair >= 0 && pair < from + inserted.length;
        pair = model.exact.indexOf("\r\n", pair + 2)) {
        found.push(pair);
    }
    model.pairs = model.pairs.slice(0, kept).concat(found, model.pairs.slice(moved).map((pair) => pair + shift));
    return { at, length, viewText: viewOf(model.exact.slice(start, end + shift)) };
};
