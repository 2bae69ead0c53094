#pragma once

#include "cli/unique_fd.h"

#include <optional>
#include <string>
#include <variant>

namespace velmora::cli {

// The object a -o path names, found with one lookup of each name: symbolic
// links are followed one at a time, each relative to a descriptor of the
// directory it was found in, and the last name is opened, so that no later
// step depends on a name that could have been swapped meanwhile.
struct OutputPath {
    UniqueFd directory;                // the directory holding the last name (O_PATH)
    std::string name;                  // the last name, not a symbolic link when it was opened
    std::string shownDirectory;        // that directory in the user's words and the links' texts
    UniqueFd file;                     // the existing object, opened for writing; -1: nothing there
    std::optional<int> ownDescriptor;  // the path names this descriptor of the program's
};

// Or an errno: EACCES for a link someone else planted in a sticky directory
// everyone may write (the kernel's protected_symlinks rule), ELOOP past 40 links.
std::variant<OutputPath, int> resolveOutputPath(const std::string& path);

}  // namespace velmora::cli
