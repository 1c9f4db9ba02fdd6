#include "ui/canvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <cmath>
#include <utility>

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
    waiting_.clear();
    image_ = QImage(wantedSize(), QImage::Format_RGB32);
    image_.fill(background_);
    update();
}

const QImage& Canvas::image() const
{
    drawWaiting();
    fitImage();
    return image_;
}

QSize Canvas::wantedSize() const
{
    return size().expandedTo(QSize(1, 1));
}

void Canvas::fitImage(QSize wanted) const
{
    if (image_.size() == wanted)
        return;
    QImage fitted(wanted, QImage::Format_RGB32);
    fitted.fill(background_);
    if (!image_.isNull()) {
        QPainter painter(&fitted);
        painter.drawImage(0, 0, image_);
    }
    image_ = std::move(fitted);
}

void Canvas::drawText(int x, int y, const QString& text, int size, bool bold, const QColor& colour)
{
    // Points at the 96 dots per inch the layouts are made for.
    const int pixelSize = static_cast<int>(std::lround(size * 96.0 / 72.0));
    waiting_.push_back({wantedSize(), QPoint(x, y), text, pixelSize, bold, colour});
    update();
}

void Canvas::drawWaiting() const
{
    if (waiting_.empty())
        return;
    const std::vector<WaitingStep> steps = std::exchange(waiting_, {});
    for (const WaitingStep& step : steps) {
        fitImage(step.canvasSize);
        if (step.text.isEmpty())
            continue;
        QPainter painter(&image_);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setFont(Skin::font(step.pixelSize, step.bold));
        painter.setPen(step.colour);
        const QPoint at = step.at;
        painter.drawText(QRect(at.x(), at.y(), image_.width() - at.x(), image_.height() - at.y()),
                         Qt::AlignLeft | Qt::AlignTop, step.text);
    }
}

void Canvas::drawPicture(int x, int y, const QImage& picture)
{
    drawWaiting();
    fitImage();
    QPainter painter(&image_);
    painter.drawImage(QPoint(x, y), picture);
    update();
}

void Canvas::drawPicture(int x, int y, int width, int height, const QImage& picture)
{
    if (width <= 0 || height <= 0)
        return;
    drawWaiting();
    fitImage();
    QPainter painter(&image_);
    painter.drawImage(QRect(x, y, width, height), picture);
    update();
}

void Canvas::paintEvent(QPaintEvent*)
{
    drawWaiting();
    fitImage();
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}

void Canvas::resizeEvent(QResizeEvent* event)
{
    if (waiting_.empty())
        fitImage();
    else
        waiting_.push_back({wantedSize(), {}, {}, 0, false, {}});
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
