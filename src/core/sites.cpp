#include "core/sites.h"

#include "core/sites_config.h"

namespace tieba {

Sites builtInSites()
{
    Sites sites{TIEBA_FORUM_SITE,   TIEBA_PASSPORT_SITE,     TIEBA_LOGIN_RETURN_HOST, TIEBA_THREAD_ADDRESS_PREFIX,
                TIEBA_NOTICE_PAGE_URL, TIEBA_DOWNLOAD_PAGE_URL, TIEBA_FEEDBACK_URL};
    sites.clientApiSite = TIEBA_CLIENT_API_SITE;
    sites.webApiSite = TIEBA_WEB_API_SITE;
    sites.qrPassportSite = TIEBA_QR_PASSPORT_SITE;
    return sites;
}

std::string programVersion()
{
    return "3.0";
}

} // namespace tieba
