#pragma once
#include <string>

#include "client/client_requests.h"
#include "core/worker_threads.h"

namespace tieba {

// One call of the client protocol on behalf of a run: nothing is sent once the run has ended,
// and a stop aborts a transfer in flight. Redirects are not followed, so the tokens in the
// request's Cookie header never travel on to another host. The answer's body as the service
// sent it (UTF-8), or the empty text when the exchange failed.
std::string clientExchange(const client::ClientRequest& request, const RunTicket& ticket);

} // namespace tieba
