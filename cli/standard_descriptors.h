#pragma once

#include "cli/failure.h"

#include <optional>

namespace velmora::cli {

// A --password-fd number that is not open is refused before the program
// opens anything, which could otherwise get that number and be read as the
// password.
std::optional<Failure> checkPasswordDescriptor(int fd);

// Puts /dev/null on a closed 0, 1 or 2, so that no file the program opens
// gets those numbers and is taken for the text, the result or the place for
// messages. Opened the wrong way round (standard input for writing, standard
// output for reading), so that using them still fails as a closed descriptor
// would, with EBADF.
void occupyClosedStandardDescriptors();

}  // namespace velmora::cli
