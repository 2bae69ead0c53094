"use strict";
// Opens velmora.html in one of the three browser engines Debian ships and
// drives it the same way in each: scripts run in the page, keys pressed and
// taps made as a user makes them. Chromium and Firefox ESR run headless under
// puppeteer-core (Firefox through WebDriver BiDi); WebKitGTK's MiniBrowser
// runs under WebKitWebDriver and selenium-webdriver on a private X server
// with a window manager, without which its window is never mapped and
// requestAnimationFrame never fires. Used by the page tests and web_bench.js.
const { spawn } = require("node:child_process");
const fs = require("node:fs");
const net = require("node:net");
const os = require("node:os");
const path = require("node:path");

const engines = ["chromium", "firefox", "webkit"];
const miniBrowser = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser";
const phone = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
const desktop = { width: 1024, height: 768 };

// Everything started here ends with the process, however it ends.
const children = new Set(), folders = new Set();
const cleanUp = () => {
  for (const child of children) child.kill("SIGKILL");
  for (const folder of folders) fs.rmSync(folder, { recursive: true, force: true });
};
process.on("exit", cleanUp);
for (const signal of ["SIGINT", "SIGTERM", "SIGHUP"]) process.on(signal, () => process.exit(128 + os.constants.signals[signal]));

const start = (program, args, options) => {
  const child = spawn(program, args, { stdio: "ignore", ...options });
  children.add(child);
  child.on("exit", () => children.delete(child));
  return child;
};
const stop = (child) => { child.kill("SIGTERM"); children.delete(child); };

const withTimeout = (promise, what, ms = 20000) => Promise.race([promise,
  new Promise((_, reject) => setTimeout(() => reject(new Error(`${what}: no answer in ${ms} ms`)), ms).unref())]);

