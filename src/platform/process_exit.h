#pragma once
#include <cstdio>
#include <cstdlib>

namespace tieba {

// Ends the whole process at once. The main window's close button calls it after saving, so
// running workers are not waited for; tests hand the window a recording fake instead.
class ProcessExit {
public:
    virtual ~ProcessExit() = default;
    virtual void exitNow(int code) = 0;
};

// The real exit: flushes the C streams and leaves without running destructors or joining
// threads, so a worker in the middle of a request cannot hold the program open.
class ImmediateProcessExit final : public ProcessExit {
public:
    void exitNow(int code) override
    {
        std::fflush(nullptr);
        std::_Exit(code);
    }
};

} // namespace tieba
