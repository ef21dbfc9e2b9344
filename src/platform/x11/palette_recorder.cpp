#include "platform/x11/palette_recorder.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>
#include <xcb/record.h>
#include <xcb/xcbext.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

#include "base/command_failure.h"
#include "base/console.h"
#include "base/recorded_requests.h"
#include "platform/x11/client_names.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x_error_trap.h"

namespace vexa {
namespace {

// Another client can free the installed colormap between the listing and the query.
constexpr int kAttempts = 3;

std::uint32_t resourceBase(Display* connection) {
    return xcb_get_setup(XGetXCBConnection(connection))->resource_id_base;
}

std::uint8_t eightBits(unsigned short channel) {
    return static_cast<std::uint8_t>(channel >> 8);
}

class RecordedPaletteEvents : public PaletteEvents {
  public:
    // `reader` carries our own reads, which the context records too: a connection of its
    // own, so that a QueryColors from it is one of ours and no other. `data` receives the
    // recording; XCB hands out each of the many replies its one request gets as it comes.
    RecordedPaletteEvents(Display* control, Display* reader, xcb_connection_t* data,
                          XRecordContext context)
        : control_(control),
          reader_(reader),
          data_(data),
          context_(context),
          ownBase_(resourceBase(reader)),
          clientBits_(~xcb_get_setup(XGetXCBConnection(reader))->resource_id_mask),
          names_(reader) {}

    ~RecordedPaletteEvents() override {
        XRecordDisableContext(control_, context_);
        XRecordFreeContext(control_, context_);
        XSync(control_, False);
        xcb_disconnect(data_);
        XCloseDisplay(reader_);
    }

    // Waits for the server to begin recording, then reads the palette it starts from.
    bool start() {
        recording_ = xcb_record_enable_context(data_, static_cast<xcb_record_context_t>(context_));
        xcb_flush(data_);
        for (;;) {
            xcb_record_enable_context_reply_t* reply =
                xcb_record_enable_context_reply(data_, recording_, nullptr);
            if (!reply) return false;
            const bool started = reply->category == XRecordStartOfData;
            std::free(reply);
            if (started) break;
        }
        readInstalled();
        start_ = palette_;
        return true;
    }

    const SystemPaletteSnapshot& startPalette() const override { return start_; }
    int readyFd() const override { return xcb_get_file_descriptor(data_); }

    bool takeArrived(const StateHandler& onState) override {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        while (xcb_poll_for_reply(data_, recording_.sequence, &reply, &error)) {
            std::free(error);
            if (!reply) continue;
            const bool more =
                handle(*static_cast<xcb_record_enable_context_reply_t*>(reply), onState);
            std::free(reply);
            if (!more) return false;
        }
        if (xcb_connection_has_error(data_)) throw CommandFailure::resourceUnavailable();
        return true;
    }

    void nudge() override {
        // A reply is output, and output makes the server pass on what it recorded.
        xcb_connection_t* connection = XGetXCBConnection(control_);
        xcb_discard_reply(connection, xcb_get_input_focus(connection).sequence);
        xcb_flush(connection);
    }

  private:
    bool handle(const xcb_record_enable_context_reply_t& reply, const StateHandler& onState) {
        const std::uint32_t client = reply.xid_base;
        switch (reply.category) {
            case XRecordClientStarted:
                names_.see(client);
                return true;
            case XRecordClientDied: {
                // Its colormaps go with it: when one was installed, the server installs another.
                const std::string author = names_.name(client);
                names_.forget(client);
                if (readsDue_ == 0 && owns(client, installed_)) reread(author);
                if (readsDue_ > 0 && reread_ &&
                    std::ranges::any_of(reread_->installed,
                                        [&](Colormap colormap) { return owns(client, colormap); }))
                    reread_->author = author;
                return true;
            }
            case XRecordFromClient:
                break;
            default:
                return true;
        }
        const std::span<const std::uint8_t> bytes(
            xcb_record_enable_context_data(&reply),
            static_cast<std::size_t>(xcb_record_enable_context_data_length(&reply)));
        for (const RecordedRequest& request : decodeRecordedRequests(bytes, reply.client_swapped))
            if (!handleRequest(request, client, onState)) return false;
        return true;
    }

    bool handleRequest(const RecordedRequest& request, std::uint32_t client,
                       const StateHandler& onState) {
        const bool onInstalled = request.colormap == installed_;
        if (request.opcode == RecordedOpcode::queryColors) {
            // Our own read: what came before it is in the palette that read gave.
            if (client != ownBase_ || readsDue_ == 0 || --readsDue_ > 0 || !reread_) return true;
            const Reread done = std::move(*reread_);
            reread_.reset();
            return palette_.entries == done.before.entries || onState(palette_, done.author);
        }
        if (readsDue_ > 0) {
            // Already in the palette read: the last request that could have changed it is
            // its author.
            const bool changes = request.opcode == RecordedOpcode::installColormap ||
                                 request.opcode == RecordedOpcode::uninstallColormap ||
                                 request.opcode == RecordedOpcode::freeColormap || onInstalled;
            if (changes && reread_) reread_->author = names_.name(client);
            if (request.opcode == RecordedOpcode::installColormap && reread_)
                reread_->installed.push_back(request.colormap);
            return true;
        }
        switch (request.opcode) {
            case RecordedOpcode::storeColors:
                if (!onInstalled || !applyStoredColours(palette_, request.colours)) return true;
                return onState(palette_, names_.name(client));
            case RecordedOpcode::storeNamedColor:
                if (!onInstalled || !applyNamedColour(request)) return true;
                return onState(palette_, names_.name(client));
            case RecordedOpcode::installColormap:
                reread(names_.name(client));
                return true;
            case RecordedOpcode::allocColor:
            case RecordedOpcode::allocNamedColor:
            case RecordedOpcode::uninstallColormap:
            case RecordedOpcode::freeColormap:
                if (onInstalled) reread(names_.name(client));
                return true;
            default:
                return true;  // a new colormap shows nothing until it is installed
        }
    }

