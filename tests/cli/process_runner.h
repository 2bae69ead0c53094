#pragma once

#include <string>
#include <utility>
#include <vector>

namespace velmora::testing {

// How to start the program under test: no shell, arguments as given.
struct ProcessSetup {
    std::vector<std::string> args{};                          // after the program path
    std::string standardInput{};                              // fed through a pipe
    std::vector<std::pair<int, std::string>> extraInputs{};   // child descriptor -> bytes fed through a pipe
    int standardOutputFd = -1;         // child's stdout goes here instead of being captured
    bool withoutTerminal = false;      // new session: no controlling terminal
    std::string controllingTerminal{}; // path of a terminal to make the child's own
};

struct ProcessResult {
    int exitStatus = -1;   // -1 when a signal ended it
    std::string standardOutput;
    std::string standardError;
};

// A started child whose pipes are still open.
struct Process {
    int pid = -1;
    int stdinFd = -1;
    int stdoutFd = -1;
    int stderrFd = -1;
    std::string pendingInput;
};

Process startProcess(const std::string& program, const ProcessSetup& setup);

// Feeds the remaining input, collects both outputs and waits for the end.
ProcessResult finishProcess(Process& process);

inline ProcessResult runProcess(const std::string& program, const ProcessSetup& setup) {
    Process process = startProcess(program, setup);
    return finishProcess(process);
}

} // namespace velmora::testing
