// The states of a recording kept on disk while it runs, so that its memory stays the same
// however long it goes: 768 bytes of colours and a few more a state, in a file without a
// name in the temporary folder, which goes when it is closed, however the program ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "palette/palette_change.h"

namespace vexa {

// $TMPDIR when it is set and not empty, else /tmp.
std::string temporaryFolder();

class StateSpool {
  public:
    // Opens the spool in `folder`; a CommandFailure naming the folder when it cannot.
    explicit StateSpool(std::string folder);
    ~StateSpool();
    StateSpool(const StateSpool&) = delete;
    StateSpool& operator=(const StateSpool&) = delete;

    // Keeps `state` (its colours, the author and the time; not the entries' flags). A full
    // disk or another write error is a CommandFailure naming the folder.
    void append(const PaletteChange& state);
    std::size_t size() const { return count_; }

    // Calls `visit` with every state kept, in order, with its index.
    void forEach(const std::function<void(std::size_t, const PaletteChange&)>& visit);

  private:
    void flush();
    [[noreturn]] void fail(int errnum) const;

    std::string folder_;
    int fd_ = -1;
    std::size_t count_ = 0;
    std::vector<std::uint8_t> pending_;  // not yet written
};

}  // namespace vexa
