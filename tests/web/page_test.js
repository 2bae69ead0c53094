"use strict";
// velmora.html in Debian's chromium, driven as a user drives it; results are
// compared byte for byte with velmora-crypt. VELMORA_PAGE and VELMORA_CRYPT
// name the page and the program.
const { test, before, after } = require("node:test");
const assert = require("node:assert/strict");
const { spawnSync } = require("node:child_process");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const puppeteer = require("puppeteer-core");

const pageUrl = "file://" + path.resolve(process.env.VELMORA_PAGE);
const done = "Kryptering / Dekryptering  Klar  OK";
let browser, page;
const requests = [], problems = [];  // problems: errors and refused connections, as the console shows them

before(async () => {
  browser = await puppeteer.launch({ executablePath: "/usr/bin/chromium", args: ["--no-sandbox", "--disable-gpu"] });
  await browser.defaultBrowserContext().overridePermissions("file://", ["clipboard-read", "clipboard-write", "clipboard-sanitized-write"]);
  page = await browser.newPage();
  await page.setRequestInterception(true);
  page.on("request", (request) => { requests.push(request.url()); request.continue(); });
  page.on("console", (message) => { if (message.type() === "error") problems.push(message.text().slice(0, 200)); });
  page.on("pageerror", (error) => problems.push(error.message));
  await page.goto(pageUrl);
  await page.waitForSelector("html[data-state=ready]");
});
after(() => browser?.close());

// velmora-crypt's output for a text (UTF-8 in and out).
function cli(text, password) {
  const passwordFile = path.join(fs.mkdtempSync(path.join(os.tmpdir(), "velmora-page-")), "password");
  fs.writeFileSync(passwordFile, password + "\n");
  const run = spawnSync(process.env.VELMORA_CRYPT, ["--password-file", passwordFile], { input: Buffer.from(text) });
  assert.equal(run.status, 0, run.stderr.toString());
  return run.stdout;
}

const viewOf = (exact) => exact.replace(/\r\n|\r|\n/g, "\n");
// What Ctrl+V and Ctrl+C of the whole text give and take.
const clipboardEvent = (type, text, all = true) => page.$eval("#txtClip", (area, type, text, all) => {
  const data = new DataTransfer();
  if (text !== null) data.setData("text/plain", text);
  area.focus();
  if (all) area.select();
  area.dispatchEvent(new ClipboardEvent(type, { clipboardData: data, bubbles: true, cancelable: true }));
  return data.getData("text/plain");
}, type, text, all);
const pasteAll = (text) => clipboardEvent("paste", text);
const copyAll = () => clipboardEvent("copy", null);
const selectExact = (exact, from, to) => page.$eval("#txtClip", (area, from, to) => {
  area.focus();
  area.setSelectionRange(from, to);
}, viewOf(exact.slice(0, from)).length, viewOf(exact.slice(0, to)).length);
const label4 = () => page.$eval("#Label4", (label) => label.textContent);

// Types the password, presses the button (or Enter), and answers the first
// message with the button given; returns the message and its icon.
async function run(password, { answer = "#dlgOk", enter = false } = {}) {
  await page.$eval("#Text1", (box) => { box.value = ""; });
  await page.type("#Text1", password);
  if (enter) await page.keyboard.press("Enter"); else await page.click("#cmdKryDekry");
  await page.waitForSelector("dialog[open]");
  const shown = await page.$eval("dialog", (d) => [d.querySelector("#dlgText").textContent, d.querySelector("#dlgIcon").className]);
  if (answer === "Escape") await page.keyboard.press("Escape"); else await page.click(answer);
  await page.waitForFunction(() => !document.querySelector("dialog[open]") && !document.body.classList.contains("busy"));
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
  const from = mail.indexOf("Mötet"), to = mail.indexOf("Hälsningar");
  await pasteAll(mail);
  assert.equal(await copyAll(), mail);
  await selectExact(mail, from, to);
  await run("  lösen ord 7 ");
  const encrypted = await copyAll();
  assert.deepEqual(Buffer.from(encrypted), cli(mail.slice(from, to), "lösen ord 7"));
  await selectExact(encrypted, 0, 0);  // nothing selected: all of it
  await run("lösen ord 7");
  assert.equal(await copyAll(), mail.slice(from, to));
});

