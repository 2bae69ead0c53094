#include "cli/terminating_signals.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace velmora::cli {

namespace {

bool endsTheProgram(int signal) {
    switch (signal) {
    case SIGKILL: case SIGSTOP: case SIGTSTP: case SIGTTIN: case SIGTTOU:
    case SIGCONT: case SIGCHLD: case SIGURG: case SIGWINCH: return false;
    default: return true;
    }
}

volatile int gGuardedDirectory = -1;
const char* volatile gGuardedName = nullptr;
struct sigaction gPreviousActions[NSIG];

extern "C" void removeNameAndDie(int signal) {
    if (const char* name = gGuardedName) ::unlinkat(gGuardedDirectory, name, 0);
    ::signal(signal, SIG_DFL);
    ::raise(signal);   // held until this handler returns, then the default action
}

} // namespace

sigset_t terminatingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int s = 1; s < NSIG; ++s) {
        if (endsTheProgram(s)) sigaddset(&set, s);   // fails harmlessly for the C library's own
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
    struct sigaction action {};
    action.sa_handler = removeNameAndDie;
    action.sa_mask = terminatingSignals();
    for (int s = 1; s < NSIG; ++s) {
        if (!endsTheProgram(s) || ::sigaction(s, nullptr, &gPreviousActions[s]) != 0) continue;
        if (gPreviousActions[s].sa_handler != SIG_IGN) ::sigaction(s, &action, nullptr);
    }
}

void releaseName() {
    if (gGuardedName == nullptr) return;
    for (int s = 1; s < NSIG; ++s) {
        if (endsTheProgram(s) && gPreviousActions[s].sa_handler != SIG_IGN) ::sigaction(s, &gPreviousActions[s], nullptr);
    }
    gGuardedName = nullptr;
}

} // namespace velmora::cli
