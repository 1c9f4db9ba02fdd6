#include "ui/bump_window.h"

#include <QIntValidator>
#include <algorithm>

#include "ui/handover/window_post.h"
#include "ui/qt_text.h"

namespace tieba {

using namespace Qt::StringLiterals;

// The bump's view of the window. Workers call it inside RunTicket::write; every change is posted
// to the GUI thread and dropped there once the window is gone. The bump's runs are never ended
// while the window is open, so no change is tagged with one. The reply count is mirrored here
// so the posting thread reads it as it stands when the series begins.
class BumpWindow::View final : public BumpView {
public:
    explicit View(BumpWindow& window) : window_(&window), post_(window) {}

    void setBumpEnabled(bool enabled) override
    {
        post_.post([window = window_, enabled] { window->bump_->setEnabled(enabled); });
    }
    void showCaptcha(const std::string& pictureBytes, bool emptyBox) override
    {
        post_.post([window = window_, pictureBytes, emptyBox] {
            showCaptchaIn(*window->captchaPicture_, *window->captchaBox_, pictureBytes, emptyBox);
        });
    }
    std::string replyCountText() const override { return countText_.get(); }

    void setCountText(std::string text) { countText_.set(std::move(text)); }
    void close() { post_.close(); }

private:
    BumpWindow* window_; // used only by calls the post delivers while the window exists
    WindowPost post_;
    Synchronized<std::string> countText_;
};

BumpWindow::BumpWindow(BumpWindowServices services, QWidget* parent)
    : SkinnedDialog(services.skin, QSize(264, 262), QPoint(239, 0), parent),
      state_(services.state),
      sites_(services.sites),
      messages_(services.messages)
{
    setObjectName(u"BumpWindow"_s);
    setWindowTitle(u"刷帖"_s);
    buildControls(services.skin);

    view_ = std::make_shared<View>(*this);
    tool_ = BumpTool::create(BumpServices{services.state, services.sites, services.workers, services.messages,
                                          services.workerWaiter, std::move(services.fetchPicture)},
                             view_);
    connect(count_, &QLineEdit::textChanged, this, [this](const QString& text) { view_->setCountText(fromQt(text)); });

    accounts_.show(state_);
}

BumpWindow::~BumpWindow()
{
    view_->close();
}

void BumpWindow::buildControls(const Skin& skin)
{
    auto* hint = placeControl<QLabel>(*this, u"标签3"_s, 8, 27, 252, 40);
    hint->setText(toQtLines(gb("         刷帖反应会慢，请稍等\r\n只支持不要验证码的贴吧一次回五贴。贴子地址\r\n   (例如") +
                            sites_.threadAddressPrefix + gb("数字)")));
    hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Three lines in 40 pixels: the face's 12 px lines are 15 high and lose the address line.
    hint->setFont(Skin::font(11));
    placeControl<QLabel>(*this, u"标签1"_s, 8, 76, 60, 16)->setText(u"贴子地址"_s);
    address_ = placeControl<QLineEdit>(*this, u"帖子地址"_s, 8, 98, 160, 24);

    const int radioY[3] = {82, 99, 116};
    const QRect labelPlaces[3] = {{188, 77, 72, 24}, {188, 98, 72, 16}, {188, 115, 64, 16}};
    for (int n = 0; n < 3; ++n) {
        const QString number = QString::number(n + 1);
        accounts_.radios[n] = placeControl<QRadioButton>(*this, u"单选框"_s + number, 173, radioY[n], 16, 16);
        const QRect& place = labelPlaces[n];
        accounts_.labels[n] =
            placeControl<QLabel>(*this, u"账号标签"_s + number, place.x(), place.y(), place.width(), place.height());
        accounts_.labels[n]->setText(u"未添加账号"_s);
    }

    placeControl<QLabel>(*this, u"标签2"_s, 8, 131, 56, 16)->setText(u"回复内容:"_s);
    placeControl<QLabel>(*this, u"标签4"_s, 83, 129, 24, 16)->setText(u"回复"_s);
    count_ = placeControl<QLineEdit>(*this, u"编辑框1"_s, 112, 128, 32, 20);
    count_->setValidator(new QIntValidator(count_));
    placeControl<QLabel>(*this, u"标签5"_s, 150, 129, 16, 16)->setText(u"次"_s);
    reply_ = placeControl<QPlainTextEdit>(*this, u"回复内容"_s, 8, 152, 160, 105);

    captchaPicture_ = placeControl<QLabel>(*this, u"验证码图片"_s, 176, 130, 80, 28);
    captchaPicture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    captchaBox_ = placeControl<QLineEdit>(*this, u"验证码框"_s, 176, 154, 80, 20);
    captchaBox_->hide();
    connect(captchaBox_, &QLineEdit::textChanged, this, &BumpWindow::codeChanged);

    bump_ = placeControl<PictureButton>(*this, u"刷帖"_s, 176, 176, 80, 80);
    bump_->setPictures(skin.bumpButton());
    connect(bump_, &PictureButton::clicked, this, &BumpWindow::bumpClicked);
}

void BumpWindow::bumpClicked()
{
    const std::string address = fromQt(address_->text());
    if (address.empty()) {
        showMessage(state_, messages_,
                    gb("请输入帖子地址！注必须是:(") + sites_.threadAddressPrefix + gb("数字)这种格式的"));
        address_->setFocus();
        return;
    }
    if (reply_->toPlainText().isEmpty()) {
        showMessage(state_, messages_, gb("请输入回复内容！"));
        reply_->setFocus();
        return;
    }
    const int account = accounts_.chosen();
    state_.selectedAccount = account;
    if (account == 0) {
        showMessage(state_, messages_, gb("未添加任何账号"));
        return;
    }

    BumpOrder order;
    order.account = account;
    order.replyText = fromQtLines(reply_->toPlainText());
    // Whatever follows the prefix's length is the thread number; the prefix itself is not compared.
    order.threadId = address.substr(std::min(address.size(), sites_.threadAddressPrefix.size()));
    state_.replyText.set(order.replyText);
    state_.bumpThreadId.set(order.threadId);

    // Disabled before the login starts, so a quick refusal that enables it again comes after.
    bump_->setEnabled(false);
    tool_->start(std::move(order));
}

void BumpWindow::codeChanged(const QString& text)
{
    // Counted in bytes of the program's encoding: two Chinese characters are four.
    const std::string code = fromQt(text);
    if (code.size() >= 4)
        tool_->codeTyped(code);
}

} // namespace tieba
