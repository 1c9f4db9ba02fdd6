#include "ui/skin.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>

namespace tieba {
namespace {

using namespace Qt::StringLiterals;

QImage blank(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QImage framedBackground(QRgb fill)
{
    QImage image = blank(Skin::kBackgroundSize.width(), Skin::kBackgroundSize.height(), fill);
    QPainter painter(&image);
    painter.setPen(QColor(Skin::kBlack));
    painter.drawRect(0, 0, image.width() - 1, image.height() - 1);
    return image;
}

void drawCentredWord(QImage& image, const QString& word, int pixelSize, bool bold, QRgb colour, QPoint shift = {})
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(Skin::font(pixelSize, bold));
    painter.setPen(QColor(colour));
    painter.drawText(image.rect().translated(shift), Qt::AlignCenter, word);
}

// One-pixel grey lines: along the right and bottom edges for the hot look, along the top and
// left edges for the pressed one, so the button seems to rise and sink.
enum class Edge { RightBottom, TopLeft };

void drawEdgeLines(QImage& image, Edge edge)
{
    QPainter painter(&image);
    painter.setPen(QColor(Skin::kEdgeGrey));
    const int right = image.width() - 1;
    const int bottom = image.height() - 1;
    if (edge == Edge::RightBottom) {
        painter.drawLine(right, 0, right, bottom);
        painter.drawLine(0, bottom, right, bottom);
    } else {
        painter.drawLine(0, 0, right, 0);
        painter.drawLine(0, 0, 0, bottom);
    }
}

ButtonPictures characterButton(const QString& character)
{
    QImage normal = blank(80, 80, Skin::kWhite);
    drawCentredWord(normal, character, 52, true, Skin::kSkyBlue);
    QImage hot = normal;
    drawEdgeLines(hot, Edge::RightBottom);
    QImage pressed = normal;
    drawEdgeLines(pressed, Edge::TopLeft);
    return {QPixmap::fromImage(std::move(normal)), QPixmap::fromImage(std::move(hot)),
            QPixmap::fromImage(std::move(pressed))};
}

ButtonPictures wordButton(int width, int height, const QString& caption, int pixelSize)
{
    QImage normal = blank(width, height, Skin::kWhite);
    {
        QPainter painter(&normal);
        painter.setPen(QColor(220, 220, 220));
        painter.drawRect(0, 0, width - 1, height - 1);
    }
    QImage pressed = normal;
    drawCentredWord(normal, caption, pixelSize, false, Skin::kSkyBlue);
    QImage hot = normal; // the caption in the same place: drawn once
    drawEdgeLines(hot, Edge::RightBottom);
    drawCentredWord(pressed, caption, pixelSize, false, Skin::kSkyBlue, QPoint(1, 1));
    drawEdgeLines(pressed, Edge::TopLeft);
    return {QPixmap::fromImage(std::move(normal)), QPixmap::fromImage(std::move(hot)),
            QPixmap::fromImage(std::move(pressed))};
}

QImage closeCross(QImage image)
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(Skin::kWhite), 1.6));
    painter.drawLine(QPointF(8, 5), QPointF(15, 12));
    painter.drawLine(QPointF(15, 5), QPointF(8, 12));
    return image;
}

ButtonPictures closePictures()
{
    QImage normal = closeCross(blank(23, 17, Skin::kBlue));
    QImage reddish(23, 17, QImage::Format_RGB32);
    {
        QPainter painter(&reddish);
        QLinearGradient gradient(0, 0, 0, 17);
        gradient.setColorAt(0, QColor(240, 110, 95));
        gradient.setColorAt(1, QColor(196, 32, 28));
        painter.fillRect(reddish.rect(), gradient);
    }
    const QPixmap hot = QPixmap::fromImage(closeCross(std::move(reddish)));
    return {QPixmap::fromImage(std::move(normal)), hot, hot};
}

QImage minimizeBar(QRgb background)
{
    QImage image = blank(22, 17, background);
    QPainter painter(&image);
    painter.fillRect(7, 10, 8, 2, QColor(Skin::kWhite));
    return image;
}

QImage pageTile(const QString& word)
{
    QImage image = blank(60, 60, Skin::kSkyBlue);
    drawCentredWord(image, word, 17, true, Skin::kWhite);
    return image;
}

QImage framedPageTile(QImage tile)
{
    QPainter painter(&tile);
    painter.setPen(QColor(Skin::kPageFrame));
    painter.drawRect(0, 0, 59, 59);
    return tile;
}

QPixmap column(QRgb middle)
{
    QImage image = blank(1, kProgressBarHeight, middle);
    image.setPixel(0, 0, Skin::kBarGrey);
    image.setPixel(0, kProgressBarHeight - 1, Skin::kBarGrey);
    return QPixmap::fromImage(std::move(image));
}

