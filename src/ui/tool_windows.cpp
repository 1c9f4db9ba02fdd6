#include "ui/tool_windows.h"

#include "ui/bump_window.h"
#include "ui/grab_window.h"

namespace tieba {

ToolWindows::ToolWindows(ToolWindowServices services) : services_(std::move(services)) {}

ToolWindows::~ToolWindows() = default;

void ToolWindows::openGrabWindow()
{
    GrabWindow window(GrabWindowServices{services_.state, services_.sites, services_.skin, services_.messages,
                                         services_.powerOff, services_.workerWaiter, services_.fetchPicture});
    services_.dialogs.run(window);
}

void ToolWindows::openBumpWindow()
{
    BumpWindow window(BumpWindowServices{services_.state, services_.sites, services_.skin, services_.messages,
                                         bumpWorkers_, services_.workerWaiter, services_.fetchPicture});
    services_.dialogs.run(window);
}

} // namespace tieba
