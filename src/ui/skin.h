#pragma once
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <array>
#include <optional>

#include "signin/progress_bar.h"

namespace tieba {

// A picture button's looks: normal, while the pointer is over it, while it is held down.
struct ButtonPictures {
    QPixmap normal;
    QPixmap hot;
    QPixmap pressed;
};

// Every picture of the program's skin, drawn by code (the program ships no image files). A
// picture is drawn the first time it is asked for and kept, so the start-up draws only what
// the windows it shows need, and no font is loaded before the first paint. The start-up creates
// one after the QApplication and hands it to every window. GUI thread only, like the pictures.
class Skin {
public:
    static constexpr QRgb kSkyBlue = qRgb(20, 193, 243);
    static constexpr QRgb kBlue = qRgb(11, 170, 217);
    static constexpr QRgb kPageFrame = qRgb(238, 240, 240);
    static constexpr QRgb kEdgeGrey = qRgb(151, 151, 151);
    static constexpr QRgb kBarGrey = qRgb(0xC9, 0xC9, 0xC9);
    static constexpr QRgb kBarBlue = qRgb(0x14, 0xC1, 0xF3);
    static constexpr QRgb kWhite = qRgb(255, 255, 255);
    static constexpr QRgb kBlack = qRgb(0, 0, 0);
    static constexpr QRgb kTextGrey = qRgb(128, 128, 128);

    // The size of the two backgrounds, and of MainWindow.
    static constexpr QSize kBackgroundSize{355, 335};

    // The backgrounds: MainWindow's sky blue one and the white one of every other window.
    const QPixmap& mainSkin() const;
    const QPixmap& whiteSkin() const;
    // The white skin fitted to a smaller window, its one-pixel black frame kept on all sides.
    QPixmap whiteSkinFor(QSize size) const;

    const ButtonPictures& closeButton() const;    // 23 x 17
    const ButtonPictures& minimizeButton() const; // 22 x 17

    // Page buttons "签到", "工具", "设置" (pages 0, 1, 2), 60 x 60.
    const QPixmap& pagePlain(int page) const;
    const QPixmap& pageFramed(int page) const;

    const ButtonPictures& grabButton() const; // 80 x 80 "抢"
    const ButtonPictures& bumpButton() const; // 80 x 80 "刷"

    // Word buttons: sky-blue caption on white.
    const ButtonPictures& oneClickButton() const;   // 104 x 40 "一键签到"
    const ButtonPictures& addAccountButton() const; // 104 x 40 "添加账号"
    const ButtonPictures& stopButton() const;       // 80 x 24 "停止签到"
    const ButtonPictures& saveButton() const;       // 56 x 24 "保存"
    const ButtonPictures& okButton() const;         // 80 x 32 "确定"
    const ButtonPictures& addButton() const;        // 50 x 50 "添加"
    const ButtonPictures& stopInputButton() const;  // 100 x 24 "停止输入"

    // The 1 x 10 columns the progress bar is painted from.
    const QPixmap& progressColumn(ProgressColumn column) const;

    // The face of every text of the windows; Chinese glyphs need a CJK font.
    static QFont font(int pixelSize = 12, bool bold = false);

private:
    // Filled on first use; the references handed out stay valid as long as the skin.
    mutable std::optional<QPixmap> mainSkin_, whiteSkin_;
    mutable std::optional<ButtonPictures> close_, minimize_, grab_, bump_;
    mutable std::optional<ButtonPictures> oneClick_, addAccount_, stop_, save_, ok_, add_, stopInput_;
    mutable std::array<std::optional<QPixmap>, 3> pagePlain_, pageFramed_;
    mutable std::optional<QPixmap> filledColumn_, edgeColumn_, emptyColumn_;
};

} // namespace tieba