// A private X server (it picks its display itself) with openbox on it.
async function xSession() {
  const runtime = fs.mkdtempSync(path.join(os.tmpdir(), "velmora-web-"));
  folders.add(runtime);
  fs.chmodSync(runtime, 0o700);
  const xvfb = start("Xvfb", ["-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
    { stdio: ["ignore", "ignore", "ignore", "pipe"] });
  const display = await withTimeout(new Promise((resolve, reject) => {
    let seen = "";
    xvfb.stdio[3].on("data", (chunk) => { seen += chunk; if (seen.includes("\n")) resolve(":" + seen.trim()); });
    xvfb.on("exit", () => reject(new Error("Xvfb ended before it gave a display")));
  }), "Xvfb");
  const env = { ...process.env, DISPLAY: display, XDG_RUNTIME_DIR: runtime, HOME: runtime };
  delete env.WAYLAND_DISPLAY;
  const wm = start("openbox", ["--sm-disable"], { env });
  return { env, end: () => { stop(wm); stop(xvfb); fs.rmSync(runtime, { recursive: true, force: true }); folders.delete(runtime); } };
}

const freePort = () => new Promise((resolve) => {
  const server = net.createServer().listen(0, "127.0.0.1", () => {
    const { port } = server.address();
    server.close(() => resolve(port));
  });
});

// puppeteer's key names, as selenium's Key constants.
const seleniumKey = (Key, name) => ({ Control: Key.CONTROL, Shift: Key.SHIFT, Enter: Key.ENTER, Backspace: Key.BACK_SPACE,
  Delete: Key.DELETE, Escape: Key.ESCAPE, Tab: Key.TAB, ArrowLeft: Key.ARROW_LEFT, ArrowRight: Key.ARROW_RIGHT,
  ArrowUp: Key.ARROW_UP, ArrowDown: Key.ARROW_DOWN,
  Home: Key.HOME, End: Key.END })[name] ?? name;

// Ctrl+V, Ctrl+C and Ctrl+X on the text box as the page sees them:
// paste(text); copy() and cut() give the text put on the clipboard;
// load(text) puts a text where pasteLoaded() then pastes it from, so that a
// timed paste does not carry the text from here to the browser.
// Chromium and WebKit hand a script-built DataTransfer to the page's
// handlers; Firefox hands them an empty one, so there the real clipboard
// and real keys carry the text.
const scriptedClipboard = (session) => {
  const dispatch = (type, text) => session.run((type, text) => {
    const data = new DataTransfer();
    if (type === "paste") data.setData("text/plain", text ?? window.loadedClipboard);
    const box = document.getElementById("txtClip");
    box.focus();
    box.dispatchEvent(new ClipboardEvent(type, { clipboardData: data, bubbles: true, cancelable: true }));
    return type === "paste" ? null : data.getData("text/plain");  // a megabyte pasted is not carried back
  }, type, text);
  return {
    paste: (text) => dispatch("paste", text), copy: () => dispatch("copy", null), cut: () => dispatch("cut", null),
    load: (text) => session.run((text) => { window.loadedClipboard = text; }, text), pasteLoaded: () => dispatch("paste", null),
  };
};
const realClipboard = (session) => {
  const viaKey = async (key) => {
    await session.run(() => navigator.clipboard.writeText(""));
    await session.run(() => document.getElementById("txtClip").focus());
    await session.keys(`Control+${key}`);
    return session.run(() => navigator.clipboard.readText());
  };
  const load = (text) => session.run((text) => navigator.clipboard.writeText(text), text);
  const pasteLoaded = async () => {
    await session.run(() => document.getElementById("txtClip").focus());
    await session.keys("Control+v");
  };
  return {
    load, pasteLoaded,
    paste: (text) => load(text).then(pasteLoaded),
    copy: () => viaKey("c"),
    cut: () => viaKey("x"),
  };
};

async function openPuppeteer(engine, url, size) {
  const puppeteer = require("puppeteer-core");
  const browser = await puppeteer.launch(engine === "chromium"
    ? { executablePath: "/usr/bin/chromium", args: ["--no-sandbox", "--disable-gpu"], defaultViewport: size }
    : { browser: "firefox", executablePath: "/usr/bin/firefox-esr", defaultViewport: size,
        // Lets the page read and write the clipboard without a prompt, as a user's click would.
        extraPrefsFirefox: { "dom.events.testing.asyncClipboard": true, "dom.events.asyncClipboard.readText": true } });
  if (engine === "chromium") {
    await browser.defaultBrowserContext().overridePermissions("file://", ["clipboard-read", "clipboard-write", "clipboard-sanitized-write"]);
  }
  const page = (await browser.pages())[0] ?? await browser.newPage();
  const problems = [], requests = [];
  page.on("console", (message) => { if (message.type() === "error") problems.push(message.text().slice(0, 200)); });
  page.on("pageerror", (error) => problems.push(error.message));
  page.on("request", (request) => requests.push(request.url()));
  await page.goto(url);
  const driver = {
    page, problems, requests,
    run: (fn, ...args) => page.evaluate(fn, ...args),
    inject: (source) => page.evaluate(source),
    goto: (address) => page.goto(address),
    keys: async (chord) => {
      const names = chord.split("+");
      for (const name of names.slice(0, -1)) await page.keyboard.down(name);
      await page.keyboard.press(names.at(-1));
      for (const name of names.slice(0, -1).reverse()) await page.keyboard.up(name);
    },
    type: (text) => page.keyboard.type(text),
    tap: (selector) => (page.viewport()?.hasTouch ? page.tap(selector) : page.click(selector)),
    resize: (asPhone) => page.setViewport(asPhone ? phone : desktop),
    close: () => browser.close(),
    // An input method's composition (Chromium only): each text shown in turn, the last one committed.
    compose: async (texts) => {
      const session = await page.createCDPSession();
      for (const text of texts) await session.send("Input.imeSetComposition", { text, selectionStart: text.length, selectionEnd: text.length });
      await session.send("Input.insertText", { text: texts.at(-1) });
      await session.detach();
    },
  };
  driver.clipboard = engine === "firefox" ? realClipboard(driver) : scriptedClipboard(driver);
  return driver;
}

async function openWebKit(url, size) {
  const { Builder, Capabilities, Key } = require("selenium-webdriver");
  const x = await xSession();
  const port = await freePort();
  const driverProcess = start("WebKitWebDriver", [`--port=${port}`], { env: x.env });
  let driver;
  try {
    driver = await withTimeout((async () => {
      for (;;) {
        try {
          return await new Builder().usingServer(`http://127.0.0.1:${port}`).withCapabilities(new Capabilities({
            browserName: "MiniBrowser", "webkitgtk:browserOptions": { binary: miniBrowser, args: ["--automation"] } })).build();
        } catch (error) {
          if (!/ECONNREFUSED/.test(String(error))) throw error;
          await new Promise((resolve) => setTimeout(resolve, 100));
        }
      }
    })(), "WebKitWebDriver");
    await driver.manage().window().setRect({ width: size.width, height: size.height });
    await driver.get(url);
  } catch (error) {
    stop(driverProcess);
    x.end();
    throw error;
  }
  const actions = () => driver.actions({ async: true });
  const session = {
    driver, problems: [], requests: [], display: x.env.DISPLAY,
    // The function's text with its arguments; a promise it returns is awaited.
    run: (fn, ...args) => driver.executeScript(`return (${fn}).apply(null, arguments)`, ...args),
    inject: (source) => driver.executeScript(source),
    goto: (address) => driver.get(address),
    keys: async (chord) => {
      const names = chord.split("+").map((name) => seleniumKey(Key, name));
      let steps = actions();
      for (const name of names.slice(0, -1)) steps = steps.keyDown(name);
      steps = steps.sendKeys(names.at(-1));
      for (const name of names.slice(0, -1).reverse()) steps = steps.keyUp(name);
      await steps.perform();
    },
    type: (text) => actions().sendKeys(text).perform(),
    tap: async (selector) => actions().click(await driver.findElement({ css: selector })).perform(),
    resize: (asPhone) => driver.manage().window().setRect(asPhone ? phone : desktop),
    close: async () => {
      try { await driver.quit(); } finally { stop(driverProcess); x.end(); }
    },
  };
  session.clipboard = scriptedClipboard(session);
  return session;
}

// open(engine, url, { asPhone }): the page loaded, not yet necessarily
// ready; until(fn, ...args) waits for fn to hold in the page, ready() for the core.
const open = async (engine, url, { asPhone = false } = {}) => {
  const size = asPhone ? phone : desktop;
  const session = await (engine === "webkit" ? openWebKit(url, size) : openPuppeteer(engine, url, size));
  session.until = async (fn, ...args) => { while (!await session.run(fn, ...args)) await new Promise((resolve) => setTimeout(resolve, 10)); };
  session.ready = () => session.until(() => document.documentElement.dataset.state === "ready");
  return session;
};

module.exports = { engines, open, phone };
