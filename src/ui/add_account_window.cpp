#include "ui/add_account_window.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

#include "settings/account_slots.h"
#include "ui/qt_text.h"

namespace tieba {

using namespace Qt::StringLiterals;

namespace {

bool isEnter(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

AddAccountWindow::AddAccountWindow(SharedState& state, const Skin& skin, MessagePresenter& messages,
                                   std::function<void()> accountsChanged, QWidget* parent)
    : SkinnedDialog(skin, QSize(218, 86), QPoint(192, 1), parent),
      state_(state),
      messages_(messages),
      accountsChanged_(std::move(accountsChanged))
{
    setObjectName(u"AddAccountWindow"_s);
    setWindowTitle(u"添加账号"_s);
    move(50, 50);

    auto* idCaption = new QLabel(u"账号"_s, this);
    idCaption->setObjectName(u"标签1"_s);
    idCaption->setGeometry(6, 32, 24, 16);
    auto* passwordCaption = new QLabel(u"密码"_s, this);
    passwordCaption->setObjectName(u"标签2"_s);
    passwordCaption->setGeometry(6, 59, 24, 16);

    id_ = new QLineEdit(this);
    id_->setObjectName(u"id"_s);
    id_->setGeometry(40, 29, 112, 24);
    password_ = new QLineEdit(this);
    password_->setObjectName(u"ps"_s);
    password_->setGeometry(40, 56, 112, 24);
    password_->setEchoMode(QLineEdit::Password);
    password_->setStyleSheet(u"QLineEdit { lineedit-password-character: 42; }"_s);

    auto* add = new PictureButton(this);
    add->setObjectName(u"添加"_s);
    add->setGeometry(160, 29, 50, 50);
    add->setPictures(skin.addButton());
    connect(add, &PictureButton::clicked, this, &AddAccountWindow::addAccount);

    const QString tip = u"也可按回车进行下一步哦！"_s;
    // Where the password is typed and committed, the user learns how little guards it on disk.
    const QString passwordTip = tip + u"\n注意：密码在shuju.dat中只是简单编码，并未加密，请妥善保管该文件。"_s;
    id_->setToolTip(tip);
    password_->setToolTip(passwordTip);
    add->setToolTip(passwordTip);

    id_->installEventFilter(this);
    password_->installEventFilter(this);
    id_->setFocus();
}

void AddAccountWindow::addAccount()
{
    const AddAccountResult result = tieba::addAccount(state_, fromQt(id_->text()), fromQt(password_->text()));
    if (result == AddAccountResult::Added && accountsChanged_)
        accountsChanged_();
    if (result != AddAccountResult::Added)
        messages_.showMessage(addAccountMessage(result));
    switch (result) {
    case AddAccountResult::EmptyName:
        id_->setFocus();
        break;
    case AddAccountResult::EmptyPassword:
        password_->setFocus();
        break;
    case AddAccountResult::SlotsFull:
        break;
    case AddAccountResult::Added:
    case AddAccountResult::Duplicate:
        // The password stays: a second name typed and confirmed by keyboard gets the same one.
        id_->clear();
        id_->setFocus();
        break;
    }
}

bool AddAccountWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == id_ && isEnter(event)) {
        password_->setFocus();
        return true;
    }
    if (watched == password_) {
        if (isEnter(event)) {
            addAccount();
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            password_->clear();
    }
    return SkinnedDialog::eventFilter(watched, event);
}

} // namespace tieba
