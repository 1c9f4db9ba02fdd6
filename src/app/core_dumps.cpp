#include "app/core_dumps.h"

#ifdef __linux__
#include <sys/prctl.h>
#include <sys/resource.h>
#endif

namespace tieba {

bool keepSecretsOutOfCoreDumps()
{
#ifdef __linux__
    const rlimit none{0, 0};
    const bool noCoreFile = ::setrlimit(RLIMIT_CORE, &none) == 0;
    // Also covers a core handler that pipes the dump to a program, which ignores RLIMIT_CORE.
    const bool notDumpable = ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
    return noCoreFile && notDumpable;
#else
    return true;
#endif
}

} // namespace tieba
