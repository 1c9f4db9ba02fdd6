#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pages.h"
#include "scenario.h"
#include "site_state.h"

namespace tieba::forumsim {

class ClientApi;

// One request as the router needs it.
struct Incoming {
    std::string_view method;
    std::string_view target;
    std::string_view cookie;
    std::string_view body;
    std::string_view host; // the Host header; empty when absent
    std::string_view subappType; // the Subapp-Type header; empty when absent
};

// What to send back, before the page encoding and any fault are applied.
struct Answer {
    int status = 200;
    std::string body;        // UTF-8 HTML unless contentType is set
    std::string contentType; // set for bodies that are not HTML pages
    std::vector<std::string> cookies;
    std::string location;
    std::optional<std::string> captchaToDraw; // a picture to draw outside the state lock
};

// Turns requests into answers: picks the page by path and query, asks SiteState what the
// account may see and builds the page with Pages. ForumSim calls route() with the state lock
// held; it does no I/O.
class Router {
public:
    Router(SiteState& state, const Scenario& scenario, std::string fallbackBase);
    ~Router();

    Answer route(const Incoming& request);
    void turnClientDay(); // the day turnover for the token accounts' forums

private:
    std::string base(std::string_view host) const;
    std::string cookieDomain(std::string_view host) const;

    Answer home(int account) const;
    Answer followed(int account) const;
    Answer forumPage(int account, std::string_view query);
    Answer sign(int account, std::string_view query);
    Answer like(int account, std::string_view query);
    Answer threadPage(int account, std::string_view query) const;
    Answer desktopThread(std::string_view id, std::string_view host) const;
    Answer captchaPicture(std::string_view path) const;
    Answer bannerPicture(std::string_view path) const;
    Answer login(const Incoming& request);
    Answer reply(int account, std::string_view body);
    Answer notFound() const;

    SiteState& state_;
    Pages pages_;
    std::string notice_;
    std::string cookieDomain_;
    std::string fallbackBase_;
    std::unique_ptr<ClientApi> client_; // the mobile client's protocol and the QR login
};

} // namespace tieba::forumsim
