#pragma once
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <memory>

#include "core/message_presenter.h"
#include "core/shared_state.h"
#include "core/sites.h"
#include "core/waiter.h"
#include "platform/power_off.h"
#include "tools/grab/grab_tool.h"
#include "ui/tool_controls.h"
#include "ui/skinned_window.h"

namespace tieba {

// What GrabWindow is built with. The references must outlive the window and its threads.
struct GrabWindowServices {
    SharedState& state;
    const Sites& sites;
    const Skin& skin;
    MessagePresenter& messages; // the checks of "抢", on the GUI thread
    PowerOff& powerOff;
    Waiter& workerWaiter;
    PictureFetch fetchPicture;
};

// The grab-first sign-in window, 183 x 266, opened modally from the main window's "抢签": the
// account choice, the forum name "贴吧框", the log "日志", the captcha corner and "抢", which
// starts the grab of GrabTool. Closing it, by "关闭" or otherwise, ends the grab's threads.
class GrabWindow : public SkinnedDialog {
    Q_OBJECT
public:
    explicit GrabWindow(GrabWindowServices services, QWidget* parent = nullptr);
    ~GrabWindow() override;

    void done(int result) override;

private:
    class View;

    void buildControls(const Skin& skin);
    void grabClicked();
    void codeChanged(const QString& text);

    // The GUI-thread halves of the view.
    void appendLog(const std::string& text);
    void replaceLog(const std::string& text);
    void showCaptcha(const std::string& pictureBytes, bool emptyBox);

    SharedState& state_;
    MessagePresenter& messages_;

    AccountChoice accounts_;
    QLabel* shutdownNote_ = nullptr;
    QLabel* captchaPicture_ = nullptr;
    QLineEdit* captchaBox_ = nullptr;
    QLineEdit* forumBox_ = nullptr;
    QPlainTextEdit* log_ = nullptr;

    std::shared_ptr<View> view_;
    std::shared_ptr<GrabTool> tool_;
};

} // namespace tieba
