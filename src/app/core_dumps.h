#pragma once

namespace tieba {

// Keeps the passwords the process holds out of core files: on Linux the process is made
// non-dumpable (no core file, no ptrace attach by other processes of the user) and its core size
// limit is set to 0. main calls it before anything is read. True when both took effect, and
// always true where there is nothing to do.
bool keepSecretsOutOfCoreDumps();

} // namespace tieba
