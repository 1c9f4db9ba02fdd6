#pragma once
#include <QObject>
#include <functional>
#include <mutex>

namespace tieba {

// Carries calls from worker threads over to a tool window on the GUI thread. A call for a window
// that has been destroyed meanwhile is dropped: the window detaches in its destructor, and calls
// are posted only while it is attached, so Qt discards whatever was posted before it went.
// The tool windows' views own one each; post() may be called from any thread.
class WindowPost {
public:
    explicit WindowPost(QObject& window) : window_(&window) {}
    WindowPost(const WindowPost&) = delete;
    WindowPost& operator=(const WindowPost&) = delete;

    // GUI thread, from the window's destructor: nothing is posted afterwards.
    void detach();

    // Runs `update` on the window's thread while the window exists (at once when called there).
    void post(std::function<void()> update);

private:
    std::mutex mutex_;
    QObject* window_;
};

} // namespace tieba
