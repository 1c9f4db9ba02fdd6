// WindowPost between a worker thread and the main thread, which stands in for the GUI thread: the
// receiver is a plain QObject, and the cases decide when the main thread handles its events.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "core/worker_threads.h"
#include "ui/handover/window_post.h"

namespace tieba {
namespace {

using namespace std::chrono_literals;

// Longest a worker may take to come back from a call that has given up; only a hang gets near it.
constexpr auto kHangGuard = 10s;
// Time for a worker to get from its signal to its wait, with room for a loaded machine.
constexpr auto kReachTheWait = 100ms;

// Handles the main thread's events for a while.
void handleEvents(int milliseconds = 50)
{
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Handles the main thread's events until `done` is ready; false when it never gets ready.
template <class T>
bool handleEventsUntil(const std::future<T>& done)
{
    QDeadlineTimer deadline(std::chrono::duration_cast<std::chrono::milliseconds>(kHangGuard).count());
    while (done.wait_for(0s) != std::future_status::ready) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Runs `work` on a thread of its own; the future holds what it returned.
template <class F>
auto onWorker(F work)
{
    return std::async(std::launch::async, std::move(work));
}

// What the calls of a case did on the main thread, in order.
struct Seen {
    std::vector<std::string> calls;
    std::vector<bool> onMainThread;

    void add(std::string call)
    {
        calls.push_back(std::move(call));
        onMainThread.push_back(QThread::currentThread() == QCoreApplication::instance()->thread());
    }
};

TEST(WindowPost, WorkerPostsRunOnTheReceiversThreadInTheOrderMade)
{
    QObject receiver;
    WindowPost post(receiver);
    Seen seen;
    onWorker([&] {
        for (const char* call : {"first", "second", "third"})
            post.post([&seen, call] { seen.add(call); });
    }).get();
    EXPECT_TRUE(seen.calls.empty()) << "a worker's post must not run on the worker";

    handleEvents();
    EXPECT_EQ(seen.calls, (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(seen.onMainThread, (std::vector<bool>{true, true, true}));
}

TEST(WindowPost, APostOnTheReceiversThreadRunsAtOnce)
{
    QObject receiver;
    WindowPost post(receiver);
    bool ran = false;
    post.post([&] { ran = true; });
    EXPECT_TRUE(ran);
}

// A call made while the receiver or the post still existed, but delivered only after it went,
// is dropped; so is every call made afterwards.
TEST(WindowPost, NothingArrivesOnceTheReceiverOrThePostHasGone)
{
    struct Case {
        const char* name;
        bool destroyReceiver; // otherwise the post is closed, as a window's destructor does
    };
    for (const Case c : {Case{"receiver destroyed", true}, Case{"post closed", false}}) {
        SCOPED_TRACE(c.name);
        auto receiver = std::make_unique<QObject>();
        WindowPost post(*receiver);
        std::atomic<int> ran = 0;
        onWorker([&] { post.post([&] { ++ran; }); }).get();

        if (c.destroyReceiver)
            receiver.reset();
        else
            post.close();
        onWorker([&] { post.post([&] { ++ran; }); }).get();
        post.post([&] { ++ran; }); // and from the receiver's own thread
        handleEvents();
        EXPECT_EQ(ran, 0);
    }
}

TEST(WindowPost, ACallOfARunThatHasEndedIsDroppedOnArrival)
{
    QObject receiver;
    WorkerThreads runs;
    WindowPost post(receiver, &runs);
    std::vector<std::string> seen;

    runs.endAllAndBegin(false);
    onWorker([&] { post.post([&] { seen.push_back("old run"); }); }).get();
    runs.endAllAndBegin(false); // a stop or a new run before the call arrives
    onWorker([&] { post.post([&] { seen.push_back("new run"); }); }).get();
    handleEvents();

    EXPECT_EQ(seen, std::vector<std::string>{"new run"});
}

TEST(WindowPost, AskReturnsTheAnswerFromTheReceiversThread)
{
    QObject receiver;
    WindowPost post(receiver);
    auto answer = onWorker([&] {
        return post.ask([] {
            const bool main = QThread::currentThread() == QCoreApplication::instance()->thread();
            return std::string(main ? "answered on the main thread" : "answered elsewhere");
        });
    });
    ASSERT_TRUE(handleEventsUntil(answer));
    EXPECT_EQ(answer.get(), std::optional<std::string>("answered on the main thread"));
}

TEST(WindowPost, CallAndWaitOnTheReceiversThreadRunsAtOnceUnlessStopped)
{
    QObject receiver;
    WindowPost post(receiver);
    int ran = 0;
    EXPECT_TRUE(post.callAndWait([&] { ++ran; }));
    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_FALSE(post.callAndWait([&] { ++ran; }, stopped.get_token()));
    EXPECT_EQ(ran, 1);
}

// A worker waiting for the receiver's thread gives up when its stop is raised, when the receiver
// or the post goes, or when its run ends, even though the receiver's thread handles no events at
// all meanwhile (busy, or itself waiting for that worker, as a join does). The call never runs
// afterwards.
TEST(WindowPost, AWaitingWorkerGivesUpWhileTheReceiversThreadIsBlocked)
{
    enum class End { Stop, DestroyReceiver, ClosePost, EndRun };
    struct Case {
        const char* name;
        End end;
    };
    for (const Case c : {Case{"stop raised", End::Stop}, Case{"receiver destroyed", End::DestroyReceiver},
                         Case{"post closed", End::ClosePost}, Case{"run ended", End::EndRun}}) {
        SCOPED_TRACE(c.name);
        auto receiver = std::make_unique<QObject>();
        WorkerThreads runs;
        auto post = std::make_unique<WindowPost>(*receiver, &runs);
        std::stop_source stop;
        std::atomic<bool> ran = false;
        std::promise<void> queued;

        auto answer = onWorker([&, token = stop.get_token()] {
            queued.set_value();
            return post->ask([&] { return ran = true; }, token);
        });
        queued.get_future().wait();
        std::this_thread::sleep_for(kReachTheWait);
        switch (c.end) {
        case End::Stop: stop.request_stop(); break;
        case End::DestroyReceiver: receiver.reset(); break;
        case End::ClosePost: post->close(); break;
        case End::EndRun:
            // The run's end alone does not wake the worker; the dropped call does, once it arrives.
            runs.endAllAndBegin(false);
            handleEvents();
            break;
        }
        ASSERT_EQ(answer.wait_for(kHangGuard), std::future_status::ready) << "the worker hangs";
        EXPECT_EQ(answer.get(), std::nullopt);
        handleEvents();
        EXPECT_FALSE(ran) << "the call ran after its caller gave up";
    }
}

// A modal window opened by the call keeps the receiver's thread inside it; a stop still lets the
// worker go at once, and the call finishes on its own later.
TEST(WindowPost, AStopWhileTheCallRunsReturnsAtOnce)
{
    QObject receiver;
    WindowPost post(receiver);
    std::stop_source stop;
    std::promise<void> inside;
    std::promise<void> leave;
    auto leaving = leave.get_future().share();
    bool finished = false;

    auto answer = onWorker([&, token = stop.get_token()] {
        return post.callAndWait(
            [&, leaving] {
                inside.set_value();
                leaving.wait(); // the receiver's thread is held here, as by a modal window
                finished = true;
            },
            token);
    });
    // The main thread runs the call and is held inside it until the worker has given up: the
    // stop and the check come from a helper thread.
    auto helper = std::async(std::launch::async, [&] {
        inside.get_future().wait();
        stop.request_stop();
        const bool returned = answer.wait_for(kHangGuard) == std::future_status::ready;
        leave.set_value();
        return returned;
    });
    ASSERT_TRUE(handleEventsUntil(helper));
    EXPECT_TRUE(helper.get()) << "the worker waited for the call to finish";
    EXPECT_FALSE(answer.get());
    EXPECT_TRUE(finished);
}

} // namespace
} // namespace tieba
