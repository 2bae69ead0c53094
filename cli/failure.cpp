#include "cli/failure.h"

#include <cerrno>
#include <cstring>

namespace velmora::cli {

std::string describeErrno(int errorNumber) {
    switch (errorNumber) {
    case ENOENT: return "filen eller katalogen finns inte";
    case EACCES:
    case EPERM: return "åtkomst nekad";
    case EISDIR: return "är en katalog";
    case ENOTDIR: return "en del av sökvägen är inte en katalog";
    case ENOSPC: return "det finns inget utrymme kvar på enheten";
    case EDQUOT: return "diskkvoten är överskriden";
    case EROFS: return "filsystemet är skrivskyddat";
    case EBADF: return "fildeskriptorn är inte öppen";
    case EIO: return "in- eller utmatningsfel";
    case EPIPE: return "mottagaren har stängt";
    case EFBIG: return "filen blir för stor";
    case ENAMETOOLONG: return "namnet är för långt";
    case ELOOP: return "för många symboliska länkar";
    case EMFILE:
    case ENFILE: return "för många öppna filer";
    case ENXIO: return "enheten finns inte";
    case EBUSY: return "resursen är upptagen";
    case EXDEV: return "filen ligger på ett annat filsystem";
    default: return "systemfel " + std::to_string(errorNumber) + " (" + std::strerror(errorNumber) + ")";
    }
}

Failure ioFailure(const std::string& what, int errorNumber) {
    return {ExitStatus::IoFailure, what + ": " + describeErrno(errorNumber) + "."};
}

}  // namespace velmora::cli
