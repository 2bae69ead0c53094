"use strict";
// velmora.html in each engine: the file's size, the time from opening to
// ready, to paste a mail text of 1 MiB until laid out, to encrypt all of it
// (from the warning's OK to the result laid out), from a key typed into
// that megabyte to the next frame, and to decrypt a damaged enciphered text
// (a 10 KB mail wrapped at 20 places, and the megabyte with the line ends an
// SMTP path makes) from the warning's OK to the question on the repaired
// reading shown. Prints the median of the runs given (default 5) per engine,
// and the most characters of each text a repair got wrong.
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

// About 10 KB of a mail's sentences, CR LF line ends; an enciphered text as
// an editor that wraps long lines sends it, at 20 places spread over it: a
// line end in place of a blank, or at every other place added; and as an
// SMTP path delivers it, every lone CR and lone LF made CR LF.
const sentences = ["Hej Åsa!", "Tack för ditt brev, jag har läst det nu.", "Mötet på fredag är flyttat till kl. 14, rum 3.",
  "Ta med 20 € till fikat och glöm inte nycklarna till stugan.", "Ring mig på 070-123 45 67 om något är oklart.",
  "Kostnaden blev 1 250 kr inklusive moms, och räkningen kommer i nästa vecka.", "", "Vänliga hälsningar", "Per", ""];
let letter = "";
for (let i = 0; letter.length < 10000; i += 7) letter += sentences[i % sentences.length] + "\r\n";
const wrapped = (cipher, places = 20) => {
  const clear = (at) => !/[\r\n]/.test(cipher.slice(at - 1, at + 2));
  const blanks = [...cipher.matchAll(/ /g)].map(({ index }) => index).filter(clear);
  const spots = Array.from({ length: places }, (_, k) => {
    if (k % 2 === 0) return { at: blanks[Math.floor((k + 0.5) * blanks.length / places)], blank: true };
    let at = Math.floor((k + 0.5) * cipher.length / places);
    while (!clear(at)) ++at;
    return { at, blank: false };
  });
  return spots.sort((x, y) => y.at - x.at).reduce((text, { at, blank }) => text.slice(0, at) + "\r\n" + text.slice(blank ? at + 1 : at), cipher);
};
const smtp = (cipher) => cipher.replace(/\r\n|\r|\n/g, "\r\n");

// Times in the page, from the next event of the type given on the element
// given to the frame after the page's answer (for the encryption, the frame
// after the result is reported; for the repair, after the question is
// shown); the time is left in window.timed.
const arm = (d, type, id, until = "shown") => d.run((type, id, until) => {
  window.timed = undefined;
  document.getElementById(id).addEventListener(type, () => {
    const start = performance.now();
    const asked = () => document.getElementById("dlgOk").textContent === "Ja" && document.getElementById("dlgMessage").open;
    const done = () => until === "shown" || (until === "result" ? document.getElementById("Label4").textContent.includes("Klar")
      : asked() || document.documentElement.dataset.state === "ready");
    const check = () => requestAnimationFrame(() => setTimeout(() => {
      if (done()) window.timed = performance.now() - start; else check();
    }));
    check();
  }, { once: true, capture: true });
}, type, id, until);
const timed = async (d) => { await d.until(() => window.timed !== undefined); return d.run(() => window.timed); };

// The text enciphered by the page, damaged, pasted and decrypted: the time
// to the question (NaN where none came), answered Ja, and the characters of
// the text the repaired one has wrong.
async function repairTimed(d, text, damage) {
  const selectAll = () => d.run(() => document.getElementById("txtClip").focus()).then(() => d.keys("Control+a"));
  const answerWarning = async (until) => {
    await d.tap("#cmdKryDekry");
    await d.until(() => document.getElementById("dlgMessage").open);
    if (until) await arm(d, "click", "dlgOk", until);
    await d.tap("#dlgOk");
  };
  await selectAll();
  await d.clipboard.load(text);
  await d.clipboard.pasteLoaded();
  await answerWarning();
  await d.ready();
  await selectAll();
  await d.clipboard.load(damage(await d.clipboard.copy()));
  await d.clipboard.pasteLoaded();
  await answerWarning("question");
  const ms = await timed(d);
  if (!await d.run(() => document.getElementById("dlgMessage").open)) return { ms: NaN, wrong: text.length };
  await d.tap("#dlgOk");
  await d.ready();
  await selectAll();
  const repaired = await d.clipboard.copy();
  return { ms, wrong: [...text].filter((c, k) => repaired[k] !== c).length + Math.max(0, repaired.length - text.length) };
}

async function measure(engine) {
  const figures = { ready: [], paste: [], typing: [], crypt: [], repair10k: [], repair1M: [], wrong: {} };
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
      await arm(d, "click", "dlgOk", "result");
      await d.tap("#dlgOk");
      figures.crypt.push(await timed(d));

      for (const [name, text, damage] of [["repair10k", letter, wrapped], ["repair1M", mail, smtp]]) {
        const { ms, wrong } = await repairTimed(d, text, damage);
        figures[name].push(ms);
        figures.wrong[name] = Math.max(figures.wrong[name] ?? 0, wrong);
      }
    } finally {
      await d.close();
    }
  }
  return figures;
}

(async () => {
  console.log(`velmora.html: ${fs.statSync(file).size} bytes`);
  for (const engine of chosen.length ? chosen : engines) {
    const { ready, paste, typing, crypt, repair10k, repair1M, wrong } = await measure(engine);
    const ms = (figures) => `${Math.round(median(figures))} ms`;
    console.log(`${engine}: ready ${ms(ready)}, paste 1 MiB ${ms(paste)}, a key in 1 MiB to the next frame ${ms(typing)}, ` +
      `encrypt 1 MiB ${ms(crypt)}, to the question: 10 KB wrapped at 20 places ${ms(repair10k)}, ` +
      `1 MiB through SMTP ${ms(repair1M)} (characters repaired wrong, at most: ${wrong.repair10k} and ${wrong.repair1M})`);
  }
})().catch((error) => { console.error(error); process.exit(1); });
