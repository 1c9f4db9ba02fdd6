#pragma once

namespace tieba {

// The program: shared state, the addresses, the skin, the main window and the sign-in run,
// then the event loop. Returns only through the process exit (the program's own close button
// ends the process at once; a window manager's close ends the loop and the process after it).
int runApplication(int argc, char** argv);

} // namespace tieba
