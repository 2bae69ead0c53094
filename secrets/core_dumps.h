#pragma once

namespace velmora {

// Keeps the process's memory, password and text included, out of core dumps
// and out of reach of other processes of the same user (ptrace, /proc/PID/mem).
// Best effort: a system that refuses leaves the program working as before.
void forbidCoreDumps() noexcept;

}  // namespace velmora
