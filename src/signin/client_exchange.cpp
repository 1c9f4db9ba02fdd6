#include "signin/client_exchange.h"

#include "web/http_transfer.h"

namespace tieba {

std::string clientExchange(const client::ClientRequest& request, const RunTicket& ticket)
{
    if (ticket.stopped() || request.url.empty())
        return {};
    TransferRequest transfer;
    transfer.url = request.url;
    transfer.post = request.method == client::ClientRequest::Method::Post;
    transfer.body = request.body;
    transfer.headers = request.headers;
    if (!request.cookie.empty())
        transfer.headers.push_back("Cookie: " + request.cookie);
    if (transfer.post)
        transfer.headers.emplace_back("Content-Type: application/x-www-form-urlencoded");
    transfer.followRedirects = false;
    const TransferResult result = runTransfer(transfer, ticket.token());
    return result.ok ? result.body : std::string();
}

} // namespace tieba
