#pragma once
#include <string>
#include <vector>

#include "client/client_tokens.h"
#include "core/sites.h"

namespace tieba::client {

// One request of the client protocol, ready for the transport: where it goes, what it carries.
// Each goes to a host of Sites, so the tokens reach no other host.
struct ClientRequest {
    enum class Method { Get, Post };
    Method method = Method::Get;
    std::string url;
    std::string body;                 // POST: application/x-www-form-urlencoded, UTF-8
    std::string cookie;               // the Cookie header's value; empty for none
    std::vector<std::string> headers; // further "Name: value" lines
};

ClientRequest tbsRequest(const Sites& sites, const Tokens& tokens);
// pageNumber counts from 1.
ClientRequest forumGuideRequest(const Sites& sites, const Tokens& tokens, const std::string& tbs, int pageNumber);
ClientRequest forumLikeRequest(const Sites& sites, const Tokens& tokens, int pageNumber);
ClientRequest signRequest(const Sites& sites, const Tokens& tokens, const std::string& tbs, const std::string& forumId,
                          const std::string& forumName);
ClientRequest loginRequest(const Sites& sites, const Tokens& tokens);

ClientRequest qrCodeRequest(const Sites& sites);
ClientRequest qrPollRequest(const Sites& sites, const std::string& channel, const std::string& callback);
ClientRequest qrLoginRequest(const Sites& sites, const std::string& temporaryToken);

} // namespace tieba::client
