#pragma once

#include <csignal>

namespace velmora::cli {

// Puts `handler` on each of `signals` that the program does not ignore (a
// signal the caller was told to ignore stays ignored), and the previous
// actions back on restore() or destruction. While the handler runs, `held`
// is blocked.
class SignalHandlersUnlessIgnored {
public:
    SignalHandlersUnlessIgnored(const sigset_t& signals, void (*handler)(int), const sigset_t& held);
    ~SignalHandlersUnlessIgnored() { restore(); }
    SignalHandlersUnlessIgnored(const SignalHandlersUnlessIgnored&) = delete;
    SignalHandlersUnlessIgnored& operator=(const SignalHandlersUnlessIgnored&) = delete;

    void restore();

private:
    sigset_t installed_;
    struct sigaction previous_[NSIG];
};

}  // namespace velmora::cli
