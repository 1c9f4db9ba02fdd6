#include "tools/ui/window_post.h"

#include <QThread>

namespace tieba {

void WindowPost::detach()
{
    std::lock_guard lock(mutex_);
    window_ = nullptr;
}

void WindowPost::post(std::function<void()> update)
{
    std::unique_lock lock(mutex_);
    if (!window_)
        return;
    if (QThread::currentThread() == window_->thread()) {
        lock.unlock();
        update();
        return;
    }
    QMetaObject::invokeMethod(window_, std::move(update), Qt::QueuedConnection);
}

} // namespace tieba
