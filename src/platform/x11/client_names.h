// The programs behind X clients, named by the resource base their requests carry: the
// X-Resource extension gives a local client's process id, /proc its command name. A client
// is looked up while it is connected and remembered, so that its end can still be named.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <unordered_map>

namespace vexa {

class ClientNames {
  public:
    // Asks on `connection`, which outlives this object, and looks up every client there is.
    explicit ClientNames(Display* connection);

    // Looks up the client of `base` when it is not known yet (it has just connected).
    void see(std::uint32_t base);
    // "name[pid]", "[pid]" when the name cannot be read, or the base as 0x%08x.
    std::string name(std::uint32_t base);
    // The client of `base` has gone; its base may come back for another client.
    void forget(std::uint32_t base) { names_.erase(base); }

  private:
    // Queries the process ids of the client of `base`, or of every client for 0.
    void query(std::uint32_t base);

    Display* connection_;
    bool extension_ = false;
    std::unordered_map<std::uint32_t, std::string> names_;
};

// The name a process of `pid` goes by ("name[pid]"), or "[pid]" without /proc.
std::string processName(long pid);

}  // namespace vexa
