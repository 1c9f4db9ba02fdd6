#include "ui/hyperlink.h"

#include <QMouseEvent>

#include "core/encoding.h"

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

void HyperLink::setTarget(const std::string& address)
{
    target_ = address;
    setCursor(address.empty() || isWebAddress(address) ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void HyperLink::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
    // A plain label passes presses on to its parent; the link keeps them.
    event->accept();
}

void HyperLink::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    event->accept();
    if (!click)
        return;
    if (!target_.empty() && opener_.openUrl(target_) == OpenResult::Failed)
        emit openFailed(target_);
    emit clicked();
}

std::string cannotOpenText(const std::string& address)
{
    return gb("无法打开网页，请复制地址：\r\n") + address;
}

void PressLabel::mousePressEvent(QMouseEvent* event)
{
    QLabel::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        emit leftPressed();
}

} // namespace tieba
