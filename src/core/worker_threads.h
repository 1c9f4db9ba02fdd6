#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

namespace tieba {

class WorkerThreads;
class RunTicket;
template <class F>
bool runIfCurrent(const RunTicket& ticket, F&& write);

// What a worker may do on behalf of one run: see whether its run was ended, and write to the
// windows and the shared variables only while the run is still the current one. A default
// ticket belongs to no run: it is never stopped and every write goes through.
class RunTicket {
public:
    RunTicket() = default;

    bool stopped() const { return token_.stop_requested(); }
    std::stop_token token() const { return token_; }
    std::uint64_t generation() const { return generation_; }

    // Runs `write` only while this ticket's run is current. The run lock is held meanwhile, so an
    // end of the run either comes first (nothing is written) or waits for the write. The write
    // must not block on the GUI thread: windows queue what they are handed.
    template <class F>
    bool write(F&& write) const;

private:
    friend class WorkerThreads;
    template <class F>
    friend bool runIfCurrent(const RunTicket& ticket, F&& write);
    RunTicket(WorkerThreads* owner, std::uint64_t generation, std::stop_token token)
        : owner_(owner), generation_(generation), token_(std::move(token))
    {
    }

    WorkerThreads* owner_ = nullptr;
    std::uint64_t generation_ = 0;
    std::stop_token token_;
};

// The program's pair of worker threads: element 1 the login worker, element 2 the sign-in
// worker of a one-click run (the grab-first tool uses the same pair). Ending the workers is
// cooperative: the run's stop token is raised (which aborts a transfer in flight) and the run
// generation moves on, so nothing an old worker still tries to write gets through.
class WorkerThreads {
public:
    static constexpr int NoHandle = 0; // a thread whose handle is not kept
    static constexpr int LoginWorker = 1;
    static constexpr int SignInWorker = 2;

    WorkerThreads() = default;
    ~WorkerThreads();
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;

    // Whether element 1 or 2 holds a handle. Handles stay after their thread has returned.
    bool anyHandle() const;

    // Ends the current run's workers (wherever they are) and opens a new run. With
    // clearHandles both elements are set back to 0. Returns the new run's ticket.
    RunTicket endAllAndBegin(bool clearHandles);

    // The ticket of the run that is current now.
    RunTicket current() const;

    // Whether a run generation is still the current one (the GUI thread drops queued
    // updates of older runs with this).
    bool isCurrent(std::uint64_t generation) const;

    // The current generation, readable without the run lock: a window handed a call inside
    // RunTicket::write tags what it queues with this and drops it later if the run has ended.
    std::uint64_t currentGeneration() const { return publishedGeneration_.load(); }

    // Starts `work` on a new thread and stores its handle in `element` (LoginWorker or
    // SignInWorker; NoHandle keeps none). Does nothing and returns false when the ticket's run has ended.
    bool start(int element, const RunTicket& ticket, std::function<void(const RunTicket&)> work);

    // Waits until every thread started so far has returned.
    void joinAll();

    // Whether a thread started here has not returned yet.
    bool busy() const;

private:
    template <class F>
    friend bool runIfCurrent(const RunTicket& ticket, F&& write);

    struct Worker {
        std::jthread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    void reapFinishedLocked();

    mutable std::mutex mutex_; // guards the members below and serialises tickets' writes
    std::uint64_t generation_ = 1;
    std::atomic<std::uint64_t> publishedGeneration_{1};
    std::stop_source source_;
    std::uint64_t handles_[2] = {0, 0};
    std::uint64_t nextHandle_ = 1;
    std::list<Worker> workers_;
};

template <class F>
bool runIfCurrent(const RunTicket& ticket, F&& write)
{
    if (!ticket.owner_) {
        std::forward<F>(write)();
        return true;
    }
    std::lock_guard lock(ticket.owner_->mutex_);
    if (ticket.generation_ != ticket.owner_->generation_ || ticket.token_.stop_requested())
        return false;
    std::forward<F>(write)();
    return true;
}

template <class F>
bool RunTicket::write(F&& write) const
{
    return runIfCurrent(*this, std::forward<F>(write));
}

} // namespace tieba

namespace tieba {

// Sets a shared value on behalf of a run, unless the run has ended.
template <class Var, class T>
bool writeShared(const RunTicket& ticket, Var& variable, T value)
{
    return ticket.write([&] { variable.set(std::move(value)); });
}

} // namespace tieba
