#pragma once
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QStringList>
#include <QWidget>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

#include "core/message_presenter.h"
#include "core/sites.h"
#include "platform/process_exit.h"
#include "platform/url_opener.h"
#include "ui/dialog_runner.h"

namespace tieba::test {

// Processes events until `condition` holds or five seconds have passed.
inline bool waitUntil(const std::function<bool()>& condition, int milliseconds = 5000)
{
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// The child `name` of `parent`, failing the test when it is missing.
template <class T>
T* child(const QObject& parent, const QString& name)
{
    T* found = parent.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << "no control " << name.toStdString();
    return found;
}

// Addresses that lead nowhere: no test reaches the network.
inline Sites testSites()
{
    Sites sites;
    sites.forumSite = "http://127.0.0.1:9";
    sites.passportSite = "http://127.0.0.1:9";
    sites.downloadPageUrl = "http://127.0.0.1:9/download";
    sites.feedbackUrl = "http://127.0.0.1:9/feedback";
    return sites;
}

// Records the web addresses that reach the browser. With `failing` set, it records them and
// reports each as not opened, as the desktop does when there is no browser.
class RecordingUrlOpener final : public UrlOpener {
public:
    explicit RecordingUrlOpener(bool failing = false) : failing_(failing) {}

    std::vector<std::string> opened() const
    {
        std::lock_guard lock(mutex_);
        return opened_;
    }

protected:
    bool openWebAddress(const std::string& address) override
    {
        std::lock_guard lock(mutex_);
        opened_.push_back(address);
        return !failing_;
    }

private:
    const bool failing_;
    mutable std::mutex mutex_;
    std::vector<std::string> opened_;
};

class RecordingExit final : public ProcessExit {
public:
    void exitNow(int code) override { codes.push_back(code); }
    std::vector<int> codes;
};

class RecordingMessages final : public MessagePresenter {
public:
    void showMessage(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

// How often the main window's run buttons and its clock have signalled.
struct RunSignals {
    int starts = 0, stops = 0, ticks = 0;
};

// Answers the modal windows in place of the user: every window run is recorded (its object
// name and, for a message window, its text), then the next scripted answer runs on it; with
// no script left the window is closed at once.
class ScriptedDialogs final : public DialogRunner {
public:
    struct Seen {
        QString window;
        QString text;
    };

    int run(QDialog& dialog) override
    {
        const QLabel* text = dialog.objectName() == QStringLiteral("MessageWindow")
                                 ? dialog.findChild<QLabel*>(QStringLiteral("标签1"))
                                 : nullptr;
        seen.push_back({dialog.objectName(), text ? text->text() : QString()});
        if (script.empty())
            return QDialog::Rejected;
        auto answer = std::move(script.front());
        script.pop_front();
        dialog.show();
        answer(dialog);
        dialog.hide();
        return dialog.result();
    }

    std::vector<Seen> seen;
    std::deque<std::function<void(QDialog&)>> script;
};

// Runs every window in its own modal event loop, as the program does, and answers it from inside
// that loop: the next scripted answer is posted to the window as it opens (with no script left,
// `fallback` answers). `open` holds the windows open at the moment, the lowest first; `seen`
// records, for every window run, the names of the windows open then, e.g. "A > B".
class ModalDialogs final : public DialogRunner {
public:
    using Answer = std::function<void(QDialog&, ModalDialogs&)>;

    int run(QDialog& dialog) override
    {
        open.push_back(&dialog);
        QStringList names;
        for (const QDialog* window : open)
            names << window->objectName();
        seen.push_back(names.join(QStringLiteral(" > ")));
        Answer answer = fallback;
        if (!script.empty()) {
            answer = std::move(script.front());
            script.pop_front();
        }
        QMetaObject::invokeMethod(
            &dialog, [this, &dialog, answer] { answer(dialog, *this); }, Qt::QueuedConnection);
        const int result = dialog.exec();
        open.pop_back();
        return result;
    }

    std::vector<QDialog*> open;
    QStringList seen;
    std::deque<Answer> script;
    Answer fallback = [](QDialog& dialog, ModalDialogs&) { dialog.reject(); };
};

inline QImage rgb(const QImage& image)
{
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace tieba::test
