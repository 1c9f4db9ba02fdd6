#pragma once
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

#include "tool_harness.h"
#include "ui/tool_windows.h"
#include "ui/picture_button.h"
#include "ui/qt_text.h"
#include "ui/skin.h"
#include "web/http_exchange.h"

namespace tieba::test {

// Processes events until `condition` holds; false after the deadline.
inline bool waitFor(const std::function<bool()>& condition, int milliseconds = 20000)
{
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Plays the user in a modal tool window: the window is shown, the script drives it, and the run
// returns when the script is done (the window closed or not).
class ScriptedRunner final : public DialogRunner {
public:
    int run(QDialog& dialog) override
    {
        opened.push_back(dialog.objectName());
        dialog.show();
        if (script)
            script(dialog);
        dialog.hide();
        return dialog.result();
    }

    std::vector<QString> opened;
    std::function<void(QDialog&)> script;
};

// The child `name` of `parent`, failing the test when it is missing.
template <class T = QWidget>
T* control(const QObject& parent, const QString& name)
{
    T* found = parent.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << "no control " << name.toStdString();
    return found;
}

inline void click(QWidget* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
}

// The tool windows as the main window opens them, against the simulated service.
class ToolWindowFixture : public ToolFixture {
protected:
    ToolWindows& tools()
    {
        if (!tools_) {
            tools_ = std::make_unique<ToolWindows>(ToolWindowServices{
                state_, sites_, skin_, runner_, presenter_, powerOff_,
                [](const std::string& address, std::stop_token stop) { return fetchBytes(address, stop); },
                waiter_});
        }
        return *tools_;
    }

    // Waits until the workers of the grab have returned.
    bool grabAtRest() { return waitFor([this] { return !state_.workerThreads.busy(); }); }

    static QString logOf(const QDialog& window)
    {
        return control<QPlainTextEdit>(window, QStringLiteral("日志"))->toPlainText();
    }

    Skin skin_;
    ScriptedRunner runner_;
    std::unique_ptr<ToolWindows> tools_; // last: its threads go before what they use
};

} // namespace tieba::test
