"use strict";
// velmora.html driven as a user drives it, in the engine VELMORA_ENGINE names
// (chromium, firefox or webkit); results are compared byte for byte with
// velmora-crypt. VELMORA_PAGE and VELMORA_CRYPT name the page and the program.
const { test, before, after } = require("node:test");
const assert = require("node:assert/strict");
const { spawnSync } = require("node:child_process");
const fs = require("node:fs"), os = require("node:os"), path = require("node:path");
const { open } = require("../../bench/web_engines.js");
const { randomEdits } = require("./random_edits.js");

const engine = process.env.VELMORA_ENGINE;
const pageUrl = "file://" + path.resolve(process.env.VELMORA_PAGE);
const messages = JSON.parse(fs.readFileSync(path.join(__dirname, "../../resources/messages.json"), "utf8")), warning = messages.warning;
let d;  // the engine with the page open
before(async () => { d = await open(engine, pageUrl); await d.ready(); });
after(() => d?.close());

// velmora-crypt's output for a text (UTF-8 in and out).
function cli(text, password) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "velmora-page-")), file = path.join(folder, "password");
  try {
    fs.writeFileSync(file, password + "\n");
    return spawnSync(process.env.VELMORA_CRYPT, ["--password-file", file], { input: text }).stdout;
  } finally { fs.rmSync(folder, { recursive: true, force: true }); }
}

// Selections are given in characters as the box shows them (a CR LF is one),
// placed in and read from its text nodes; Ctrl+A selects all of it.
const select = (from, to = from) => d.run((from, to) => {
  const box = document.getElementById("txtClip"), walk = document.createTreeWalker(box, NodeFilter.SHOW_TEXT);
  const nodes = []; for (let node; (node = walk.nextNode());) nodes.push(node);
  const place = (index) => { for (const node of nodes) { if (index < node.length) return [node, index]; index -= node.length; } return [nodes.at(-1), nodes.at(-1).length + index]; };
  box.focus();
  getSelection().setBaseAndExtent(...place(from), ...place(to));
}, from, to);
const selectAll = () => d.run(() => document.getElementById("txtClip").focus()).then(() => d.keys("Control+a"));
const pasteAll = async (text) => { await selectAll(); await d.clipboard.paste(text); };
const copyAll = async () => { await selectAll(); return d.clipboard.copy(); };
const label4 = () => d.run(() => document.getElementById("Label4").textContent);
const selected = () => d.run(() => {
  const box = document.getElementById("txtClip"), range = (box.focus(), getSelection().getRangeAt(0)), before = document.createRange();
  return [[range.startContainer, range.startOffset], [range.endContainer, range.endOffset]].map(([node, offset]) => {
    before.setStart(box, 0); before.setEnd(node, offset); return before.toString().length; });
});
const boxOpen = () => d.until(() => Boolean(document.querySelector("dialog[open]")));

// One step of a user's: "type:…", "paste:…", "cut", "drop:…" (a text dragged
// from another program onto the caret), "menu:undo" or "menu:redo" (the
// browser's menu, which reaches the page as the editor's own command), or keys.
const perform = (step) => {
  const [kind, text] = step.split(/:(.*)/s);
  if (kind === "type") return d.type(text);
  if (kind === "paste") return d.clipboard.paste(text);
  if (kind === "cut") return d.clipboard.cut();
  if (kind === "compose") return d.compose(text.split("|"));
  if (kind === "menu") return d.run((command) => document.execCommand(command), text);
  if (kind !== "drop") return d.keys(step);
  return d.run((text) => { const dataTransfer = new DataTransfer(); dataTransfer.setData("text/plain", text);
    document.getElementById("txtClip").dispatchEvent(new DragEvent("drop", { dataTransfer, bubbles: true, cancelable: true })); }, text);
};

