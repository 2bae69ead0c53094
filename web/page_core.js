// The cipher core, the window's own compiled to WebAssembly (createVelmoraCore,
// inlined before this): strings copied into its memory, wiped and freed after use.

// Answers of the core's velmora_check and velmora_crypt.
const OK = 0, FORGOTTEN_PASSWORD = 1, REFUSED = 2;

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
const check = (exact, from, to, typed) => withStrings([exact, typed], ([t, p]) =>
    core._velmora_check(t, from, to, p, typed.length));
const crypt = (exact, typed) => withStrings([exact, typed], ([t, p]) => {
    const answer = core._velmora_crypt(t, exact.length, p, typed.length);
    if (answer !== OK) return { answer };
    const units = new Uint16Array(core.HEAPU16.buffer, core._velmora_result(), core._velmora_result_length());
    const result = new TextDecoder("utf-16le").decode(units);
    core._velmora_forget();
    return { answer, result };
});
// The repair of exact[from, to) as a mail path delivered it: { outcome }, and
// for REPAIRED the repaired text, the number of places changed and the line
// and column of the first in the whole text. The third string is room for
// those three numbers (32 bits each).
const REPAIRED = 1;  // of the outcomes, as repair::Outcome numbers them
const repairOf = (exact, from, to, typed) => withStrings([exact.slice(0, to), typed, "\0".repeat(6)], ([t, p, f]) => {
    const outcome = core._velmora_repair(t, from, to, p, typed.length, f);
    if (outcome !== REPAIRED) return { outcome };
    const [changes, line, column] = new Uint32Array(core.HEAPU32.buffer, f, 3);
    const units = new Uint16Array(core.HEAPU16.buffer, core._velmora_result(), core._velmora_result_length());
    const text = new TextDecoder("utf-16le").decode(units);
    core._velmora_forget();
    return { outcome, text, changes, line, column };
});
const coreMessage = () => core.UTF8ToString(core._velmora_message());

// Loads the core; resolves to it, or rejects.
const loadCore = () => {
    // The module would first try to fetch its own binary, inlined as a data:
    // URL, which the page's policy forbids, and then decode it itself: without
    // fetch it goes straight to the decoding.
    const fetchAsLoaded = window.fetch;
    window.fetch = undefined;
    try {
        return createVelmoraCore();
    } catch (error) {
        return Promise.reject(error);
    } finally {
        window.fetch = fetchAsLoaded;
    }
};
