#include "ui/picture_button.h"

#include <QPainter>
#include <utility>

namespace tieba {

PictureButton::PictureButton(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void PictureButton::setPictures(const ButtonPictures& pictures)
{
    source_ = nullptr;
    pictures_ = pictures;
    update();
}

void PictureButton::setPictureSource(PictureSource source)
{
    source_ = std::move(source);
    pictures_ = {};
    update();
}

void PictureButton::setNormalPicture(const QPixmap& picture)
{
    pictures();
    pictures_.normal = picture;
    update();
}

void PictureButton::setHotPicture(const QPixmap& picture)
{
    pictures();
    pictures_.hot = picture;
    update();
}

const ButtonPictures& PictureButton::pictures() const
{
    if (source_) {
        const PictureSource source = std::exchange(source_, nullptr);
        pictures_ = source();
    }
    return pictures_;
}

const QPixmap& PictureButton::currentPicture() const
{
    const ButtonPictures& looks = pictures();
    const QPixmap& hot = looks.hot.isNull() ? looks.normal : looks.hot;
    if (!isEnabled())
        return looks.normal;
    if (isDown())
        return looks.pressed.isNull() ? hot : looks.pressed;
    if (hot_)
        return hot;
    return looks.normal;
}

QSize PictureButton::sizeHint() const
{
    const QPixmap& normal = pictures().normal;
    return normal.isNull() ? QSize(16, 16) : normal.size();
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
