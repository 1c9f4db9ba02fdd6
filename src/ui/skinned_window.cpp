#include "ui/skinned_window.h"

#include <QPalette>

namespace tieba {

using namespace Qt::StringLiterals;

void applySkin(QWidget& window, QSize size, const QPixmap& background)
{
    window.setWindowFlag(Qt::FramelessWindowHint, true);
    window.setFixedSize(size);
    window.setFont(Skin::font());
    QPalette colours = window.palette();
    colours.setBrush(QPalette::Window, QBrush(background));
    window.setPalette(colours);
    window.setAutoFillBackground(true);
}

TitleStrip* addTitleStrip(QWidget& window, int height)
{
    auto* strip = new TitleStrip(&window);
    strip->setObjectName(u"皮肤"_s);
    strip->setGeometry(1, 1, window.width() - 2, height);
    strip->setBackground(QColor(Skin::kBlue));
    return strip;
}

PictureButton* addCloseButton(QWidget& parent, const Skin& skin, QPoint position)
{
    auto* close = new PictureButton(&parent);
    close->setObjectName(u"关闭"_s);
    close->setGeometry(QRect(position, QSize(23, 17)));
    close->setPictureSource([&skin] { return skin.closeButton(); });
    return close;
}

SkinnedDialog::SkinnedDialog(const Skin& skin, QSize size, QPoint closePosition, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    applySkin(*this, size, skin.whiteSkinFor(size));
    title_ = addTitleStrip(*this);
    close_ = addCloseButton(*title_, skin, closePosition);
    connect(close_, &PictureButton::clicked, this, [this] { closeClicked(); });
}

void SkinnedDialog::closeClicked()
{
    reject();
}

} // namespace tieba
