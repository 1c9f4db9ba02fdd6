#pragma once
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QString>
#include <array>
#include <string>

#include "core/shared_state.h"

namespace tieba {

// Pieces that GrabWindow and BumpWindow build alike.

// A child widget named `name` at x, y in width x height.
template <class W>
W* placeControl(QWidget& parent, const QString& name, int x, int y, int width, int height)
{
    auto* widget = new W(&parent);
    widget->setObjectName(name);
    widget->setGeometry(x, y, width, height);
    return widget;
}

// The account choice "单选框1".."单选框3" with its labels "账号标签1".."账号标签3": the labels show the
// stored accounts ("未添加账号" beyond them); the first radio button is checked when there is an
// account, and the buttons without an account are disabled.
struct AccountChoice {
    std::array<QRadioButton*, 3> radios{};
    std::array<QLabel*, 3> labels{};

    void show(const SharedState& state);
    // 1..3 for the checked button, tested in slot order; 0 when none is checked.
    int chosen() const;
};

// The captcha corner "验证码图片" / "验证码框": shows the picture (fitted into the box), makes the
// code box visible and, with `emptyBox`, empties it.
void showCaptchaIn(QLabel& picture, QLineEdit& codeBox, const std::string& pictureBytes, bool emptyBox);

} // namespace tieba
