#pragma once
#include <QAbstractButton>
#include <QPixmap>
#include <functional>

#include "ui/skin.h"

namespace tieba {

// A button that is only pictures: the normal one, a hot one while the pointer is over it and a
// pressed one while it is held down; drawn faded while disabled. Every window's picture
// buttons ("关闭", the page buttons, the word buttons...) are of this kind. Like the skinned
// buttons it stands for, it never takes the keyboard focus.
class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    // Hands over the pictures when they are first needed (the first paint, say).
    using PictureSource = std::function<ButtonPictures()>;

    explicit PictureButton(QWidget* parent = nullptr);

    // A missing pressed picture falls back to the hot one, a missing hot one to the normal one.
    void setPictures(const ButtonPictures& pictures);
    // Like setPictures, with pictures that are only drawn once the button needs them: a window
    // can be built and shown before any font is loaded.
    void setPictureSource(PictureSource source);
    void setNormalPicture(const QPixmap& picture);
    void setHotPicture(const QPixmap& picture);

    const QPixmap& normalPicture() const { return pictures().normal; }
    const QPixmap& hotPicture() const { return pictures().hot; }
    const QPixmap& pressedPicture() const { return pictures().pressed; }
    // The picture the button shows in its present state.
    const QPixmap& currentPicture() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    const ButtonPictures& pictures() const;

    mutable ButtonPictures pictures_;
    mutable PictureSource source_; // set: pictures_ not taken from it yet
    bool hot_ = false;
};

} // namespace tieba
