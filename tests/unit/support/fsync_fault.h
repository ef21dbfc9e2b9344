// A disk that reports a failure only when the written bytes are flushed (EIO, or the
// ENOSPC a network file system may report late): a test binary built with fsync_fault.cpp
// has every fsync it makes pass through here.
#pragma once

namespace vexa::testing {

// The next fsync fails with `errnum` instead of flushing.
void failNextFsync(int errnum);

}  // namespace vexa::testing
