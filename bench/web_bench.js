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

// Times in the page, from the next event of the type given on the element
// given to the frame after the page's answer (for the encryption, the frame
// after the result is reported); the time is left in window.timed.
const arm = (d, type, id, untilDone = false) => d.run((type, id, untilDone) => {
  window.timed = undefined;
  document.getElementById(id).addEventListener(type, () => {
    const start = performance.now();
    const done = () => !untilDone || document.getElementById("Label4").textContent.includes("Klar");
    const check = () => requestAnimationFrame(() => setTimeout(() => {
      if (done()) window.timed = performance.now() - start; else check();
    }));
    check();
  }, { once: true, capture: true });
}, type, id, untilDone);
const timed = async (d) => { await d.until(() => window.timed !== undefined); return d.run(() => window.timed); };

async function measure(engine) {
  const figures = { ready: [], paste: [], typing: [], crypt: [] };
  for (let i = 0; i < Number(runs); ++i) {
    const d = await open(engine, url);
    try {
      const start = Date.now();
      await d.goto(url);  // the browser started already, as a user's is
      await d.ready();
      figures.ready.push(Date.now() - start);

      await d.clipboard.load(mail);
      await arm(d, "paste", "txtClip");
      await d.clipboard.pasteLoaded();
      figures.paste.push(await timed(d));

      // A key at the end of the text.
      await d.keys("Control+End");
      await arm(d, "keydown", "txtClip");
      await d.keys("x");
      figures.typing.push(await timed(d));

      await d.keys("Control+Home");  // nothing selected: all of it
      await d.run(() => document.getElementById("Text1").focus());
      await d.type("Hemligt7");
      await d.tap("#cmdKryDekry");
      await d.until(() => Boolean(document.querySelector("dialog[open]")));
      await arm(d, "click", "dlgOk", true);
      await d.tap("#dlgOk");
      figures.crypt.push(await timed(d));
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
    const ms = (figures) => `${Math.round(median(figures))} ms`;
    console.log(`${engine}: ready ${ms(ready)}, paste 1 MiB ${ms(paste)}, a key in 1 MiB to the next frame ${ms(typing)}, ` +
      `encrypt 1 MiB ${ms(crypt)}`);
  }
})().catch((error) => { console.error(error); process.exit(1); });
