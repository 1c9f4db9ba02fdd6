#include "forumsim.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "captcha_image.h"
#include "sockets.h"
#include "router.h"
#include "site_state.h"
#include "text_codec.h"

namespace tieba::forumsim {

namespace {

// Workers for the server: every kept-alive client connection holds one while it is open.
constexpr size_t kServerThreads = 24;

struct FaultEntry {
    Fault fault;
    int remaining; // -1: unlimited
};

} // namespace

struct ForumSim::Impl {
    explicit Impl(Scenario s) : scenario(std::move(s)), state(scenario) {}

    void handle(const httplib::Request& req, httplib::Response& res);
    std::optional<Fault> takeFault(const std::string& target);
    void stall(int milliseconds);
    void write(Answer answer, const std::optional<Fault>& fault, httplib::Response& res) const;
    void noteEvent() const;

    Scenario scenario;
    std::string htmlType;

    mutable std::mutex stateMutex;
    SiteState state;
    std::unique_ptr<Router> router;

    mutable std::mutex logMutex;
    std::vector<Request> log;
    std::function<void(const Request&)> onRequest;

    std::mutex faultMutex;
    std::vector<FaultEntry> faults;

    mutable std::mutex eventMutex;
    mutable std::condition_variable eventChanged;
    mutable std::uint64_t events = 0;

    std::mutex stopMutex;
    std::condition_variable stopRequested;
    bool stopping = false;

    httplib::Server server;
    std::thread thread;
    std::atomic<bool> listenReturned{false};
    int port = 0;
    std::string base;
};

void ForumSim::Impl::noteEvent() const
{
    {
        std::lock_guard lock(eventMutex);
        ++events;
    }
    eventChanged.notify_all();
}

std::optional<Fault> ForumSim::Impl::takeFault(const std::string& target)
{
    std::lock_guard lock(faultMutex);
    for (FaultEntry& entry : faults) {
        if (entry.remaining == 0 || !target.starts_with(entry.fault.targetPrefix))
            continue;
        if (entry.remaining > 0)
            --entry.remaining;
        return entry.fault;
    }
    return std::nullopt;
}

void ForumSim::Impl::stall(int milliseconds)
{
    std::unique_lock lock(stopMutex);
    stopRequested.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return stopping; });
}

void ForumSim::Impl::handle(const httplib::Request& req, httplib::Response& res)
{
    Request record{req.method,
                   req.target,
                   req.get_header_value("Cookie"),
                   req.get_header_value("Content-Type"),
                   req.body,
                   std::chrono::steady_clock::now()};
    if (onRequest)
        onRequest(record);
    {
        std::lock_guard lock(logMutex);
        log.push_back(std::move(record));
    }
    noteEvent();

    const std::string host = req.get_header_value("Host");
    const std::optional<Fault> fault = takeFault(req.target);
    if (fault) {
        switch (fault->kind) {
        case FaultKind::Status:
            res.status = fault->status;
            res.set_content(fault->body, htmlType);
            noteEvent();
            return;
        case FaultKind::RedirectLoop:
            res.status = 302;
            res.set_header("Location", (host.empty() ? base : "http://" + host) + req.target);
            res.set_content("", htmlType);
            noteEvent();
            return;
        case FaultKind::EmptyBody:
            res.set_content("", htmlType);
            noteEvent();
            return;
        case FaultKind::Stall: stall(fault->milliseconds); break;
        default: break;
        }
    }

    Answer answer;
    {
        std::lock_guard lock(stateMutex);
        answer = router->route(Incoming{req.method, req.target, req.get_header_value("Cookie"), req.body, host,
                                        req.get_header_value("Subapp-Type")});
    }
    if (answer.captchaToDraw)
        answer.body = captchaPng(*answer.captchaToDraw);
    write(std::move(answer), fault, res);
    noteEvent();
}

void ForumSim::Impl::write(Answer answer, const std::optional<Fault>& fault, httplib::Response& res) const
{
    const bool html = answer.contentType.empty();
    std::string body = html ? toPageEncoding(answer.body, scenario.encoding) : std::move(answer.body);
    const std::string contentType = html ? htmlType : answer.contentType;
    const FaultKind kind = fault ? fault->kind : FaultKind::Stall;

    if (fault && kind == FaultKind::BigBody) {
        const size_t filler = static_cast<size_t>(std::max(fault->megabytes, 0)) * 1024 * 1024;
        body += "\n<!-- ";
        body.append(filler, 'x');
        body += " -->\n";
    } else if (fault && kind == FaultKind::InvalidBytes) {
        body = "\xFF\xFE\x80" + body + "\x80\xFF";
    } else if (fault && kind == FaultKind::CookieWithoutSemicolon) {
        for (std::string& cookie : answer.cookies)
            cookie.erase(std::min(cookie.find(';'), cookie.size()));
        if (answer.cookies.empty())
            answer.cookies.push_back("SIMFAULT=1");
    }

    res.status = answer.status;
    for (const std::string& cookie : answer.cookies)
        res.headers.emplace("Set-Cookie", cookie);
    if (!answer.location.empty())
        res.set_header("Location", answer.location);

    if (fault && kind == FaultKind::ResetMidBody) {
        // Promise the whole body, send half of it, then give up: the server closes the connection.
        auto shared = std::make_shared<std::string>(std::move(body));
        const size_t promised = std::max<size_t>(shared->size(), 64);
        res.set_content_provider(promised, contentType, [shared](size_t offset, size_t, httplib::DataSink& sink) {
            if (offset == 0 && shared->size() > 1)
                sink.write(shared->data(), shared->size() / 2);
            return false;
        });
        return;
    }
    res.set_content(std::move(body), contentType);
}

