#pragma once
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <gtest/gtest.h>
#include <memory>

#include "core/encoding.h"
#include "core/shared_state.h"
#include "signin/run_control.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"
#include "ui/skin.h"
#include "ui_test_support.h"

namespace tieba::test {

// A main window in a scratch current directory (where the data file lives), with every
// outside effect recorded: the browser, the process exit, the modal windows, the run buttons.
class MainWindowTest : public ::testing::Test {
protected:
    MainWindow& open()
    {
        window = makeWindow(state);
        return *window;
    }

    // A second window on its own state: the program started again in the same folder.
    std::unique_ptr<MainWindow> restart(SharedState& freshState) { return makeWindow(freshState); }

    std::unique_ptr<MainWindow> makeWindow(SharedState& windowState)
    {
        auto made = std::make_unique<MainWindow>(MainWindowServices{
            windowState, sites, skin, browser, exit, dialogRunner ? *dialogRunner : dialogs, fetchPicture,
            [this](MainWindow& w) { noticeStarted(w); }, {}, {}});
        MainWindow* w = made.get();
        QObject::connect(w, &MainWindow::oneClickClicked, w, [this] { ++commands.starts; });
        QObject::connect(w, &MainWindow::stopClicked, w, [this] { ++commands.stops; });
        QObject::connect(w, &MainWindow::clockTicked, w, [this] { ++commands.ticks; });
        return made;
    }

    // Hands the run buttons and the clock to `controller` for as long as the returned link lives.
    std::unique_ptr<QObject> driveRun(RunController& controller)
    {
        auto link = std::make_unique<QObject>();
        QObject::connect(window.get(), &MainWindow::oneClickClicked, link.get(), [&controller] { controller.startRun(); });
        QObject::connect(window.get(), &MainWindow::stopClicked, link.get(), [&controller] { controller.stopRun(); });
        QObject::connect(window.get(), &MainWindow::clockTicked, link.get(), [&controller] { controller.timerTick(); });
        return link;
    }

    template <class T = QWidget>
    T* control(const QString& name, const MainWindow* in = nullptr)
    {
        return child<T>(in ? *in : *window, name);
    }

    QString labelText(const QString& name, const MainWindow* in = nullptr) { return control<QLabel>(name, in)->text(); }

    void addAccounts(const std::vector<std::string>& names)
    {
        for (const std::string& name : names)
            EXPECT_EQ(addAccountTo(name), true) << name;
        window->refreshAccountLabels();
    }

    bool addAccountTo(const std::string& utf8Name);

    std::function<void(MainWindow&)> noticeStarted = [](MainWindow&) {};
    CaptchaWindow::PictureFetch fetchPicture;

    ScopedTempDir folder;
    SharedState state;
    Sites sites = testSites();
    Skin skin;
    RecordingUrlOpener browser;
    RecordingExit exit;
    ScriptedDialogs dialogs;
    DialogRunner* dialogRunner = nullptr; // set before open(): runs the windows instead of `dialogs`
    RunSignals commands;
    std::unique_ptr<MainWindow> window; // last: goes before what it uses
};

} // namespace tieba::test
