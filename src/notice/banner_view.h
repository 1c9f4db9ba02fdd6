#pragma once
#include <string>

#include "notice/notice_fields.h"

namespace tieba {

// What the notice reader does to the main window's banner "画板1" and to the browser. The
// window side implements it by handing every call to the GUI thread; tests record the calls.
// Called from the reader's own thread; no call waits for the GUI thread. Places are pixels in
// the banner's coordinates; texts are GB18030.
class BannerView {
public:
    virtual ~BannerView() = default;

    // Paints the banner over in its background colour (the placeholder goes).
    virtual void clear() = 0;
    // Makes `colour` the banner's background colour and paints the banner over with it.
    virtual void setBackground(NoticeColour colour) = 0;
    // Writes `text` with its top left corner at x, y, in `size` points.
    virtual void drawText(int x, int y, const std::string& text, int size, bool bold, NoticeColour colour) = 0;
    // Puts a visible copy of the template link on the banner: left x, top y, `width` wide, the
    // template's height, showing `caption` and opening `address` when clicked.
    virtual void addLink(int x, int y, int width, const std::string& caption, const std::string& address) = 0;
    // Draws the picture in `bytes` stretched to width x height at x, y, with white as the
    // transparent colour. False, and nothing drawn, when the bytes are no picture.
    virtual bool drawPicture(int x, int y, int width, int height, const std::string& bytes) = 0;
    // Opens `address` in the browser.
    virtual void openAddress(const std::string& address) = 0;
};

} // namespace tieba
