#pragma once
#include <cstddef>
#include <stop_token>
#include <string>
#include <vector>

namespace tieba {

// One HTTP/1.1 request on the calling thread's libcurl handle, as httpExchange and fetchBytes
// need it: redirects followed, limits from HttpSettings, a stop request aborts it at once.
// Each thread keeps its own handle, so kept-alive connections are reused by its next request.

struct TransferRequest {
    std::string url;                  // ready for the wire (UTF-8, percent-encoded)
    bool post = false;
    std::string body;                 // sent only with post
    std::vector<std::string> headers; // curl header lines: "Name: value", "Name;" (empty), "Name:" (removed)
    std::size_t maxBodyBytes = 0;     // a lower cap than HttpSettings' for this transfer; 0: none
    bool followRedirects = true;      // false: a redirect is the answer (its headers go nowhere else)
};

struct TransferResult {
    bool ok = false;                  // the whole transfer completed; false for any failure
    long status = 0;
    std::string contentType;          // of the final response
    std::string effectiveUrl;         // where the last redirect led: the final response's address
    std::vector<std::string> headerLines; // the final response's header lines, as received
    std::string body;
};

TransferResult runTransfer(const TransferRequest& request, std::stop_token stop);

} // namespace tieba
