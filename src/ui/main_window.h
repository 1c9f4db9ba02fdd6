#pragma once
#include <QWidget>
#include <array>
#include <atomic>
#include <functional>

#include "core/message_presenter.h"
#include "core/shared_state.h"
#include "core/sites.h"
#include "login/captcha_prompt.h"
#include "platform/process_exit.h"
#include "platform/url_opener.h"
#include "settings/settings_store.h"
#include "core/run_views.h"
#include "ui/captcha_window.h"
#include "ui/dialog_runner.h"
#include "ui/handover/window_post.h"
#include "ui/skin.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QStackedWidget;
class QTimer;

namespace tieba {

class Canvas;
class HyperLink;
class PictureButton;
class PressLabel;
class TitleStrip;

class MainWindow;

// What the main window is built with. The references must outlive the window.
struct MainWindowServices {
    SharedState& state;
    const Sites& sites;
    const Skin& skin;
    UrlOpener& urlOpener;
    ProcessExit& processExit;
    DialogRunner& dialogs;
    CaptchaWindow::PictureFetch fetchPicture;           // captcha pictures
    std::function<void(MainWindow&)> startNoticeReader; // last step of the creation
    std::function<void()> openGrabWindow;               // "抢签"
    std::function<void()> openBumpWindow;               // "刷帖"
};

// The program's first and central window: title strip, notice banner and the three pages
// "签到", "工具", "设置". It is what the sign-in run, the settings and the prompts talk to:
// calls that arrive from worker threads are posted to the GUI thread, those of the run tagged
// with the run of the moment and dropped on arrival when that run has ended since. Its run
// buttons and its timer "时钟1" only signal; the start-up connects them to the run.
class MainWindow : public QWidget,
                   public WorkLog,
                   public ProgressDisplay,
                   public RunControls,
                   public AccountTicks,
                   public SettingsControls,
                   public CaptchaPrompt,
                   public MessagePresenter {
    Q_OBJECT
public:
    explicit MainWindow(MainWindowServices services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows page n of "选择夹1" and frames its page button.
    void selectPage(int page);
    int currentPage() const;

    // The banner "画板1" and its template link "超级链接", for the notice reader.
    Canvas& banner() const { return *banner_; }
    HyperLink& bannerLinkTemplate() const { return *bannerLink_; }

    // Shows the account names on "标签1".."标签3".
    void refreshAccountLabels();

    // WorkLog ("工作日志")
    void append(const std::string& text) override;
    void clear() override;
    // ProgressDisplay ("进度标签", "进度条")
    void setCaption(const std::string& text) override;
    void drawBar(int done, int total) override;
    // RunControls
    void setRunControlsEnabled(bool enabled) override;
    // AccountTicks: any thread
    bool isTicked(int account) const override;
    // SettingsControls: GUI thread
    std::string exclusionText() const override;
    void appendExclusionText(const std::string& text) override;
    bool isChecked(int box) const override;
    void setChecked(int box, bool checked) override;
    void setAccountLabel(int n, const std::string& caption) override;
    // CaptchaPrompt
    CaptchaAnswer askCaptcha(const std::string& pictureAddress) override;
    // MessagePresenter: a worker waits until the window is closed, or until its stop
    void showMessage(const std::string& text) override;
    void showMessageUntil(const std::string& text, std::stop_token stop) override;

signals:
    void oneClickClicked(); // "一键签到"
    void stopClicked();     // "停止签到"
    void clockTicked();     // "时钟1", every 100 ms

private:
    void buildControls();
    void buildSignInPage(QWidget& page);
    void buildToolsPage(QWidget& page);
    void buildSettingsPage(QWidget& page);
    void runCreationSequence();

    void openMessage(const std::string& text);
    void openAddAccountWindow();
    void deleteSlot(int n);
    void closeProgram();
    // "保存失败：" and the reason in the message window; nothing for an empty reason.
    void tellSaveFailure(const std::string& reason);

    SharedState& state_;
    const Sites& sites_;
    const Skin& skin_;
    UrlOpener& urlOpener_;
    ProcessExit& processExit_;
    DialogRunner& dialogs_;
    CaptchaWindow::PictureFetch fetchPicture_;
    std::function<void(MainWindow&)> startNoticeReader_;
    std::function<void()> openGrabWindow_;
    std::function<void()> openBumpWindow_;
    WindowPost runPost_;     // what the run shows: dropped once the run has ended
    WindowPost messagePost_; // messages, whoever asks

    TitleStrip* title_ = nullptr;
    PictureButton* minimize_ = nullptr;
    PictureButton* close_ = nullptr;
    Canvas* banner_ = nullptr;
    HyperLink* bannerLink_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    std::array<PictureButton*, 3> pageButtons_{};

    std::array<QCheckBox*, 4> checkBoxes_{};
    std::array<QLabel*, 3> nameLabels_{};
    std::array<PressLabel*, 3> deleteLabels_{};
    std::array<QTimer*, 3> deleteFlash_{};
    PictureButton* oneClick_ = nullptr;
    PictureButton* addAccount_ = nullptr;
    PictureButton* stop_ = nullptr;
    QLabel* progressCaption_ = nullptr;
    Canvas* progressBar_ = nullptr;
    QPlainTextEdit* workLog_ = nullptr;
    HyperLink* feedback_ = nullptr;
    PictureButton* grab_ = nullptr;
    PictureButton* bump_ = nullptr;
    PictureButton* save_ = nullptr;
    QPlainTextEdit* exclusionBox_ = nullptr;
    QTimer* clock_ = nullptr;

    std::array<std::atomic<bool>, 3> ticks_{}; // mirror of "选择框1".."选择框3" for workers
};

} // namespace tieba
