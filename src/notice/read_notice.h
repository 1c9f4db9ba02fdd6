#pragma once
#include <cstddef>
#include <functional>
#include <stop_token>
#include <string>

#include "core/message_presenter.h"
#include "core/shared_state.h"
#include "core/sites.h"
#include "core/waiter.h"
#include "notice/banner_view.h"

namespace tieba {

// What the notice reader works with. The references must outlive the reader.
struct NoticeEnvironment {
    SharedState& state;
    const Sites& sites;   // noticePageUrl
    BannerView& banner;
    MessagePresenter& messages;
    Waiter& waiter;       // the pauses of the check for an empty page
    // The bytes of a banner picture (a web address), without the program's cookies; empty on
    // failure and beyond kNoticePictureBytes.
    std::function<std::string(const std::string& address, std::stop_token stop)> fetchPicture;
};

// A notice page dresses the banner with at most this many pictures (the first ones it lists),
// each of at most this many bytes; the others are left out.
inline constexpr int kNoticePictureLimit = 16;
inline constexpr std::size_t kNoticePictureBytes = 2u << 20;

// The message shown when the notice page could not be read.
std::string noticeNetworkFailureText();
// The message that offers a newer version (the message window then shows its download link).
std::string newVersionText();

// Reads the notice page once and applies its directives: the page comes through httpExchange
// as account 0; an empty page is reported in the message window; the banner is cleared; then
// the banner link, the page to open, the message, the background, `latestVersion`, the texts,
// the links and the pictures, in that order; last, a version other than the program's sets
// `newVersionFound` and offers the download. Messages wait until the window is closed.
// Runs on the reader's own thread. A stop request ends it at the next step, a transfer or a
// pause at once.
void readNotice(const NoticeEnvironment& environment, std::stop_token stop = {});

} // namespace tieba
