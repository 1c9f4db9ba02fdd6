#pragma once
#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

namespace tieba {

// How the notice's pictures and texts meet the banner's canvas. The notice page names places
// and sizes freely; these keep what is painted within the banner. GUI-free; any thread.

// Places and sizes from the page kept where widget geometry stays exact.
inline constexpr int kBannerCoordinateLimit = 100'000;
int clampBannerCoordinate(int value);
int clampBannerExtent(int value); // 0 .. the limit

// A font size from the page as the canvas takes it: sizes under 1 point give the banner's
// usual 9, sizes over 300 points give 300.
int bannerFontPoints(int requested);

// The picture with every white pixel (red, green and blue all 255) made fully transparent.
QImage whiteKeyed(const QImage& picture);

// Pictures of the notice are decoded only up to this width and height; larger ones (or ones
// whose size cannot be told before decoding) are not drawn.
inline constexpr int kBannerPictureSideLimit = 4096;
QImage decodeBannerPicture(const QByteArray& bytes);

// A picture ready to be drawn in its own size at `at`.
struct PlacedPicture {
    QPoint at;
    QImage image;
};

// `picture` stretched to `target`, white keyed out, cut to the part inside a canvas of `canvas`
// size; nothing when the target is empty or lies wholly outside. Pixels are repeated, not
// blended, so the keyed edges stay sharp. Only the visible part is ever allocated.
std::optional<PlacedPicture> stretchedInto(const QImage& picture, const QRect& target, QSize canvas);

} // namespace tieba
