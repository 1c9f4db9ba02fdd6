#pragma once
#include <functional>

#include "core/sites.h"

namespace tieba {

class MainWindow;

struct ApplicationOptions {
    Sites sites = builtInSites();
    // Called once the main window has been shown and the event loop runs (start-up measurements).
    std::function<void(MainWindow&)> whenShown;
};

// The program: shared state, the addresses, the skin, the main window and the sign-in run,
// then the event loop. Returns only through the process exit (the program's own close button
// ends the process at once; a window manager's close ends the loop and the process after it).
int runApplication(int argc, char** argv, const ApplicationOptions& options = {});

} // namespace tieba
