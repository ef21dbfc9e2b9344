// A window's command table: command ids (single or a range) mapped to member functions, and
// the dispatch that runs a handler so that a CommandFailure it raises is shown once, at the
// action, and counts as handled. Adding a command to a window is one line in its table.
// Every window runs its handlers through runReportingFailures.
#pragma once

#include <functional>
#include <new>
#include <span>
#include <system_error>

#include "base/command_failure.h"
#include "ui/message_box.h"

namespace vexa {

template <class Target>
struct CommandEntry {
    using Plain = void (Target::*)();
    using Ranged = void (Target::*)(int id);

    constexpr CommandEntry(int id, Plain handler) : first(id), last(id), plain(handler) {}
    constexpr CommandEntry(int firstId, int lastId, Ranged handler)
        : first(firstId), last(lastId), ranged(handler) {}

    int first;
    int last;
    Plain plain = nullptr;
    Ranged ranged = nullptr;
};

// Runs the handler that `table` lists for `id` on `target`; false when it lists none.
template <class Target>
bool dispatchCommand(std::span<const CommandEntry<Target>> table, Target& target, int id) {
    for (const CommandEntry<Target>& entry : table) {
        if (id < entry.first || id > entry.last) continue;
        if (entry.plain)
            (target.*entry.plain)();
        else
            (target.*entry.ranged)(id);
        return true;
    }
    return false;
}

// Runs `work`; a CommandFailure it raises is shown (through `show`, showFailure unless a
// test listens) unless it is silent, what the C++ library reports about the system is
// shown as the file error it stands for, and running out of memory is shown as the
// OutOfMemory failure. No failure escapes, only a fault of the program; false when a
// failure ended the work.
inline bool runReportingFailures(
    const std::function<void()>& work,
    const std::function<void(const CommandFailure&)>& show = showFailure) {
    try {
        work();
        return true;
    } catch (const CommandFailure& failure) {
        if (failure.shown()) show(failure);
    } catch (const std::system_error& error) {
        show(CommandFailure::fromSystemError(error));
    } catch (const std::bad_alloc&) {
        show(CommandFailure::outOfMemory());
    }
    return false;
}

}  // namespace vexa
