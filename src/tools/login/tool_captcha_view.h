#pragma once
#include <functional>
#include <stop_token>
#include <string>

namespace tieba {

// Fetches a captcha picture's raw bytes with a plain GET, without the program's cookies; empty
// on failure. Called on worker threads; returns soon after `stop` is requested.
using PictureFetch = std::function<std::string(const std::string& address, std::stop_token stop)>;

// The captcha corner of a tool window: the picture box "验证码图片" and the code box "验证码框".
// GrabWindow and BumpWindow implement it by queuing the call to the GUI thread; workers call it
// inside RunTicket::write.
class ToolCaptchaView {
public:
    virtual ~ToolCaptchaView() = default;
    // Shows `pictureBytes` (any image format; empty: no picture) and makes the code box visible,
    // emptying it first when `emptyBox` is set.
    virtual void showCaptcha(const std::string& pictureBytes, bool emptyBox) = 0;
};

} // namespace tieba
