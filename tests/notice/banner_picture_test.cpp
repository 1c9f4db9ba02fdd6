#include <QImage>
#include <gtest/gtest.h>
#include <forumsim.h>

#include "ui/banner_painting.h"
#include "web/http_exchange.h"

namespace tieba {
namespace {

constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);

QImage fromBytes(const std::string& bytes)
{
    return QImage::fromData(
        QByteArrayView(reinterpret_cast<const uchar*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
}

// A 4 x 4 picture: white frame, red 2 x 2 middle.
QImage framedRed()
{
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(kWhite);
    for (int y = 1; y < 3; ++y)
        for (int x = 1; x < 3; ++x)
            picture.setPixel(x, y, kRed);
    return picture;
}

TEST(SimulatedBannerPictures, ServesAFramedSquareOfTheNamedColour)
{
    forumsim::ForumSim sim{forumsim::Scenario{}};
    const QImage picture = fromBytes(fetchBytes(sim.baseUrl() + "/pic/ff0000.png"));
    ASSERT_EQ(picture.size(), QSize(16, 16));
    EXPECT_EQ(picture.pixel(0, 0), kWhite);
    EXPECT_EQ(picture.pixel(3, 8), kWhite);
    EXPECT_EQ(picture.pixel(4, 4), kRed);
    EXPECT_EQ(picture.pixel(11, 11), kRed);
    EXPECT_EQ(picture.pixel(12, 11), kWhite);
    EXPECT_EQ(fromBytes(fetchBytes(sim.baseUrl() + "/pic/0a0B0c.png")).pixel(8, 8), qRgb(0x0A, 0x0B, 0x0C));

    for (const char* name : {"/pic/red.png", "/pic/ff0000.gif", "/pic/ff00000.png", "/pic/", "/pic/gg0000.png"})
        EXPECT_EQ(fetchBytes(sim.baseUrl() + name), "") << name;
}

TEST(WhiteKeyed, OnlyPureWhiteBecomesTransparent)
{
    QImage picture(3, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, kWhite);
    picture.setPixel(1, 0, qRgb(255, 255, 254));
    picture.setPixel(2, 0, qRgb(0, 0, 0));
    const QImage keyed = whiteKeyed(picture);
    EXPECT_EQ(qAlpha(keyed.pixel(0, 0)), 0);
    EXPECT_EQ(keyed.pixel(1, 0), qRgb(255, 255, 254));
    EXPECT_EQ(keyed.pixel(2, 0), qRgb(0, 0, 0));
}

TEST(StretchedInto, RepeatsPixelsToTheTargetAndKeysWhiteOut)
{
    const auto placed = stretchedInto(framedRed(), QRect(10, 20, 8, 4), QSize(351, 110));
    ASSERT_TRUE(placed);
    EXPECT_EQ(placed->at, QPoint(10, 20));
    ASSERT_EQ(placed->image.size(), QSize(8, 4));
    // Twice as wide, as high: the frame is two columns wide and one row high.
    for (int x = 0; x < 8; ++x) {
        for (int y = 0; y < 4; ++y) {
            const bool middle = x >= 2 && x < 6 && y >= 1 && y < 3;
            const QRgb pixel = placed->image.pixel(x, y);
            if (middle)
                EXPECT_EQ(pixel, kRed) << x << "," << y;
            else
                EXPECT_EQ(qAlpha(pixel), 0) << x << "," << y;
        }
    }
}

TEST(StretchedInto, KeepsOnlyThePartOnTheCanvas)
{
    // Half off the left edge: the right half of the stretched picture remains.
    const auto left = stretchedInto(framedRed(), QRect(-4, 0, 8, 8), QSize(351, 110));
    ASSERT_TRUE(left);
    EXPECT_EQ(left->at, QPoint(0, 0));
    EXPECT_EQ(left->image.size(), QSize(4, 8));
    EXPECT_EQ(left->image.pixel(0, 2), kRed);
    EXPECT_EQ(qAlpha(left->image.pixel(2, 2)), 0);

    // Enormous: only the visible part is ever made, and the middle covers the whole canvas.
    const int huge = kBannerCoordinateLimit;
    const auto covering = stretchedInto(framedRed(), QRect(-huge / 2, -huge / 2, huge, huge), QSize(351, 110));
    ASSERT_TRUE(covering);
    EXPECT_EQ(covering->image.size(), QSize(351, 110));
    EXPECT_EQ(covering->image.pixel(0, 0), kRed);
    EXPECT_EQ(covering->image.pixel(350, 109), kRed);

    EXPECT_FALSE(stretchedInto(framedRed(), QRect(400, 0, 10, 10), QSize(351, 110)));
    EXPECT_FALSE(stretchedInto(framedRed(), QRect(0, 0, 0, 10), QSize(351, 110)));
    EXPECT_FALSE(stretchedInto(QImage(), QRect(0, 0, 10, 10), QSize(351, 110)));
}

TEST(BannerLimits, KeepSizesAndPlacesSane)
{
    EXPECT_EQ(bannerFontPoints(12), 12);
    EXPECT_EQ(bannerFontPoints(0), 9);
    EXPECT_EQ(bannerFontPoints(-5), 9);
    EXPECT_EQ(bannerFontPoints(100000), 300);
    EXPECT_EQ(clampBannerCoordinate(-2000000000), -kBannerCoordinateLimit);
    EXPECT_EQ(clampBannerCoordinate(17), 17);
    EXPECT_EQ(clampBannerExtent(-3), 0);
    EXPECT_EQ(clampBannerExtent(2000000000), kBannerCoordinateLimit);
}

} // namespace
} // namespace tieba