test("typing and cutting keep line ends exactly: Enter gives CR LF, a lone CR and LF brought together pair up", async () => {
  await pasteAll("a\rX\nb");
  await selectExact("a\rX\nb", 2, 3);
  await page.keyboard.press("Backspace");
  assert.deepEqual(await page.$eval("#txtClip", (area) => [area.value, area.selectionStart]), ["a\nb", 1]);
  assert.equal(await copyAll(), "a\r\nb");
  await selectExact("a\r\nb", 4, 4);
  await page.keyboard.press("Enter");
  await page.keyboard.type("c€ÅÄÖåäö");
  assert.equal(await copyAll(), "a\r\nb\r\nc€ÅÄÖåäö");
  await selectExact("a\r\nb\r\nc", 3, 4);
  assert.equal(await clipboardEvent("cut", null, false), "b");
  assert.deepEqual(await page.$eval("#txtClip", (area) => [area.value, area.selectionStart]), ["a\n\nc€ÅÄÖåäö", 2]);
  assert.equal(await copyAll(), "a\r\n\r\nc€ÅÄÖåäö");
});

test("refusals: each message, and nothing changes", async () => {
  const cases = [
    { text: "", password: "x", message: "Du måste markera text", icon: "information" },
    { text: "text", password: "   ", message: "Du har glömt lösenord", icon: "critical", focus: "Text1" },
    { text: "ab\r\ncd😀e", from: 5, password: "x", icon: "critical",
      message: "Texten innehåller tecknet U+1F600 på rad 2, kolumn 3, som inte finns i teckentabellen Windows-1252 och inte kan krypteras." },
    { text: "a\0b", password: "x", icon: "critical",
      message: "Texten innehåller nolltecknet U+0000 på rad 1, kolumn 2, som inte kan krypteras." },
    { text: "abc", password: " p€Ω", icon: "critical",
      message: "Lösenordet innehåller tecknet U+03A9 på rad 1, kolumn 4, som inte finns i teckentabellen Windows-1252." },
  ];
  for (const { text, from = 0, password, message, icon, focus } of cases) {
    await pasteAll(text);
    await selectExact(text, from, from ? text.length : 0);  // placed in the whole text
    await page.$eval("#Label4", (label) => { label.textContent = "före"; });
    assert.deepEqual(await run(password), [message, icon], text);
    assert.equal(await label4(), "före");
    if (focus) assert.equal(await page.evaluate(() => document.activeElement.id), focus);
    assert.equal(await copyAll(), text);
  }
});

test("Avbryt and Escape at the warning leave the text and its selection alone", async () => {
  for (const answer of ["#dlgCancel", "Escape"]) {
    await pasteAll("x\r\nyz");
    await selectExact("x\r\nyz", 3, 4);
    await run("pw", { answer });
    assert.deepEqual(await page.$eval("#txtClip", (a) => [a.value, a.selectionStart, a.selectionEnd]), ["x\nyz", 2, 3]);
    assert.equal(await copyAll(), "x\r\nyz");
  }
});

test("Klistra In replaces the text by the clipboard's, Kopiera copies the selection or else all, both exactly", async () => {
  const exact = "ett\rtvå\ntre\r\n";
  await page.evaluate((text) => navigator.clipboard.writeText(text), exact);
  await pasteAll("bort");
  await page.click("#SSCommand3");
  await page.waitForFunction((view) => document.getElementById("txtClip").value === view, {}, viewOf(exact));
  assert.equal(await copyAll(), exact);
  for (const [from, to, expected] of [[4, 9, "två\nt"], [0, 0, exact]]) {
    await selectExact(exact, from, to);
    await page.$eval("#Label4", (label, text) => { label.textContent = text; }, done);
    await page.click("#SSCommand1");
    await page.waitForFunction(() => document.getElementById("Label4").textContent === "");
    assert.equal(await page.evaluate(() => navigator.clipboard.readText()), expected);
  }
});

test("nothing leaves the page, nor tries to", async () => {
  assert.deepEqual(problems, []);
  const policy = await page.$eval("meta[http-equiv=Content-Security-Policy]", (meta) => meta.content);
  assert.match(policy, /connect-src 'none'/);
  assert.match(policy, /default-src 'none'/);
  assert.equal(await page.evaluate(() => fetch("http://127.0.0.1:9/").then(() => "sent", () => "refused")), "refused");
  assert.deepEqual(requests, [pageUrl]);
});