// Types the password, presses the button (or Enter), and answers the message
// with the button given (or each of several in turn); returns the message,
// its icon and its buttons (a list of them for several).
async function run(password, { answer = "#dlgOk", enter = false } = {}) {
  await d.run(() => { document.getElementById("Text1").value = ""; document.getElementById("Text1").focus(); });
  await d.type(password);
  await (enter ? d.keys("Enter") : d.tap("#cmdKryDekry"));
  const shown = [];
  for (const press of [answer].flat()) {
    if (shown.length && !await d.run(() => Boolean(document.querySelector("dialog[open]")))) break;  // no further message
    await boxOpen();
    shown.push(await d.run(() => [document.getElementById("dlgText").textContent, document.getElementById("dlgIcon").className,
      ...[...document.querySelectorAll("dialog button:not([hidden])")].map((button) => button.textContent)]));
    await (press === "Escape" ? d.keys("Escape") : d.tap(press));
    await answered(shown.at(-1)[0]);
  }
  return Array.isArray(answer) ? shown : shown[0];
}
// Waits until the message with this text is answered: the command over, or the next message open.
const answered = (text) => d.until((text) => document.querySelector("dialog[open] #dlgText")?.textContent.replace(text, "") ??
  document.documentElement.dataset.state !== "busy", text);

test("keys typed into the box of a page just opened, before any other input, go in", async () => {
  await d.run(() => document.getElementById("txtClip").focus());
  await d.type("Hej");
  await d.keys("Enter");
  assert.equal(await copyAll(), "Hej\r\n");
});

test("a selection of a mail gives velmora-crypt's bytes, and the whole result decrypts back", async () => {
  const mail = "Hej Åsa!\r\nMötet är\tflyttat.\nPris: 12 €\rÅÄÖ åäö ÆØ ü ÿ “citat” – ‰\r\n\r\nHälsningar\r\n";
  await pasteAll(mail);
  const from = mail.indexOf("Mötet"), to = mail.indexOf("Hälsningar");
  await select(from - 1, to - 3);  // one CR LF before "Mötet", three before "Hälsningar"
  assert.deepEqual(await run("  lösen ord 7 ", { enter: true }), [warning, "critical", "OK", "Avbryt"]);
  assert.equal(await label4(), "Kryptering / Dekryptering  Klar  OK");
  assert.deepEqual(Buffer.from(await copyAll()), cli(mail.slice(from, to), "lösen ord 7"));
  await select(0);  // nothing selected: all of it
  await run("lösen ord 7");
  assert.equal(await copyAll(), mail.slice(from, to));
});

// A mail enciphered and what an SMTP path delivers of it, every lone CR and
// lone LF made CR LF; before it in the box, lines the selection leaves out.
const letter = "Hej Åsa!\r\n\r\nTack för ditt brev. Mötet på fredag är flyttat till kl. 14, rum 3, och vi ses där.\r\n" +
  "Ta med 20 € till fikat, och glöm inte nycklarna till stugan.\r\n\r\nVänliga hälsningar\r\nPer\r\n";
test("a text a mail path changed: the question, placed in the whole text; Ja gives the mail, Nej and Escape the exact result", async () => {
  const sent = cli(letter, "Hemligt8").toString(), delivered = sent.replace(/\r\n|\r|\n/g, "\r\n"), exact = cli(delivered, "Hemligt8").toString();
  const lone = [...sent.matchAll(/\r(?!\n)|(?<!\r)\n/g)], before = "Från: Per\nÄmne: Mötet\n\n", lines = (before + sent.slice(0, lone[0]?.index)).split(/\r\n|\n/);
  assert.ok(lone.length >= 2, "the enciphered mail holds lone line ends");
  const question = messages.repairQuestion.replace("%1", lone.length).replace("%2", lines.length).replace("%3", lines.at(-1).length + 1);
  for (const [answer, result] of [["#dlgOk", letter], ["#dlgCancel", exact], ["Escape", exact]]) {
    await pasteAll(before + delivered);
    await select(before.length, before.length + delivered.replace(/\r\n/g, "\n").length);
    assert.deepEqual(await run("Hemligt8", { answer: ["#dlgOk", answer] }), [[warning, "critical", "OK", "Avbryt"], [question, "question", "Ja", "Nej"]]);
    assert.equal(await label4(), messages.done);
    assert.equal(await copyAll(), result, answer);
  }
});

