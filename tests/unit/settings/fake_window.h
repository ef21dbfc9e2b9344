// Window operations for tests: a window with a given state that records what is done to it.
#pragma once

#include <string>
#include <vector>

#include "platform/window_ops.h"

namespace vexa::test {

class FakeWindow : public WindowOps {
  public:
    bool alive = true;
    bool minimised = false;
    bool asLeft = true;
    Rect rect{10, 20, 310, 220};
    Rect desktop{0, 0, 1024, 768};

    struct Placement {
        Rect r;
        bool topmost;
        unsigned flags;
    };
    std::vector<Placement> placements;
    // "place", "minimise", "foreground" in the order they happened.
    std::vector<std::string> actions;

    bool isWindow() const override { return alive; }
    bool isMinimised() const override { return minimised; }
    std::optional<Rect> rectAsLeft() const override {
        return asLeft ? std::optional<Rect>(rect) : std::nullopt;
    }
    Rect windowRect() const override { return rect; }
    Rect desktopRect() const override { return desktop; }
    void setPosition(const Rect& r, bool topmost, unsigned flags) override {
        placements.push_back({r, topmost, flags});
        actions.push_back("place");
    }
    void showMinimised() override { actions.push_back("minimise"); }
    void bringToForeground() override { actions.push_back("foreground"); }
};

}  // namespace vexa::test
