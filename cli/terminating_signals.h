#pragma once

#include <csignal>

namespace velmora::cli {

// Every signal whose default action ends the program, SIGKILL aside (it
// cannot be caught or held).
sigset_t terminatingSignals();

// Holds the terminating signals back for its lifetime, so that a step and
// what must follow it (creating a name and guarding it, linking a file in and
// renaming it) are not parted by a signal. A held signal acts on release.
class TerminatingSignalsHeld {
public:
    TerminatingSignalsHeld();
    ~TerminatingSignalsHeld();
    TerminatingSignalsHeld(const TerminatingSignalsHeld&) = delete;
    TerminatingSignalsHeld& operator=(const TerminatingSignalsHeld&) = delete;

private:
    sigset_t previous_;
};

// Until releaseName(), a terminating signal first removes the file `name` in
// the directory `directory` (a descriptor), then ends the program as it would
// have. A signal the program ignores stays ignored. One name at a time; name
// must outlive the guard.
void guardName(int directory, const char* name);
void releaseName();

}  // namespace velmora::cli