// Texts no mail path changed, made in the page from a seed: mails of the
// letter's lines, their enciphered texts, texts of random codes of the code
// page; each with the outcome of the repair call of the page's own core.
const unchanged = (count, seed) => d.run(async (count, seed, lines) => {
  const random = (n) => { seed ^= seed << 13; seed ^= seed >>> 17; seed ^= seed << 5; return (seed >>> 0) % n; };
  const codePage = new TextDecoder("windows-1252").decode(Uint8Array.from({ length: 255 }, (_, i) => i + 1));
  const fetchAsLoaded = window.fetch;
  window.fetch = undefined;  // as the page loads it
  const core = await createVelmoraCore().finally(() => { window.fetch = fetchAsLoaded; });
  const inCore = (texts, call) => {
    const at = texts.map((text) => core._malloc(2 * text.length + 12));
    texts.forEach((text, i) => new Uint16Array(core.HEAPU16.buffer, at[i], text.length).set(Array.from(text, (c) => c.charCodeAt(0))));
    try { return call(...at); } finally { at.forEach((p) => core._free(p)); }
  };
  return Array.from({ length: count }, (_, i) => {
    const password = `Lösen${i}`, mail = Array.from({ length: 1 + random(30) }, () => lines[random(lines.length)]).join(random(4) ? "\r\n" : "\n");
    const cipher = inCore([mail, password], (t, p) => core._velmora_crypt(t, mail.length, p, password.length) ||
      new TextDecoder("utf-16le").decode(new Uint16Array(core.HEAPU16.buffer, core._velmora_result(), core._velmora_result_length())));
    return [mail, cipher, Array.from({ length: 1 + random(1500) }, () => codePage[random(255)]).join("")].map((text) =>
      ({ text, password, outcome: inCore([text, password, ""], (t, p, f) => core._velmora_repair(t, 0, text.length, p, password.length, f)) }));
  }).flat();
}, count, seed, letter.split("\r\n"));

test("no repair offered for texts no mail path changed: thousands through the core, hundreds through the button", async () => {
  const made = await unchanged(1000, 7), questions = [];
  for (const { text, password } of made.slice(0, 210)) {
    await pasteAll(text);
    await d.run((password) => { document.getElementById("Text1").value = password; document.getElementById("cmdKryDekry").click(); }, password);
    await boxOpen().then(() => d.tap("#dlgOk")).then(() => answered(warning));
    const question = await d.run(() => document.querySelector("dialog[open] #dlgText")?.textContent);
    if (question) { questions.push(text); await d.keys("Escape").then(() => answered(question)); }
  }
  assert.deepEqual({ repaired: made.filter(({ outcome }) => outcome === 1), questions }, { repaired: [], questions: [] });  // 1: Outcome::Repaired
});

// Each case: a text pasted, a selection in it, what the user does, the exact text after.
const editCases = [
  { text: "a\nb", at: [1, 1], steps: ["Enter"], exact: "a\r\n\nb" },
  { text: "a\rb", at: [1, 1], steps: ["Enter"], exact: "a\r\n\rb" },
  { text: "a\nb", at: [1, 2], steps: ["Enter"], exact: "a\r\nb" },
  { text: "ab\ncd", at: [3, 3], steps: ["Backspace", "menu:undo"], exact: "ab\ncd" },
  { text: "ab\rcd", at: [3, 3], steps: ["Backspace", "menu:undo", "menu:redo"], exact: "abcd" },
  { text: "x\ry", at: [1, 2], steps: ["paste:1\n2", "menu:undo"], exact: "x\ry" },
  { text: "x\ry", at: [1, 1], steps: ["drop:a\rb\r\nc\nd"], exact: "xa\rb\r\nc\nd\ry" },
  { text: "a\rX\nb", at: [2, 3], steps: ["Backspace", "type:c"], exact: "ac\r\nb" },
  { text: "ab cd\r\nef", at: [5, 5], steps: ["Control+Backspace"], exact: "ab \r\nef" },
];

