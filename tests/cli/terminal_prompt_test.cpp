// The password asked for on the terminal: nothing typed is shown, and the
// terminal is as it was however the question ends (the answer, Ctrl+C,
// SIGTERM); after Ctrl+Z the question is asked again.
#include "tests/cli/cli_folder.h"

#include <poll.h>
#include <pty.h>
#include <termios.h>

#include <cstring>

namespace {

// Reads what the program writes to the terminal until `wanted` has come a
// `times`th time, for at most 10 s.
bool awaitOutput(int terminal, std::string& seen, const std::string& wanted, int times = 1) {
    const auto count = [&] {
        int n = 0;
        for (auto at = seen.find(wanted); at != std::string::npos; at = seen.find(wanted, at + 1)) ++n;
        return n;
    };
    for (int waited = 0; count() < times && waited < 10000; waited += 50) {
        pollfd fd{terminal, POLLIN, 0};
        char buffer[256];
        if (::poll(&fd, 1, 50) == 1) {
            const ssize_t n = ::read(terminal, buffer, sizeof buffer);
            if (n > 0) seen.append(buffer, static_cast<std::size_t>(n));
        }
    }
    return count() >= times;
}

bool echoes(int terminal) {
    termios settings{};
    return ::tcgetattr(terminal, &settings) == 0 && (settings.c_lflag & ECHO) != 0;
}

}  // namespace

TEST_F(CliFolder, PasswordAskedOnTheTerminalIsNeverShownAndLeavesTheTerminalAsItWas) {
    write("in.txt", "Hej d\xc3\xa5!\r\n");
    const struct {
        const char* ending;
        int signal;
    } ways[] = {{"Hemligt7\r", 0}, {"\x03", SIGINT}, {"", SIGTERM}, {"\x1a", 0}};
    for (const auto& way : ways) {
        int terminal = -1;
        const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
        if (pid == 0) {
            ::execl(VELMORA_CRYPT_PATH, "velmora-crypt", path("in.txt").c_str(), nullptr);
            ::_exit(127);
        }
        ASSERT_GT(pid, 0);
        std::string seen;
        ASSERT_TRUE(awaitOutput(terminal, seen, "Lösenord: ")) << seen;
        EXPECT_FALSE(echoes(terminal)) << way.signal;
        ASSERT_EQ(::write(terminal, "hemlis", 6), 6);
        if (way.signal == SIGTERM)
            ::kill(pid, SIGTERM);
        else
            ASSERT_EQ(::write(terminal, way.ending, std::strlen(way.ending)),
                      static_cast<ssize_t>(std::strlen(way.ending)));
        if (way.ending[0] == '\x1a') {  // asked again, then answered
            ASSERT_TRUE(awaitOutput(terminal, seen, "Lösenord: ", 2)) << seen;
            EXPECT_FALSE(echoes(terminal));
            ASSERT_EQ(::write(terminal, "\x15Hemligt7\r", 10), 10);  // Ctrl+U drops what was typed before
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        awaitOutput(terminal, seen, "\x01", 1);  // drain what is left
        if (way.signal != 0) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == way.signal) << status;
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << seen;
            EXPECT_NE(seen.find("Lösenord: \r\nB',\xc3\x8e\x17:\xc2\xa5{\xc3\xae"), std::string::npos)
                << seen;  // the unechoed answer's line ended, then Hemligt7's known answer
        }
        EXPECT_TRUE(echoes(terminal)) << way.signal;
        EXPECT_EQ(seen.find("hemlis"), std::string::npos) << seen;
        ::close(terminal);
    }
}
