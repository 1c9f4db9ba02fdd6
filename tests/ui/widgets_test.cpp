#include <QEnterEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

#include "ui/canvas.h"
#include "ui/gui_waiter.h"
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

TEST(GuiWaiter, KeepsEventsFlowingWhileItWaits)
{
    GuiWaiter waiter;
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    EXPECT_TRUE(waiter.waitMs(30));
    EXPECT_TRUE(fired);
}

TEST(GuiWaiter, AStopFromAnotherThreadEndsTheWait)
{
    GuiWaiter waiter;
    std::stop_source source;
    std::jthread stopper;
    QTimer::singleShot(0, [&] { stopper = std::jthread([&] { source.request_stop(); }); });
    // Far longer than the test's timeout: only the stop can end it.
    EXPECT_FALSE(waiter.waitMs(600000, source.get_token()));
}

TEST(GuiWaiter, AnEarlierStopReturnsAtOnce)
{
    GuiWaiter waiter;
    std::stop_source source;
    source.request_stop();
    EXPECT_FALSE(waiter.waitMs(600000, source.get_token()));
}

} // namespace
} // namespace tieba
