#pragma once

#include <span>
#include <string_view>

namespace velmora::cli {

// The whole program: the arguments after its name in, the exit status out.
// Messages go to standard error, the result to the output the arguments name.
int runVelmoraCrypt(std::span<const std::string_view> args);

}  // namespace velmora::cli
