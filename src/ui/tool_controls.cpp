#include "ui/tool_controls.h"

#include <QImage>
#include <QPixmap>

#include "settings/account_slots.h"
#include "ui/qt_text.h"

namespace tieba {

void AccountChoice::show(const SharedState& state)
{
    showAccountLabels(state, [this](int n, const std::string& caption) { labels[n - 1]->setText(toQt(caption)); });
    const int accounts = state.accountCount();
    if (accounts >= 1)
        radios[0]->setChecked(true);
    for (int n = 1; n <= 3; ++n)
        radios[n - 1]->setEnabled(n <= accounts);
}

int AccountChoice::chosen() const
{
    int account = 0;
    for (int n = 1; n <= 3; ++n)
        if (radios[n - 1]->isChecked())
            account = n;
    return account;
}

void showCaptchaIn(QLabel& picture, QLineEdit& codeBox, const std::string& pictureBytes, bool emptyBox)
{
    QImage image;
    const auto* data = reinterpret_cast<const uchar*>(pictureBytes.data());
    if (!pictureBytes.empty() && image.loadFromData(data, static_cast<int>(pictureBytes.size())))
        picture.setPixmap(
            QPixmap::fromImage(image.scaled(picture.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    else
        picture.clear();
    codeBox.setVisible(true);
    if (emptyBox)
        codeBox.clear();
}

} // namespace tieba
