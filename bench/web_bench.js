"use strict";
// velmora.html in Debian's chromium: the file's size, the time from opening
// to ready, and the times to paste a mail text of 1 MiB and to encrypt all
// of it (from the warning's OK to the result in place). Prints one line per
// figure; the median of the runs given (default 5).
//   NODE_PATH=<build>/tests/web/node_modules node bench/web_bench.js <build>/web/velmora.html [runs]
const fs = require("node:fs");
const path = require("node:path");
const puppeteer = require("puppeteer-core");

const [file, runs = "5"] = process.argv.slice(2);
const url = "file://" + path.resolve(file);
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];

// About 1 MiB of mail-like lines with Swedish letters, CR LF line ends.
const line = "Hej! Mötet på fredag är flyttat till kl. 14, rum 3 – ta med 20 € till fikat.\r\n";
const mail = line.repeat(Math.ceil((1 << 20) / line.length)).slice(0, 1 << 20);

(async () => {
  const browser = await puppeteer.launch({ executablePath: "/usr/bin/chromium", args: ["--no-sandbox", "--disable-gpu"] });
  const figures = { ready: [], paste: [], crypt: [] };
  for (let i = 0; i < Number(runs); ++i) {
    const page = await browser.newPage();
    let start = Date.now();
    await page.goto(url);
    await page.waitForSelector("html[data-state=ready]");
    figures.ready.push(Date.now() - start);

    start = Date.now();
    await page.$eval("#txtClip", (area, text) => {
      const data = new DataTransfer();
      data.setData("text/plain", text);
      area.focus();
      area.dispatchEvent(new ClipboardEvent("paste", { clipboardData: data, bubbles: true, cancelable: true }));
    }, mail);
    await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve))));
    figures.paste.push(Date.now() - start);

    await page.type("#Text1", "Hemligt7");
    await page.$eval("#txtClip", (area) => area.setSelectionRange(0, 0));
    await page.click("#cmdKryDekry");
    await page.waitForSelector("dialog[open]");
    start = Date.now();
    await page.click("#dlgOk");
    await page.waitForFunction(() => document.getElementById("Label4").textContent.includes("Klar"), { polling: 10 });
    await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve))));
    figures.crypt.push(Date.now() - start);
    await page.close();
  }
  await browser.close();
  console.log(`velmora.html: ${fs.statSync(file).size} bytes`);
  console.log(`opening to ready: ${median(figures.ready)} ms`);
  console.log(`pasting 1 MiB: ${median(figures.paste)} ms`);
  console.log(`encrypting 1 MiB: ${median(figures.crypt)} ms`);
})();
