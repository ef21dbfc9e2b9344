// The readout's cost in waits for the server: a connection through a small proxy that
// counts how often the server answered with a reply after the client last spoke, which is
// how many times the client had to stop and wait. A sample on the grid and off it must
// wait at most twice (once while the installed colormap stays), and give what the separate
// reads give.
// clang-format off
#include <gtest/gtest.h>  // before any X header: Xlib defines None and Bool
// clang-format on
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "base/command_failure.h"
#include "platform/x11/x11_display.h"
#include "x11_test_support.h"

namespace vexa {
namespace {

using testing::ColormapHolder;

int connectToServer(int number) {
    const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
    for (bool abstract : {true, false}) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + (abstract ? 1 : 0), path.data(), path.size());
        const socklen_t length = offsetof(sockaddr_un, sun_path) + path.size() + (abstract ? 1 : 0);
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0) return fd;
        close(fd);
    }
    throw std::runtime_error("cannot reach the X server");
}

// Listens on a free display number (an abstract socket, which clients try first), forwards
// one client's bytes both ways to the server of $DISPLAY, and counts the server's answers.
class WaitCountingProxy {
  public:
    WaitCountingProxy() {
        listener_ = socket(AF_UNIX, SOCK_STREAM, 0);
        for (number_ = 600 + getpid() % 200; number_ < 1000; ++number_) {
            const std::string path = "/tmp/.X11-unix/X" + std::to_string(number_);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::memcpy(address.sun_path + 1, path.data(), path.size());
            if (bind(listener_, reinterpret_cast<sockaddr*>(&address),
                     offsetof(sockaddr_un, sun_path) + 1 + path.size()) == 0)
                break;
        }
        if (number_ >= 1000 || listen(listener_, 1) != 0)
            throw std::runtime_error("no free display number");
        const char* display = std::getenv("DISPLAY");
        upstream_ = connectToServer(std::atoi(display + 1));
        thread_ = std::thread([this] { run(); });
    }
    ~WaitCountingProxy() {
        stop_ = true;
        thread_.join();
        for (int fd : {listener_, client_, upstream_})
            if (fd >= 0) close(fd);
    }

    std::string displayName() const { return ":" + std::to_string(number_); }
    int waits() const { return waits_; }
    void reset() { waits_ = 0; }

  private:
    void run() {
        while (!stop_) {
            std::vector<pollfd> fds{{client_ < 0 ? listener_ : client_, POLLIN, 0},
                                    {upstream_, POLLIN, 0}};
            if (poll(fds.data(), fds.size(), 20) <= 0) continue;
            if (client_ < 0) {
                if (fds[0].revents) client_ = accept(listener_, nullptr, nullptr);
                continue;
            }
            char buffer[65536];
            if (fds[0].revents) {
                const ssize_t n = read(client_, buffer, sizeof buffer);
                if (n <= 0) return;
                clientSpoke_ = true;
                if (write(upstream_, buffer, n) != n) return;
            }
            if (fds[1].revents) {
                const ssize_t n = read(upstream_, buffer, sizeof buffer);
                if (n <= 0) return;
                if (scanServerBytes(buffer, n) && clientSpoke_) {
                    ++waits_;
                    clientSpoke_ = false;
                }
                if (write(client_, buffer, n) != n) return;
            }
        }
    }

    // True when the bytes complete or begin a reply. The first answer is the connection
    // setup; then events and errors take 32 bytes and replies 32 plus their length.
    bool scanServerBytes(const char* data, ssize_t size) {
        bool reply = false;
        pending_.insert(pending_.end(), data, data + size);
        for (;;) {
            std::size_t length = 0;
            if (!setupDone_) {
                if (pending_.size() < 8) break;
                std::uint16_t extra = 0;
                std::memcpy(&extra, pending_.data() + 6, 2);
                length = 8 + 4 * std::size_t{extra};
            } else {
                if (pending_.size() < 32) break;
                const auto type = static_cast<unsigned char>(pending_[0]) & 0x7F;
                std::uint32_t extra = 0;
                std::memcpy(&extra, pending_.data() + 4, 4);
                length = 32 + (type == 1 || type == 35 ? 4 * std::size_t{extra} : 0);
                if (type == 1) reply = true;
            }
            if (pending_.size() < length) break;
            pending_.erase(pending_.begin(), pending_.begin() + length);
            setupDone_ = true;
        }
        return reply;
    }

