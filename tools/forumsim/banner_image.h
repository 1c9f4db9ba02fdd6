#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tieba::forumsim {

// Draws the small pictures the simulated notice page puts on the banner, served at
// "/pic/<rrggbb>.png": a 16 x 16 PNG, white but for an 8 x 8 square of the named colour in its
// middle (4 pixels of white on every side), so a client that keys white out shows only the
// square. Needs no QGuiApplication.

inline constexpr int kBannerPictureSize = 16;
inline constexpr int kBannerPictureMargin = 4;

// The PNG bytes for a name such as "ff0000.png"; nullopt for any other name.
std::optional<std::string> bannerPicturePng(std::string_view name);

} // namespace tieba::forumsim
