#pragma once
#include <string>

#include "core/sites.h"

namespace tieba::test {

// Every address of the program pointed at a simulated service at `base` ("http://127.0.0.1:N");
// its thread prefix is "<base>/p/".
inline Sites sitesFor(const std::string& base)
{
    const std::string host = base.substr(std::string("http://").size());
    return Sites{base, base, host, base + "/p/", base + "/notice", base + "/download", base + "/feedback"};
}

} // namespace tieba::test