async function assertEdits(cases) {
  const seen = [];
  for (const { text, at, steps } of cases) {
    await pasteAll(text);
    await select(...at);
    for (const step of steps) await perform(step);
    const view = await d.run(() => [...document.getElementById("txtClip").children].map((block) => block.textContent).join(""));
    seen.push({ steps, exact: await copyAll(), view });
  }
  assert.deepEqual(seen, cases.map(({ steps, exact }) => ({ steps, exact, view: exact.replace(/\r\n?/g, "\n") })));
}

test("edits, undo, redo and drops keep every line end exactly (CR LF, lone CR, lone LF)", () => assertEdits(editCases));

test("the caret walks down every line by keys, empty ones and an empty last one included",
  { skip: engine === "firefox" && "headless Firefox moves no caret by keys in an editable element" }, () => assertEdits([
    { text: "a\r\n\nb\r\r\n", at: [0, 0], steps: ["ArrowDown", "ArrowDown", "ArrowDown", "ArrowDown", "type:x"], exact: "a\r\n\nb\r\r\nx" },
    { text: "a\n\nb\n", at: [5, 5], steps: ["ArrowUp", "ArrowUp", "type:x"], exact: "a\nx\nb\n" },
  ]));

// A text of many chunks: "abc" lines, 4 characters each in the box, 5 in the text.
const lines = "abc\r\n".repeat(2000), exactAt = (shown) => Math.floor(shown / 4) * 5 + shown % 4;
test("an input method's composition, which the page cannot cancel, comes into the exact text",
  { skip: engine !== "chromium" && "only Chromium lets a script compose" }, () => assertEdits([
    { text: "ab\r\ncd", at: [1, 1], steps: ["compose:e|é|éx"], exact: "aéxb\r\ncd" },
    { text: "a\rX\nb", at: [2, 3], steps: ["compose:q"], exact: "a\rq\nb" },
    { text: "ab\n", at: [3, 3], steps: ["compose:x|xy"], exact: "ab\nxy" },
    { text: lines, at: [4090, 4101], steps: ["compose:ü"], exact: lines.slice(0, exactAt(4090)) + "ü" + lines.slice(exactAt(4101)) },
    { text: lines, at: [4096, 4096], steps: ["compose:ö", "Backspace", "Backspace"], exact: lines.slice(0, exactAt(4095)) + lines.slice(exactAt(4096)) },
  ]));

test("random edits match a model of the exact text, in a short text and in one of many chunks", async () => {
  const seed = Number(process.env.VELMORA_SEED ?? 20);
  await randomEdits(d, { seed, steps: 300, pasteAll, copyAll, select, perform });
  await randomEdits(d, { seed, steps: 150, lines: 600, pasteAll, copyAll, select, perform });
});

test("refusals, Avbryt and Escape: each message, and the text and its selection stay", async () => {
  const cases = [
    { text: "", password: "x", message: "Du måste markera text", icon: "information" },
    { text: "text", password: "   ", message: "Du har glömt lösenord", focus: "Text1" },
    { text: "ab\r\ncd😀e", at: [4, 8], password: "x",
      message: "Texten innehåller tecknet U+1F600 på rad 2, kolumn 3, som inte finns i teckentabellen Windows-1252 och inte kan krypteras." },
    { text: "x\r\nyz", at: [2, 3], password: "pw", message: warning, answer: "#dlgCancel" },
    { text: "x\ryz", at: [1, 3], password: "pw", message: warning, answer: "Escape" },
  ];
  for (const { text, at = [0, 0], password, message, icon = "critical", focus, answer } of cases) {
    await pasteAll(text);
    await select(...at);  // placed in the whole text
    await d.run(() => { document.getElementById("Label4").textContent = "före"; });  // a status no refusal may clear
    assert.deepEqual(await run(password, { answer }), [message, icon, "OK", ...(message === warning ? ["Avbryt"] : [])], text);
    assert.equal(await label4(), "före");
    if (focus) assert.equal(await d.run(() => document.activeElement.id), focus);
    else assert.deepEqual(await selected(), at);
    assert.equal(await copyAll(), text);
  }
});

