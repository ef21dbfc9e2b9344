#include "support/fsync_fault.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

std::atomic<int> pendingError{0};

}  // namespace

void vexa::testing::failNextFsync(int errnum) {
    pendingError = errnum;
}

// Defined in the test binary, so it stands before the C library's for every caller linked in.
extern "C" int fsync(int fd) {
    if (const int error = pendingError.exchange(0)) {
        errno = error;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}
