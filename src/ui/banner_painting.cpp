#include "ui/banner_painting.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <algorithm>

namespace tieba {

int clampBannerCoordinate(int value)
{
    return std::clamp(value, -kBannerCoordinateLimit, kBannerCoordinateLimit);
}

int clampBannerExtent(int value)
{
    return std::clamp(value, 0, kBannerCoordinateLimit);
}

int bannerFontPoints(int requested)
{
    if (requested < 1)
        return 9;
    return std::min(requested, 300);
}

QImage decodeBannerPicture(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kBannerPictureSideLimit || size.height() > kBannerPictureSideLimit)
        return {};
    return reader.read();
}

QImage whiteKeyed(const QImage& picture)
{
    QImage keyed = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if ((line[x] & 0x00FFFFFF) == 0x00FFFFFF)
                line[x] = 0;
        }
    }
    return keyed;
}

std::optional<PlacedPicture> stretchedInto(const QImage& picture, const QRect& target, QSize canvas)
{
    if (picture.isNull() || target.isEmpty())
        return std::nullopt;
    const QRect visible = target.intersected(QRect(QPoint(0, 0), canvas));
    if (visible.isEmpty())
        return std::nullopt;

    QImage piece(visible.size(), QImage::Format_ARGB32_Premultiplied);
    piece.fill(Qt::transparent);
    QPainter painter(&piece);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.translate(-visible.topLeft());
    painter.drawImage(target, whiteKeyed(picture));
    painter.end();
    return PlacedPicture{visible.topLeft(), piece};
}

} // namespace tieba
