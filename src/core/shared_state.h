#pragma once
#include <atomic>
#include <string>

#include "core/synchronized.h"
#include "core/text_list.h"
#include "core/worker_threads.h"

namespace tieba {

// The program-wide state that the windows, the sign-in run, the tools and the notice reader
// share. One instance lives from start-up to exit and every part receives a reference to it.
// Flags are atomics; texts and lists are only touched under their own locks.
struct SharedState {
    SharedState();

    // Requests that workers raise for the GUI thread's timer.
    std::atomic<int> captchaStepDue{0};
    std::atomic<int> messagePending{0};
    std::atomic<int> captchaAbandoned{0};
    std::atomic<int> newVersionFound{0};

    std::atomic<int> currentAccount{0};  // 1-based account of the one-click run
    std::atomic<int> selectedAccount{0}; // account chosen in a tool window (1..3, 0 none)
    std::atomic<int> replyRound{0};

    WorkerThreads workerThreads;

    Synchronized<std::string> pageText;   // the last page read
    Synchronized<std::string> currentUrl; // the next request's address, or a scratch cut
    Synchronized<std::string> captchaCode;
    Synchronized<std::string> messageText;
    Synchronized<std::string> noticeText;
    Synchronized<std::string> bannerLinkUrl;
    Synchronized<std::string> latestVersion;
    Synchronized<std::string> shutdownAfterGrab;
    Synchronized<std::string> excludedForumCount;
    Synchronized<std::string> bumpThreadId;
    Synchronized<std::string> replyText;

    Synchronized<TextList> accountIds;
    Synchronized<TextList> accountPasswords;
    Synchronized<TextList> accountCheckStates;
    Synchronized<TextList> forumNames;
    Synchronized<TextList> forumLinks;
    Synchronized<TextList> forumLevels;
    Synchronized<TextList> forumExperience;
    Synchronized<TextList> failedForumNames;
    Synchronized<TextList> failedForumLinks;
    Synchronized<TextList> excludedForums;

    // Number of configured accounts (0..3).
    int accountCount() const;
    // Account n's user name and password (1-based); empty outside the configured accounts.
    std::string accountId(int n) const;
    std::string accountPassword(int n) const;
};

} // namespace tieba
