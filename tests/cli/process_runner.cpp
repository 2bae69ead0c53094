#include "process_runner.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace velmora::testing {

namespace {

struct Pipe {
    int read = -1;
    int write = -1;
};

Pipe makePipe() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
    return {fds[0], fds[1]};
}

[[noreturn]] void childFail() { ::_exit(127); }

} // namespace

Process startProcess(const std::string& program, const ProcessSetup& setup) {
    const Pipe in = makePipe(), out = makePipe(), err = makePipe();
    std::vector<std::pair<int, int>> mapping;   // child target fd <- parent fd
    mapping.emplace_back(STDIN_FILENO, in.read);
    mapping.emplace_back(STDOUT_FILENO, setup.standardOutputFd >= 0 ? setup.standardOutputFd : out.write);
    mapping.emplace_back(STDERR_FILENO, err.write);
    std::vector<Pipe> extras;
    for (const auto& [target, data] : setup.extraInputs) {
        const Pipe p = makePipe();
        if (::write(p.write, data.data(), data.size()) != static_cast<ssize_t>(data.size())) {
            throw std::runtime_error("extra input too large for a pipe");
        }
        ::close(p.write);
        extras.push_back(p);
        mapping.emplace_back(target, p.read);
    }

    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), setup.args.begin(), setup.args.end());
    std::vector<char*> argv;
    for (auto& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (setup.withoutTerminal || !setup.controllingTerminal.empty()) {
            if (::setsid() < 0) childFail();
        }
        if (!setup.controllingTerminal.empty()) {
            // Opening a terminal as session leader makes it the controlling one.
            const int tty = ::open(setup.controllingTerminal.c_str(), O_RDWR);
            if (tty < 0) childFail();
            ::close(tty);
        }
        // Sources first go above every target, so that no dup2 overwrites a
        // source still to be placed; dup2 then clears close-on-exec.
        for (auto& [target, source] : mapping) {
            source = ::fcntl(source, F_DUPFD_CLOEXEC, 100);
            if (source < 0) childFail();
        }
        for (const auto& [target, source] : mapping) {
            if (::dup2(source, target) < 0) childFail();
        }
        ::signal(SIGPIPE, SIG_DFL);
        ::execv(program.c_str(), argv.data());
        childFail();
    }

    ::close(in.read);
    ::close(out.write);
    ::close(err.write);
    for (const Pipe& p : extras) ::close(p.read);
    if (setup.standardOutputFd >= 0) {
        ::close(out.read);
        return {pid, in.write, -1, err.read, setup.standardInput};
    }
    return {pid, in.write, out.read, err.read, setup.standardInput};
}

ProcessResult finishProcess(Process& process) {
    ProcessResult result;
    std::size_t written = 0;
    if (process.pendingInput.empty()) {
        ::close(process.stdinFd);
        process.stdinFd = -1;
    } else {
        ::fcntl(process.stdinFd, F_SETFL, O_NONBLOCK);
    }
    ::signal(SIGPIPE, SIG_IGN);   // the child may stop reading early
    while (process.stdinFd >= 0 || process.stdoutFd >= 0 || process.stderrFd >= 0) {
        std::vector<pollfd> fds;
        if (process.stdinFd >= 0) fds.push_back({process.stdinFd, POLLOUT, 0});
        if (process.stdoutFd >= 0) fds.push_back({process.stdoutFd, POLLIN, 0});
        if (process.stderrFd >= 0) fds.push_back({process.stderrFd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 10000) <= 0) {
            ::kill(process.pid, SIGKILL);
            ::waitpid(process.pid, nullptr, 0);
            throw std::runtime_error("child hangs");
        }
        for (const pollfd& p : fds) {
            if (p.revents == 0) continue;
            if (p.fd == process.stdinFd) {
                const ssize_t n = ::write(p.fd, process.pendingInput.data() + written, process.pendingInput.size() - written);
                if (n > 0) written += static_cast<std::size_t>(n);
                if (n < 0 || written == process.pendingInput.size()) {
                    ::close(p.fd);
                    process.stdinFd = -1;
                }
                continue;
            }
            char buffer[65536];
            const ssize_t n = ::read(p.fd, buffer, sizeof buffer);
            std::string& target = p.fd == process.stdoutFd ? result.standardOutput : result.standardError;
            if (n > 0) {
                target.append(buffer, static_cast<std::size_t>(n));
            } else {
                ::close(p.fd);
                (p.fd == process.stdoutFd ? process.stdoutFd : process.stderrFd) = -1;
            }
        }
    }
    int status = 0;
    while (::waitpid(process.pid, &status, 0) < 0 && errno == EINTR) {}
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace velmora::testing
