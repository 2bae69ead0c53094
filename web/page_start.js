// Start-up: an empty box, and the core loaded; the button works once it is.
showView("");
status.textContent = texts.starting;
if (typeof WebAssembly !== "object") {
    status.textContent = texts.noWebAssembly;
} else {
    loadCore().then((module) => {
        core = module;
        status.textContent = "";
        button.disabled = false;
        document.documentElement.dataset.state = "ready";
    }, () => {
        status.textContent = texts.noStart;
    });
}
