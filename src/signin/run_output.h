#pragma once
#include <string>

#include "core/run_views.h"
#include "core/worker_threads.h"

namespace tieba {

// What an engine run writes for one account, shared by the password and the token account
// engines so both show the same captions, bar and lines. Nothing reaches the views once the
// run has ended.
class RunOutput {
public:
    RunOutput(const RunTicket& ticket, WorkLog& workLog, ProgressDisplay& progress, std::string name)
        : ticket_(ticket), workLog_(workLog), progress_(progress), name_(std::move(name))
    {
    }

    const std::string& name() const { return name_; }

    void log(const std::string& text) const;
    void drawBar(long done, long total) const;
    // " 已签 i/n" during the main pass, " 重签 i/m" during the retry pass.
    void showSigning(long i, long n) const;
    void showRetrying(long i, long m) const;
    // The line above the first forum of the retry pass.
    void logRetryHeader() const;
    void logEnd() const;

private:
    void setCaption(const std::string& text) const;

    const RunTicket& ticket_;
    WorkLog& workLog_;
    ProgressDisplay& progress_;
    const std::string name_;
};

} // namespace tieba
