#include "cli/app.h"
#include "secrets/core_dumps.h"

#include <csignal>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    velmora::forbidCoreDumps();
    // Past a file size limit, a write then fails with EFBIG, which is
    // reported and cleaned up like any other failed write.
    ::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return velmora::cli::runVelmoraCrypt(args);
}
