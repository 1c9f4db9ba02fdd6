#include "ui/notice_reader.h"

#include "notice/read_notice.h"
#include "ui/main_window_banner.h"

namespace tieba {

NoticeReader::NoticeReader(NoticeReaderServices services) : services_(std::move(services)) {}

NoticeReader::~NoticeReader()
{
    stop();
    view_.reset();
}

void NoticeReader::start(MainWindow& window)
{
    if (started_)
        return;
    started_ = true;
    view_ = std::make_unique<MainWindowBanner>(window, services_.urlOpener, stopSource_.get_token());
    thread_ = std::jthread([this, stop = stopSource_.get_token()] {
        readNotice(NoticeEnvironment{services_.state, services_.sites, *view_, *view_, services_.waiter,
                                     services_.fetchPicture},
                   stop);
        if (!stop.stop_requested())
            view_->afterPending([this] { done_ = true; });
        finished_.store(true);
    });
}

std::function<void(MainWindow&)> NoticeReader::starter()
{
    return [this](MainWindow& window) { start(window); };
}

void NoticeReader::stop()
{
    stopSource_.request_stop();
    if (thread_.joinable())
        thread_.join();
}

} // namespace tieba
