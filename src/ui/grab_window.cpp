#include "ui/grab_window.h"

#include <QTextCursor>

#include "ui/handover/window_post.h"
#include "ui/picture_button.h"
#include "ui/qt_text.h"

namespace tieba {

using namespace Qt::StringLiterals;

// The grab's view of the window. Workers call it inside RunTicket::write; every change is posted
// to the GUI thread tagged with the run of the moment and dropped there if that run has ended
// (a new "抢") or the window is gone. The forum name is mirrored here so workers can read it.
class GrabWindow::View final : public GrabView {
public:
    View(GrabWindow& window, const WorkerThreads& workers) : window_(&window), post_(window, &workers) {}

    void appendLog(const std::string& text) override
    {
        post_.post([window = window_, text] { window->appendLog(text); });
    }
    void replaceLog(const std::string& text) override
    {
        post_.post([window = window_, text] { window->replaceLog(text); });
    }
    void showCaptcha(const std::string& pictureBytes, bool emptyBox) override
    {
        post_.post([window = window_, pictureBytes, emptyBox] { window->showCaptcha(pictureBytes, emptyBox); });
    }
    std::string forumName() const override { return forumName_.get(); }

    void setForumName(std::string name) { forumName_.set(std::move(name)); }
    void close() { post_.close(); }

private:
    GrabWindow* window_; // used only by calls the post delivers while the window exists
    WindowPost post_;
    Synchronized<std::string> forumName_;
};

GrabWindow::GrabWindow(GrabWindowServices services, QWidget* parent)
    : SkinnedDialog(services.skin, QSize(183, 266), QPoint(158, 0), parent),
      state_(services.state),
      messages_(services.messages)
{
    setObjectName(u"GrabWindow"_s);
    setWindowTitle(u"抢签"_s);
    // This window's strip is one pixel taller than the others'.
    titleStrip()->setGeometry(1, 1, 181, 24);
    buildControls(services.skin);

    view_ = std::make_shared<View>(*this, state_.workerThreads);
    tool_ = GrabTool::create(GrabServices{services.state, services.sites, services.powerOff, services.workerWaiter,
                                          std::move(services.fetchPicture)},
                             view_);
    connect(forumBox_, &QLineEdit::textChanged, this,
            [this](const QString& text) { view_->setForumName(fromQt(text)); });

    accounts_.show(state_);
    if (state_.shutdownAfterGrab.get() == "1")
        shutdownNote_->setText(u"完成后将自动关机"_s);
}

GrabWindow::~GrabWindow()
{
    tool_->close();
    view_->close();
}

void GrabWindow::done(int result)
{
    tool_->close();
    SkinnedDialog::done(result);
}

void GrabWindow::buildControls(const Skin& skin)
{
    auto* hint = placeControl<QLabel>(*this, u"标签1"_s, 5, 30, 171, 32);
    hint->setText(u"  0点之前点击抢之后，请等待\n   0点时它自动会刷新签到的"_s);
    hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    shutdownNote_ = placeControl<QLabel>(*this, u"标签5"_s, 32, 60, 120, 16);

    for (int n = 0; n < 3; ++n) {
        const QString number = QString::number(n + 1);
        accounts_.radios[n] = placeControl<QRadioButton>(*this, u"单选框"_s + number, 5, 80 + 24 * n, 16, 16);
        accounts_.labels[n] = placeControl<QLabel>(*this, u"账号标签"_s + number, 24, 80 + 24 * n, 80, 16);
        accounts_.labels[n]->setText(u"未添加账号"_s);
    }

    captchaPicture_ = placeControl<QLabel>(*this, u"验证码图片"_s, 112, 79, 64, 33);
    captchaPicture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    captchaBox_ = placeControl<QLineEdit>(*this, u"验证码框"_s, 112, 120, 64, 24);
    captchaBox_->hide();
    connect(captchaBox_, &QLineEdit::textChanged, this, &GrabWindow::codeChanged);

    auto* forumCaption = placeControl<QLabel>(*this, u"标签6"_s, 8, 149, 75, 27);
    forumCaption->setText(u"请输入贴吧名"_s);
    forumBox_ = placeControl<QLineEdit>(*this, u"贴吧框"_s, 96, 151, 80, 25);

    log_ = placeControl<QPlainTextEdit>(*this, u"日志"_s, 8, 180, 80, 80);
    log_->setReadOnly(true);

    auto* grab = placeControl<PictureButton>(*this, u"抢"_s, 96, 180, 80, 80);
    grab->setPictures(skin.grabButton());
    connect(grab, &PictureButton::clicked, this, &GrabWindow::grabClicked);
}

void GrabWindow::grabClicked()
{
    if (forumBox_->text().isEmpty()) {
        showMessage(state_, messages_, gb("请输入贴吧名！注必须是已经喜欢的贴吧"));
        forumBox_->setFocus();
        return;
    }
    const int account = accounts_.chosen();
    state_.selectedAccount = account;
    if (account == 0) {
        showMessage(state_, messages_, gb("未添加任何账号"));
        return;
    }
    log_->clear();
    tool_->start(account);
}

void GrabWindow::codeChanged(const QString& text)
{
    // Counted in bytes of the program's encoding: two Chinese characters are four.
    const std::string code = fromQt(text);
    if (code.size() >= 4)
        tool_->codeTyped(code);
}

void GrabWindow::appendLog(const std::string& text)
{
    log_->moveCursor(QTextCursor::End);
    log_->insertPlainText(toQtLines(text));
    log_->moveCursor(QTextCursor::End);
}

void GrabWindow::replaceLog(const std::string& text)
{
    log_->setPlainText(toQtLines(text));
    log_->moveCursor(QTextCursor::End);
}

void GrabWindow::showCaptcha(const std::string& pictureBytes, bool emptyBox)
{
    showCaptchaIn(*captchaPicture_, *captchaBox_, pictureBytes, emptyBox);
}

} // namespace tieba