test("nothing leaves the page, nor tries to", async () => {
  assert.deepEqual(d.problems, []);
  const policy = await d.run(() => document.querySelector("meta[http-equiv=Content-Security-Policy]").content);
  assert.match(policy, /default-src 'none'.*connect-src 'none'/);
  assert.equal(await d.run(() => fetch("http://127.0.0.1:9/").then(() => "sent", () => "refused")), "refused");
  // Chromium alone reports the page itself; data: URLs (Firefox asks for a font
  // of its own so) never leave the machine.
  assert.deepEqual(d.requests.filter((url) => !url.startsWith("data:")), engine === "chromium" ? [pageUrl] : []);
});

// Controls lower than a finger's 44 px, among those shown.
const lowControls = () => d.run(() => [...document.querySelectorAll("button, input, summary, [role=textbox]")]
  .filter((control) => control.getClientRects().length && control.getBoundingClientRect().height < 44)
  .map((control) => control.id || control.textContent));

test("axe finds no violation at desktop size nor as a phone, the message box open or closed", async () => {
  const found = [];
  for (const asPhone of [false, true]) {
    await d.resize(asPhone);
    await d.ready();  // a browser may load the page anew as a phone
    await d.inject(fs.readFileSync(require.resolve("axe-core/axe.min.js"), "utf8"));
    for (const where of ["", "box open, "]) {
      if (where) await pasteAll("").then(() => d.tap("#cmdKryDekry")).then(boxOpen);  // "Du måste markera text"
      const violations = await d.run(() => axe.run(document).then((result) => result.violations.map(({ id, nodes }) => `${id}: ${nodes.map((node) => node.target).join(", ")}`)));
      found.push(...violations.map((violation) => `${asPhone ? "phone" : "desktop"}, ${where}${violation}`));
      if (where) await d.tap("#dlgOk");
    }
  }
  assert.deepEqual(found, []);
});

test("as a phone: every control 44 px high, Lösenord beside its field, the whole job done by taps", async () => {
  await d.resize(true);
  await d.ready();
  const [label, field] = await d.run(() => ["label[for=Text1]", "#Text1"].map((s) => document.querySelector(s).getBoundingClientRect().toJSON()));
  assert.ok(label.right <= field.left && label.top < field.bottom && field.top < label.bottom, "Lösenord on its field's line, before it");
  const mail = "Hej!\r\nVi ses på fredag.\n";
  // WebKit asks the user to confirm a script's reading of the clipboard, in a
  // menu of its own: there the text comes as from the text box's own menu.
  await (engine === "webkit" ? pasteAll(mail) : d.run((text) => navigator.clipboard.writeText(text), mail).then(() => d.tap("#SSCommand3")));
  await d.run(() => { document.getElementById("Text1").value = ""; });  // as left by the tests before
  await d.tap("#Text1");
  await d.type("Hemligt7");
  await d.tap("#cmdKryDekry");
  await boxOpen();
  const low = await lowControls();
  await d.tap("#dlgOk");
  await d.until(() => document.getElementById("Label4").textContent !== "");
  assert.deepEqual([...low, ...await lowControls()], []);
  await d.tap("#SSCommand1");
  const copied = engine === "webkit" ? await copyAll() : await d.run(() => navigator.clipboard.readText());
  assert.deepEqual(Buffer.from(copied), cli(mail, "Hemligt7"));
});

test("without WebAssembly, or when it cannot start, the page says which and offers no button", async () => {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "velmora-page-")), file = path.join(folder, "velmora.html");
  try {
    for (const [breaking, said] of [["delete window.WebAssembly", /WebAssembly saknas/], ["WebAssembly.instantiate = () => Promise.reject(new RangeError())", /kunde inte starta/]]) {
      fs.writeFileSync(file, fs.readFileSync(process.env.VELMORA_PAGE, "utf8").replace("<head>", `<head><script>${breaking}</script>`));
      await d.goto("file://" + file);
      await d.until(() => !/Startar/.test(document.getElementById("Label4").textContent));
      assert.match(await label4(), said);
      assert.equal(await d.run(() => document.getElementById("cmdKryDekry").disabled), true);
    }
  } finally { fs.rmSync(folder, { recursive: true, force: true }); }
});
