#include "ui/hyperlink.h"

#include <QMouseEvent>

namespace tieba {

HyperLink::HyperLink(UrlOpener& opener, QWidget* parent) : QLabel(parent), opener_(opener)
{
    QFont face = font();
    face.setUnderline(true);
    setFont(face);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(colours);
    setCursor(Qt::PointingHandCursor);
}

void HyperLink::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void HyperLink::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (!click)
        return;
    if (!target_.empty())
        opener_.openUrl(target_);
    emit clicked();
}

void PressLabel::mousePressEvent(QMouseEvent* event)
{
    QLabel::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        emit leftPressed();
}

} // namespace tieba
