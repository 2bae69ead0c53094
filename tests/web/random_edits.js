"use strict";
// A seeded run of random edits on the page against a model of what a user
// expects of the exact text: each edit replaces the selection (a CR LF is one
// character to Backspace and Delete), typing in one place is one undo step,
// undo brings back the text and selection before a step, redo those after
// it, and a lone CR meeting a lone LF makes one line end, the caret before it.
const assert = require("node:assert/strict");

const pieces = ["a", "å", "Ö", "€", "😀", " ", "\r", "\n", "\r\n"];
const shown = (exact) => exact.replace(/\r\n?/g, "\n");
// A CR LF and a surrogate pair are each one character to the user.
const wide = /^(\r\n|[\ud800-\udbff][\udc00-\udfff])$/;
const inPair = (text, at) => at > 0 && wide.test(text.slice(at - 1, at + 1));

function model(text) {
  const m = { text, from: 0, to: text.length, back: [], ahead: [], typedTo: -1 };
  const state = () => ({ text: m.text, from: m.from, to: m.to });
  m.replace = (inserted, { from = m.from, to = m.to, typing = false } = {}) => {
    if (!(typing && from === to && from === m.typedTo)) m.back.push({ before: state() });
    m.ahead = [];
    m.text = m.text.slice(0, from) + inserted + m.text.slice(to);
    const caret = from + inserted.length;
    m.from = m.to = inPair(m.text, caret) ? caret - 1 : caret;
    m.typedTo = typing ? m.from : -1;
    m.back.at(-1).after = state();
  };
  m.erase = (forward) => {
    const { text, from, to } = m;
    const width = wide.test(forward ? text.slice(from, from + 2) : text.slice(Math.max(0, from - 2), from)) ? 2 : 1;
    if (from !== to) m.replace("");
    else if (forward ? from < text.length : from > 0) m.replace("", forward ? { to: from + width } : { from: from - width });
  };
  m.travel = (back) => {
    const [source, target] = back ? [m.back, m.ahead] : [m.ahead, m.back];
    if (!source.length) return false;
    target.push(source.pop());
    return Object.assign(m, target.at(-1)[back ? "before" : "after"], { typedTo: -1 });
  };
  return m;
}

// perform runs one step as the edit cases write it; select places the
// selection. With lines given the run starts from that many random lines,
// which span several of the box's chunks, and half the selections begin
// where a chunk does: Backspace there joins two chunks, Delete before it
// takes the line end that closes one.
async function randomEdits(d, { seed, steps, lines = 0, pasteAll, copyAll, select, perform }) {
  const random = () => (seed = (Math.imul(seed, 1664525) + 1013904223) >>> 0) / 2 ** 32;
  const pick = (list) => list[Math.floor(random() * list.length)];
  const someText = (lineEnds) => Array.from({ length: 1 + Math.floor(random() * 4) }, () => pick(pieces.slice(0, lineEnds ? 9 : 6))).join("");
  // A place in the text that is not inside a CR LF.
  const place = (text, at = Math.floor(random() * (text.length + 1))) => (inPair(text, at) ? at - 1 : at);
  const selectAsModel = (m) => select(shown(m.text.slice(0, m.from)).length, shown(m.text.slice(0, m.to)).length);
  const exactAt = (text, view) => { let at = 0; while (view-- > 0) at += text.startsWith("\r\n", at) ? 2 : 1; return at; };
  const chunkStarts = () => d.run(() => [...document.getElementById("txtClip").children].map((chunk) => chunk.textContent.length)
    .reduce((starts, length) => [...starts, starts.at(-1) + length], [0]).slice(1, -1));
  const start = lines ? Array.from({ length: lines }, () => someText(false).repeat(1 + Math.floor(random() * 24)) + pick(["\r\n", "\r", "\n"])).join("")
    : "ab\r\ncd\ref\ngh";
  // The paste that starts the run is its first step, and undo is pressed only
  // while the run has a step to take back (the page keeps older ones).
  const m = model(await copyAll());
  await pasteAll(start);
  m.replace(start);
  if (lines) m.back.length = 0;  // the long text stays: undo never takes it back
  let clipboard = "";
  const actions = {
    select: async () => {
      // In the long text, around a chunk's start or any place, up to 100 characters long.
      const near = (at) => place(m.text, Math.min(m.text.length, Math.max(0, at + Math.floor(random() * 201) - 100)));
      const anchor = lines && random() < 0.5 ? exactAt(m.text, pick(await chunkStarts())) : place(m.text);
      [m.from, m.to] = [anchor, !lines ? place(m.text) : random() < 0.4 ? anchor : near(anchor)].sort((x, y) => x - y);
      return selectAsModel(m);
    },
    type: () => { const text = someText(false); m.replace(text, { typing: true }); return perform(`type:${text}`); },
    enter: () => { m.replace("\r\n"); return perform("Enter"); },
    backspace: () => { m.erase(false); return perform("Backspace"); },
    delete: () => { m.erase(true); return perform("Delete"); },
    cut: async () => {
      if (m.from === m.to) return;
      clipboard = m.text.slice(m.from, m.to);
      m.replace("");
      assert.equal(await perform("cut"), clipboard);
    },
    paste: () => { const text = random() < 0.5 && clipboard ? clipboard : someText(true); m.replace(text); return perform(`paste:${text}`); },
    drop: () => { const text = someText(true); m.replace(text, { to: m.from }); return perform(`drop:${text}`); },
    undo: () => m.travel(true) && perform("Control+z"),
    redo: () => { m.travel(false); return perform(pick(["Control+y", "Control+Shift+z"])); },
  };
  const deck = Object.entries({ select: 4, type: 4, enter: 2, backspace: 3, delete: 2, cut: 1, paste: 2, drop: 1, undo: 2, redo: 1 })
    .flatMap(([name, weight]) => Array(weight).fill(name));
  const done = [];
  for (let step = 0; step < steps; ++step) {
    done.push(pick(deck));
    await actions[done.at(-1)]();
    // The box shows the text, each line end as one line break, and a line break only where the text has
    // one: each of its blocks but the last ends in one.
    const [view, loose] = await d.run(() => { const blocks = [...document.getElementById("txtClip").children];
      return [blocks.map((block) => block.textContent).join(""), blocks.slice(0, -1).filter((block) => !block.textContent.endsWith("\n")).length]; });
    const seen = await copyAll();
    assert.deepEqual({ seen, view, loose }, { seen: m.text, view: shown(m.text), loose: 0 }, `step ${step}: ${done.slice(-8).join(", ")}`);
    await selectAsModel(m);  // looking selected all: the selection goes back where the model has it
  }
}

module.exports = { randomEdits };
