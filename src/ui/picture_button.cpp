#include "ui/picture_button.h"

#include <QPainter>

namespace tieba {

PictureButton::PictureButton(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void PictureButton::setPictures(const ButtonPictures& pictures)
{
    pictures_ = pictures;
    update();
}

void PictureButton::setNormalPicture(const QPixmap& picture)
{
    pictures_.normal = picture;
    update();
}

void PictureButton::setHotPicture(const QPixmap& picture)
{
    pictures_.hot = picture;
    update();
}

const QPixmap& PictureButton::currentPicture() const
{
    const QPixmap& hot = pictures_.hot.isNull() ? pictures_.normal : pictures_.hot;
    if (!isEnabled())
        return pictures_.normal;
    if (isDown())
        return pictures_.pressed.isNull() ? hot : pictures_.pressed;
    if (hot_)
        return hot;
    return pictures_.normal;
}

QSize PictureButton::sizeHint() const
{
    return pictures_.normal.isNull() ? QSize(16, 16) : pictures_.normal.size();
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!isEnabled())
        painter.setOpacity(0.45);
    painter.drawPixmap(0, 0, currentPicture());
}

void PictureButton::enterEvent(QEnterEvent* event)
{
    hot_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event)
{
    hot_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace tieba
