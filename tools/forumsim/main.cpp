// forumsim: serves a scenario file as the simulated forum service until it is killed.
//   forumsim <scenario.json> [--port N] [--host ADDRESS] [--log]
// SIGUSR1 turns the day (every forum's signed-today flag clears), for trying the midnight grab.
// --log prints every request on stderr, with passwords and cookie values masked.
#include <csignal>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

#include "forumsim.h"
#include "log_line.h"

namespace {

int usage()
{
    std::cerr << "usage: forumsim <scenario.json> [--port N] [--host ADDRESS] [--log]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string scenarioPath;
    forumsim::ForumSim::Options options;
    options.port = 18080;
    bool log = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--port" && i + 1 < argc) {
            options.port = std::atoi(argv[++i]);
            if (options.port <= 0 || options.port > 65535)
                return usage();
        } else if (arg == "--host" && i + 1 < argc) {
            options.host = argv[++i];
        } else if (arg == "--log") {
            log = true;
        } else if (!arg.empty() && arg.front() != '-' && scenarioPath.empty()) {
            scenarioPath = arg;
        } else {
            return usage();
        }
    }
    if (scenarioPath.empty())
        return usage();
    if (log) {
        options.onRequest = [](const forumsim::Request& r) {
            std::cerr << forumsim::logLine(r) + "\n";
        };
    }

    // Block the stop signals before the server starts its threads, so that only sigwait sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    sigaddset(&stopSignals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        forumsim::ForumSim sim(forumsim::scenarioFromFile(scenarioPath), options);
        std::cout << "forumsim serving " << sim.baseUrl() << std::endl;
        int signal = 0;
        while (sigwait(&stopSignals, &signal) == 0 && signal == SIGUSR1) {
            sim.turnDay();
            std::cout << "forumsim: a new day, every forum can be signed again" << std::endl;
        }
        std::cout << "forumsim stopping" << std::endl;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        if (std::string(e.what()).find("in use") != std::string::npos)
            std::cerr << "forumsim: stop whatever holds it, or choose another port with --port N\n";
        return 1;
    }
    return 0;
}
