// Draws the program's icon: a sky-blue tile with the white character 签. Writes a PNG of the
// given size and a scalable SVG whose character is the font's outline, so the SVG needs no
// font. Run on Qt's offscreen platform by the `icon` target; the results are kept in
// packaging/icons/.
// Usage: make_icon OUTPUT.png SIZE OUTPUT.svg
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

const QColor kSkyBlue(20, 193, 243);
constexpr double kViewBox = 64.0;
constexpr double kCorner = 12.0;      // corner radius of the tile
constexpr double kGlyphSpan = 44.0;   // the character's larger side

// The character's outline, centred on the 64 x 64 tile.
QPainterPath glyphPath()
{
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(100);
    font.setBold(true);
    QPainterPath path;
    path.addText(0, 0, font, QString::fromUtf8("签"));
    const QRectF box = path.boundingRect();
    const double scale = kGlyphSpan / std::max(box.width(), box.height());
    QTransform place;
    place.translate(kViewBox / 2, kViewBox / 2);
    place.scale(scale, scale);
    place.translate(-box.center().x(), -box.center().y());
    return place.map(path);
}

QString number(double value)
{
    return QString::number(value, 'f', 2);
}

// SVG path data of a QPainterPath: moves, lines and cubic curves.
QString pathData(const QPainterPath& path)
{
    QString data;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            data += QStringLiteral("M") + number(e.x) + QLatin1Char(' ') + number(e.y);
        } else if (e.isLineTo()) {
            data += QStringLiteral("L") + number(e.x) + QLatin1Char(' ') + number(e.y);
        } else if (e.isCurveTo()) {
            const QPainterPath::Element c2 = path.elementAt(i + 1);
            const QPainterPath::Element end = path.elementAt(i + 2);
            data += QStringLiteral("C") + number(e.x) + QLatin1Char(' ') + number(e.y) + QLatin1Char(' ') +
                    number(c2.x) + QLatin1Char(' ') + number(c2.y) + QLatin1Char(' ') + number(end.x) +
                    QLatin1Char(' ') + number(end.y);
            i += 2;
        }
    }
    return data + QStringLiteral("Z");
}

bool writePng(const QString& file, int size, const QPainterPath& glyph)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kViewBox, size / kViewBox);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kSkyBlue);
    painter.drawRoundedRect(QRectF(0, 0, kViewBox, kViewBox), kCorner, kCorner);
    painter.setBrush(Qt::white);
    painter.drawPath(glyph);
    painter.end();
    return image.save(file, "PNG", 9);
}

bool writeSvg(const QString& file, const QPainterPath& glyph)
{
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream svg(&out);
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"64\" viewBox=\"0 0 64 64\">\n"
        << "<rect width=\"64\" height=\"64\" rx=\"" << kCorner << "\" fill=\"" << kSkyBlue.name() << "\"/>\n"
        << "<path fill=\"#ffffff\" fill-rule=\"" << (glyph.fillRule() == Qt::WindingFill ? "nonzero" : "evenodd")
        << "\" d=\"" << pathData(glyph) << "\"/>\n"
        << "</svg>\n";
    return svg.status() == QTextStream::Ok;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_icon OUTPUT.png SIZE OUTPUT.svg\n");
        return 2;
    }
    const QPainterPath glyph = glyphPath();
    if (!writePng(QString::fromLocal8Bit(argv[1]), std::atoi(argv[2]), glyph) ||
        !writeSvg(QString::fromLocal8Bit(argv[3]), glyph)) {
        std::fprintf(stderr, "make_icon: cannot write the icon\n");
        return 1;
    }
    return 0;
}
