#include "ui/main_window_banner.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QImage>

#include "ui/banner_painting.h"
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

} // namespace

MainWindowBanner::MainWindowBanner(MainWindow& window, UrlOpener& urlOpener, std::stop_token stop)
    : window_(window),
      banner_(window.banner()),
      linkTemplate_(&window.bannerLinkTemplate()),
      urlOpener_(urlOpener),
      stop_(std::move(stop)),
      post_(window.banner()),
      endPost_(*QCoreApplication::instance())
{
}

// Posted calls that have not arrived yet are dropped with the post.
MainWindowBanner::~MainWindowBanner() = default;

void MainWindowBanner::afterPending(std::function<void()> then)
{
    endPost_.post(std::move(then));
}

void MainWindowBanner::clear()
{
    post_.post([this] { banner_.clear(); });
}

void MainWindowBanner::setBackground(NoticeColour colour)
{
    post_.post([this, colour] { banner_.setBackground(qtColour(colour)); });
}

void MainWindowBanner::drawText(int x, int y, const std::string& text, int size, bool bold, NoticeColour colour)
{
    post_.post([this, x = clampBannerCoordinate(x), y = clampBannerCoordinate(y), text = toQt(text),
                points = bannerFontPoints(size), bold, colour] {
        banner_.drawText(x, y, text, points, bold, qtColour(colour));
    });
}

void MainWindowBanner::addLink(int x, int y, int width, const std::string& caption, const std::string& address)
{
    post_.post([this, x = clampBannerCoordinate(x), y = clampBannerCoordinate(y), width = clampBannerExtent(width),
                caption = toQt(caption), address] {
        if (!linkTemplate_)
            return;
        // A copy of the template: same parent, face and height; the caption is never markup.
        auto* link = new HyperLink(urlOpener_, &banner_);
        link->setFont(linkTemplate_->font());
        link->setPalette(linkTemplate_->palette());
        link->setCursor(linkTemplate_->cursor());
        link->setAlignment(linkTemplate_->alignment());
        link->setTextFormat(Qt::PlainText);
        link->setGeometry(x, y, width, linkTemplate_->height());
        link->setText(caption);
        link->setTarget(address);
        // The window is the connection's context: the connection goes with it.
        QObject::connect(link, &HyperLink::openFailed, &window_, [window = &window_](const std::string& target) {
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
    post_.post([this, picture, target] {
        if (const auto placed = stretchedInto(picture, target, banner_.size()))
            banner_.drawPicture(placed->at.x(), placed->at.y(), placed->image);
    });
    return true;
}

void MainWindowBanner::openAddress(const std::string& address)
{
    urlOpener_.openUrl(address);
}

void MainWindowBanner::showMessage(const std::string& text)
{
    post_.callAndWait([this, text] { window_.showMessage(text); }, stop_);
}

} // namespace tieba
