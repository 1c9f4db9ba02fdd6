#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>

#include "core/shared_state.h"
#include "core/sites.h"
#include "core/waiter.h"
#include "notice/read_notice.h"
#include "platform/url_opener.h"
#include "web/http_exchange.h"

namespace tieba {

class MainWindow;
class MainWindowBanner;

// What the reader is built with. The references must outlive the reader.
struct NoticeReaderServices {
    SharedState& state;
    const Sites& sites;
    UrlOpener& urlOpener;
    Waiter& waiter;
    // Banner pictures: a plain download without the program's cookies.
    std::function<std::string(const std::string& address, std::stop_token stop)> fetchPicture =
        [](const std::string& address, std::stop_token stop) {
            return fetchBytes(address, stop, kNoticePictureBytes);
        };
};

// The notice reader's thread. The application owns one that outlives the main window and hangs
// starter() on MainWindowServices::startNoticeReader, so the window's creation starts it once
// its placeholder is on the banner. What the reader does to the window reaches it on the GUI
// thread and only while the window exists. Destroying the reader (on the GUI thread) stops it
// and waits for its thread: a transfer, pause or open message window stops waiting at once.
class NoticeReader {
public:
    explicit NoticeReader(NoticeReaderServices services);
    ~NoticeReader();
    NoticeReader(const NoticeReader&) = delete;
    NoticeReader& operator=(const NoticeReader&) = delete;

    // Starts reading the notice for `window` on a thread of its own. GUI thread; only the first
    // call starts anything.
    void start(MainWindow& window);

    // The hook for MainWindowServices::startNoticeReader.
    std::function<void(MainWindow&)> starter();

    bool started() const { return started_; }
    // GUI thread: whether the reader ran to its end and all it did has reached the window.
    bool done() const { return done_; }
    // Whether the reader's thread has returned (any thread).
    bool finished() const { return finished_.load(); }

    // Stops the reader and waits for its thread. GUI thread.
    void stop();

private:
    NoticeReaderServices services_;
    std::stop_source stopSource_;
    std::unique_ptr<MainWindowBanner> view_;
    std::jthread thread_;
    bool started_ = false;
    bool done_ = false;
    std::atomic<bool> finished_{false};
};

} // namespace tieba
