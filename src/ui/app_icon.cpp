#include "ui/app_icon.h"

#include <FL/Fl.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>

#include <memory>
#include <vector>

#include "ui/dialog_template.h"
#include "ui/icon_picture.h"

namespace vexa {
namespace {

// An image with the pixel bytes it draws from; Fl_RGB_Image does not copy them.
struct IconImage {
    std::vector<unsigned char> pixels;
    std::unique_ptr<Fl_RGB_Image> image;
};

IconImage makeImage(std::vector<unsigned char> pixels, int size, int depth) {
    IconImage icon{std::move(pixels), nullptr};
    icon.image = std::make_unique<Fl_RGB_Image>(icon.pixels.data(), size, size, depth);
    return icon;
}

const IconImage& transparentIcon(int size) {
    static const IconImage icons[2] = {
        [] {
            auto picture = loadIconPicture(IDI_MAIN, 32);
            return picture ? makeImage(picture->rgba, 32, 4) : IconImage{};
        }(),
        [] {
            auto picture = loadIconPicture(IDI_MAIN, 16);
            return picture ? makeImage(picture->rgba, 16, 4) : IconImage{};
        }(),
    };
    return icons[size == 32 ? 0 : 1];
}

}  // namespace

const Fl_RGB_Image* appIconImage(int size) {
    if (size != 32 && size != 16) return nullptr;
    return transparentIcon(size).image.get();
}

const Fl_RGB_Image* appIconOnBackground() {
    static const IconImage icon = [] {
        auto picture = loadIconPicture(IDI_MAIN, 32);
        if (!picture) return IconImage{};
        unsigned char r = 0, g = 0, b = 0;
        Fl::get_color(FL_BACKGROUND_COLOR, r, g, b);
        return makeImage(flattenOnto(*picture, {r, g, b}), 32, 3);
    }();
    return icon.image.get();
}

void setAppIcons(Fl_Window& window) {
    const Fl_RGB_Image* icons[] = {appIconImage(32), appIconImage(16)};
    if (icons[0] && icons[1]) window.icons(icons, 2);
}

void installDefaultAppIcons() {
    const Fl_RGB_Image* icons[] = {appIconImage(32), appIconImage(16)};
    if (icons[0] && icons[1]) Fl_Window::default_icons(icons, 2);
}

}  // namespace vexa
