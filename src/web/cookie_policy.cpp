#include "web/cookie_policy.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <optional>
#include <vector>

#include "core/encoding.h"

namespace tieba {
namespace {

// The parts of an address that decide whose cookies a response may set.
struct Origin {
    std::string host;   // lower case
    std::string port;   // as written; empty when the address names none
    std::string scheme; // lower case
};

std::string lowerAscii(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::optional<Origin> originOf(const std::string& url)
{
    CURLU* handle = curl_url();
    if (!handle)
        return std::nullopt;
    std::optional<Origin> origin;
    if (curl_url_set(handle, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK) {
        auto part = [handle](CURLUPart which) {
            char* text = nullptr;
            std::string value;
            if (curl_url_get(handle, which, &text, 0) == CURLUE_OK && text)
                value = text;
            curl_free(text);
            return value;
        };
        origin = Origin{lowerAscii(part(CURLUPART_HOST)), part(CURLUPART_PORT), lowerAscii(part(CURLUPART_SCHEME))};
    }
    curl_url_cleanup(handle);
    if (origin && origin->host.empty())
        return std::nullopt;
    return origin;
}

// A site written without a port takes its responses from the standard ports only; one written
// with a port (a local test service) from that port only.
bool sameSite(const Origin& site, const Origin& response)
{
    if (site.host != response.host)
        return false;
    if (!site.port.empty()) {
        const std::string standard = response.scheme == "https" ? "443" : "80";
        return site.port == (response.port.empty() ? standard : response.port);
    }
    return response.port.empty() || response.port == "80" || response.port == "443";
}

struct Policy {
    bool anyHost = true;
    std::vector<Origin> everyAccount;
    std::vector<Origin> accountZeroOnly;
    std::function<void(const std::string&)> report;
};

std::mutex policyMutex;
Policy policy;

void addSite(std::vector<Origin>& sites, const std::string& address)
{
    if (std::optional<Origin> origin = originOf(address))
        sites.push_back(std::move(*origin));
}

} // namespace

void setCookieSites(const Sites& sites)
{
    std::vector<Origin> everyAccount;
    std::vector<Origin> accountZeroOnly;
    addSite(everyAccount, sites.forumSite);
    addSite(everyAccount, sites.passportSite);
    addSite(accountZeroOnly, sites.noticePageUrl);
    std::lock_guard lock(policyMutex);
    policy.anyHost = false;
    policy.everyAccount = std::move(everyAccount);
    policy.accountZeroOnly = std::move(accountZeroOnly);
}

void allowCookiesFromAnyHost()
{
    std::lock_guard lock(policyMutex);
    policy.anyHost = true;
    policy.everyAccount.clear();
    policy.accountZeroOnly.clear();
}

bool cookiesAllowedFrom(const std::string& finalUrl, int account)
{
    {
        std::lock_guard lock(policyMutex);
        if (policy.anyHost)
            return true;
    }
    const std::optional<Origin> response = originOf(finalUrl);
    std::lock_guard lock(policyMutex);
    if (policy.anyHost)
        return true;
    if (!response)
        return false;
    auto matches = [&response](const Origin& site) { return sameSite(site, *response); };
    if (std::any_of(policy.everyAccount.begin(), policy.everyAccount.end(), matches))
        return true;
    return account == 0 && std::any_of(policy.accountZeroOnly.begin(), policy.accountZeroOnly.end(), matches);
}

void setCookieStoreFailureReport(std::function<void(const std::string& line)> report)
{
    std::lock_guard lock(policyMutex);
    policy.report = std::move(report);
}

void reportCookieStoreFailure(const std::string& reason)
{
    std::function<void(const std::string&)> report;
    {
        std::lock_guard lock(policyMutex);
        report = policy.report;
    }
    if (report)
        report(gb("保存登录信息失败：") + gbFromUtf8(reason) + "\r\n");
}

} // namespace tieba
