#include "web/http_transfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <mutex>

#include "web/http_settings.h"

namespace tieba {
namespace {

std::mutex settingsMutex;
HttpSettings currentSettings;

bool startsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

// What the callbacks of one transfer collect.
struct Collector {
    std::size_t maxBodyBytes = 0;
    std::string body;
    std::vector<std::string> headerLines;
};

size_t onBody(char* data, size_t size, size_t count, void* userData)
{
    auto* collector = static_cast<Collector*>(userData);
    const size_t bytes = size * count;
    if (collector->body.size() + bytes > collector->maxBodyBytes)
        return 0; // too big: curl fails the transfer with a write error
    collector->body.append(data, bytes);
    return bytes;
}

size_t onHeaderLine(char* data, size_t size, size_t count, void* userData)
{
    auto* collector = static_cast<Collector*>(userData);
    const size_t bytes = size * count;
    std::string line(data, bytes);
    // A status line opens a new response (a redirect's or an interim one's came before): only
    // the last block belongs to the page.
    if (startsWith(line, "HTTP/"))
        collector->headerLines.clear();
    collector->headerLines.push_back(std::move(line));
    return bytes;
}

// The calling thread's easy and multi handles. Driving the easy handle through a multi handle
// lets a stop request from another thread wake the wait at once (curl_multi_wakeup); the
// multi handle's connection cache keeps connections alive between transfers of the thread.
class CurlSession {
public:
    CurlSession() : easy_(curl_easy_init()), multi_(curl_multi_init()) {}
    ~CurlSession()
    {
        if (multi_)
            curl_multi_cleanup(multi_);
        if (easy_)
            curl_easy_cleanup(easy_);
    }
    CurlSession(const CurlSession&) = delete;
    CurlSession& operator=(const CurlSession&) = delete;

    static CurlSession& forThisThread()
    {
        static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
        (void)initialised;
        thread_local CurlSession session;
        return session;
    }

    TransferResult run(const TransferRequest& request, std::stop_token stop)
    {
        TransferResult result;
        if (!easy_ || !multi_ || stop.stop_requested())
            return result;
        const HttpSettings settings = httpSettings();
        Collector collector;
        collector.maxBodyBytes = request.maxBodyBytes > 0 ? std::min(request.maxBodyBytes, settings.maxBodyBytes)
                                                          : settings.maxBodyBytes;

        curl_slist* headers = nullptr;
        for (const std::string& line : request.headers)
            headers = curl_slist_append(headers, line.c_str());

        // Reset keeps the connection cache; every option is set anew for this request.
        curl_easy_reset(easy_);
        curl_easy_setopt(easy_, CURLOPT_URL, request.url.c_str());
        curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy_, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
        curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, request.followRedirects ? 1L : 0L);
        curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, settings.maxRedirects);
        curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, settings.connectTimeoutMs);
        curl_easy_setopt(easy_, CURLOPT_TIMEOUT_MS, settings.totalTimeoutMs);
        curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, settings.lowSpeedBytesPerSecond);
        curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME, settings.lowSpeedSeconds);
        curl_easy_setopt(easy_, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(collector.maxBodyBytes));
        curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYHOST, 2L);
        curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, onBody);
        curl_easy_setopt(easy_, CURLOPT_WRITEDATA, &collector);
        curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, onHeaderLine);
        curl_easy_setopt(easy_, CURLOPT_HEADERDATA, &collector);
        if (request.post) {
            curl_easy_setopt(easy_, CURLOPT_POST, 1L);
            curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
            curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, request.body.c_str());
        } else {
            curl_easy_setopt(easy_, CURLOPT_HTTPGET, 1L);
        }

        bool ok = false;
        if (curl_multi_add_handle(multi_, easy_) == CURLM_OK) {
            ok = drive(stop, settings.pollIntervalMs, std::chrono::seconds(settings.stallSeconds));
            curl_multi_remove_handle(multi_, easy_);
        }
        curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, nullptr);
        curl_slist_free_all(headers);
        if (!ok)
            return result;

        result.ok = true;
        curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &result.status);
        char* contentType = nullptr;
        if (curl_easy_getinfo(easy_, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK && contentType)
            result.contentType = contentType;
        char* effectiveUrl = nullptr;
        if (curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &effectiveUrl) == CURLE_OK && effectiveUrl)
            result.effectiveUrl = effectiveUrl;
        result.headerLines = std::move(collector.headerLines);
        result.body = std::move(collector.body);
        return result;
    }

private:
    // Runs the added transfer to its end; true when it completed without any error. Once the
    // request has gone out, a transfer on which no byte moved for `stall` is given up. curl itself
    // ends a trickle below the low-speed floor and any transfer past the total time-out; its
    // low-speed check averages over the last five seconds, so on its own a request that had just
    // sent its body or part of an answer would outlive the stall limit by up to five seconds.
    bool drive(const std::stop_token& stop, int pollIntervalMs, std::chrono::steady_clock::duration stall)
    {
        CURLM* multi = multi_;
        std::stop_callback wake(stop, [multi] { curl_multi_wakeup(multi); });
        int running = 1;
        curl_off_t lastMoved = -1;
        auto lastChange = std::chrono::steady_clock::now();
        while (true) {
            if (stop.stop_requested())
                return false;
            if (curl_multi_perform(multi_, &running) != CURLM_OK)
                return false;
            if (running == 0)
                break;
            const curl_off_t moved = bytesMoved();
            const auto now = std::chrono::steady_clock::now();
            if (moved != lastMoved) {
                lastMoved = moved;
                lastChange = now;
            } else if (requestSent() && now - lastChange >= stall) {
                return false;
            }
            if (curl_multi_poll(multi_, nullptr, 0, pollIntervalMs, nullptr) != CURLM_OK)
                return false;
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy_)
                return message->data.result == CURLE_OK;
        }
        return false;
    }

    // Bytes of the transfer so far, both ways, heads included.
    curl_off_t bytesMoved() const
    {
        long requestHead = 0;
        long answerHead = 0;
        curl_off_t down = 0;
        curl_off_t up = 0;
        curl_easy_getinfo(easy_, CURLINFO_REQUEST_SIZE, &requestHead);
        curl_easy_getinfo(easy_, CURLINFO_HEADER_SIZE, &answerHead);
        curl_easy_getinfo(easy_, CURLINFO_SIZE_DOWNLOAD_T, &down);
        curl_easy_getinfo(easy_, CURLINFO_SIZE_UPLOAD_T, &up);
        return requestHead + answerHead + down + up;
    }

    // Until the request has gone out, the connect time-out is the one that counts.
    bool requestSent() const
    {
        long requestHead = 0;
        curl_easy_getinfo(easy_, CURLINFO_REQUEST_SIZE, &requestHead);
        return requestHead > 0;
    }

    CURL* easy_;
    CURLM* multi_;
};

} // namespace

HttpSettings httpSettings()
{
    std::lock_guard lock(settingsMutex);
    return currentSettings;
}

void setHttpSettings(const HttpSettings& settings)
{
    std::lock_guard lock(settingsMutex);
    currentSettings = settings;
}

TransferResult runTransfer(const TransferRequest& request, std::stop_token stop)
{
    return CurlSession::forThisThread().run(request, std::move(stop));
}

} // namespace tieba
