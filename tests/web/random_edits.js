"use strict";
// A seeded run of random edits on the page against a model of what a user
// expects of the exact text: each edit replaces the selection (a CR LF is one
// character to Backspace and Delete), typing in one place is one undo step,
// undo brings back the text and selection before a step, redo those after
// it, and a lone CR meeting a lone LF makes one line end, the caret before it.
const assert = require("node:assert/strict");

const pieces = ["a", "b", "å", "Ö", "€", " ", "\r", "\n", "\r\n"];
const shownLength = (exact) => exact.replace(/\r\n/g, "\n").length;

class Model {
  constructor(text) {
    Object.assign(this, { text, from: 0, to: 0, back: [], ahead: [], typedTo: -1 });
  }
  state() { return { text: this.text, from: this.from, to: this.to }; }
  replace(inserted, { from = this.from, to = this.to, typing = false } = {}) {
    if (!(typing && from === to && from === this.typedTo)) this.back.push({ before: this.state() });
    this.ahead = [];
    this.text = this.text.slice(0, from) + inserted + this.text.slice(to);
    let caret = from + inserted.length;
    if (this.text[caret - 1] === "\r" && this.text[caret] === "\n") --caret;
    this.from = this.to = caret;
    this.typedTo = typing ? caret : -1;
    this.back.at(-1).after = this.state();
  }
  erase(forward) {
    if (this.from !== this.to) return this.replace("");
    const { text, from } = this;
    const width = (forward ? text.startsWith("\r\n", from) : text.endsWith("\r\n", from)) ? 2 : 1;
    if (forward ? from < text.length : from > 0) this.replace("", forward ? { to: from + width } : { from: from - width });
  }
  undo() {
    if (!this.back.length) return;
    this.ahead.push(this.back.pop());
    Object.assign(this, this.ahead.at(-1).before, { typedTo: -1 });
  }
  redo() {
    if (!this.ahead.length) return;
    this.back.push(this.ahead.pop());
    Object.assign(this, this.back.at(-1).after, { typedTo: -1 });
  }
}

// mulberry32: the same steps for the same seed in every engine.
const generator = (seed) => () => {
  seed = (seed + 0x6d2b79f5) | 0;
  let t = Math.imul(seed ^ (seed >>> 15), 1 | seed);
  t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
  return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
};

async function randomEdits(d, { seed, steps, pasteAll, copyAll, select, drop }) {
  const random = generator(seed);
  const pick = (list) => list[Math.floor(random() * list.length)];
  const someText = (lineEnds) => Array.from({ length: 1 + Math.floor(random() * 4) },
    () => pick(lineEnds ? pieces : pieces.slice(0, 6))).join("");
  // A place in the text that is not inside a CR LF.
  const place = (text) => {
    const at = Math.floor(random() * (text.length + 1));
    return text[at - 1] === "\r" && text[at] === "\n" ? at - 1 : at;
  };
  // The paste that starts the run is its first step; what came before is left
  // alone, and undo pressed only while the run has a step to take back.
  const model = new Model(await copyAll());
  Object.assign(model, { from: 0, to: model.text.length });
  const start = "ab\r\ncd\ref\ngh";
  await pasteAll(start);
  model.replace(start);
  let clipboard = "";
  const actions = {
    select: async () => {
      const [a, b] = [place(model.text), place(model.text)].sort((x, y) => x - y);
      Object.assign(model, { from: a, to: b });
      await select(shownLength(model.text.slice(0, a)), shownLength(model.text.slice(0, b)));
    },
    type: async () => { const text = someText(false); await d.type(text); model.replace(text, { typing: true }); },
    enter: async () => { await d.keys("Enter"); model.replace("\r\n"); },
    backspace: async () => { await d.keys("Backspace"); model.erase(false); },
    delete: async () => { await d.keys("Delete"); model.erase(true); },
    cut: async () => {
      if (model.from === model.to) return;
      clipboard = model.text.slice(model.from, model.to);
      assert.equal(await d.clipboard.cut(), clipboard);
      model.replace("");
    },
    paste: async () => {
      const text = random() < 0.5 && clipboard ? clipboard : someText(true);
      await d.clipboard.paste(text);
      model.replace(text);
    },
    drop: async () => { const text = someText(true); await drop(text); model.replace(text, { to: model.from }); },
    undo: async () => {
      if (!model.back.length) return;
      await d.keys("Control+z");
      model.undo();
    },
    redo: async () => { await d.keys(pick(["Control+y", "Control+Shift+z"])); model.redo(); },
  };
  const weights = { select: 4, type: 4, enter: 2, backspace: 3, delete: 2, cut: 1, paste: 2, drop: 1, undo: 2, redo: 1 };
  const deck = Object.entries(weights).flatMap(([name, weight]) => Array(weight).fill(name));
  const done = [];
  for (let step = 0; step < steps; ++step) {
    const name = pick(deck);
    await actions[name]();
    done.push(name);
    // Looking changes the selection: put it back where the model has it.
    const seen = await copyAll();
    await select(shownLength(model.text.slice(0, model.from)), shownLength(model.text.slice(0, model.to)));
    assert.equal(seen, model.text, `seed ${seed}, step ${step}: ${done.slice(-8).join(", ")}`);
  }
}

module.exports = { randomEdits };
