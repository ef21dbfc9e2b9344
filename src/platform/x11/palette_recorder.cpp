#include "platform/x11/palette_recorder.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>
#include <poll.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <vector>

#include "base/command_failure.h"
#include "base/console.h"
#include "base/recorded_requests.h"
#include "platform/x11/client_names.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x_error_trap.h"

namespace vexa {
namespace {

// What the server handed over, copied out of Xlib's buffer in the order it came.
struct Recorded {
    int category = 0;
    std::uint32_t client = 0;  // the client's resource base
    bool swapped = false;
    std::vector<std::uint8_t> request;
};

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
    RecordedPaletteEvents(Display* control, Display* data, XRecordContext context)
        : control_(control), data_(data), context_(context), ownBase_(resourceBase(control)),
          names_(control) {}

    ~RecordedPaletteEvents() override {
        XRecordDisableContext(control_, context_);
        XRecordFreeContext(control_, context_);
        XSync(control_, False);
        XCloseDisplay(data_);
    }

    // Waits for the server to begin recording, then reads the palette it starts from.
    bool start() {
        if (!XRecordEnableContextAsync(data_, context_, &RecordedPaletteEvents::intercept,
                                       reinterpret_cast<XPointer>(this)))
            return false;
        XFlush(data_);
        while (!started_) {
            pollfd ready{ConnectionNumber(data_), POLLIN, 0};
            if (::poll(&ready, 1, -1) < 0) continue;
            XRecordProcessReplies(data_);
            while (!arrived_.empty() && !started_) {
                started_ = arrived_.front().category == XRecordStartOfData;
                arrived_.pop_front();
            }
        }
        readInstalled();
        start_ = palette_;
        return true;
    }

    const SystemPaletteSnapshot& startPalette() const override { return start_; }
    int readyFd() const override { return ConnectionNumber(data_); }

    bool takeArrived(const StateHandler& onState) override {
        XRecordProcessReplies(data_);
        while (!arrived_.empty()) {
            const Recorded item = std::move(arrived_.front());
            arrived_.pop_front();
            if (!handle(item, onState)) return false;
        }
        return true;
    }

  private:
    static void intercept(XPointer closure, XRecordInterceptData* data) {
        auto* self = reinterpret_cast<RecordedPaletteEvents*>(closure);
        Recorded item{data->category, static_cast<std::uint32_t>(data->id_base),
                      data->client_swapped != 0, {}};
        if (data->category == XRecordFromClient && data->data)
            item.request.assign(data->data, data->data + data->data_len * 4);
        XRecordFreeData(data);
        self->arrived_.push_back(std::move(item));
    }

    bool handle(const Recorded& item, const StateHandler& onState) {
        switch (item.category) {
            case XRecordClientStarted:
                names_.see(item.client);
                return true;
            case XRecordClientDied: {
                // The server may install another colormap in place of the client's.
                const std::string author = names_.name(item.client);
                names_.forget(item.client);
                return readsDue_ > 0 || reread(author, onState);
            }
            case XRecordFromClient:
                break;
            default:
                return true;
        }
        const auto request = decodeRecordedRequest(item.request, item.swapped);
        if (!request) return true;
        if (request->opcode == RecordedOpcode::queryColors) {
            // Our own read: what came before it is in the palette that read gave.
            if (item.client == ownBase_ && readsDue_ > 0) --readsDue_;
            return true;
        }
        if (readsDue_ > 0) return true;
        const bool onInstalled = request->colormap == installed_;
        switch (request->opcode) {
            case RecordedOpcode::storeColors:
                if (!onInstalled || !applyStoredColours(palette_, request->colours)) return true;
                return onState(palette_, names_.name(item.client));
            case RecordedOpcode::storeNamedColor:
                if (!onInstalled || !applyNamedColour(*request)) return true;
                return onState(palette_, names_.name(item.client));
            case RecordedOpcode::installColormap:
                return reread(names_.name(item.client), onState);
            case RecordedOpcode::allocColor:
            case RecordedOpcode::allocNamedColor:
            case RecordedOpcode::uninstallColormap:
            case RecordedOpcode::freeColormap:
                return !onInstalled || reread(names_.name(item.client), onState);
            default:
                return true;  // a new colormap shows nothing until it is installed
        }
    }

    // The server looks the name up as LookupColor does and stores the exact colour.
    bool applyNamedColour(RecordedRequest request) {
        XColor exact{}, screen{};
        XErrorTrap trap(control_);
        if (!XLookupColor(control_, installed_, request.name.c_str(), &exact, &screen) ||
            trap.failed())
            return false;
        request.colours[0].red = exact.red;
        request.colours[0].green = exact.green;
        request.colours[0].blue = exact.blue;
        return applyStoredColours(palette_, request.colours);
    }

    bool reread(const std::string& author, const StateHandler& onState) {
        const SystemPaletteSnapshot before = palette_;
        readInstalled();
        if (palette_.entries == before.entries) return true;
        return onState(palette_, author);
    }

    // Reads the installed colormap. Each query is recorded too; until it comes round, what
    // arrives happened before the read and is in its result.
    void readInstalled() {
        const int size = std::min(DefaultVisual(control_, DefaultScreen(control_))->map_entries,
                                  kMaxPaletteEntries);
        std::vector<XColor> cells(size);
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            installed_ = installedColormap(control_);
            if (installed_ == None) break;
            for (int i = 0; i < size; ++i) {
                cells[i].pixel = static_cast<unsigned long>(i);
                cells[i].flags = DoRed | DoGreen | DoBlue;
            }
            XErrorTrap trap(control_);
            XQueryColors(control_, installed_, cells.data(), size);
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
    Display* data_;
    XRecordContext context_;
    std::uint32_t ownBase_;
    ClientNames names_;
    std::deque<Recorded> arrived_;
    bool started_ = false;
    Colormap installed_ = None;
    SystemPaletteSnapshot palette_, start_;
    // Our reads whose query the recording has not shown yet.
    int readsDue_ = 0;
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
    Display* data = XOpenDisplay(DisplayString(control));
    if (!data) {
        XRecordFreeContext(control, context);
        return nullptr;
    }
    auto events = std::make_unique<RecordedPaletteEvents>(control, data, context);
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
