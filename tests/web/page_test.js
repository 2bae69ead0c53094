"use strict";
// velmora.html driven as a user drives it, in the engine VELMORA_ENGINE names
// (chromium, firefox or webkit); results are compared byte for byte with
// velmora-crypt. VELMORA_PAGE and VELMORA_CRYPT name the page and the program.
const { test, before, after } = require("node:test");
const assert = require("node:assert/strict");
const { spawnSync } = require("node:child_process");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const { open } = require("../../bench/web_engines.js");
const { randomEdits } = require("./random_edits.js");

const engine = process.env.VELMORA_ENGINE;
const pageUrl = "file://" + path.resolve(process.env.VELMORA_PAGE);
const done = "Kryptering / Dekryptering  Klar  OK";
let d;  // the engine with the page open

const ready = () => d.run(() => new Promise((resolve) => {
  const check = () => (document.documentElement.dataset.state === "ready" ? resolve() : setTimeout(check, 20));
  check();
}));
before(async () => {
  d = await open(engine, pageUrl);
  await ready();
});
after(() => d?.close());

// velmora-crypt's output for a text (UTF-8 in and out).
function cli(text, password) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "velmora-page-"));
  try {
    fs.writeFileSync(path.join(folder, "password"), password + "\n");
    const run = spawnSync(process.env.VELMORA_CRYPT, ["--password-file", path.join(folder, "password")], { input: Buffer.from(text) });
    assert.equal(run.status, 0, run.stderr.toString());
    return run.stdout;
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

// Selections are given in characters as the text area shows them: a CR LF is one.
const select = (from, to = from) => d.run((from, to) => {
  const area = document.getElementById("txtClip");
  area.focus();
  area.setSelectionRange(from, to);
}, from, to);
const selected = () => d.run(() => [document.getElementById("txtClip").selectionStart, document.getElementById("txtClip").selectionEnd]);
const selectAll = () => d.run(() => document.getElementById("txtClip").select());
const pasteAll = async (text) => { await selectAll(); await d.clipboard.paste(text); };
const copyAll = async () => { await selectAll(); return d.clipboard.copy(); };
const label4 = () => d.run(() => document.getElementById("Label4").textContent);
const until = async (fn) => { while (!await d.run(fn)) await new Promise((resolve) => setTimeout(resolve, 20)); };
// A text dropped from another program, where the caret is.
const drop = (text) => d.run((text) => {
  const data = new DataTransfer();
  data.setData("text/plain", text);
  document.getElementById("txtClip").dispatchEvent(new DragEvent("drop", { dataTransfer: data, bubbles: true, cancelable: true }));
}, text);
// The browser's Edit menu, which reaches the page as the editor's own undo and redo.
const menu = (command) => d.run((command) => document.execCommand(command), command);

// Types the password, presses the button (or Enter), and answers the first
// message with the button given; returns the message and its icon.
async function run(password, { answer = "#dlgOk", enter = false } = {}) {
  await d.run(() => { const box = document.getElementById("Text1"); box.value = ""; box.focus(); });
  await d.type(password);
  if (enter) await d.keys("Enter"); else await d.tap("#cmdKryDekry");
  await until(() => Boolean(document.querySelector("dialog[open]")));
  const shown = await d.run(() => [document.getElementById("dlgText").textContent, document.getElementById("dlgIcon").className]);
  if (answer === "Escape") await d.keys("Escape"); else await d.tap(answer);
  await until(() => !document.querySelector("dialog[open]") && !document.body.classList.contains("busy"));
  return shown;
}

test("known answer through the page, Enter in the password box", async () => {
  await pasteAll("Hej då!\r\n");
  const [warning, icon] = await run("Hemligt7", { enter: true });
  assert.equal(warning, "Viktigt !!  Om du inte kommer ihåg\r\nLösenordet kan du aldrig Dekryptera ");
  assert.equal(icon, "critical");
  assert.equal(await label4(), done);
  assert.deepEqual([...await copyAll()].map((c) => c.charCodeAt(0)), [0x42, 0x27, 0x2c, 0xce, 0x17, 0x3a, 0xa5, 0x7b, 0xee]);
});

test("a selection of a mail gives velmora-crypt's bytes, and the whole result decrypts back", async () => {
  const mail = "Hej Åsa!\r\nMötet är\tflyttat.\nPris: 12 €\rÅÄÖ åäö ÆØ ü ÿ “citat” – ‰\r\n\r\nHälsningar\r\n";
  await pasteAll(mail);
  assert.equal(await copyAll(), mail);
  const from = mail.indexOf("Mötet"), to = mail.indexOf("Hälsningar");
  await select(from - 1, to - 3);  // one CR LF before "Mötet", three before "Hälsningar"
  await run("  lösen ord 7 ");
  const encrypted = await copyAll();
  assert.deepEqual(Buffer.from(encrypted), cli(mail.slice(from, to), "lösen ord 7"));
  await select(0);  // nothing selected: all of it
  await run("lösen ord 7");
  assert.equal(await copyAll(), mail.slice(from, to));
});

// Each case: a text pasted, a selection in it, what the user does, the exact text after.
const editCases = [
  { text: "a\nb", at: [1, 1], steps: ["Enter"], exact: "a\r\n\nb" },
  { text: "a\rb", at: [1, 1], steps: ["Enter"], exact: "a\r\n\rb" },
  { text: "a\nb", at: [1, 2], steps: ["Enter"], exact: "a\r\nb" },
  { text: "ab\ncd", at: [3, 3], steps: ["Backspace", "Control+z"], exact: "ab\ncd" },
  { text: "ab\rcd", at: [2, 2], steps: ["Delete", "Control+z"], exact: "ab\rcd" },
  { text: "ab\ncd", at: [3, 3], steps: ["Backspace", "Control+z", "Control+y"], exact: "abcd" },
  { text: "a\rb", at: [1, 3], steps: ["x", "y", "Control+z", "Control+Shift+z"], exact: "axy" },
  { text: "ab\ncd", at: [3, 3], steps: ["Backspace", "menu:undo"], exact: "ab\ncd" },
  { text: "ab\rcd", at: [3, 3], steps: ["Backspace", "menu:undo", "menu:redo"], exact: "abcd" },
  { text: "xy", at: [1, 1], steps: ["drop:a\rb\r\nc\nd"], exact: "xa\rb\r\nc\ndy" },
  { text: "x\ry", at: [1, 2], steps: ["drop:\n"], exact: "x\n\ry" },
  { text: "a\rX\nb", at: [2, 3], steps: ["Backspace"], exact: "a\r\nb", caret: 1 },
];

test("edits, undo, redo and drops keep every line end exactly (CR LF, lone CR, lone LF)", async () => {
  const seen = [];
  for (const { text, at, steps } of editCases) {
    await pasteAll(text);
    await select(...at);
    for (const step of steps) {
      if (step.startsWith("drop:")) await drop(step.slice(5));
      else if (step.startsWith("menu:")) await menu(step.slice(5));
      else await d.keys(step);
    }
    const [caret] = await selected();
    seen.push({ steps, exact: await copyAll(), caret });  // the caret only where a case names it
  }
  assert.deepEqual(seen, editCases.map(({ steps, exact, caret }, i) => ({ steps, exact, caret: caret ?? seen[i].caret })));
});

test("random edits match a model of the exact text", async () => {
  await randomEdits(d, { seed: Number(process.env.VELMORA_SEED ?? 20), steps: 300, pasteAll, copyAll, select, drop });
});

test("refusals: each message, and nothing changes", async () => {
  const cases = [
    { text: "", password: "x", message: "Du måste markera text", icon: "information" },
    { text: "text", password: "   ", message: "Du har glömt lösenord", icon: "critical", focus: "Text1" },
    { text: "ab\r\ncd😀e", at: [4, 9], password: "x", icon: "critical",
      message: "Texten innehåller tecknet U+1F600 på rad 2, kolumn 3, som inte finns i teckentabellen Windows-1252 och inte kan krypteras." },
    { text: "a\0b", password: "x", icon: "critical",
      message: "Texten innehåller nolltecknet U+0000 på rad 1, kolumn 2, som inte kan krypteras." },
    { text: "abc", password: " p€Ω", icon: "critical",
      message: "Lösenordet innehåller tecknet U+03A9 på rad 1, kolumn 4, som inte finns i teckentabellen Windows-1252." },
  ];
  for (const { text, at = [0, 0], password, message, icon, focus } of cases) {
    await selectAll();  // dropped in, as Firefox's clipboard ends a text at its NUL
    await d.keys("Delete");
    await drop(text);
    await select(...at);  // placed in the whole text
    await d.run(() => { document.getElementById("Label4").textContent = "före"; });
    assert.deepEqual(await run(password), [message, icon], text);
    assert.equal(await label4(), "före");
    if (focus) assert.equal(await d.run(() => document.activeElement.id), focus);
    assert.equal(await copyAll(), engine === "firefox" ? text.replace("\0", "") : text);  // its clipboard drops NUL
  }
});

test("Avbryt and Escape at the warning leave the text and its selection alone", async () => {
  for (const answer of ["#dlgCancel", "Escape"]) {
    await pasteAll("x\r\nyz");
    await select(2, 3);
    await run("pw", { answer });
    assert.deepEqual(await selected(), [2, 3]);
    assert.equal(await copyAll(), "x\r\nyz");
  }
});

test("nothing leaves the page, nor tries to", async () => {
  assert.deepEqual(d.problems, []);
  const policy = await d.run(() => document.querySelector("meta[http-equiv=Content-Security-Policy]").content);
  assert.match(policy, /connect-src 'none'/);
  assert.match(policy, /default-src 'none'/);
  assert.equal(await d.run(() => fetch("http://127.0.0.1:9/").then(() => "sent", () => "refused")), "refused");
  // Chromium alone reports the page itself; data: URLs (Firefox asks for a font
  // of its own so) never leave the machine.
  assert.deepEqual(d.requests.filter((url) => !url.startsWith("data:")), engine === "chromium" ? [pageUrl] : []);
});

// Controls lower than a finger's 44 px, among those shown.
const lowControls = () => d.run(() => [...document.querySelectorAll("button, input, summary, textarea")]
  .filter((control) => control.getClientRects().length && control.getBoundingClientRect().height < 44)
  .map((control) => control.id || control.textContent));

test("axe finds no violation at desktop size nor as a phone, the message box open or closed", async () => {
  await d.inject(fs.readFileSync(require.resolve("axe-core/axe.min.js"), "utf8"));
  const found = [];
  for (const asPhone of [false, true]) {
    if (asPhone) await d.resize(true);
    if (asPhone) await ready();  // a browser may load the page anew as a phone
    if (asPhone) await d.inject(fs.readFileSync(require.resolve("axe-core/axe.min.js"), "utf8"));
    for (const boxOpen of [false, true]) {
      if (boxOpen) {
        await pasteAll("");
        await d.tap("#cmdKryDekry");  // "Du måste markera text"
        await until(() => Boolean(document.querySelector("dialog[open]")));
      }
      const violations = await d.run(() => axe.run(document).then((result) => result.violations.map((violation) =>
        `${violation.id}: ${violation.nodes.map((node) => node.target.join(" ")).join(", ")}`)));
      found.push(...violations.map((violation) => `${asPhone ? "phone" : "desktop"}, box ${boxOpen ? "open" : "closed"}: ${violation}`));
      if (boxOpen) found.push(...(await lowControls()).map((control) => `box open: ${control} lower than 44 px`));
      if (boxOpen) await d.tap("#dlgOk");
    }
  }
  assert.deepEqual(found, []);
});

test("as a phone: every control 44 px high, Lösenord beside its field, the whole job done by taps", async () => {
  await d.resize(true);
  await ready();
  assert.deepEqual(await lowControls(), []);
  assert.ok(await d.run(() => {
    const label = document.querySelector("label[for=Text1]").getBoundingClientRect();
    const field = document.getElementById("Text1").getBoundingClientRect();
    return label.right <= field.left && label.top < field.bottom && field.top < label.bottom;
  }), "Lösenord on the same line as its field, before it");
  const mail = "Hej!\r\nVi ses på fredag.\n";
  // WebKit asks the user to confirm a script's reading of the clipboard, in a
  // menu of its own: there the text comes as from the text area's own menu.
  if (engine === "webkit") await pasteAll(mail);
  else {
    await d.run((text) => navigator.clipboard.writeText(text), mail);
    await d.tap("#SSCommand3");
  }
  await d.run(() => { document.getElementById("Text1").value = ""; });  // as left by the tests before
  await d.tap("#Text1");
  await d.type("Hemligt7");
  await d.tap("#cmdKryDekry");
  await until(() => Boolean(document.querySelector("dialog[open]")));
  await d.tap("#dlgOk");
  await until(() => document.getElementById("Label4").textContent !== "");
  await d.tap("#SSCommand1");
  const copied = engine === "webkit" ? await copyAll() : await d.run(() => navigator.clipboard.readText());
  assert.deepEqual(Buffer.from(copied), cli(mail, "Hemligt7"));
});