ForumSim::ForumSim(Scenario scenario) : ForumSim(std::move(scenario), Options{})
{
}

ForumSim::ForumSim(Scenario scenario, Options options) : impl_(std::make_unique<Impl>(std::move(scenario)))
{
    Impl& d = *impl_;
    d.htmlType = d.scenario.encoding == PageEncoding::Gbk ? "text/html; charset=gbk" : "text/html; charset=utf-8";
    d.onRequest = std::move(options.onRequest);
    for (const Fault& f : d.scenario.faults)
        d.faults.push_back(FaultEntry{f, f.times < 0 ? -1 : f.times});

    d.server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    d.server.set_tcp_nodelay(true); // without it every kept-alive request waits for a delayed ACK
    d.server.set_keep_alive_max_count(100000);
    // Everything but POST is answered before routing, with no pattern to match; a POST needs
    // its body, which the server reads only after the pre-routing step.
    d.server.set_pre_routing_handler([&d](const httplib::Request& req, httplib::Response& res) {
        if (req.method == "POST")
            return httplib::Server::HandlerResponse::Unhandled;
        d.handle(req, res);
        return httplib::Server::HandlerResponse::Handled;
    });
    d.server.Post("[\\s\\S]*", [&d](const httplib::Request& req, httplib::Response& res) { d.handle(req, res); });
    d.server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        res.status = 500;
        res.set_content("<html><body>simulator error</body></html>", "text/html; charset=utf-8");
    });

    if (options.port == 0) {
        d.port = d.server.bind_to_any_port(options.host);
        if (d.port < 0)
            throw std::runtime_error("forumsim: cannot bind " + options.host);
    } else {
        const std::string address = options.host + ":" + std::to_string(options.port);
        if (!portIsFree(options.host, options.port) || !d.server.bind_to_port(options.host, options.port))
            throw std::runtime_error("forumsim: cannot listen on " + address + ": the port is already in use");
        d.port = options.port;
    }
    const std::string shownHost = options.host == "0.0.0.0" ? "127.0.0.1" : options.host;
    d.base = "http://" + shownHost + ":" + std::to_string(d.port);
    d.router = std::make_unique<Router>(d.state, d.scenario, d.base);

    d.thread = std::thread([&d] {
        d.server.listen_after_bind();
        d.listenReturned = true;
    });
    // stop() only reaches a server that is already running.
    while (!d.server.is_running() && !d.listenReturned)
        std::this_thread::yield();
}

ForumSim::~ForumSim()
{
    Impl& d = *impl_;
    {
        std::lock_guard lock(d.stopMutex);
        d.stopping = true;
    }
    d.stopRequested.notify_all();
    d.server.stop();
    shutdownConnectionsOnPort(d.port);
    d.thread.join();
}

std::string ForumSim::baseUrl() const
{
    return impl_->base;
}

int ForumSim::port() const
{
    return impl_->port;
}

std::vector<Request> ForumSim::requests() const
{
    std::lock_guard lock(impl_->logMutex);
    return impl_->log;
}

size_t ForumSim::requestCount() const
{
    std::lock_guard lock(impl_->logMutex);
    return impl_->log.size();
}

void ForumSim::clearRequests()
{
    std::lock_guard lock(impl_->logMutex);
    impl_->log.clear();
}

bool ForumSim::waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        std::uint64_t seen = 0;
        {
            std::lock_guard lock(impl_->eventMutex);
            seen = impl_->events;
        }
        if (condition())
            return true;
        std::unique_lock lock(impl_->eventMutex);
        if (!impl_->eventChanged.wait_until(lock, deadline, [&] { return impl_->events != seen; })) {
            lock.unlock();
            return condition();
        }
    }
}

void ForumSim::turnDay()
{
    {
        std::lock_guard lock(impl_->stateMutex);
        impl_->state.turnDay();
        impl_->router->turnClientDay();
    }
    impl_->noteEvent();
}

std::vector<std::chrono::steady_clock::time_point> ForumSim::turnovers() const
{
    std::lock_guard lock(impl_->stateMutex);
    return impl_->state.turnovers();
}

void ForumSim::dropSessions()
{
    {
        std::lock_guard lock(impl_->stateMutex);
        impl_->state.dropSessions();
    }
    impl_->noteEvent();
}

void ForumSim::addFault(const Fault& fault)
{
    std::lock_guard lock(impl_->faultMutex);
    impl_->faults.push_back(FaultEntry{fault, fault.times < 0 ? -1 : fault.times});
}

void ForumSim::clearFaults()
{
    std::lock_guard lock(impl_->faultMutex);
    impl_->faults.clear();
}

std::optional<ForumState> ForumSim::forum(const std::string& account, const std::string& forum) const
{
    std::lock_guard lock(impl_->stateMutex);
    return impl_->state.forumState(account, forum);
}

std::vector<Reply> ForumSim::replies() const
{
    std::lock_guard lock(impl_->stateMutex);
    return impl_->state.replies();
}

std::string ForumSim::lastCaptchaCode() const
{
    std::lock_guard lock(impl_->stateMutex);
    return impl_->state.lastCaptchaCode();
}

std::optional<std::string> ForumSim::captchaCode(const std::string& id) const
{
    std::lock_guard lock(impl_->stateMutex);
    return impl_->state.captchaCode(id);
}

} // namespace tieba::forumsim
