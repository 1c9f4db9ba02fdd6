#include "qr_image.h"

#include <QImage>

#include <functional>

#include "png_writer.h"

namespace tieba::forumsim {

namespace {

constexpr int kModules = 29;
constexpr int kModulePixels = 6;
constexpr int kQuietModules = 4;

bool inFinder(int x, int y, int left, int top)
{
    const int dx = x - left;
    const int dy = y - top;
    if (dx < 0 || dy < 0 || dx > 6 || dy > 6)
        return false;
    const bool ring = dx == 0 || dy == 0 || dx == 6 || dy == 6;
    const bool centre = dx >= 2 && dx <= 4 && dy >= 2 && dy <= 4;
    return ring || centre;
}

bool nearFinder(int x, int y)
{
    const auto near = [](int v, int start) { return v >= start - 1 && v <= start + 7; };
    return (near(x, 0) && near(y, 0)) || (near(x, kModules - 7) && near(y, 0)) || (near(x, 0) && near(y, kModules - 7));
}

} // namespace

std::string qrPicturePng(const std::string& channel)
{
    const int side = (kModules + 2 * kQuietModules) * kModulePixels;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(0xffffffu);
    size_t bits = std::hash<std::string>{}(channel);
    for (int y = 0; y < kModules; ++y) {
        for (int x = 0; x < kModules; ++x) {
            bool dark = false;
            if (nearFinder(x, y)) {
                dark = inFinder(x, y, 0, 0) || inFinder(x, y, kModules - 7, 0) || inFinder(x, y, 0, kModules - 7);
            } else {
                bits = bits * 6364136223846793005ULL + 1442695040888963407ULL;
                dark = (bits >> 33) & 1u;
            }
            if (!dark)
                continue;
            for (int py = 0; py < kModulePixels; ++py) {
                for (int px = 0; px < kModulePixels; ++px)
                    image.setPixel((x + kQuietModules) * kModulePixels + px, (y + kQuietModules) * kModulePixels + py,
                                   0xff000000u);
            }
        }
    }
    return encodePng(image);
}

} // namespace tieba::forumsim
