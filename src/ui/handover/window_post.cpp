#include "ui/handover/window_post.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <utility>

#include "core/worker_threads.h"

namespace tieba {

// What the post, its queued calls and its waiting callers share; it lives as long as any of them.
// Calls wait in a queue of its own and Qt carries only a bare "deliver one" event to a small
// object on the receiver's thread: the calls themselves change threads under the mutex below.
struct WindowPost::Line {
    // A child of the receiver on its thread; each of its events runs the oldest queued call, so
    // a modal window opened by one call (a nested event loop) still lets the later ones through,
    // in order. Going with the receiver, it closes the line.
    class Doorstep final : public QObject {
    public:
        Doorstep(QObject& receiver, std::weak_ptr<Line> line) : QObject(&receiver), line_(std::move(line)) {}
        ~Doorstep() override
        {
            if (const auto line = line_.lock())
                line->close();
        }

        static QEvent::Type deliverEvent()
        {
            static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
            return type;
        }

    protected:
        void customEvent(QEvent* event) override
        {
            if (event->type() != deliverEvent())
                return;
            if (const auto line = line_.lock())
                line->deliverNext();
        }

    private:
        std::weak_ptr<Line> line_;
    };

    struct Queued {
        std::uint64_t generation;
        std::function<void()> call;
    };

    QThread* home = nullptr;
    const WorkerThreads* runs = nullptr;

    // Guards the doorstep (null once closed) and the queue.
    std::mutex postMutex;
    Doorstep* doorstep = nullptr;
    std::deque<Queued> queued;

    // Guards `closed` and the outcomes of the calls that callers wait for.
    std::mutex stateMutex;
    std::condition_variable_any changed;
    bool closed = false;

    bool onHomeThread() const { return QThread::currentThread() == home; }
    std::uint64_t generationNow() const { return runs ? runs->currentGeneration() : 0; }

    bool deliverable(std::uint64_t generation)
    {
        std::lock_guard lock(stateMutex);
        return !closed && (!runs || runs->isCurrent(generation));
    }

    // Returns the doorstep it let go of (none when the receiver took it along).
    Doorstep* close()
    {
        std::deque<Queued> dropped;
        Doorstep* left = nullptr;
        {
            std::lock_guard lock(postMutex);
            left = std::exchange(doorstep, nullptr);
            dropped.swap(queued);
        }
        {
            std::lock_guard lock(stateMutex);
            closed = true;
        }
        changed.notify_all();
        // `dropped` goes here, outside the locks: calls that someone waits for end their wait.
        return left;
    }

    // Queues `call` for the receiver's thread; false when the post is closed.
    bool queue(std::function<void()> call)
    {
        Queued item{generationNow(), std::move(call)};
        std::lock_guard lock(postMutex);
        if (!doorstep)
            return false;
        queued.push_back(std::move(item));
        QCoreApplication::postEvent(doorstep, new QEvent(Doorstep::deliverEvent()));
        return true;
    }

    // On the receiver's thread: runs the oldest queued call, unless its run has ended meanwhile.
    void deliverNext()
    {
        Queued item;
        {
            std::lock_guard lock(postMutex);
            if (queued.empty())
                return;
            item = std::move(queued.front());
            queued.pop_front();
        }
        if (deliverable(item.generation))
            item.call();
    }
};

namespace {

// How a call that someone waits for ended: run, or thrown away unrun. Guarded by the line's
// state mutex.
struct Outcome {
    bool ran = false;
    bool over = false;
};

// Travels with a queued call and ends the caller's wait: when the call has run, or when its last
// copy goes unrun (dropped on arrival, or removed from the queue with the receiver).
class EndOfCall {
public:
    EndOfCall(std::shared_ptr<void> line, std::mutex& mutex, std::condition_variable_any& changed,
              std::shared_ptr<Outcome> outcome)
        : line_(std::move(line)), mutex_(mutex), changed_(changed), outcome_(std::move(outcome))
    {
    }
    EndOfCall(const EndOfCall&) = delete;
    EndOfCall& operator=(const EndOfCall&) = delete;
    ~EndOfCall() { finish(false); }

    void finish(bool ran)
    {
        {
            std::lock_guard lock(mutex_);
            if (outcome_->over)
                return;
            outcome_->ran = ran;
            outcome_->over = true;
        }
        changed_.notify_all();
    }

private:
    std::shared_ptr<void> line_; // keeps the mutex and the condition alive
    std::mutex& mutex_;
    std::condition_variable_any& changed_;
    std::shared_ptr<Outcome> outcome_;
};

} // namespace

WindowPost::WindowPost(QObject& receiver, const WorkerThreads* runs) : line_(std::make_shared<Line>())
{
    line_->home = receiver.thread();
    line_->runs = runs;
    line_->doorstep = new Line::Doorstep(receiver, line_);
}

WindowPost::~WindowPost()
{
    Line::Doorstep* doorstep = line_->close();
    // Elsewhere the doorstep stays with the receiver until it goes; it delivers nothing more.
    if (doorstep && line_->onHomeThread())
        delete doorstep;
}

void WindowPost::close()
{
    line_->close();
}

void WindowPost::post(std::function<void()> update) const
{
    if (line_->onHomeThread()) {
        if (line_->deliverable(line_->generationNow()))
            update();
        return;
    }
    line_->queue(std::move(update));
}

bool WindowPost::callAndWait(std::function<void()> work, std::stop_token stop) const
{
    const std::shared_ptr<Line> line = line_; // the post itself may go while this waits
    if (line->onHomeThread()) {
        if (stop.stop_requested() || !line->deliverable(line->generationNow()))
            return false;
        work();
        return true;
    }

    auto outcome = std::make_shared<Outcome>();
    auto end = std::make_shared<EndOfCall>(line, line->stateMutex, line->changed, outcome);
    const bool queued = line->queue([stop, work = std::move(work), end = std::move(end)] {
        if (stop.stop_requested())
            return;
        work();
        end->finish(true);
    });
    if (!queued)
        return false;

    std::unique_lock lock(line->stateMutex);
    line->changed.wait(lock, stop, [&] { return outcome->over || line->closed; });
    return outcome->ran;
}

} // namespace tieba
