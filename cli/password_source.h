#pragma once

#include "cli/failure.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velmora::cli {

// A password line longer than this is refused: it cannot be meant.
inline constexpr std::size_t kMaxPasswordLineBytes = 64 * 1024;

// The first line on a descriptor, without its line end (\n, \r\n, or \r at
// the end of the input), read a byte at a time so that nothing after the line
// is consumed: the rest of the descriptor can still be the text. source names
// the origin in messages.
std::variant<std::string, Failure> readFirstLine(int fd, std::string_view source);

// The password the cipher takes from a UTF-8 line: a byte-order mark skipped,
// blanks around it removed, every character a Windows-1252 code other than 0.
std::variant<std::vector<std::uint8_t>, Failure> passwordCodes(std::string_view utf8Line, std::string_view source);

// Asks on the controlling terminal with echo off and restores the terminal
// afterwards, also when a signal ends the program while it waits.
std::variant<std::string, Failure> readPasswordFromTerminal(std::string_view prompt);

// Overwrites a password's bytes before the memory is given back.
void wipe(std::string& secret);
void wipe(std::vector<std::uint8_t>& secret);

}  // namespace velmora::cli
