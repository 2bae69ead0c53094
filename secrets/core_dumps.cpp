#include "secrets/core_dumps.h"

#include <sys/prctl.h>
#include <sys/resource.h>

namespace velmora {

void forbidCoreDumps() noexcept {
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
}

}  // namespace velmora
