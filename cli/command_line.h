#pragma once

#include "cli/failure.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace velmora::cli {

struct Arguments {
    enum class Action { Crypt, Help, Version };
    enum class PasswordFrom { Terminal, File, Descriptor };

    Action action = Action::Crypt;
    PasswordFrom passwordFrom = PasswordFrom::Terminal;
    std::string passwordFile;
    int passwordFd = -1;
    bool raw = false;
    bool repair = false;                // read the whole text and undo what a mail path did to it
    std::optional<std::string> input;   // nothing: standard input
    std::optional<std::string> output;  // nothing: standard output

    friend bool operator==(const Arguments&, const Arguments&) = default;
};

// The arguments after the program name. --help and --version win over
// whatever else is given; otherwise the first mistake is reported.
std::variant<Arguments, Failure> parseArguments(std::span<const std::string_view> args);

// The Swedish usage text for --help.
std::string usageText();

// "velmora-crypt <version>"
std::string versionText();

}  // namespace velmora::cli
