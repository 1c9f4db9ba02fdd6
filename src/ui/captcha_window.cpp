#include "ui/captcha_window.h"

#include <QImage>
#include <QPixmap>

#include "ui/qt_text.h"

namespace tieba {

using namespace Qt::StringLiterals;

CaptchaWindow::CaptchaWindow(const Skin& skin, const std::string& pictureAddress, PictureFetch fetch, QWidget* parent)
    : SkinnedDialog(skin, QSize(110, 133), QPoint(85, 0), parent)
{
    setObjectName(u"CaptchaWindow"_s);
    setWindowTitle(u"验证码"_s); // for task bars and window lists; the strip draws no caption

    picture_ = new QLabel(this);
    picture_->setObjectName(u"验证码图片"_s);
    picture_->setGeometry(5, 32, 100, 32);
    picture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    codeBox_ = new QLineEdit(this);
    codeBox_->setObjectName(u"验证码框"_s);
    codeBox_->setGeometry(5, 72, 100, 24);
    connect(codeBox_, &QLineEdit::textChanged, this, &CaptchaWindow::codeChanged);

    auto* stopInput = new PictureButton(this);
    stopInput->setObjectName(u"停止输入"_s);
    stopInput->setGeometry(5, 104, 100, 24);
    stopInput->setPictures(skin.stopInputButton());
    connect(stopInput, &PictureButton::clicked, this, [this] {
        answer_ = {CaptchaAnswer::Kind::StopInput, {}};
        reject();
    });

    codeBox_->setFocus();

    // The picture comes from the network: fetch it off the GUI thread and show it when it
    // arrives. Closing the window stops the fetch and waits for the thread in the destructor.
    if (fetch && !pictureAddress.empty()) {
        fetcher_ = std::jthread([this, pictureAddress, fetch = std::move(fetch)](std::stop_token stop) {
            std::string bytes = fetch(pictureAddress, stop);
            if (stop.stop_requested())
                return;
            QMetaObject::invokeMethod(
                this, [this, bytes = std::move(bytes)] { showPicture(bytes); }, Qt::QueuedConnection);
        });
    }
}

CaptchaWindow::~CaptchaWindow()
{
    if (fetcher_.joinable()) {
        fetcher_.request_stop();
        fetcher_.join();
    }
}

void CaptchaWindow::closeClicked()
{
    answer_ = {CaptchaAnswer::Kind::Closed, {}};
    reject();
}

void CaptchaWindow::showPicture(const std::string& bytes)
{
    QImage image;
    const auto* data = reinterpret_cast<const uchar*>(bytes.data());
    const bool shown = !bytes.empty() && image.loadFromData(data, static_cast<int>(bytes.size()));
    if (shown)
        picture_->setPixmap(QPixmap::fromImage(image));
    emit pictureFetched(shown);
}

void CaptchaWindow::codeChanged(const QString& text)
{
    // Counted in bytes of the program's encoding: two Chinese characters are four.
    std::string code = fromQt(text);
    if (code.size() < 4 || answer_.kind == CaptchaAnswer::Kind::Typed)
        return;
    answer_ = {CaptchaAnswer::Kind::Typed, std::move(code)};
    accept();
}

} // namespace tieba
