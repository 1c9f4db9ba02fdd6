#pragma once
#include <QDialog>
#include <QPixmap>
#include <QPoint>
#include <QSize>

#include "ui/canvas.h"
#include "ui/picture_button.h"
#include "ui/skin.h"

namespace tieba {

// The conventions every window of the program follows: no system frame, a fixed size, a
// background picture, the title strip "皮肤" across the top and the close button "关闭".

// Makes `window` frameless, `size` fixed, with `background` as its face and the skin's font.
void applySkin(QWidget& window, QSize size, const QPixmap& background);

// The title strip "皮肤", one pixel in from the left and top, the window's width less two.
TitleStrip* addTitleStrip(QWidget& window, int height = 23);

// A "关闭" picture button with the shared close pictures, at `position` inside `parent`.
PictureButton* addCloseButton(QWidget& parent, const Skin& skin, QPoint position);

// Base of the secondary windows (message, captcha, add account): a modal dialog on the white
// skin whose "关闭" runs closeClicked(), which rejects the dialog unless a window says otherwise.
class SkinnedDialog : public QDialog {
    Q_OBJECT
public:
    SkinnedDialog(const Skin& skin, QSize size, QPoint closePosition, QWidget* parent = nullptr);

    TitleStrip* titleStrip() const { return title_; }
    PictureButton* closeButton() const { return close_; }

protected:
    virtual void closeClicked();

private:
    TitleStrip* title_;
    PictureButton* close_;
};

} // namespace tieba
