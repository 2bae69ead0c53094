#pragma once
// velmora's command line, answered before Qt is started: --help and
// --version need no display, and an argument the window would silently
// ignore is refused, since the window opens no files.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velmora {

struct StartAnswer {
    int status = 0;
    std::string out;  // for standard output
    std::string err;  // for standard error
};

// The arguments after the program name. Nothing when the window is to
// start: no arguments, or only Qt's documented standard options (which Qt
// reads itself). Otherwise the answer to print before exiting.
std::optional<StartAnswer> answerStartArguments(std::span<const std::string_view> args);

// Prints the answer and gives the exit status, or nothing when the window
// is to start.
std::optional<int> answerWithoutWindow(int argc, char** argv);

}  // namespace velmora