    // The server looks the name up as LookupColor does and stores the exact colour.
    bool applyNamedColour(RecordedRequest request) {
        if (request.colours.empty()) return false;
        XColor exact{}, screen{};
        XErrorTrap trap(reader_);
        if (!XLookupColor(reader_, installed_, request.name.c_str(), &exact, &screen) ||
            trap.failed())
            return false;
        request.colours[0].red = exact.red;
        request.colours[0].green = exact.green;
        request.colours[0].blue = exact.blue;
        return applyStoredColours(palette_, request.colours);
    }

    // True when `colormap` is a resource of the client of resource base `client`.
    bool owns(std::uint32_t client, Colormap colormap) const {
        return colormap != None && (colormap & clientBits_) == client;
    }

    // Reads the palette again where a request does not say what it shows now. The new state
    // is told when the read's own query comes round in the recording: the requests before it
    // are in the state, and the last of them that could have made it is its author.
    void reread(const std::string& author) {
        reread_ = Reread{palette_, author, {installed_}};
        readInstalled();
    }

    // Reads the installed colormap. Each query is recorded too; until it comes round, what
    // arrives happened before the read and is in its result.
    void readInstalled() {
        const int size = std::min(DefaultVisual(reader_, DefaultScreen(reader_))->map_entries,
                                  kMaxPaletteEntries);
        std::vector<XColor> cells(size);
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            installed_ = installedColormap(reader_);
            if (installed_ == None) break;
            for (int i = 0; i < size; ++i) {
                cells[i].pixel = static_cast<unsigned long>(i);
                cells[i].flags = DoRed | DoGreen | DoBlue;
            }
            XErrorTrap trap(reader_);
            XQueryColors(reader_, installed_, cells.data(), size);
            ++readsDue_;
            if (trap.failed()) continue;
            palette_ = {};
            palette_.count = size;
            for (int i = 0; i < size; ++i)
                palette_.entries[i] = {eightBits(cells[i].red), eightBits(cells[i].green),
                                       eightBits(cells[i].blue), 0};
            return;
        }
        throw CommandFailure::resourceUnavailable();
    }

    Display* control_;
    Display* reader_;
    xcb_connection_t* data_;
    XRecordContext context_;
    xcb_record_enable_context_cookie_t recording_{};
    std::uint32_t ownBase_;
    // The bits of a resource id that name its client.
    std::uint32_t clientBits_;
    ClientNames names_;
    Colormap installed_ = None;
    SystemPaletteSnapshot palette_, start_;
    // Our reads whose query the recording has not shown yet, and what the last one was for.
    int readsDue_ = 0;
    struct Reread {
        SystemPaletteSnapshot before;
        std::string author;
        // The colormaps installed before the read and since, whose owner's end counts.
        std::vector<Colormap> installed;
    };
    std::optional<Reread> reread_;
};

// The requests that can change what the installed colormap shows, and QueryColors, which
// marks our own reads in the recording.
std::vector<XRecordRange*> recordedRanges() {
    const std::pair<int, int> spans[] = {{X_CreateColormap, X_UninstallColormap},
                                         {X_AllocColor, X_AllocNamedColor},
                                         {X_StoreColors, X_QueryColors}};
    std::vector<XRecordRange*> ranges;
    for (const auto& [first, last] : spans) {
        XRecordRange* range = XRecordAllocRange();
        if (!range) break;
        range->core_requests = {static_cast<unsigned char>(first),
                                static_cast<unsigned char>(last)};
        ranges.push_back(range);
    }
    if (!ranges.empty()) ranges.front()->client_started = ranges.front()->client_died = True;
    return ranges;
}

std::unique_ptr<PaletteEvents> tryRecording(Display* control) {
    // Asked first so that Xlib does not warn of a missing extension.
    int opcode = 0, event = 0, error = 0, major = 0, minor = 0;
    if (!XQueryExtension(control, "RECORD", &opcode, &event, &error) ||
        !XRecordQueryVersion(control, &major, &minor))
        return nullptr;
    std::vector<XRecordRange*> ranges = recordedRanges();
    if (ranges.empty()) return nullptr;
    XRecordClientSpec clients = XRecordAllClients;
    XRecordContext context = 0;
    {
        XErrorTrap trap(control);
        context = XRecordCreateContext(control, 0, &clients, 1, ranges.data(),
                                       static_cast<int>(ranges.size()));
        if (trap.failed()) context = 0;
    }
    for (XRecordRange* range : ranges) XFree(range);
    if (!context) return nullptr;
    Display* reader = XOpenDisplay(DisplayString(control));
    xcb_connection_t* data = xcb_connect(DisplayString(control), nullptr);
    if (!reader || xcb_connection_has_error(data)) {
        if (reader) XCloseDisplay(reader);
        xcb_disconnect(data);
        XRecordFreeContext(control, context);
        return nullptr;
    }
    auto events = std::make_unique<RecordedPaletteEvents>(control, reader, data, context);
    if (!events->start()) return nullptr;
    return events;
}

}  // namespace

std::unique_ptr<PaletteEvents> recordPaletteEvents(Display* control) {
    std::unique_ptr<PaletteEvents> events = tryRecording(control);
    if (!events)
        say("the X server does not record requests (no RECORD extension): the palette is read "
            "every 20 ms and changes are not attributed to programs");
    return events;
}

}  // namespace vexa
