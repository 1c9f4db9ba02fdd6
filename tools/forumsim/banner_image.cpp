#include "banner_image.h"

#include <QImage>

#include "png_writer.h"
#include "text_codec.h"

namespace tieba::forumsim {

std::optional<std::string> bannerPicturePng(std::string_view name)
{
    if (!name.ends_with(".png"))
        return std::nullopt;
    name.remove_suffix(4);
    if (name.size() != 6)
        return std::nullopt;
    int channels[3] = {0, 0, 0};
    for (size_t i = 0; i < 6; ++i) {
        const int digit = hexValue(name[i]);
        if (digit < 0)
            return std::nullopt;
        channels[i / 2] = channels[i / 2] * 16 + digit;
    }

    QImage image(kBannerPictureSize, kBannerPictureSize, QImage::Format_RGB32);
    image.fill(qRgb(255, 255, 255));
    const int inner = kBannerPictureSize - 2 * kBannerPictureMargin;
    for (int y = 0; y < inner; ++y) {
        for (int x = 0; x < inner; ++x)
            image.setPixel(kBannerPictureMargin + x, kBannerPictureMargin + y,
                           qRgb(channels[0], channels[1], channels[2]));
    }

    return encodePng(image);
}

} // namespace tieba::forumsim