const QString& pageWord(int page)
{
    static const QString words[3] = {u"签到"_s, u"工具"_s, u"设置"_s};
    return words[page];
}

int validPage(int page)
{
    return page < 0 || page > 2 ? 0 : page;
}

template <class T, class Draw>
const T& drawnOnce(std::optional<T>& slot, Draw draw)
{
    if (!slot)
        slot = draw();
    return *slot;
}

} // namespace

const QPixmap& Skin::mainSkin() const
{
    return drawnOnce(mainSkin_, [] { return QPixmap::fromImage(framedBackground(kSkyBlue)); });
}

const QPixmap& Skin::whiteSkin() const
{
    return drawnOnce(whiteSkin_, [] { return QPixmap::fromImage(framedBackground(kWhite)); });
}

const ButtonPictures& Skin::closeButton() const
{
    return drawnOnce(close_, closePictures);
}

const ButtonPictures& Skin::minimizeButton() const
{
    return drawnOnce(minimize_, [] {
        const QPixmap hot = QPixmap::fromImage(minimizeBar(kSkyBlue));
        return ButtonPictures{QPixmap::fromImage(minimizeBar(kBlue)), hot, hot};
    });
}

const QPixmap& Skin::pagePlain(int page) const
{
    page = validPage(page);
    return drawnOnce(pagePlain_[page], [page] { return QPixmap::fromImage(pageTile(pageWord(page))); });
}

const QPixmap& Skin::pageFramed(int page) const
{
    page = validPage(page);
    // The plain tile with a frame around it: its word is drawn once for both.
    return drawnOnce(pageFramed_[page],
                     [this, page] { return QPixmap::fromImage(framedPageTile(pagePlain(page).toImage())); });
}

const ButtonPictures& Skin::grabButton() const
{
    return drawnOnce(grab_, [] { return characterButton(u"抢"_s); });
}

const ButtonPictures& Skin::bumpButton() const
{
    return drawnOnce(bump_, [] { return characterButton(u"刷"_s); });
}

const ButtonPictures& Skin::oneClickButton() const
{
    return drawnOnce(oneClick_, [] { return wordButton(104, 40, u"一键签到"_s, 16); });
}

const ButtonPictures& Skin::addAccountButton() const
{
    return drawnOnce(addAccount_, [] { return wordButton(104, 40, u"添加账号"_s, 16); });
}

const ButtonPictures& Skin::stopButton() const
{
    return drawnOnce(stop_, [] { return wordButton(80, 24, u"停止签到"_s, 13); });
}

const ButtonPictures& Skin::saveButton() const
{
    return drawnOnce(save_, [] { return wordButton(56, 24, u"保存"_s, 13); });
}

const ButtonPictures& Skin::okButton() const
{
    return drawnOnce(ok_, [] { return wordButton(80, 32, u"确定"_s, 15); });
}

const ButtonPictures& Skin::addButton() const
{
    return drawnOnce(add_, [] { return wordButton(50, 50, u"添加"_s, 15); });
}

const ButtonPictures& Skin::stopInputButton() const
{
    return drawnOnce(stopInput_, [] { return wordButton(100, 24, u"停止输入"_s, 13); });
}

QPixmap Skin::whiteSkinFor(QSize size) const
{
    // Keep the frame: copy the skin's top-left part, then its right column and bottom row.
    const QImage source = whiteSkin().toImage();
    QImage fitted = blank(size.width(), size.height(), kWhite);
    QPainter painter(&fitted);
    const int w = size.width();
    const int h = size.height();
    painter.drawImage(QRect(0, 0, w - 1, h - 1), source, QRect(0, 0, w - 1, h - 1));
    painter.drawImage(QRect(w - 1, 0, 1, h - 1), source, QRect(source.width() - 1, 0, 1, h - 1));
    painter.drawImage(QRect(0, h - 1, w, 1), source, QRect(source.width() - w, source.height() - 1, w, 1));
    painter.end();
    return QPixmap::fromImage(std::move(fitted));
}

const QPixmap& Skin::progressColumn(ProgressColumn which) const
{
    switch (which) {
    case ProgressColumn::Filled:
        return drawnOnce(filledColumn_, [] { return column(kBarBlue); });
    case ProgressColumn::Edge:
        return drawnOnce(edgeColumn_, [] { return column(kBarGrey); });
    case ProgressColumn::Empty:
        break;
    }
    return drawnOnce(emptyColumn_, [] { return column(kWhite); });
}

QFont Skin::font(int pixelSize, bool bold)
{
    QFont face(u"WenQuanYi Micro Hei"_s);
    face.setPixelSize(pixelSize);
    face.setBold(bold);
    return face;
}

} // namespace tieba
