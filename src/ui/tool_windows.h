#pragma once
#include "core/message_presenter.h"
#include "core/shared_state.h"
#include "core/sites.h"
#include "core/waiter.h"
#include "platform/power_off.h"
#include "tools/login/tool_captcha_view.h"
#include "ui/dialog_runner.h"
#include "ui/skin.h"

namespace tieba {

// What the tool windows are built with. The references must outlive the ToolWindows.
struct ToolWindowServices {
    SharedState& state;
    const Sites& sites;
    const Skin& skin;
    DialogRunner& dialogs;      // runs the windows modally
    MessagePresenter& messages; // the windows' own messages and the bump login's network failure
    PowerOff& powerOff;         // after a grab, when the shutdown option is on
    PictureFetch fetchPicture;  // captcha pictures
    Waiter& workerWaiter;       // pauses on worker threads
};

// Opens the tool windows for the main window's "抢签" and "刷帖" and owns what must outlive
// them: the bump's threads, which no window close ends, live here and are joined on destruction.
// The application hangs openGrabWindow and openBumpWindow on MainWindowServices.
class ToolWindows {
public:
    explicit ToolWindows(ToolWindowServices services);
    ~ToolWindows();
    ToolWindows(const ToolWindows&) = delete;
    ToolWindows& operator=(const ToolWindows&) = delete;

    // GUI thread; each returns once its window has been closed.
    void openGrabWindow();
    void openBumpWindow();

    // The bump's threads (tests join them).
    WorkerThreads& bumpWorkers() { return bumpWorkers_; }

private:
    ToolWindowServices services_;
    WorkerThreads bumpWorkers_; // last: stopped and joined before anything they use goes
};

} // namespace tieba
