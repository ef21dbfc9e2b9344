#include "palette/state_spool.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/command_failure.h"

namespace vexa {
namespace {

// A state on disk: the time in nanoseconds since the epoch, the entry count, the author's
// length, then red, green and blue of every entry and the author.
struct Header {
    std::int64_t nanoseconds;
    std::int32_t count;
    std::uint32_t authorLength;
};
constexpr std::size_t kColours = 3 * kMaxPaletteEntries;
constexpr std::size_t kBufferSize = 1 << 16;

int openUnnamed(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return fd;
    // A file system without unnamed files: a named one, unlinked at once.
    std::string name = folder + "/vexa-record-XXXXXX";
    const int named = ::mkostemp(name.data(), O_CLOEXEC);
    if (named >= 0) ::unlink(name.c_str());
    return named;
}

}  // namespace

std::string temporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    return folder && *folder ? folder : "/tmp";
}

StateSpool::StateSpool(std::string folder) : folder_(std::move(folder)) {
    fd_ = openUnnamed(folder_);
    if (fd_ < 0) fail(errno);
}

StateSpool::~StateSpool() {
    if (fd_ >= 0) ::close(fd_);
}

void StateSpool::fail(int errnum) const {
    throw CommandFailure::fromErrno(errnum, folder_);
}

void StateSpool::append(const PaletteChange& state) {
    const Header header{
        std::chrono::duration_cast<std::chrono::nanoseconds>(state.time.time_since_epoch()).count(),
        state.palette.count, static_cast<std::uint32_t>(state.author.size())};
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&header);
    pending_.insert(pending_.end(), bytes, bytes + sizeof header);
    for (const PaletteEntry& e : state.palette.entries)
        pending_.insert(pending_.end(), {e.red, e.green, e.blue});
    pending_.insert(pending_.end(), state.author.begin(), state.author.end());
    ++count_;
    if (pending_.size() >= kBufferSize) flush();
}

void StateSpool::flush() {
    std::size_t done = 0;
    while (done < pending_.size()) {
        const ssize_t n = ::write(fd_, pending_.data() + done, pending_.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail(n < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    pending_.clear();
}

void StateSpool::forEach(const std::function<void(std::size_t, const PaletteChange&)>& visit) {
    flush();
    std::vector<std::uint8_t> buffer;
    std::size_t used = 0;  // bytes of `buffer` taken
    off_t at = 0;
    // Makes `want` bytes past `used` available; false at the end of the file.
    auto fill = [&](std::size_t want) {
        buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(used));
        used = 0;
        while (buffer.size() < want) {
            const std::size_t had = buffer.size();
            buffer.resize(had + std::max(want - had, kBufferSize));
            const ssize_t n = ::pread(fd_, buffer.data() + had, buffer.size() - had, at);
            buffer.resize(had + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) fail(errno);
            if (n == 0) return false;
            at += n;
        }
        return true;
    };
    PaletteChange state;
    for (std::size_t index = 0; index < count_; ++index) {
        Header header;
        if (buffer.size() - used < sizeof header && !fill(sizeof header)) fail(EIO);
        std::memcpy(&header, buffer.data() + used, sizeof header);
        const std::size_t length = sizeof header + kColours + header.authorLength;
        if (buffer.size() - used < length && !fill(length)) fail(EIO);
        const std::uint8_t* p = buffer.data() + used + sizeof header;
        state.time = std::chrono::system_clock::time_point(
            std::chrono::duration_cast<std::chrono::system_clock::duration>(
                std::chrono::nanoseconds(header.nanoseconds)));
        state.palette.count = header.count;
        for (PaletteEntry& e : state.palette.entries) {
            e = PaletteEntry{p[0], p[1], p[2], 0};
            p += 3;
        }
        state.author.assign(reinterpret_cast<const char*>(p), header.authorLength);
        used += length;
        visit(index, state);
    }
}

}  // namespace vexa
