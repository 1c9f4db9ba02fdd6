#pragma once
#include <string>

namespace tieba {

// A system error number as a short UTF-8 text for the user: Chinese for the failures a user
// meets with the data file (no permission, disk full, read-only), the system's own text else.
std::string fileErrorText(int errorNumber);

} // namespace tieba
