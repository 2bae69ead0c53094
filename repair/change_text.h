#pragma once

#include "repair/repair.h"

#include <string>

namespace velmora::repair {

// What a change did, as a Swedish phrase (UTF-8) for the user: "radslut
// som stod för ett ensamt CR".
std::string describe(ChangeKind kind);

}  // namespace velmora::repair
