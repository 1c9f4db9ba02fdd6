#pragma once
#include <QLabel>
#include <string>

#include "platform/url_opener.h"

namespace tieba {

// A hyperlink control: an underlined caption whose click opens its target address in the
// browser through the UrlOpener ("我要提意见", "点击下载", the banner's links). It takes its
// mouse presses, so a press on a link never reaches the control below it (the banner). A
// target that is no web address leaves the link inert.
class HyperLink : public QLabel {
    Q_OBJECT
public:
    HyperLink(UrlOpener& opener, QWidget* parent = nullptr);

    // The address opened on a click (GB18030); an empty target opens nothing.
    void setTarget(const std::string& address);
    const std::string& target() const { return target_; }

signals:
    void clicked();
    // The target is a web address but the desktop could not open it; whoever shows the link
    // tells the user (cannotOpenText).
    void openFailed(const std::string& address);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    UrlOpener& opener_;
    std::string target_;
    bool pressed_ = false;
};

// The message shown when a web address could not be opened, with the address to copy.
std::string cannotOpenText(const std::string& address);

// A label that reports a left-button press ("删1".."删3" delete their slot on a press).
class PressLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void leftPressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace tieba
