#include "ui/desktop_url_opener.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QThread>
#include <QUrl>

#include "ui/qt_text.h"

namespace tieba {
namespace {

// Taken as written: QUrl::fromUserInput would make a bare path a file address.
QUrl browserUrl(const std::string& address)
{
    const QUrl url(toQt(address), QUrl::TolerantMode);
    const QString scheme = url.scheme();
    const bool web = scheme == QStringLiteral("http") || scheme == QStringLiteral("https");
    if (!url.isValid() || url.host().isEmpty() || !web)
        return {};
    return url;
}

} // namespace

bool DesktopUrlOpener::openWebAddress(const std::string& address)
{
    const QUrl url = browserUrl(address);
    QCoreApplication* app = QCoreApplication::instance();
    if (url.isEmpty() || !app)
        return false;
    if (QThread::currentThread() == app->thread())
        return QDesktopServices::openUrl(url);
    QMetaObject::invokeMethod(app, [url] { QDesktopServices::openUrl(url); }, Qt::QueuedConnection);
    return true;
}

} // namespace tieba
