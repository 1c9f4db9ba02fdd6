#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "records.h"
#include "scenario.h"

namespace tieba::forumsim {

// A local stand-in for the forum service: its WAP pages, its WAP passport with captcha
// pictures, the notice page and the download and feedback pages, all on one HTTP server.
// Tests start it in-process on 127.0.0.1 with an ephemeral port; the forumsim executable runs
// it on a fixed port for the demo. The server answers on its own threads; every member
// function may be called from any thread.
class ForumSim {
public:
    struct Options {
        std::string host = "127.0.0.1";
        int port = 0; // 0: any free port
        std::function<void(const Request&)> onRequest; // called on a server thread, per request
    };

    // Starts serving before it returns; throws std::runtime_error when the address is taken.
    explicit ForumSim(Scenario scenario);
    ForumSim(Scenario scenario, Options options);
    ~ForumSim(); // stops the server and closes the connections clients still hold
    ForumSim(const ForumSim&) = delete;
    ForumSim& operator=(const ForumSim&) = delete;

    std::string baseUrl() const; // "http://127.0.0.1:<port>", no trailing "/"
    int port() const;

    // Every request so far, in order of arrival, faulted ones included.
    std::vector<Request> requests() const;
    size_t requestCount() const;
    void clearRequests();

    // Waits until condition() holds, re-testing it whenever a request arrives or has been
    // answered (and on state changes made through this class). condition() may call the
    // members of this class. False when the timeout passed first.
    bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) const;

    // The day turnover: every forum's signed-today flag clears.
    void turnDay();
    // When each turnover happened (turnDay or the scenario's automatic one), in order; with the
    // requests' arrival times this gives how soon a client noticed a new day.
    std::vector<std::chrono::steady_clock::time_point> turnovers() const;
    // Forgets every session, so that each account has to log in again.
    void dropSessions();

    void addFault(const Fault& fault);
    void clearFaults();

    std::optional<ForumState> forum(const std::string& account, const std::string& forum) const;
    std::vector<Reply> replies() const;
    // The code of the latest captcha challenge, and of a challenge by its id (the value of its
    // login_bdverify field, which also names its picture).
    std::string lastCaptchaCode() const;
    std::optional<std::string> captchaCode(const std::string& id) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tieba::forumsim

// Short name for tests and tools outside namespace tieba.
namespace forumsim = tieba::forumsim;
