"use strict";
// velmora.html in each engine: the file's size, the time from opening to
// ready, to paste a mail text of 1 MiB until laid out, to encrypt all of it
// (from the warning's OK to the result laid out), and from a key typed into
// that megabyte to the next frame. Prints the median of the runs given
// (default 5) per engine.
//   NODE_PATH=<build>/tests/web/node_modules node bench/web_bench.js <build>/web/velmora.html [runs] [engine...]
const fs = require("node:fs");
const path = require("node:path");
const { engines, open } = require("./web_engines.js");

const [file, runs = "5", ...chosen] = process.argv.slice(2);
const url = "file://" + path.resolve(file);
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];

// About 1 MiB of mail-like lines with Swedish letters, CR LF line ends.
const line = "Hej! Mötet på fredag är flyttat till kl. 14, rum 3 – ta med 20 € till fikat.\r\n";
const mail = line.repeat(Math.ceil((1 << 20) / line.length)).slice(0, 1 << 20);

// Resolves once the page has laid out and drawn what was just done.
const nextFrame = () => new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve)));

async function measure(engine) {
  const figures = { ready: [], paste: [], typing: [], crypt: [] };
  for (let i = 0; i < Number(runs); ++i) {
    const d = await open(engine, url);
    try {
      let start = Date.now();
      await d.goto(url);  // the browser started already, as a user's is
      await d.ready();
      figures.ready.push(Date.now() - start);

      await d.run(() => document.getElementById("txtClip").focus());
      start = Date.now();
      await d.clipboard.paste(mail);
      await d.run(nextFrame);
      figures.paste.push(Date.now() - start);

      // A key at the end of the text, timed in the page from keydown to the frame after.
      await d.run(() => {
        const area = document.getElementById("txtClip");
        area.setSelectionRange(area.value.length, area.value.length);
        area.addEventListener("keydown", () => {
          const start = performance.now();
          requestAnimationFrame(() => setTimeout(() => { window.typed = performance.now() - start; }));
        }, { once: true });
      });
      await d.keys("x");
      await d.until(() => window.typed !== undefined);
      figures.typing.push(await d.run(() => window.typed));

      await d.run(() => document.getElementById("Text1").focus());
      await d.type("Hemligt7");
      await d.run(() => document.getElementById("txtClip").setSelectionRange(0, 0));
      await d.tap("#cmdKryDekry");
      await d.until(() => Boolean(document.querySelector("dialog[open]")));
      start = Date.now();
      await d.tap("#dlgOk");
      await d.until(() => document.getElementById("Label4").textContent.includes("Klar"));
      await d.run(nextFrame);
      figures.crypt.push(Date.now() - start);
    } finally {
      await d.close();
    }
  }
  return figures;
}

(async () => {
  console.log(`velmora.html: ${fs.statSync(file).size} bytes`);
  for (const engine of chosen.length ? chosen : engines) {
    const { ready, paste, typing, crypt } = await measure(engine);
    console.log(`${engine}: ready ${median(ready)} ms, paste 1 MiB ${median(paste)} ms, ` +
      `a key in 1 MiB to the next frame ${Math.round(median(typing))} ms, encrypt 1 MiB ${median(crypt)} ms`);
  }
})().catch((error) => { console.error(error); process.exit(1); });
