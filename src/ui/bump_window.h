#pragma once
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <memory>

#include "core/message_presenter.h"
#include "core/shared_state.h"
#include "core/sites.h"
#include "core/waiter.h"
#include "tools/bump/bump_tool.h"
#include "ui/tool_controls.h"
#include "ui/picture_button.h"
#include "ui/skinned_window.h"

namespace tieba {

// What BumpWindow is built with. The references must outlive the bump's threads, which go on
// after the window has closed.
struct BumpWindowServices {
    SharedState& state;
    const Sites& sites;
    const Skin& skin;
    MessagePresenter& messages; // the checks of "刷帖" and the login's network failure
    WorkerThreads& workers;     // the bump's own threads
    Waiter& workerWaiter;
    PictureFetch fetchPicture;
};

// The reply bumper window, 264 x 262, opened modally from the main window's "刷帖": the thread
// address "帖子地址", the reply "回复内容", the count "编辑框1", the account choice, the captcha
// corner and "刷帖", which stays disabled while a series (or its login) is under way. Closing it
// ends nothing: a series runs on and its result is still shown.
class BumpWindow : public SkinnedDialog {
    Q_OBJECT
public:
    explicit BumpWindow(BumpWindowServices services, QWidget* parent = nullptr);
    ~BumpWindow() override;

private:
    class View;

    void buildControls(const Skin& skin);
    void bumpClicked();
    void codeChanged(const QString& text);

    SharedState& state_;
    const Sites& sites_;
    MessagePresenter& messages_;

    AccountChoice accounts_;
    QLineEdit* address_ = nullptr;
    QPlainTextEdit* reply_ = nullptr;
    QLineEdit* count_ = nullptr;
    QLabel* captchaPicture_ = nullptr;
    QLineEdit* captchaBox_ = nullptr;
    PictureButton* bump_ = nullptr;

    std::shared_ptr<View> view_;
    std::shared_ptr<BumpTool> tool_;
};

} // namespace tieba