    int listener_ = -1, client_ = -1, upstream_ = -1;
    int number_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> waits_{0};
    bool clientSpoke_ = true;
    bool setupDone_ = false;
    std::vector<char> pending_;
};

class CountedConnection {
  public:
    explicit CountedConnection(const WaitCountingProxy& proxy)
        : display_(XOpenDisplay(proxy.displayName().c_str())) {
        if (!display_) throw std::runtime_error("cannot open the counted connection");
    }
    ~CountedConnection() { XCloseDisplay(display_); }
    operator ::Display*() const { return display_; }

  private:
    ::Display* display_;
};

TEST(ReadoutRoundTripsTest, ASampleOnTheGridAndOffItWaitsForTheServerAtMostTwice) {
    // A window of pixel 77 under a colormap whose entries all differ from their neighbours.
    std::vector<std::string> arguments{"--fill", "77", "--geometry", "40x30+200+100"};
    for (int i = 0; i < 256; ++i) {
        char colour[24];
        std::snprintf(colour, sizeof colour, "%d=%02X%02X%02X", i, i, 255 - i, (i * 7) & 0xFF);
        arguments.insert(arguments.end(), {"--color", colour});
    }
    ColormapHolder holder(arguments);
    WaitCountingProxy proxy;
    CountedConnection connection(proxy);
    X11Display display(connection);
    XSync(connection, False);

    proxy.reset();
    const DisplayDevice::ScreenSample onGrid = display.sampleScreen(220, 110, false);
    EXPECT_GE(proxy.waits(), 1);
    EXPECT_LE(proxy.waits(), 2);
    EXPECT_EQ(onGrid.colour, makeColorRef(77, 255 - 77, (77 * 7) & 0xFF));
    EXPECT_EQ(onGrid.palette.count, 0);

    proxy.reset();
    const DisplayDevice::ScreenSample offGrid = display.sampleScreen(220, 110, true);
    EXPECT_GE(proxy.waits(), 1);
    EXPECT_LE(proxy.waits(), 2);
    EXPECT_EQ(offGrid.colour, onGrid.colour);
    SystemPaletteSnapshot separate{};
    separate.count = display.readSystemPaletteEntries(0, 256, separate.entries.data());
    ASSERT_EQ(offGrid.palette.count, separate.count);
    EXPECT_EQ(offGrid.palette.entries, separate.entries);

    // With the colormap installed last time still installed, one exchange answers.
    proxy.reset();
    EXPECT_EQ(display.sampleScreen(220, 110, true).colour, onGrid.colour);
    EXPECT_EQ(proxy.waits(), 1);

    // Another colormap installed meanwhile: the guess is refuted, the colour is the new one.
    ColormapHolder other({"--color", "77=0A0B0C", "--geometry", "20x20+400+100"});
    XSync(connection, False);
    proxy.reset();
    EXPECT_EQ(display.sampleScreen(220, 110, false).colour, 0x0C0B0Au);
    EXPECT_LE(proxy.waits(), 2);

    // The count is real: the pixel read on its own, behind an error trap, waits more.
    proxy.reset();
    EXPECT_EQ(display.screenPixel(220, 110), 0x0C0B0Au);
    EXPECT_GT(proxy.waits(), 2);
}

TEST(ReadoutRoundTripsTest, APointOffTheScreenFailsWithoutWaitingMore) {
    WaitCountingProxy proxy;
    CountedConnection connection(proxy);
    X11Display display(connection);
    XSync(connection, False);
    proxy.reset();
    EXPECT_THROW(display.sampleScreen(5000, 5000, true), CommandFailure);
    EXPECT_LE(proxy.waits(), 1);
    // The connection is still good afterwards, and the error did not reach Xlib's handler.
    EXPECT_NO_THROW(display.sampleScreen(0, 0, false));
}

}  // namespace
}  // namespace vexa
