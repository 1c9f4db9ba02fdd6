#pragma once
#include <QObject>
#include <QPointer>
#include <functional>
#include <stop_token>
#include <string>

#include "core/message_presenter.h"
#include "notice/banner_view.h"
#include "platform/url_opener.h"
#include "ui/handover/window_post.h"

namespace tieba {

class Canvas;
class HyperLink;
class MainWindow;

// The notice reader's view of the main window: the banner "画板1", copies of its template
// link "超级链接" and the message window. The reader calls it from its own thread; every call
// is posted to the GUI thread in the order made and applied there only while the banner and
// this view still exist. Messages are the one call that waits: until the window is closed or
// `stop` is raised.
// Create and destroy on the GUI thread; the reader owns one per run.
class MainWindowBanner final : public BannerView, public MessagePresenter {
public:
    MainWindowBanner(MainWindow& window, UrlOpener& urlOpener, std::stop_token stop);
    ~MainWindowBanner() override;
    MainWindowBanner(const MainWindowBanner&) = delete;
    MainWindowBanner& operator=(const MainWindowBanner&) = delete;

    // BannerView
    void clear() override;
    void setBackground(NoticeColour colour) override;
    void drawText(int x, int y, const std::string& text, int size, bool bold, NoticeColour colour) override;
    void addLink(int x, int y, int width, const std::string& caption, const std::string& address) override;
    bool drawPicture(int x, int y, int width, int height, const std::string& bytes) override;
    void openAddress(const std::string& address) override;

    // MessagePresenter: opens the main window's message window and waits until it is closed.
    void showMessage(const std::string& text) override;

    // Runs `then` on the GUI thread once every call made before has been applied (or dropped
    // with the window): the GUI thread takes posted events in the order they were posted.
    void afterPending(std::function<void()> then);

private:
    MainWindow& window_;
    Canvas& banner_;
    QPointer<HyperLink> linkTemplate_;
    UrlOpener& urlOpener_;
    std::stop_token stop_;
    WindowPost post_;    // to the banner: it goes with the window, and its going ends the calls
    WindowPost endPost_; // to the application: the reader's end is noted even without a window
};

} // namespace tieba
