// startup-probe: starts either the program's main window or a bare Qt window of the same size,
// and as soon as the window is shown prints "shown <resident KiB>" and leaves. The benchmark
// times the child from its start to that line.
//   startup-probe program|bare
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "ui/application.h"

namespace {

long residentKib()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

[[noreturn]] void reportShown()
{
    std::printf("shown %ld\n", residentKib());
    std::fflush(stdout);
    std::_Exit(0);
}

int bareWindow(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setFixedSize(355, 335);
    window.move(50, 50);
    window.show();
    QTimer::singleShot(0, &window, [] { reportShown(); });
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "bare")
        return bareWindow(argc, argv);
    if (mode != "program") {
        std::fprintf(stderr, "usage: startup-probe program|bare\n");
        return 2;
    }
    tieba::ApplicationOptions options;
    // Nothing may leave the machine: every address points at a closed local port.
    const std::string nowhere = "http://127.0.0.1:9";
    options.sites = tieba::Sites{nowhere, nowhere, "127.0.0.1:9", nowhere + "/p/", nowhere + "/notice", nowhere, nowhere};
    options.whenShown = [](tieba::MainWindow&) { reportShown(); };
    return tieba::runApplication(argc, argv, options);
}
