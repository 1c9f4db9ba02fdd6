#include <QEnterEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <thread>

#include "ui/canvas.h"
#include "ui/hyperlink.h"
#include "ui/picture_button.h"
#include "ui/skinned_window.h"
#include "ui_test_support.h"

namespace tieba {
namespace {

using namespace Qt::StringLiterals;
using test::rgb;

QPixmap solid(QRgb colour)
{
    QPixmap picture(20, 10);
    picture.fill(QColor(colour));
    return picture;
}

void sendMouse(QWidget& widget, QEvent::Type type, QPoint local, Qt::MouseButtons buttons)
{
    const QPointF global = widget.mapToGlobal(QPointF(local));
    QMouseEvent event(type, QPointF(local), global, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

TEST(PictureButton, ShowsTheLookOfItsState)
{
    PictureButton button;
    const QPixmap normal = solid(qRgb(1, 1, 1)), hot = solid(qRgb(2, 2, 2)), pressed = solid(qRgb(3, 3, 3));
    button.setPictures({normal, hot, pressed});
    EXPECT_EQ(button.currentPicture().toImage(), normal.toImage());

    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&button, &enter);
    EXPECT_EQ(button.currentPicture().toImage(), hot.toImage());
    button.setDown(true);
    EXPECT_EQ(button.currentPicture().toImage(), pressed.toImage());
    button.setDown(false);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    EXPECT_EQ(button.currentPicture().toImage(), normal.toImage());
}

TEST(PictureButton, MissingLooksFallBackAndDisabledShowsNormal)
{
    PictureButton button;
    const QPixmap normal = solid(qRgb(1, 1, 1)), hot = solid(qRgb(2, 2, 2));
    button.setPictures({normal, hot, {}});
    button.setDown(true);
    EXPECT_EQ(button.currentPicture().toImage(), hot.toImage());
    button.setDown(false);
    button.setEnabled(false);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&button, &enter);
    EXPECT_EQ(button.currentPicture().toImage(), normal.toImage());
}

TEST(PictureButton, TakesPicturesFromItsSourceOnceAndOnlyWhenFirstNeeded)
{
    PictureButton button;
    button.resize(20, 10);
    const QPixmap normal = solid(qRgb(1, 1, 1)), hot = solid(qRgb(2, 2, 2));
    int drawn = 0;
    button.setPictureSource([&] {
        ++drawn;
        return ButtonPictures{normal, hot, {}};
    });
    EXPECT_EQ(drawn, 0);
    EXPECT_EQ(rgb(button.grab().toImage()), rgb(normal.toImage())) << "painted from the source";
    EXPECT_EQ(button.hotPicture().toImage(), hot.toImage());
    EXPECT_EQ(button.sizeHint(), QSize(20, 10));
    EXPECT_EQ(drawn, 1);

    // A source or pictures given later replace a source that was never asked.
    button.setPictureSource([&] {
        ++drawn;
        return ButtonPictures{hot, {}, {}};
    });
    button.setPictures({normal, {}, {}});
    EXPECT_EQ(button.currentPicture().toImage(), normal.toImage());
    EXPECT_EQ(drawn, 1);
}

TEST(PictureButton, ANewNormalPictureKeepsTheOtherLooksOfItsSource)
{
    PictureButton button;
    const QPixmap normal = solid(qRgb(1, 1, 1)), hot = solid(qRgb(2, 2, 2)), pressed = solid(qRgb(3, 3, 3));
    const QPixmap other = solid(qRgb(4, 4, 4));
    button.setPictureSource([&] { return ButtonPictures{normal, hot, pressed}; });
    button.setNormalPicture(other);
    EXPECT_EQ(button.normalPicture().toImage(), other.toImage());
    EXPECT_EQ(button.hotPicture().toImage(), hot.toImage());
    EXPECT_EQ(button.pressedPicture().toImage(), pressed.toImage());
}

TEST(PictureButton, ClicksOnlyWhileEnabledAndNeverTakesFocus)
{
    PictureButton button;
    button.setPictures({solid(qRgb(1, 1, 1)), {}, {}});
    button.resize(20, 10);
    QSignalSpy clicks(&button, &PictureButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);
    button.setEnabled(false);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(button.focusPolicy(), Qt::NoFocus);
}

TEST(Canvas, KeepsWhatWasDrawnUntilCleared)
{
    Canvas canvas;
    canvas.resize(100, 40);
    canvas.setBackground(Qt::white);
    QImage red(1, 1, QImage::Format_RGB32);
    red.fill(Qt::red);
    canvas.drawPicture(10, 5, 30, 20, red); // stretched
    EXPECT_EQ(canvas.image().pixelColor(10, 5), QColor(Qt::red));
    EXPECT_EQ(canvas.image().pixelColor(39, 24), QColor(Qt::red));
    EXPECT_EQ(canvas.image().pixelColor(40, 24), QColor(Qt::white));

    canvas.resize(120, 40); // growing keeps the drawing
    EXPECT_EQ(canvas.image().pixelColor(20, 10), QColor(Qt::red));
    EXPECT_EQ(canvas.image().pixelColor(110, 10), QColor(Qt::white));

    canvas.drawText(50, 5, u"签到"_s, 9, true, QColor(Qt::black));
    bool dark = false;
    for (int x = 50; x < 80; ++x)
        for (int y = 5; y < 20; ++y)
            dark |= qGray(canvas.image().pixel(x, y)) < 100;
    EXPECT_TRUE(dark) << "the text left no mark";

    canvas.clear();
    EXPECT_EQ(canvas.image().pixelColor(20, 10), QColor(Qt::white));
}

int darkPixels(const QImage& image, QRect area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            count += std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)}) < 100;
        }
    return count;
}

