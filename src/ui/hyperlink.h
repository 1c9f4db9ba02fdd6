#pragma once
#include <QLabel>
#include <string>

#include "platform/url_opener.h"

namespace tieba {

// A hyperlink control: an underlined caption whose click opens its target address in the
// browser through the UrlOpener ("我要提意见", "点击下载", the banner's links).
class HyperLink : public QLabel {
    Q_OBJECT
public:
    HyperLink(UrlOpener& opener, QWidget* parent = nullptr);

    // The address opened on a click (GB18030); an empty target opens nothing.
    void setTarget(const std::string& address) { target_ = address; }
    const std::string& target() const { return target_; }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    UrlOpener& opener_;
    std::string target_;
    bool pressed_ = false;
};

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
