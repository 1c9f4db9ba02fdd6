#pragma once
#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <type_traits>

namespace tieba {

class WorkerThreads;

// The one road from a worker thread to a window. Calls are carried over to the receiver's thread
// (the GUI thread) and run there only while the receiver exists and the post is open; a post
// that follows `runs` also tags each call with the run current when it was made and drops it on
// arrival when that run has ended since. post() never blocks. callAndWait() and ask() wait for
// the answer, but give up as soon as the caller's stop is raised, the receiver goes or the post
// closes: a worker that someone is joining never hangs on a window that cannot answer.
// Create on the receiver's thread; post from any thread. A call that captures the owner of the
// post needs that owner closed or destroyed on the receiver's thread.
class WindowPost {
public:
    explicit WindowPost(QObject& receiver, const WorkerThreads* runs = nullptr);
    ~WindowPost();
    WindowPost(const WindowPost&) = delete;
    WindowPost& operator=(const WindowPost&) = delete;

    // Nothing is delivered after this; waiting calls return. The window's destructor calls it
    // before its controls go (any thread may).
    void close();

    // Runs `update` on the receiver's thread: at once when called there, else queued.
    void post(std::function<void()> update) const;

    // Runs `work` on the receiver's thread and waits until it has run. Returns false, without
    // running it, when `stop` comes first, the receiver goes or the run ends; a stop raised while
    // `work` runs returns at once and lets `work` finish on its own, so `work` owns what it uses.
    bool callAndWait(std::function<void()> work, std::stop_token stop = {}) const;

    // callAndWait for a value: the answer, or nothing when the call gave up.
    template <class F>
    auto ask(F work, std::stop_token stop = {}) const -> std::optional<std::invoke_result_t<F&>>
    {
        using Answer = std::invoke_result_t<F&>;
        auto answer = std::make_shared<std::optional<Answer>>();
        if (!callAndWait([work = std::move(work), answer]() mutable { answer->emplace(work()); }, std::move(stop)))
            return std::nullopt;
        return std::move(*answer);
    }

private:
    struct Line;
    std::shared_ptr<Line> line_;
};

} // namespace tieba
