#include "platform/pixel_painter.h"

#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/socket.h>

#include <cstdlib>
#include <cstring>

#include "platform/x11/x_error_trap.h"

namespace vexa {

// The black of the colormap on screen, or its darkest entry: the frames stay black
// whichever colormap is installed.
unsigned long blackPixel() {
    return fl_xpixel(FL_BLACK);
}

namespace {

int bitsPerPixel(int depth) {
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(fl_display, &count);
    int bits = 0;
    for (int i = 0; i < count; ++i)
        if (formats[i].depth == depth) bits = formats[i].bits_per_pixel;
    if (formats) XFree(formats);
    return bits;
}

}  // namespace

unsigned long interfaceColourPixel(unsigned int colour) {
    return fl_xpixel(static_cast<Fl_Color>(colour));
}

bool pixelsFitInBytes() {
    static const int bits = bitsPerPixel(fl_visual->depth);
    return bits == 8;
}

namespace {

// True when the connection is a local socket: only a server on this machine can reach the
// segment (over TCP a segment id could name another machine's memory).
bool localConnection(Display* display) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    return getsockname(ConnectionNumber(display), reinterpret_cast<sockaddr*>(&address), &length) ==
               0 &&
           address.ss_family == AF_UNIX;
}

// A shared memory segment the server reads images from (MIT-SHM): an image sent through it
// is not copied through the connection, which on a local server makes a repaint of the
// whole grid two to four times faster. Made on first use, grown as blocks grow; where the
// server has no MIT-SHM, is not on this machine, or cannot attach the segment (another
// IPC namespace, say), the images go through the connection as before.
class SharedBlock {
  public:
    // Puts the block through the segment; false when that cannot be done.
    bool put(int x, int y, int w, int h, const std::uint8_t* pixels) {
        if (display_ != fl_display) {
            // Another connection: what was attached to the last one went with it.
            release();
            broken_ = false;
        }
        if (broken_) return false;
        XImage* image = XShmCreateImage(fl_display, fl_visual->visual, fl_visual->depth, ZPixmap,
                                        nullptr, &segment_, w, h);
        if (!image) return false;
        const std::size_t stride = static_cast<std::size_t>(image->bytes_per_line);
        if (image->bits_per_pixel != 8 || !fit(stride * h)) {
            XDestroyImage(image);
            return false;
        }
        // The server may still be reading the previous block: the segment is written only
        // once it has processed that request.
        if (pending_ && LastKnownRequestProcessed(fl_display) < pending_) XSync(fl_display, False);
        image->data = segment_.shmaddr;
        for (int row = 0; row < h; ++row)
            std::memcpy(image->data + stride * row, pixels + static_cast<std::size_t>(w) * row,
                        static_cast<std::size_t>(w));
        XShmPutImage(fl_display, fl_window, fl_gc, image, 0, 0, x, y, w, h, False);
        pending_ = NextRequest(fl_display) - 1;
        image->data = nullptr;
        XDestroyImage(image);
        return true;
    }

  private:
    // A segment of at least `size` bytes attached on both sides.
    bool fit(std::size_t size) {
        if (attached_ && size <= size_) return true;
        release();
        if (!localConnection(fl_display) || !XShmQueryExtension(fl_display)) return fail();
        // Grown in steps so that a window being resized does not make a segment per size.
        const std::size_t rounded = (size + 0xFFFF) & ~std::size_t{0xFFFF};
        segment_.shmid = shmget(IPC_PRIVATE, rounded, IPC_CREAT | 0600);
        if (segment_.shmid < 0) return fail();
        void* address = shmat(segment_.shmid, nullptr, 0);
        if (address == reinterpret_cast<void*>(-1)) {
            shmctl(segment_.shmid, IPC_RMID, nullptr);
            return fail();
        }
        segment_.shmaddr = static_cast<char*>(address);
        segment_.readOnly = True;
        bool refused = false;
        {
            XErrorTrap trap(fl_display);
            XShmAttach(fl_display, &segment_);
            refused = trap.failed();
        }
        // Marked for removal at once: it goes when both sides have let go, even if Vexa
        // ends abruptly.
        shmctl(segment_.shmid, IPC_RMID, nullptr);
        if (refused) {
            shmdt(segment_.shmaddr);
            segment_.shmaddr = nullptr;
            return fail();
        }
        attached_ = true;
        size_ = rounded;
        return true;
    }

    bool fail() {
        broken_ = true;
        return false;
    }

    // Lets go of the segment; the server's side is told only while the connection it was
    // attached on is the current one.
    void release() {
        if (attached_) {
            if (display_ == fl_display) {
                XShmDetach(fl_display, &segment_);
                XSync(fl_display, False);
            }
            shmdt(segment_.shmaddr);
        }
        display_ = fl_display;
        attached_ = false;
        size_ = 0;
        pending_ = 0;
        segment_ = {};
    }

    Display* display_ = nullptr;
    XShmSegmentInfo segment_{};
    std::size_t size_ = 0;
    unsigned long pending_ = 0;
    bool attached_ = false;
    bool broken_ = false;
};

// Never destroyed: at exit the connection may be gone already, and the segment, marked
// for removal, goes with the process.
SharedBlock& sharedBlock() {
    static SharedBlock* block = new SharedBlock;
    return *block;
}

}  // namespace

void putPixelBlock(int x, int y, int w, int h, const std::uint8_t* pixels) {
    if (w <= 0 || h <= 0 || !fl_gc) return;
    if (sharedBlock().put(x, y, w, h, pixels)) return;
    // The image only borrows the caller's bytes: no copy, and none freed with it.
    XImage* image =
        XCreateImage(fl_display, fl_visual->visual, fl_visual->depth, ZPixmap, 0,
                     reinterpret_cast<char*>(const_cast<std::uint8_t*>(pixels)), w, h, 8, w);
    if (!image) return;
    XPutImage(fl_display, fl_window, fl_gc, image, 0, 0, x, y, w, h);
    image->data = nullptr;
    XDestroyImage(image);
}

void putPixelBlock(int x, int y, int w, int h, const std::uint32_t* pixels) {
    if (w <= 0 || h <= 0 || !fl_gc) return;
    XImage* image = XCreateImage(fl_display, fl_visual->visual, fl_visual->depth, ZPixmap, 0,
                                 nullptr, w, h, 32, 0);
    if (!image) return;
    image->data =
        static_cast<char*>(std::malloc(static_cast<std::size_t>(image->bytes_per_line) * h));
    if (!image->data) {
        XDestroyImage(image);
        return;
    }
    for (int row = 0; row < h; ++row)
        for (int column = 0; column < w; ++column)
            XPutPixel(image, column, row, pixels[static_cast<std::size_t>(row) * w + column]);
    XPutImage(fl_display, fl_window, fl_gc, image, 0, 0, x, y, w, h);
    XDestroyImage(image);
}

}  // namespace vexa
