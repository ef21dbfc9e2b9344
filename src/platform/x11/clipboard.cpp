#include "platform/clipboard.h"

#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "base/command_failure.h"
#include "platform/x11/x_error_trap.h"

namespace vexa {
namespace {

struct Atoms {
    Atom clipboard, targets, multiple, timestamp, atomPair, integer, colormap, bmp, text;
    Atom utf8String, textTarget;
};

// The listing as X text: LF line ends. The listing is ASCII, so it is valid Latin-1
// (STRING) and UTF-8 alike.
std::string xText(const std::string& listing) {
    std::string text;
    text.reserve(listing.size());
    for (std::size_t i = 0; i < listing.size(); ++i)
        if (listing[i] != '\r' || i + 1 == listing.size() || listing[i + 1] != '\n')
            text += listing[i];
    return text;
}

// One for the process, living until exit; closing it is left to closeClipboard, since
// FLTK may be gone by the time static objects are destroyed.
class ClipboardOwner {
  public:
    void offer(const ClipboardPalette& palette);
    void close();

  private:
    void open();
    Time serverTime();
    Colormap makeColormap(const std::vector<PaletteEntry>& entries);
    void dropContent();
    void handOver();
    void handle(const XEvent& event);
    void serviceEvents();
    static void onReadable(int, void* self) { static_cast<ClipboardOwner*>(self)->serviceEvents(); }
    static void onTurn(void* self) { static_cast<ClipboardOwner*>(self)->serviceEvents(); }
    void answer(const XSelectionRequestEvent& request);
    bool convert(Window requestor, Atom target, Atom property);
    void convertMultiple(Window requestor, Atom property);
    bool put(Window requestor, Atom property, Atom type, int format, const void* data,
             std::size_t items);

    Display* connection_ = nullptr;
    Window window_ = None;
    Atoms atoms_{};
    std::size_t maxPropertyBytes_ = 0;

