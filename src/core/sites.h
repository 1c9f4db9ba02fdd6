#pragma once
#include <string>

namespace tieba {

// The addresses the program talks to. The program receives one value built from the
// build-time settings (builtInSites); tests build their own pointing at a local server.
struct Sites {
    std::string forumSite;           // scheme and host of the forum's WAP pages, no trailing "/"
    std::string passportSite;        // scheme and host of the WAP passport
    std::string loginReturnHost;     // host carried back in the verified login form
    std::string threadAddressPrefix; // a thread's address up to its number
    std::string noticePageUrl;
    std::string downloadPageUrl;
    std::string feedbackUrl;
    // The mobile client's protocol, used by token accounts: no trailing "/".
    std::string clientApiSite{};  // sign and login calls
    std::string webApiSite{};     // the tbs and the followed forums
    std::string qrPassportSite{}; // QR login

    std::string passportLoginUrl() const { return passportSite + "/passport/"; }
};

Sites builtInSites();

// Version of this program as the notice page names versions ("3.0").
std::string programVersion();

} // namespace tieba
