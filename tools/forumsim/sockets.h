#pragma once
#include <string>

namespace tieba::forumsim {

// Socket chores around the HTTP server that it does not do itself. Called by ForumSim.

// Shuts down the accepted connections of this process whose local port is `port`. The HTTP
// server keeps an idle kept-alive connection for seconds after it has been told to stop; tests
// that end a server while their client still holds a connection would wait that long. Call it
// once the server stopped accepting. A no-op where /proc is missing.
void shutdownConnectionsOnPort(int port);

// Whether an IPv4 address and port can be bound by a listener of its own. The HTTP server binds
// with SO_REUSEPORT, so a second server on a taken port would start and share it silently.
bool portIsFree(const std::string& host, int port);

} // namespace tieba::forumsim
