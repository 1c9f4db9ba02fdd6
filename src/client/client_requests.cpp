#include "client/client_requests.h"

#include "client/client_form.h"
#include "client/client_protocol.h"

namespace tieba::client {

namespace {

namespace field = protocol::field;

std::string text(std::string_view view)
{
    return std::string(view);
}

ClientRequest post(const std::string& site, std::string_view path, FormFields fields, const Tokens& tokens)
{
    ClientRequest request;
    request.method = ClientRequest::Method::Post;
    request.url = site + text(path);
    request.body = clientForm(std::move(fields), tokens);
    return request;
}

ClientRequest get(std::string url)
{
    ClientRequest request;
    request.url = std::move(url);
    return request;
}

} // namespace

ClientRequest tbsRequest(const Sites& sites, const Tokens& tokens)
{
    ClientRequest request = get(sites.webApiSite + text(protocol::kTbsPath));
    request.cookie = text(protocol::kBdussCookie) + "=" + tokens.bduss;
    return request;
}

ClientRequest forumGuideRequest(const Sites& sites, const Tokens& tokens, const std::string& tbs, int pageNumber)
{
    ClientRequest request = post(sites.webApiSite, protocol::kForumGuidePath,
                                 {{text(field::kSortType), text(protocol::kForumGuideSortType)},
                                  {text(field::kCallFrom), text(protocol::kForumGuideCallFrom)},
                                  {text(field::kPageNo), std::to_string(pageNumber)},
                                  {text(field::kResultCount), std::to_string(protocol::kForumsPerPage)},
                                  {text(field::kTbs), tbs}},
                                 tokens);
    request.headers.push_back(text(protocol::kSubappTypeHeader) + ": " + text(protocol::kSubappTypeValue));
    return request;
}

ClientRequest forumLikeRequest(const Sites& sites, const Tokens& tokens, int pageNumber)
{
    return post(sites.clientApiSite, protocol::kForumLikePath,
                {{text(field::kPageNo), std::to_string(pageNumber)},
                 {text(field::kPageSize), std::to_string(protocol::kForumsPerPage)}},
                tokens);
}

ClientRequest signRequest(const Sites& sites, const Tokens& tokens, const std::string& tbs, const std::string& forumId,
                          const std::string& forumName)
{
    return post(sites.clientApiSite, protocol::kSignPath,
                {{text(field::kForumId), forumId}, {text(field::kForumName), forumName}, {text(field::kTbs), tbs}},
                tokens);
}

ClientRequest loginRequest(const Sites& sites, const Tokens& tokens)
{
    return post(sites.clientApiSite, protocol::kLoginPath, {{text(field::kBdussToken), tokens.bduss + "|null"}},
                tokens);
}

ClientRequest qrCodeRequest(const Sites& sites)
{
    return get(sites.qrPassportSite + text(protocol::kQrCodePath) + "?lp=pc");
}

ClientRequest qrPollRequest(const Sites& sites, const std::string& channel, const std::string& callback)
{
    return get(sites.qrPassportSite + text(protocol::kQrPollPath) + "?channel_id=" + percentEncoded(channel) +
               "&tpl=mn&_sdkFrom=1&callback=" + percentEncoded(callback) + "&apiver=v3");
}

ClientRequest qrLoginRequest(const Sites& sites, const std::string& temporaryToken)
{
    return get(sites.qrPassportSite + text(protocol::kQrLoginPath) + "?bduss=" + percentEncoded(temporaryToken));
}

} // namespace tieba::client
