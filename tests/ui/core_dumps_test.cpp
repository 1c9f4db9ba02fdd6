// The program's start-up keeps passwords out of core files.
#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "app/core_dumps.h"

namespace tieba {
namespace {

#ifdef __linux__
// In a child process, so the test binary itself stays dumpable for debuggers and sanitizers.
TEST(CoreDumps, TheProcessLeavesNoCoreFile)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool reported = keepSecretsOutOfCoreDumps();
        rlimit after{};
        ::getrlimit(RLIMIT_CORE, &after);
        int code = 0;
        if (!reported)
            code |= 1;
        if (::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) != 0)
            code |= 2;
        if (after.rlim_cur != 0 || after.rlim_max != 0)
            code |= 4;
        ::_exit(code);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    // 1: reported a failure, 2: still dumpable, 4: core files still allowed.
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 1);
}
#endif

} // namespace
} // namespace tieba
