#include "notice/read_notice.h"

#include <optional>
#include <type_traits>

#include "core/encoding.h"
#include "notice/notice_directives.h"
#include "platform/web_address.h"
#include "web/http_exchange.h"
#include "web/text_helpers.h"

namespace tieba {

std::string noticeNetworkFailureText()
{
    return gb("连网失败！请检查网络连接。");
}

std::string newVersionText()
{
    return gb("发现新版本");
}

void readNotice(const NoticeEnvironment& environment, std::stop_token stop)
{
    SharedState& state = environment.state;
    BannerView& banner = environment.banner;

    state.noticeText.set(httpExchange(environment.sites.noticePageUrl, "GET", {}, dataFilePath(), 0, stop));
    if (stop.stop_requested())
        return;
    if (!waitForText(state.noticeText, environment.waiter, stop)) {
        if (stop.stop_requested())
            return;
        showMessage(state, environment.messages, noticeNetworkFailureText());
    }
    if (stop.stop_requested())
        return;
    banner.clear();

    const std::string block = directiveBlock(state.noticeText.get(), stop);
    if (stop.stop_requested())
        return;
    state.noticeText.set(block);

    std::optional<std::string> latest;
    int pictures = 0;
    for (const NoticeDirective& directive : parseDirectiveBlock(block)) {
        if (stop.stop_requested())
            return;
        std::visit(
            [&](const auto& d) {
                using D = std::decay_t<decltype(d)>;
                if constexpr (std::is_same_v<D, BannerLinkDirective>) {
                    state.bannerLinkUrl.set(d.address);
                } else if constexpr (std::is_same_v<D, OpenPageDirective>) {
                    banner.openAddress(d.address);
                } else if constexpr (std::is_same_v<D, MessageDirective>) {
                    showMessage(state, environment.messages, d.text);
                } else if constexpr (std::is_same_v<D, BackgroundDirective>) {
                    banner.setBackground(d.colour);
                } else if constexpr (std::is_same_v<D, VersionDirective>) {
                    state.latestVersion.set(d.latest);
                    latest = d.latest;
                } else if constexpr (std::is_same_v<D, TextDirective>) {
                    banner.drawText(d.x, d.y, d.text, d.size, d.bold, d.colour);
                } else if constexpr (std::is_same_v<D, LinkDirective>) {
                    banner.addLink(d.x, d.y, d.width, d.caption, d.address);
                } else if constexpr (std::is_same_v<D, PictureDirective>) {
                    // A picture that cannot be fetched or read is left out; the rest goes on.
                    if (++pictures > kNoticePictureLimit || !isWebAddress(d.address) || !environment.fetchPicture)
                        return;
                    const std::string bytes = environment.fetchPicture(d.address, stop);
                    if (!bytes.empty() && bytes.size() <= kNoticePictureBytes && !stop.stop_requested())
                        banner.drawPicture(d.x, d.y, d.width, d.height, bytes);
                }
            },
            directive);
    }
    if (stop.stop_requested())
        return;

    // No version named (an empty or unreadable page): nothing to offer.
    if (latest && *latest != programVersion()) {
        state.newVersionFound.store(1);
        showMessage(state, environment.messages, newVersionText());
    }
}

} // namespace tieba
