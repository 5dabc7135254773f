#pragma once
// Screenshots of windows on the test X server, for the images in docs/.

#include "platform/WindowSystem.h"

#include <QImage>

#include <algorithm>

// Last: Xlib's macros (None, Success, Status...) would clash with our names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace quorvane::test {

// The window's content as the X server shows it.
inline QImage capture(Display* display, WindowId window) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0)
        return {};
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr)
        return {};
    QImage copy(attributes.width, attributes.height, QImage::Format_RGB32);
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x)
            copy.setPixel(x, y, static_cast<QRgb>(XGetPixel(image, x, y)));
    XDestroyImage(image);
    return copy;
}

// The image cut to what differs from its bottom-right background, with a margin: a window manager
// that fills the screen with the window leaves the rest empty.
inline QImage cropToContent(const QImage& image, int margin = 12) {
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    int right = 0;
    int bottom = 0;
    for (int y = 0; y < image.height(); ++y) {
        // A rule across the whole width (under the menu bar) is no content.
        if (image.pixel(image.width() - 1, y) != background)
            continue;
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background) {
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
    }
    return image.copy(0, 0, std::min(image.width(), right + margin),
                      std::min(image.height(), bottom + margin));
}

} // namespace quorvane::test
