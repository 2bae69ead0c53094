#include "app.h"
#include "core_dumps.h"

#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    velmora::forbidCoreDumps();
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return velmora::cli::runVelmoraCrypt(args);
}
