// startup-probe: starts either the program's main window or a bare Qt window of the same size,
// and as soon as the window is shown prints "shown <resident KiB>" and leaves. The benchmark
// times the child from its start to that line.
//   startup-probe program|bare                  report once shown (before the first paint)
//   startup-probe program-painted|bare-painted  report once the first paint is done
//   startup-probe bare-textbox                  the bare window with one empty text box in it
#include <QApplication>
#include <QEvent>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "app/application.h"
#include "ui/main_window.h"

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

// Reports once the first paint of the window it watches is done: the window itself is painted
// first, and the report is queued behind the rest of that paint.
class AfterFirstPaint final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QTimer::singleShot(0, [] { reportShown(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

enum class Report { Shown, Painted };

int bareWindow(int argc, char** argv, Report report, bool withTextBox)
{
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setFixedSize(355, 335);
    window.move(50, 50);
    // An empty text box (where the program has its work log): Qt loads the fonts to lay it out.
    if (withTextBox)
        (new QPlainTextEdit(&window))->setGeometry(119, 170, 159, 146);
    std::optional<AfterFirstPaint> painted;
    if (report == Report::Painted)
        window.installEventFilter(&painted.emplace());
    window.show();
    if (report == Report::Shown)
        QTimer::singleShot(0, &window, [] { reportShown(); });
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "bare")
        return bareWindow(argc, argv, Report::Shown, false);
    if (mode == "bare-painted")
        return bareWindow(argc, argv, Report::Painted, false);
    if (mode == "bare-textbox")
        return bareWindow(argc, argv, Report::Shown, true);
    if (mode != "program" && mode != "program-painted") {
        std::fprintf(stderr, "usage: startup-probe program|bare|program-painted|bare-painted|bare-textbox\n");
        return 2;
    }
    tieba::ApplicationOptions options;
    // Nothing may leave the machine: every address points at a closed local port.
    const std::string nowhere = "http://127.0.0.1:9";
    options.sites = tieba::Sites{nowhere, nowhere, "127.0.0.1:9", nowhere + "/p/", nowhere + "/notice", nowhere, nowhere};
    if (mode == "program")
        options.whenShown = [](tieba::MainWindow&) { reportShown(); };
    else // shown, not yet painted: the paint comes after this
        options.whenShown = [](tieba::MainWindow& window) {
            window.installEventFilter(new AfterFirstPaint(&window));
        };
    return tieba::runApplication(argc, argv, options);
}
