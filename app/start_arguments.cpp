#include "app/start_arguments.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#ifndef VELMORA_VERSION_TEXT
#error "VELMORA_VERSION_TEXT must come from the build"
#endif

namespace velmora {

namespace {

// Qt's documented options of QGuiApplication and QApplication, without the
// leading dash; Qt takes them with one dash or two.
constexpr std::array<std::string_view, 12> kQtOptionsWithValue = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "style",         "stylesheet"};
constexpr std::array<std::string_view, 2> kQtOptionsWithAttachedValue = {"style=", "stylesheet="};
constexpr std::array<std::string_view, 2> kQtFlags = {"reverse", "widgetcount"};

bool among(std::string_view name, std::span<const std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool startsWithAny(std::string_view name, std::span<const std::string_view> prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(), [&](std::string_view p) { return name.starts_with(p); });
}

StartAnswer refusal(const std::string& what) {
    return {2, {}, "velmora: " + what + "\nvelmora: Se 'velmora --help'.\n"};
}

std::string helpText() {
    return R"(Användning: velmora [FLAGGOR]

Öppnar fönstret där en e-posttext krypteras och dekrypteras med ett
lösenord som avsändare och mottagare delar. Samma knapp gör båda.

Flaggor:
  -h, --help     visa den här hjälpen och avsluta
      --version  visa versionen och avsluta

Dessutom tar programmet Qt:s vanliga flaggor, till exempel
-platform NAMN, -display SKÄRM, -style STIL och -reverse. Andra argument
avvisas med status 2: fönstret öppnar inga filer.

Samma sak på kommandoraden gör velmora-crypt; se velmora-crypt --help.
)";
}

}  // namespace

std::optional<StartAnswer> answerStartArguments(std::span<const std::string_view> args) {
    std::optional<StartAnswer> mistake;  // --help and --version win over it
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") return StartAnswer{0, helpText(), {}};
        if (arg == "--version") return StartAnswer{0, std::string("velmora ") + VELMORA_VERSION_TEXT + "\n", {}};
        const std::size_t dashes = arg.starts_with("--") ? 2 : arg.starts_with('-') ? 1 : 0;
        const std::string_view name = arg.substr(dashes);
        std::string fault;
        if (dashes == 0 || name.empty()) {
            fault = "Okänt argument '" + std::string(arg) + "'.";
        } else if (among(name, kQtOptionsWithValue)) {
            if (i + 1 == args.size()) fault = "Flaggan " + std::string(arg) + " kräver ett värde.";
            ++i;  // the value is Qt's, whatever it looks like
        } else if (!among(name, kQtFlags) && !startsWithAny(name, kQtOptionsWithAttachedValue)) {
            fault = "Okänt argument '" + std::string(arg) + "'.";
        }
        if (!fault.empty() && !mistake) mistake = refusal(fault);
    }
    return mistake;
}

std::optional<int> answerWithoutWindow(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + std::min(argc, 1), argv + argc);
    const std::optional<StartAnswer> answer = answerStartArguments(args);
    if (!answer) return std::nullopt;
    std::fputs(answer->out.c_str(), stdout);
    std::fputs(answer->err.c_str(), stderr);
    return std::fflush(stdout) == 0 ? answer->status : 1;
}

}  // namespace velmora