    bool owned_ = false;
    Time ownedSince_ = CurrentTime;
    Colormap colormap_ = None;
    std::vector<std::uint8_t> bitmap_;
    std::string text_;
    std::string xText_;
};

void ClipboardOwner::open() {
    if (connection_) return;
    // The same server FLTK talks to, through a connection whose events are ours alone.
    connection_ = XOpenDisplay(fl_display ? DisplayString(fl_display) : nullptr);
    if (!connection_) throw CommandFailure::silent();
    window_ = XCreateWindow(connection_, DefaultRootWindow(connection_), -10, -10, 1, 1, 0, 0,
                            InputOnly, CopyFromParent, 0, nullptr);
    XSelectInput(connection_, window_, PropertyChangeMask);
    const char* names[] = {"CLIPBOARD",  "TARGETS",     "MULTIPLE", "TIMESTAMP",
                           "ATOM_PAIR",  "INTEGER",     "COLORMAP", "image/bmp",
                           "text/plain", "UTF8_STRING", "TEXT"};
    Atom found[std::size(names)];
    XInternAtoms(connection_, const_cast<char**>(names), std::size(names), False, found);
    atoms_ = {found[0], found[1], found[2], found[3], found[4], found[5],
              found[6], found[7], found[8], found[9], found[10]};
    // A reply goes out in one ChangeProperty request; leave room for its header.
    long units = XExtendedMaxRequestSize(connection_);
    if (units == 0) units = XMaxRequestSize(connection_);
    maxPropertyBytes_ = static_cast<std::size_t>(units) * 4 - 64;
    Fl::add_fd(ConnectionNumber(connection_), FL_READ, &ClipboardOwner::onReadable, this);
}

void ClipboardOwner::close() {
    if (!connection_) return;
    handOver();
    Fl::remove_fd(ConnectionNumber(connection_));
    Fl::remove_timeout(&ClipboardOwner::onTurn, this);
    dropContent();
    XCloseDisplay(connection_);  // the server clears our ownership with the connection
    connection_ = nullptr;
    window_ = None;
}

// A timestamp from the server, as the selection rules ask for: the time of a
// PropertyNotify caused by appending nothing to a property of our own window.
Time ClipboardOwner::serverTime() {
    XChangeProperty(connection_, window_, atoms_.timestamp, atoms_.timestamp, 8, PropModeAppend,
                    nullptr, 0);
    XEvent event;
    XWindowEvent(connection_, window_, PropertyChangeMask, &event);
    return event.xproperty.time;
}

Colormap ClipboardOwner::makeColormap(const std::vector<PaletteEntry>& entries) {
    const int screen = DefaultScreen(connection_);
    Visual* visual = DefaultVisual(connection_, screen);
    XErrorTrap trap(connection_);
    const Colormap colormap =
        XCreateColormap(connection_, DefaultRootWindow(connection_), visual, AllocAll);
    if (trap.failed()) throw CommandFailure::outOfMemory();
    const int cells = std::min<int>(static_cast<int>(entries.size()), visual->map_entries);
    std::vector<XColor> colours(cells);
    for (int i = 0; i < cells; ++i) {
        colours[i].pixel = static_cast<unsigned long>(i);
        colours[i].red = static_cast<unsigned short>(entries[i].red * 257);
        colours[i].green = static_cast<unsigned short>(entries[i].green * 257);
        colours[i].blue = static_cast<unsigned short>(entries[i].blue * 257);
        colours[i].flags = DoRed | DoGreen | DoBlue;
    }
    XStoreColors(connection_, colormap, colours.data(), cells);
    if (trap.failed()) {
        XFreeColormap(connection_, colormap);
        throw CommandFailure::outOfMemory();
    }
    return colormap;
}

void ClipboardOwner::dropContent() {
    if (colormap_ != None) XFreeColormap(connection_, colormap_);
    colormap_ = None;
    bitmap_.clear();
    text_.clear();
    xText_.clear();
    owned_ = false;
}

void ClipboardOwner::offer(const ClipboardPalette& palette) {
    open();
    const Colormap colormap = makeColormap(palette.entries);
    const Time now = serverTime();
    XSetSelectionOwner(connection_, atoms_.clipboard, window_, now);
    if (XGetSelectionOwner(connection_, atoms_.clipboard) != window_) {
        XFreeColormap(connection_, colormap);
        XFlush(connection_);
        throw CommandFailure::silent();
    }
    // The earlier copy's colormap goes only now that the new one is on offer.
    dropContent();
    owned_ = true;
    ownedSince_ = now;
    colormap_ = colormap;
    bitmap_ = palette.bitmap;
    text_ = palette.text;
    xText_ = xText(palette.text);
    XFlush(connection_);
    serviceEvents();  // requests that arrived while we waited for the timestamp
}

void ClipboardOwner::handle(const XEvent& event) {
    if (event.type == SelectionRequest) {
        answer(event.xselectionrequest);
    } else if (event.type == SelectionClear &&
               event.xselectionclear.selection == atoms_.clipboard &&
               XGetSelectionOwner(connection_, atoms_.clipboard) != window_) {
        // Another program owns the clipboard now. (A clear that was still queued when
        // a newer copy took the selection back is stale and ignored.)
        dropContent();
    }
}

// A share of the queued requests per turn of the event loop: a flood of them must not keep
// the window from its own events. The rest waits for the next turn.
void ClipboardOwner::serviceEvents() {
    constexpr int eventsPerTurn = 64;
    for (int n = 0; n < eventsPerTurn && connection_ && XPending(connection_); ++n) {
        XEvent event;
        XNextEvent(connection_, &event);
        handle(event);
    }
    // Events already read from the socket wake no file handler: come back for them on the
    // next turn. (A timeout of 0 would be run again within the same turn.)
    Fl::remove_timeout(&ClipboardOwner::onTurn, this);
    if (connection_ && XQLength(connection_) > 0)
        Fl::add_timeout(0.001, &ClipboardOwner::onTurn, this);
}

// The copy would end with the program. A running clipboard manager is asked to keep it
// (SAVE_TARGETS on CLIPBOARD_MANAGER): it fetches the listed targets, then answers. The
// colormap ends with this connection whatever happens, so only the bitmap and the listing
// in its forms are listed. A manager that does not answer in time is not waited for any longer.
void ClipboardOwner::handOver() {
    if (!owned_ || XGetSelectionOwner(connection_, atoms_.clipboard) != window_) return;
    const Atom manager = XInternAtom(connection_, "CLIPBOARD_MANAGER", False);
    if (XGetSelectionOwner(connection_, manager) == None) return;
    const Atom saveTargets = XInternAtom(connection_, "SAVE_TARGETS", False);
    const Atom property = XInternAtom(connection_, "VEXA_SAVE_TARGETS", False);
    const Time now = serverTime();
    const Atom kept[] = {atoms_.bmp, atoms_.text, atoms_.utf8String, XA_STRING, atoms_.textTarget};
    XChangeProperty(connection_, window_, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(kept), std::size(kept));
    XConvertSelection(connection_, manager, saveTargets, property, window_, now);
    XFlush(connection_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (;;) {
        while (XPending(connection_)) {
            XEvent event;
            XNextEvent(connection_, &event);
            if (event.type == SelectionNotify && event.xselection.selection == manager) return;
            handle(event);
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return;
        pollfd readable{ConnectionNumber(connection_), POLLIN, 0};
        ::poll(&readable, 1, static_cast<int>(left.count()));
    }
}

void ClipboardOwner::answer(const XSelectionRequestEvent& request) {
    // Clients from before the selection rules name no property: use the target.
    Atom property = request.property == None ? request.target : request.property;
    const bool current = request.time == CurrentTime || request.time >= ownedSince_;
    bool done = false;
    if (owned_ && current && request.selection == atoms_.clipboard) {
        XErrorTrap trap(connection_);  // the requestor may have gone away meanwhile
        if (request.target == atoms_.multiple) {
            convertMultiple(request.requestor, request.property);
            done = request.property != None;
        } else {
            done = convert(request.requestor, request.target, property);
        }
        if (trap.failed()) done = false;
    }
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = connection_;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.property = done ? property : None;
    reply.xselection.time = request.time;
    XErrorTrap trap(connection_);
    XSendEvent(connection_, request.requestor, False, NoEventMask, &reply);
    trap.failed();
}

bool ClipboardOwner::convert(Window requestor, Atom target, Atom property) {
    if (target == atoms_.targets) {
        const Atom list[] = {atoms_.targets,    atoms_.multiple, atoms_.timestamp,
                             atoms_.colormap,   atoms_.bmp,      atoms_.text,
                             atoms_.utf8String, XA_STRING,       atoms_.textTarget};
        return put(requestor, property, XA_ATOM, 32, list, std::size(list));
    }
    if (target == atoms_.timestamp) {
        const long time = static_cast<long>(ownedSince_);
        return put(requestor, property, atoms_.integer, 32, &time, 1);
    }
    if (target == atoms_.colormap) {
        const long id = static_cast<long>(colormap_);
        return put(requestor, property, atoms_.colormap, 32, &id, 1);
    }
    if (target == atoms_.bmp)
        return put(requestor, property, atoms_.bmp, 8, bitmap_.data(), bitmap_.size());
    if (target == atoms_.text)
        return put(requestor, property, atoms_.text, 8, text_.data(), text_.size());
    if (target == atoms_.utf8String)
        return put(requestor, property, atoms_.utf8String, 8, xText_.data(), xText_.size());
    // TEXT lets the owner choose the encoding: the listing is plain STRING.
    if (target == XA_STRING || target == atoms_.textTarget)
        return put(requestor, property, XA_STRING, 8, xText_.data(), xText_.size());
    return false;
}

// MULTIPLE: the requestor's property lists target and property pairs; each is converted
// and a pair that cannot be has its target replaced by None.
void ClipboardOwner::convertMultiple(Window requestor, Atom property) {
    if (property == None) return;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(connection_, requestor, property, 0, 1024, False, AnyPropertyType, &type,
                           &format, &count, &remaining, &data) != Success)
        return;
    std::unique_ptr<unsigned char, int (*)(void*)> owned(data, XFree);
    if (format != 32 || !data) return;
    std::vector<Atom> pairs(reinterpret_cast<Atom*>(data), reinterpret_cast<Atom*>(data) + count);
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2)
        if (pairs[i] == atoms_.multiple || !convert(requestor, pairs[i], pairs[i + 1]))
            pairs[i] = None;
    XChangeProperty(connection_, requestor, property, atoms_.atomPair, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(pairs.data()),
                    static_cast<int>(pairs.size()));
}

// Puts one reply on the requestor's property in a single request. Data beyond what one
// request carries would need the incremental protocol, which nothing Vexa offers needs:
// such a request is refused rather than answered with a cut value.
bool ClipboardOwner::put(Window requestor, Atom property, Atom type, int format, const void* data,
                         std::size_t items) {
    const std::size_t bytes = items * static_cast<std::size_t>(format / 8);
    if (bytes > maxPropertyBytes_) return false;
    XChangeProperty(connection_, requestor, property, type, format, PropModeReplace,
                    static_cast<const unsigned char*>(data), static_cast<int>(items));
    return true;
}

ClipboardOwner& owner() {
    static ClipboardOwner* instance = new ClipboardOwner;
    return *instance;
}

}  // namespace

void offerPaletteOnClipboard(const ClipboardPalette& palette) {
    owner().offer(palette);
}

void closeClipboard() {
    owner().close();
}

}  // namespace vexa
