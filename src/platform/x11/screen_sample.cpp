// The readout's sample in two exchanges with the server on Xlib's own connection, through
// XCB: the pixel and the installed colormap are asked together, then one colour query
// carries the pixel and, when wanted, the whole palette. Errors come back with the replies,
// so no synchronisation is needed to tell a failure from a success.
#include <X11/Xlib-xcb.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "base/command_failure.h"
#include "platform/x11/x11_display.h"

namespace vexa {
namespace {

// Another client may free the installed colormap between the listing and the query.
constexpr int kAttempts = 3;

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeDeleter>;

template <class T>
Reply<T> reply(T* reply, xcb_generic_error_t* error) {
    std::free(error);
    return Reply<T>(reply);
}

// The pixel value in a 1x1 Z-format image, as XGetPixel reads it; nullopt for a pixel
// narrower than a byte, which only a monochrome or 4-bit screen has.
std::optional<std::uint32_t> pixelOf(xcb_connection_t* c, const xcb_get_image_reply_t& reply) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    int bitsPerPixel = 0;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        if (it.data->depth == reply.depth) bitsPerPixel = it.data->bits_per_pixel;
    const int bytes = bitsPerPixel / 8;
    if (bitsPerPixel % 8 != 0 || bytes < 1 || bytes > 4) return std::nullopt;
    if (xcb_get_image_data_length(&reply) < bytes) return std::nullopt;
    const std::uint8_t* data = xcb_get_image_data(&reply);
    std::uint32_t pixel = 0;
    for (int i = 0; i < bytes; ++i) {
        const int shift =
            setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST ? 8 * i : 8 * (bytes - 1 - i);
        pixel |= std::uint32_t{data[i]} << shift;
    }
    if (reply.depth < 32) pixel &= (std::uint32_t{1} << reply.depth) - 1;
    return pixel;
}

std::uint8_t eightBits(std::uint16_t channel) {
    return static_cast<std::uint8_t>(channel >> 8);
}

}  // namespace

DisplayDevice::ScreenSample X11Display::sampleScreen(int x, int y, bool withPalette) {
    requireConnection();
    const int wanted = withPalette && paletteBased() ? std::min(paletteSize(), 256) : 0;
    // Every pixel of a palette screen is an index below its size: when the colormap that
    // was installed last time still is, one query of all entries answers for any pixel,
    // and the whole sample takes one exchange.
    const int guessCount = paletteBased() ? std::min(paletteSize(), 256) : 0;
    xcb_connection_t* c = XGetXCBConnection(connection_);
    const xcb_window_t root = DefaultRootWindow(connection_);
    std::vector<std::uint32_t> pixels(1 + std::max(wanted, guessCount));
    for (std::size_t i = 1; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint32_t>(i - 1);

    ScreenSample sample;
    auto take = [&](const xcb_rgb_t* rgb, int pixelAt) {
        sample.colour = makeColorRef(eightBits(rgb[pixelAt].red), eightBits(rgb[pixelAt].green),
                                     eightBits(rgb[pixelAt].blue));
        for (int i = 0; i < wanted; ++i)
            sample.palette.entries[i] = {eightBits(rgb[1 + i].red), eightBits(rgb[1 + i].green),
                                         eightBits(rgb[1 + i].blue), 0};
        sample.palette.count = wanted;
    };

    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const auto imageCookie =
            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<std::int16_t>(x),
                          static_cast<std::int16_t>(y), 1, 1, ~0u);
        const auto listCookie = xcb_list_installed_colormaps(c, root);
        const Colormap guess = guessCount > 0 ? lastInstalled_ : None;
        xcb_query_colors_cookie_t guessCookie{};
        if (guess != None)
            guessCookie = xcb_query_colors(c, static_cast<xcb_colormap_t>(guess),
                                           static_cast<std::uint32_t>(guessCount), &pixels[1]);
        xcb_generic_error_t* error = nullptr;
        auto image = reply(xcb_get_image_reply(c, imageCookie, &error), error);
        error = nullptr;
        auto list = reply(xcb_list_installed_colormaps_reply(c, listCookie, &error), error);
        Reply<xcb_query_colors_reply_t> guessed;
        if (guess != None) {
            error = nullptr;
            guessed = reply(xcb_query_colors_reply(c, guessCookie, &error), error);
        }
        // No image: the point is outside the screen.
        if (!image || !list) throw CommandFailure::resourceUnavailable();
        const std::optional<std::uint32_t> pixel = pixelOf(c, *image);
        if (!pixel) return DisplayDevice::sampleScreen(x, y, withPalette);
        if (xcb_list_installed_colormaps_cmaps_length(list.get()) < 1) break;
        const xcb_colormap_t colormap = xcb_list_installed_colormaps_cmaps(list.get())[0];
        lastInstalled_ = colormap;

        if (guessed && colormap == guess && *pixel < static_cast<std::uint32_t>(guessCount) &&
            xcb_query_colors_colors_length(guessed.get()) == guessCount) {
            // The guessed reply lists entries from 0; take() reads the palette from index 1.
            std::vector<xcb_rgb_t> shifted(1 + guessCount);
            const xcb_rgb_t* rgb = xcb_query_colors_colors(guessed.get());
            std::copy_n(rgb, guessCount, shifted.begin() + 1);
            take(shifted.data(), 1 + static_cast<int>(*pixel));
            return sample;
        }

        pixels[0] = *pixel;
        const std::uint32_t count = static_cast<std::uint32_t>(1 + wanted);
        const auto colourCookie = xcb_query_colors(c, colormap, count, pixels.data());
        error = nullptr;
        auto colours = reply(xcb_query_colors_reply(c, colourCookie, &error), error);
        if (!colours) continue;  // the colormap went away meanwhile, or the pixel is not in it
        if (xcb_query_colors_colors_length(colours.get()) != static_cast<int>(count)) continue;
        take(xcb_query_colors_colors(colours.get()), 0);
        return sample;
    }
    throw CommandFailure::resourceUnavailable();
}

}  // namespace vexa
