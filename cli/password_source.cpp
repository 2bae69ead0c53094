#include "cli/password_source.h"

#include "cipher/blanks.h"
#include "cipher/cp1252.h"
#include "cipher/text_cipher.h"
#include "cli/signal_handlers.h"
#include "cli/utf8.h"
#include "secrets/wipe.h"
#include "secrets/wiping_allocator.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace velmora::cli {

namespace {

// Reads to the first \n, or the end.
struct LineRead {
    std::string line;
    int error = 0;
    bool tooLong = false;

    LineRead() = default;
    LineRead(LineRead&&) = default;
    ~LineRead() { wipe(line); }  // also what a refused or failed read got
};

// waitMask: when given, the caller has blocked the signals it watches, and
// each wait lets them in atomically (ppoll), so that a signal arriving just
// before a read cannot leave the read waiting; the wait then ends with EINTR.
LineRead readLine(int fd, const sigset_t* waitMask = nullptr) {
    LineRead result;
    // Room for the longest line at once: growing would leave copies behind,
    // and a string this long is never kept inside the object, so moving it
    // leaves none either.
    result.line.reserve(kMaxPasswordLineBytes);
    for (;;) {
        if (waitMask != nullptr) {
            pollfd ready{fd, POLLIN, 0};
            if (::ppoll(&ready, 1, nullptr, waitMask) < 0) {
                result.error = errno;
                break;
            }
        }
        char c;
        const ssize_t n = ::read(fd, &c, 1);
        if (n == 0) {  // a lone CR is a line end too when nothing follows it
            if (!result.line.empty() && result.line.back() == '\r') result.line.pop_back();
            break;
        }
        if (n < 0) {
            if (errno == EINTR && waitMask == nullptr) continue;
            result.error = errno;
            break;
        }
        if (c == '\n') {
            if (!result.line.empty() && result.line.back() == '\r') result.line.pop_back();
            break;
        }
        if (result.line.size() == kMaxPasswordLineBytes) {
            result.tooLong = true;
            break;
        }
        result.line += c;
    }
    return result;
}

struct Utf16Collector {
    SecretVector<char16_t> text;
    bool ascii(const std::uint8_t* bytes, std::size_t n) {
        text.insert(text.end(), bytes, bytes + n);
        return true;
    }
    bool codePoint(char32_t ch) {
        if (ch < 0x10000) {
            text.push_back(static_cast<char16_t>(ch));
        } else {
            text.push_back(static_cast<char16_t>(0xD800 + ((ch - 0x10000) >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + ((ch - 0x10000) & 0x3FF)));
        }
        return true;
    }
};

std::string tooLongMessage(std::string_view source) {
    return "Lösenordsraden från " + std::string(source) + " är längre än " + std::to_string(kMaxPasswordLineBytes) +
           " byte.";
}

}  // namespace

std::variant<std::string, Failure> readFirstLine(int fd, std::string_view source) {
    LineRead read = readLine(fd);
    // Write-only, O_PATH or ioctl-only (access mode 3): read() refuses it. A
    // descriptor given by number was found open before anything ran.
    if (read.error == EBADF) {
        return badInput("Lösenordet kan inte läsas från " + std::string(source) + ": den är inte öppen för läsning.");
    }
    if (read.error != 0) return ioFailure("Kan inte läsa lösenordet från " + std::string(source), read.error);
    if (read.tooLong) return badInput(tooLongMessage(source));
    return std::move(read.line);
}

std::variant<std::vector<std::uint8_t>, Failure> passwordCodes(std::string_view utf8Line, std::string_view source) {
    utf8::Decoder decoder(true);
    Utf16Collector collector;
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(utf8Line.data()), utf8Line.size());
    if (decoder.feed(bytes, collector) != utf8::Decoder::Status::Ok || decoder.finish() != utf8::Decoder::Status::Ok) {
        return badInput("Lösenordet från " + std::string(source) +
                        " är inte giltig UTF-8: " + std::string(utf8::faultText(decoder.error().fault)) + " vid byte " +
                        std::to_string(decoder.error().offset) + " (räknat från 0).");
    }
    const std::u16string_view password = trimBlanks({collector.text.data(), collector.text.size()});
    if (const auto error = checkCipherInput(u"", password)) {
        if (error->kind == CipherError::Kind::EmptyPassword) return badInput(error->message());
        // The position only: standard error is often logged, and the character is part of the secret.
        const auto column = error->column + static_cast<std::size_t>(password.data() - collector.text.data());
        return badInput("Lösenordet från " + std::string(source) + " har i kolumn " + std::to_string(column) +
                        " ett tecken som inte kan användas: nolltecknet eller ett tecken utanför Windows-1252.");
    }

    std::vector<std::uint8_t> codes;
    codes.reserve(password.size());
    for (const char16_t ch : password) codes.push_back(*cp1252::fromUnicode(ch));
    return codes;
}

namespace {

// Signals that would end or stop the program while the terminal is quiet.
constexpr std::array<int, 7> kWatchedSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP, SIGTTIN, SIGTTOU};
volatile sig_atomic_t gSignalSeen[NSIG];

extern "C" void noteSignal(int signal) { gSignalSeen[signal] = 1; }

}  // namespace

std::variant<std::string, Failure> readPasswordFromTerminal(std::string_view prompt) {
    const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) {
        return badInput(
            "Det finns ingen terminal att fråga efter lösenordet på. "
            "Ange lösenordet med --password-file FIL eller --password-fd N.");
    }
    for (;;) {
        for (const int s : kWatchedSignals) gSignalSeen[s] = 0;
        sigset_t watched, unblocked;
        sigemptyset(&watched);
        for (const int s : kWatchedSignals) sigaddset(&watched, s);
        ::sigprocmask(SIG_BLOCK, &watched, &unblocked);

        sigset_t none;
        sigemptyset(&none);
        SignalHandlersUnlessIgnored noting(watched, noteSignal, none);

        termios saved{};
        const bool isTerminal = ::tcgetattr(tty, &saved) == 0;
        if (isTerminal) {
            termios quiet = saved;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
            quiet.c_lflag |= ICANON;
            ::tcsetattr(tty, TCSAFLUSH, &quiet);
        }
        [[maybe_unused]] ssize_t ignored = ::write(tty, prompt.data(), prompt.size());
        LineRead read = readLine(tty, &unblocked);
        if (isTerminal) {
            ::tcsetattr(tty, TCSAFLUSH, &saved);
            ignored = ::write(tty, "\n", 1);
        }
        noting.restore();
        ::sigprocmask(SIG_SETMASK, &unblocked, nullptr);

        // Now that the terminal is as it was, let each signal have its usual effect.
        bool stopped = false;
        for (const int s : kWatchedSignals) {
            if (gSignalSeen[s] == 0) continue;
            ::kill(::getpid(), s);
            if (s == SIGTSTP || s == SIGTTIN || s == SIGTTOU) stopped = true;
        }
        if (stopped) {  // continued after a stop: ask again
            wipe(read.line);
            continue;
        }
        ::close(tty);
        if (read.error != 0) return ioFailure("Kan inte läsa lösenordet från terminalen", read.error);
        if (read.tooLong) return badInput(tooLongMessage("terminalen"));
        return std::move(read.line);
    }
}

void wipe(std::string& secret) {
    wipeBytes(secret.data(), secret.size());
    secret.clear();
}

void wipe(std::vector<std::uint8_t>& secret) {
    wipeBytes(secret.data(), secret.size());
    secret.clear();
}

}  // namespace velmora::cli
