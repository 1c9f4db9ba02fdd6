#pragma once
#include <QLabel>
#include <QLineEdit>
#include <functional>
#include <stop_token>
#include <string>
#include <thread>

#include "login/captcha_prompt.h"
#include "ui/skinned_window.h"

namespace tieba {

// The window that shows a login's captcha picture and takes the code: it closes by itself at
// the fourth byte typed, "停止输入" gives up, "关闭" closes without a code. The main window
// opens it modally for the captcha step and reads answer() afterwards.
class CaptchaWindow : public SkinnedDialog {
    Q_OBJECT
public:
    // Fetches a picture's raw bytes; empty on failure. Runs on a thread of its own and must
    // return soon after `stop` is requested.
    using PictureFetch = std::function<std::string(const std::string& address, std::stop_token stop)>;

    CaptchaWindow(const Skin& skin, const std::string& pictureAddress, PictureFetch fetch, QWidget* parent = nullptr);
    ~CaptchaWindow() override;

    const CaptchaAnswer& answer() const { return answer_; }

signals:
    // The download has ended; `shown` tells whether it gave a picture.
    void pictureFetched(bool shown);

protected:
    void closeClicked() override;

private:
    void showPicture(const std::string& bytes);
    void codeChanged(const QString& text);

    CaptchaAnswer answer_;
    QLabel* picture_;
    QLineEdit* codeBox_;
    std::jthread fetcher_; // last member: stopped and joined before the widgets go
};

} // namespace tieba
