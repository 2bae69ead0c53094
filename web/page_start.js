// Start-up: an empty box, and the core loaded; the button works once it is.
// A core whose call failed (it aborts when the browser will not let its
// memory grow) is dropped and loaded anew.
const startCore = () => loadCore().then((module) => {
    core = module;
    if (status.textContent === texts.starting) status.textContent = "";
    button.disabled = false;
    document.documentElement.dataset.state = "ready";
}, () => {
    status.textContent = texts.noStart;
});
const restartCore = () => {
    core = null;
    button.disabled = true;
    delete document.documentElement.dataset.state;
    startCore();
};
showView("");
status.textContent = texts.starting;
if (typeof WebAssembly !== "object") {
    status.textContent = texts.noWebAssembly;
} else {
    startCore();
}
