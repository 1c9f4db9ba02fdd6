#include "notice/ui/main_window_banner.h"

#include <QByteArray>
#include <QImage>
#include <condition_variable>
#include <mutex>

#include "notice/ui/banner_painting.h"
#include "ui/canvas.h"
#include "ui/hyperlink.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"

namespace tieba {
namespace {

QColor qtColour(NoticeColour colour)
{
    return QColor(colour.red, colour.green, colour.blue);
}

// Set once on the GUI thread when a message window has been closed; the reader waits for it.
class Closed {
public:
    void set()
    {
        {
            std::lock_guard lock(mutex_);
            closed_ = true;
        }
        changed_.notify_all();
    }

    void wait(std::stop_token stop)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, stop, [this] { return closed_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable_any changed_;
    bool closed_ = false;
};

} // namespace

MainWindowBanner::MainWindowBanner(MainWindow& window, UrlOpener& urlOpener, std::stop_token stop)
    : window_(&window),
      banner_(&window.banner()),
      linkTemplate_(&window.bannerLinkTemplate()),
      urlOpener_(urlOpener),
      stop_(std::move(stop)),
      receiver_(std::make_unique<QObject>())
{
}

// Queued calls that have not arrived yet are dropped with the receiver.
MainWindowBanner::~MainWindowBanner() = default;

void MainWindowBanner::onGuiThread(std::function<void()> update)
{
    QMetaObject::invokeMethod(receiver_.get(), std::move(update), Qt::QueuedConnection);
}

void MainWindowBanner::afterPending(std::function<void()> then)
{
    onGuiThread(std::move(then));
}

void MainWindowBanner::clear()
{
    onGuiThread([this] {
        if (banner_)
            banner_->clear();
    });
}

void MainWindowBanner::setBackground(NoticeColour colour)
{
    onGuiThread([this, colour] {
        if (banner_)
            banner_->setBackground(qtColour(colour));
    });
}

void MainWindowBanner::drawText(int x, int y, const std::string& text, int size, bool bold, NoticeColour colour)
{
    onGuiThread([this, x = clampBannerCoordinate(x), y = clampBannerCoordinate(y), text = toQt(text),
                 points = bannerFontPoints(size), bold, colour] {
        if (banner_)
            banner_->drawText(x, y, text, points, bold, qtColour(colour));
    });
}

void MainWindowBanner::addLink(int x, int y, int width, const std::string& caption, const std::string& address)
{
    onGuiThread([this, x = clampBannerCoordinate(x), y = clampBannerCoordinate(y), width = clampBannerExtent(width),
                 caption = toQt(caption), address] {
        if (!banner_ || !linkTemplate_)
            return;
        // A copy of the template: same parent, face and height; the caption is never markup.
        auto* link = new HyperLink(urlOpener_, banner_);
        link->setFont(linkTemplate_->font());
        link->setPalette(linkTemplate_->palette());
        link->setCursor(linkTemplate_->cursor());
        link->setAlignment(linkTemplate_->alignment());
        link->setTextFormat(Qt::PlainText);
        link->setGeometry(x, y, width, linkTemplate_->height());
        link->setText(caption);
        link->setTarget(address);
        QObject::connect(link, &HyperLink::openFailed, window_.data(), [window = window_](const std::string& target) {
            if (window)
                window->showMessage(cannotOpenText(target));
        });
        link->show();
    });
}

bool MainWindowBanner::drawPicture(int x, int y, int width, int height, const std::string& bytes)
{
    // Decoding needs no widget: done here, so the answer is known before anything is queued.
    const QImage picture = decodeBannerPicture(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (picture.isNull())
        return false;
    const QRect target(clampBannerCoordinate(x), clampBannerCoordinate(y), clampBannerExtent(width),
                       clampBannerExtent(height));
    onGuiThread([this, picture, target] {
        if (!banner_)
            return;
        if (const auto placed = stretchedInto(picture, target, banner_->size()))
            banner_->drawPicture(placed->at.x(), placed->at.y(), placed->image);
    });
    return true;
}

void MainWindowBanner::openAddress(const std::string& address)
{
    urlOpener_.openUrl(address);
}

void MainWindowBanner::showMessage(const std::string& text)
{
    auto closed = std::make_shared<Closed>();
    onGuiThread([this, text, closed] {
        if (window_)
            window_->showMessage(text);
        closed->set();
    });
    closed->wait(stop_);
}

} // namespace tieba
