#include "ui/canvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <cmath>

#include "ui/skin.h"

namespace tieba {

Canvas::Canvas(QWidget* parent) : QWidget(parent), background_(Qt::white)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Canvas::setBackground(const QColor& colour)
{
    background_ = colour;
    clear();
}

void Canvas::clear()
{
    image_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image_.fill(background_);
    update();
}

const QImage& Canvas::image() const
{
    fitImage();
    return image_;
}

void Canvas::fitImage() const
{
    const QSize wanted = size().expandedTo(QSize(1, 1));
    if (image_.size() == wanted)
        return;
    QImage fitted(wanted, QImage::Format_RGB32);
    fitted.fill(background_);
    if (!image_.isNull()) {
        QPainter painter(&fitted);
        painter.drawImage(0, 0, image_);
    }
    image_ = fitted;
}

void Canvas::drawText(int x, int y, const QString& text, int size, bool bold, const QColor& colour)
{
    fitImage();
    QPainter painter(&image_);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // Points at the 96 dots per inch the layouts are made for.
    painter.setFont(Skin::font(static_cast<int>(std::lround(size * 96.0 / 72.0)), bold));
    painter.setPen(colour);
    painter.drawText(QRect(x, y, image_.width() - x, image_.height() - y), Qt::AlignLeft | Qt::AlignTop, text);
    update();
}

void Canvas::drawPicture(int x, int y, const QImage& picture)
{
    fitImage();
    QPainter painter(&image_);
    painter.drawImage(QPoint(x, y), picture);
    update();
}

void Canvas::drawPicture(int x, int y, int width, int height, const QImage& picture)
{
    if (width <= 0 || height <= 0)
        return;
    fitImage();
    QPainter painter(&image_);
    painter.drawImage(QRect(x, y, width, height), picture);
    update();
}

void Canvas::paintEvent(QPaintEvent*)
{
    fitImage();
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}

void Canvas::resizeEvent(QResizeEvent* event)
{
    fitImage();
    QWidget::resizeEvent(event);
}

void Canvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit leftPressed(event->position().toPoint());
    QWidget::mousePressEvent(event);
}

TitleStrip::TitleStrip(QWidget* parent) : Canvas(parent) {}

void TitleStrip::mousePressEvent(QMouseEvent* event)
{
    Canvas::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    QWidget* top = window();
    if (top->windowHandle() && top->windowHandle()->startSystemMove())
        return;
    dragging_ = true;
    grabOffset_ = event->globalPosition().toPoint() - top->pos();
}

void TitleStrip::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_ && (event->buttons() & Qt::LeftButton))
        window()->move(event->globalPosition().toPoint() - grabOffset_);
    Canvas::mouseMoveEvent(event);
}

void TitleStrip::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        dragging_ = false;
    Canvas::mouseReleaseEvent(event);
}

} // namespace tieba
