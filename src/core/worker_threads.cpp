#include "core/worker_threads.h"

#include <exception>
#include <vector>

namespace tieba {

WorkerThreads::~WorkerThreads()
{
    {
        std::lock_guard lock(mutex_);
        source_.request_stop();
        publishedGeneration_ = ++generation_;
    }
    joinAll();
}

bool WorkerThreads::anyHandle() const
{
    std::lock_guard lock(mutex_);
    return handles_[0] != 0 || handles_[1] != 0;
}

RunTicket WorkerThreads::endAllAndBegin(bool clearHandles)
{
    std::lock_guard lock(mutex_);
    source_.request_stop();
    source_ = std::stop_source();
    publishedGeneration_ = ++generation_;
    if (clearHandles)
        handles_[0] = handles_[1] = 0;
    return RunTicket(this, generation_, source_.get_token());
}

RunTicket WorkerThreads::current() const
{
    std::lock_guard lock(mutex_);
    return RunTicket(const_cast<WorkerThreads*>(this), generation_, source_.get_token());
}

bool WorkerThreads::isCurrent(std::uint64_t generation) const
{
    return generation == publishedGeneration_.load();
}

bool WorkerThreads::start(int element, const RunTicket& ticket, std::function<void(const RunTicket&)> work)
{
    std::lock_guard lock(mutex_);
    if (ticket.owner_ != this || ticket.generation_ != generation_ || ticket.stopped())
        return false;
    reapFinishedLocked();
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::jthread thread([work = std::move(work), ticket, done] {
        try {
            work(ticket);
        } catch (const std::exception&) {
            // A worker has nobody to report to; its run simply ends here.
        }
        done->store(true);
    });
    workers_.push_back(Worker{std::move(thread), done});
    if (element == LoginWorker || element == SignInWorker)
        handles_[element - 1] = nextHandle_++;
    return true;
}

void WorkerThreads::joinAll()
{
    // Threads may start successors while we wait: keep taking what is there until none is left.
    for (;;) {
        std::list<Worker> taken;
        {
            std::lock_guard lock(mutex_);
            taken.swap(workers_);
        }
        if (taken.empty())
            return;
        for (auto& worker : taken)
            if (worker.thread.joinable() && worker.thread.get_id() != std::this_thread::get_id())
                worker.thread.join();
            else if (worker.thread.joinable())
                worker.thread.detach();
    }
}

bool WorkerThreads::busy() const
{
    std::lock_guard lock(mutex_);
    for (const Worker& worker : workers_)
        if (!worker.done->load())
            return true;
    return false;
}

void WorkerThreads::reapFinishedLocked()
{
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (it->done->load()) {
            it->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace tieba
