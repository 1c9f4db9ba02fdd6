#pragma once
#include <string>

#include "core/sites.h"

namespace tieba::test {

// Every address of the program pointed at a simulated service at `base` ("http://127.0.0.1:N");
// its thread prefix is "<base>/p/". The client protocol's hosts are the same service.
inline Sites sitesFor(const std::string& base)
{
    const std::string host = base.substr(std::string("http://").size());
    Sites sites{base, base, host, base + "/p/", base + "/notice", base + "/download", base + "/feedback"};
    sites.clientApiSite = base;
    sites.webApiSite = base;
    sites.qrPassportSite = base;
    return sites;
}

} // namespace tieba::test
