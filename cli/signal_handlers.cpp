#include "cli/signal_handlers.h"

namespace velmora::cli {

SignalHandlersUnlessIgnored::SignalHandlersUnlessIgnored(const sigset_t& signals, void (*handler)(int),
                                                         const sigset_t& held)
    : previous_{} {
    sigemptyset(&installed_);
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_mask = held;
    for (int s = 1; s < NSIG; ++s) {
        if (sigismember(&signals, s) != 1 || ::sigaction(s, nullptr, &previous_[s]) != 0) continue;
        if (previous_[s].sa_handler == SIG_IGN) continue;
        if (::sigaction(s, &action, nullptr) == 0) sigaddset(&installed_, s);
    }
}

void SignalHandlersUnlessIgnored::restore() {
    for (int s = 1; s < NSIG; ++s) {
        if (sigismember(&installed_, s) == 1) ::sigaction(s, &previous_[s], nullptr);
    }
    sigemptyset(&installed_);
}

}  // namespace velmora::cli
