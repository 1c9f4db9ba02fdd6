#pragma once
#include <QPushButton>

#include "core/shared_state.h"
#include "core/sites.h"
#include "platform/url_opener.h"
#include "ui/skinned_window.h"

namespace tieba {

class HyperLink;

// The program's single message box: shows `messageText` as it is when the window is created,
// an OK button, and the download link "点击下载" once a newer version has been announced.
// Opened modally through the main window's showMessage; Enter and Escape close it too.
class MessageWindow : public SkinnedDialog {
    Q_OBJECT
public:
    MessageWindow(const SharedState& state, const Sites& sites, const Skin& skin, UrlOpener& urlOpener,
                  QWidget* parent = nullptr);

signals:
    // The download link's address could not be opened; the opener of this window tells the user.
    void linkFailed(const std::string& address);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// "按钮1": a button that paints nothing and ignores the mouse but takes the keyboard focus, so
// Enter reaches the window as a click.
class InvisibleButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override {}
};

} // namespace tieba
