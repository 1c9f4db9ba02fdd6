#include "ui/desktop_url_opener.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QThread>
#include <QUrl>

#include "ui/qt_text.h"

namespace tieba {

void DesktopUrlOpener::openUrl(const std::string& address)
{
    if (address.empty())
        return;
    const QUrl url = QUrl::fromUserInput(toQt(address));
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    if (QThread::currentThread() == app->thread())
        QDesktopServices::openUrl(url);
    else
        QMetaObject::invokeMethod(app, [url] { QDesktopServices::openUrl(url); }, Qt::QueuedConnection);
}

} // namespace tieba
