#include "ui/gui_waiter.h"

#include <QEventLoop>
#include <QTimer>

namespace tieba {

bool GuiWaiter::waitMs(int milliseconds, std::stop_token stop)
{
    if (stop.stop_requested())
        return false;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(milliseconds < 0 ? 0 : milliseconds);
    {
        // Declared after the loop so it is gone (and any running callback finished) before the
        // loop is destroyed.
        std::stop_callback wake(stop, [&loop] {
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec();
    }
    return !stop.stop_requested();
}

} // namespace tieba
