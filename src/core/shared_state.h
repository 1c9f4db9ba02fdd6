#pragma once
#include <atomic>
#include <string>

#include "core/account.h"
#include "core/pacing.h"
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

    // What the last exchange of any worker asked for and got back. Only the exchange wrapper
    // writes them and nothing decides anything by them: pages travel by value from the step
    // that fetched them to the step that reads them.
    Synchronized<std::string> pageText;
    Synchronized<std::string> currentUrl;
    Synchronized<std::string> captchaCode;
    Synchronized<std::string> messageText;
    Synchronized<std::string> noticeText;
    Synchronized<std::string> bannerLinkUrl;
    Synchronized<std::string> latestVersion;
    Synchronized<std::string> shutdownAfterGrab;
    Synchronized<std::string> excludedForumCount;
    Synchronized<std::string> bumpThreadId;
    Synchronized<std::string> replyText;

    // The configured accounts (0..3), names and passwords under one lock, so that a reader
    // never pairs one account's name with another's password.
    Synchronized<AccountList> accounts;
    Synchronized<TextList> accountCheckStates;
    Synchronized<TextList> excludedForums;
    Synchronized<Pacing> pacing; // of the token accounts' sign requests

    // Number of configured accounts (0..3).
    int accountCount() const;
    // A copy of account n (1-based), name and password read together; empty outside the
    // configured accounts.
    Account account(int n) const;
    // The user names and the passwords in slot order, each taken from one copy of the list.
    TextList accountIds() const;
    TextList accountPasswords() const;
};

} // namespace tieba
