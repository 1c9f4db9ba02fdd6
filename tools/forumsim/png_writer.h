#pragma once
#include <QImage>
#include <string>

namespace tieba::forumsim {

// Encodes an image as an 8-bit RGB PNG with zlib. The service draws its pictures on its own
// threads, where Qt's image writers (which load the image-format plugins) must not be used.
std::string encodePng(const QImage& image);

} // namespace tieba::forumsim
