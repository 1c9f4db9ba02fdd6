#pragma once
#include <functional>
#include <string>

#include "core/sites.h"

namespace tieba {

// Who may set the program's cookies, and who hears of a cookie store that failed. The program
// sets both once at start-up; until then (and in tests that do not set them) any host may set
// cookies and failures go unheard. Safe to use from any thread.

// From now on only the final responses of the forum site and the passport site store cookies,
// and for account 0 those of the notice page's host as well.
void setCookieSites(const Sites& sites);
// Back to the start-up state: any host may set cookies.
void allowCookiesFromAnyHost();
// Whether the final response of a transfer that ended at `finalUrl` may store its cookies
// into the section of `account`.
bool cookiesAllowedFrom(const std::string& finalUrl, int account);

// `report` receives one work-log line (GB18030, ending in CR LF) per cookie store that failed;
// an empty function stops the reports.
void setCookieStoreFailureReport(std::function<void(const std::string& line)> report);
// Tells the report, if any, that storing a response's cookies failed for `reason` (UTF-8).
void reportCookieStoreFailure(const std::string& reason);

} // namespace tieba
