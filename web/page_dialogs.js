// The page's messages, and its message boxes: one button "OK", or "OK" and
// "Avbryt", or "Ja" and "Nej" (Escape counts as the second). ask resolves
// to true for the first. The
// messages it shares with the window (windowMessages) come first, written
// by the build from resources/messages.json.
const texts = {
    ...windowMessages,
    starting: "Startar …",
    noWebAssembly: "Den här webbläsaren kan inte köra Velmora: WebAssembly saknas eller är avstängt.",
    noStart: "Velmora kunde inte starta: webbläsaren har WebAssembly men kunde inte köra det (till exempel för att för lite minne tilläts). Stäng andra flikar och ladda om sidan, eller försök i en annan webbläsare.",
    noClipboardRead: "Webbläsaren lät inte sidan läsa urklippet. Klistra in med Ctrl+V (eller håll fingret i textrutan och välj Klistra in).",
    noRepairMemory: "Webbläsaren gav inte sidan minne nog för att pröva om texten har ändrats på vägen genom e-posten. Här visas det exakta resultatet; en kortare markering går att pröva.",
    noClipboardWrite: "Webbläsaren lät inte sidan skriva till urklippet. Markera texten och kopiera med Ctrl+C (eller håll fingret på texten och välj Kopiera).",
};

const $ = (id) => document.getElementById(id);
const dialog = $("dlgMessage");
const ask = (message, icon, withCancel, [first, second] = ["OK", "Avbryt"]) => new Promise((resolve) => {
    $("dlgText").textContent = message;
    $("dlgIcon").className = icon;
    $("dlgOk").textContent = first;
    $("dlgCancel").textContent = second;
    $("dlgCancel").hidden = !withCancel;
    const answer = (ok) => {
        dialog.onclose = null;
        dialog.close();
        resolve(ok);
    };
    $("dlgOk").onclick = () => answer(true);
    $("dlgCancel").onclick = () => answer(false);
    dialog.onclose = () => resolve(false);
    dialog.showModal();
    $("dlgOk").focus();
});
const tell = (message, icon) => ask(message, icon, false);
const askYesNo = (message) => ask(message, "question", true, ["Ja", "Nej"]);
// A message with its %1, %2, ... put in.
const filled = (message, ...values) => message.replace(/%(\d)/g, (_, n) => String(values[n - 1]));
