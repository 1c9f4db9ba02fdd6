#include "app/application.h"

#include <QApplication>
#include <QTimer>

#include "core/shared_state.h"
#include "core/sites.h"
#include "core/waiter.h"
#include "ui/notice_reader.h"
#include "platform/process_exit.h"
#include "signin/run_control.h"
#include "tools/power_off/system_power_off.h"
#include "ui/tool_windows.h"
#include "ui/desktop_url_opener.h"
#include "ui/dialog_runner.h"
#include "ui/main_window.h"
#include "ui/skin.h"
#include "web/cookie_policy.h"
#include "web/http_exchange.h"

namespace tieba {

int runApplication(int argc, char** argv, const ApplicationOptions& options)
{
    QApplication app(argc, argv);
    QApplication::setFont(Skin::font());

    SharedState state;
    const Sites sites = options.sites;
    const Skin skin;
    DesktopUrlOpener urlOpener;
    ImmediateProcessExit processExit;
    ModalDialogRunner dialogs;
    // Outlives the window; the process exit below does not wait for its thread.
    NoticeReader notice(
        NoticeReaderServices{.state = state, .sites = sites, .urlOpener = urlOpener, .waiter = threadWaiter()});
    const std::unique_ptr<PowerOff> powerOff = programPowerOff(sites);
    const CaptchaWindow::PictureFetch fetchPicture = [](const std::string& address, std::stop_token stop) {
        return fetchBytes(address, stop);
    };
    // Made once the main window, which shows their messages, exists; the buttons wait for it.
    std::unique_ptr<ToolWindows> tools;

    MainWindow window(MainWindowServices{
        .state = state,
        .sites = sites,
        .skin = skin,
        .urlOpener = urlOpener,
        .processExit = processExit,
        .dialogs = dialogs,
        .fetchPicture = fetchPicture,
        .startNoticeReader = notice.starter(),
        .openGrabWindow = [&tools] { if (tools) tools->openGrabWindow(); },
        .openBumpWindow = [&tools] { if (tools) tools->openBumpWindow(); },
    });
    tools = std::make_unique<ToolWindows>(ToolWindowServices{.state = state,
                                                             .sites = sites,
                                                             .skin = skin,
                                                             .dialogs = dialogs,
                                                             .messages = window,
                                                             .powerOff = *powerOff,
                                                             .fetchPicture = fetchPicture,
                                                             .workerWaiter = threadWaiter()});
    RunController controller(RunEnvironment{
        .state = state,
        .sites = sites,
        .workLog = window,
        .progress = window,
        .controls = window,
        .ticks = window,
        .captcha = window,
        .messages = window,
        .workerWaiter = threadWaiter(),
    });
    setCookieSites(sites);
    setCookieStoreFailureReport([&window](const std::string& line) { window.append(line); });
    // The run buttons and the clock drive the run while `runLink` lives; it goes before the run.
    QObject runLink;
    QObject::connect(&window, &MainWindow::oneClickClicked, &runLink, [&controller] { controller.startRun(); });
    QObject::connect(&window, &MainWindow::stopClicked, &runLink, [&controller] { controller.stopRun(); });
    QObject::connect(&window, &MainWindow::clockTicked, &runLink, [&controller] { controller.timerTick(); });
    window.show();
    if (options.whenShown)
        QTimer::singleShot(0, &window, [&] { options.whenShown(window); });

    const int code = app.exec();
    // Workers may still be in the middle of a request: leave without waiting for them.
    setCookieStoreFailureReport({});
    processExit.exitNow(code);
    return code;
}

} // namespace tieba