// Texts reach the picture only when it is next needed; until then they keep their place among
// the other drawing steps and resizes, so the result is the same as drawing at once.
class ShownCanvas : public ::testing::Test {
protected:
    void SetUp() override
    {
        canvas.resize(100, 40);
        canvas.setBackground(Qt::white);
        canvas.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&canvas));
    }

    Canvas canvas;
};

TEST_F(ShownCanvas, APictureDrawnLaterCoversAText)
{
    canvas.drawText(10, 5, u"签到"_s, 12, true, QColor(Qt::black));
    QImage red(1, 1, QImage::Format_RGB32);
    red.fill(Qt::red);
    canvas.drawPicture(0, 0, 100, 40, red);
    EXPECT_EQ(darkPixels(canvas.image(), QRect(0, 0, 100, 40)), 0);
}

TEST_F(ShownCanvas, ATextIsCutByAShrinkThatCameAfterIt)
{
    canvas.drawText(2, 5, u"签到签到签到"_s, 12, true, QColor(Qt::black));
    canvas.resize(14, 40);
    canvas.resize(100, 40);
    const QImage image = canvas.image();
    EXPECT_EQ(image.size(), QSize(100, 40));
    EXPECT_GT(darkPixels(image, QRect(2, 5, 12, 20)), 0) << "the part inside the narrow canvas stays";
    EXPECT_EQ(darkPixels(image, QRect(16, 0, 84, 40)), 0) << "the part outside it was cut";
}

TEST_F(ShownCanvas, ClearDropsTextsNotYetDrawn)
{
    canvas.drawText(10, 5, u"签到"_s, 12, true, QColor(Qt::black));
    canvas.clear();
    canvas.drawText(60, 5, u"签到"_s, 12, true, QColor(Qt::black));
    const QImage image = canvas.image();
    EXPECT_EQ(darkPixels(image, QRect(0, 0, 55, 40)), 0);
    EXPECT_GT(darkPixels(image, QRect(60, 5, 40, 20)), 0);
}

TEST(Canvas, ReportsLeftPresses)
{
    Canvas canvas;
    canvas.resize(50, 50);
    QSignalSpy presses(&canvas, &Canvas::leftPressed);
    QTest::mousePress(&canvas, Qt::RightButton, {}, QPoint(3, 4));
    QTest::mousePress(&canvas, Qt::LeftButton, {}, QPoint(7, 8));
    ASSERT_EQ(presses.count(), 1);
    EXPECT_EQ(presses.at(0).at(0).toPoint(), QPoint(7, 8));
}

TEST(TitleStrip, DragsItsWindowWithTheMouse)
{
    QWidget window;
    window.setGeometry(100, 100, 200, 100);
    TitleStrip* strip = addTitleStrip(window);
    QWidget other(&window);
    other.setGeometry(10, 50, 50, 30);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QPoint start = window.pos();

    sendMouse(*strip, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton);
    sendMouse(*strip, QEvent::MouseMove, QPoint(40, 30), Qt::LeftButton);
    sendMouse(*strip, QEvent::MouseButtonRelease, QPoint(40, 30), Qt::NoButton);
    EXPECT_EQ(window.pos(), start + QPoint(30, 20));

    // After the release the strip no longer follows, and presses elsewhere never drag.
    const QPoint moved = window.pos();
    sendMouse(*strip, QEvent::MouseMove, QPoint(60, 40), Qt::NoButton);
    sendMouse(other, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
    sendMouse(other, QEvent::MouseMove, QPoint(25, 25), Qt::LeftButton);
    EXPECT_EQ(window.pos(), moved);
}

TEST(HyperLink, OpensItsTargetOnAClick)
{
    test::RecordingUrlOpener browser;
    HyperLink link(browser);
    link.resize(60, 16);
    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(browser.opened().empty()) << "no target, nothing opened";
    link.setTarget("http://127.0.0.1:9/x");
    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(&link, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(browser.opened(), std::vector<std::string>{"http://127.0.0.1:9/x"});
}

} // namespace
} // namespace tieba
