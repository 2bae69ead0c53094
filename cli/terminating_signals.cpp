#include "cli/terminating_signals.h"

#include "cli/signal_handlers.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <optional>

namespace velmora::cli {

namespace {

bool endsTheProgram(int signal) {
    switch (signal) {
    case SIGKILL:
    case SIGSTOP:
    case SIGTSTP:
    case SIGTTIN:
    case SIGTTOU:
    case SIGCONT:
    case SIGCHLD:
    case SIGURG:
    case SIGWINCH: return false;
    default: return true;
    }
}

volatile int gGuardedDirectory = -1;
const char* volatile gGuardedName = nullptr;
std::optional<SignalHandlersUnlessIgnored> gGuard;

extern "C" void removeNameAndDie(int signal) {
    if (const char* name = gGuardedName) ::unlinkat(gGuardedDirectory, name, 0);
    ::signal(signal, SIG_DFL);
    ::raise(signal);  // held until this handler returns, then the default action
}

}  // namespace

sigset_t terminatingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int s = 1; s < NSIG; ++s) {
        if (endsTheProgram(s)) sigaddset(&set, s);  // fails harmlessly for the C library's own
    }
    return set;
}

TerminatingSignalsHeld::TerminatingSignalsHeld() {
    const sigset_t held = terminatingSignals();
    ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

TerminatingSignalsHeld::~TerminatingSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

void guardName(int directory, const char* name) {
    gGuardedDirectory = directory;
    gGuardedName = name;
    const sigset_t terminating = terminatingSignals();
    gGuard.emplace(terminating, removeNameAndDie, terminating);
}

void releaseName() {
    if (gGuardedName == nullptr) return;
    gGuard.reset();
    gGuardedName = nullptr;
}

}  // namespace velmora::cli
