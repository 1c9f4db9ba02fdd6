#include "ui/message_window.h"

#include <QKeyEvent>
#include <QLabel>

#include "ui/hyperlink.h"
#include "ui/qt_text.h"

namespace tieba {

using namespace Qt::StringLiterals;

MessageWindow::MessageWindow(const SharedState& state, const Sites& sites, const Skin& skin, UrlOpener& urlOpener,
                             QWidget* parent)
    : SkinnedDialog(skin, QSize(192, 162), QPoint(168, 0), parent)
{
    setObjectName(u"MessageWindow"_s);
    setWindowTitle(u"提示"_s);

    auto* text = new QLabel(this);
    text->setObjectName(u"标签1"_s);
    text->setGeometry(8, 38, 176, 78);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setTextFormat(Qt::PlainText); // messages may carry text from the notice page
    text->setText(toQtLines(state.messageText.get()));
    text->setTextInteractionFlags(Qt::TextSelectableByMouse); // an address in it can be copied

    auto* download = new HyperLink(urlOpener, this);
    download->setObjectName(u"超级链接框1"_s);
    download->setGeometry(72, 88, 56, 16);
    download->setText(u"点击下载"_s);
    download->setTarget(sites.downloadPageUrl);
    download->setVisible(state.newVersionFound.load() == 1);
    connect(download, &HyperLink::openFailed, this, &MessageWindow::linkFailed);

    auto* ok = new PictureButton(this);
    ok->setObjectName(u"图形按钮1"_s);
    ok->setGeometry(56, 123, 80, 32);
    ok->setPictures(skin.okButton());
    connect(ok, &PictureButton::clicked, this, &QDialog::accept);

    auto* keyboard = new InvisibleButton(u"按钮"_s, this);
    keyboard->setObjectName(u"按钮1"_s);
    keyboard->setGeometry(16, 128, 16, 16);
    keyboard->setAttribute(Qt::WA_TransparentForMouseEvents);
    keyboard->setFocusPolicy(Qt::StrongFocus);
    connect(keyboard, &QPushButton::clicked, this, &QDialog::accept);
    keyboard->setFocus();
}

void MessageWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        accept();
        return;
    default:
        SkinnedDialog::keyPressEvent(event);
    }
}

} // namespace tieba
