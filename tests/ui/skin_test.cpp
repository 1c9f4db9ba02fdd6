#include "ui/skin.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <functional>
#include <gtest/gtest.h>

#include "ui_test_support.h"

namespace tieba {
namespace {

using test::rgb;

QRgb at(const QPixmap& picture, int x, int y)
{
    return rgb(picture.toImage()).pixel(x, y) & 0xFFFFFF;
}

bool contains(const QPixmap& picture, QRgb colour)
{
    const QImage image = rgb(picture.toImage());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                return true;
    return false;
}

class SkinTest : public ::testing::Test {
protected:
    Skin skin;
};

struct PixelCase {
    const char* name;
    std::function<QPixmap(const Skin&)> picture;
    QSize size;
    QPoint point;
    QRgb colour;
};

class SkinPixels : public SkinTest, public ::testing::WithParamInterface<PixelCase> {};

TEST_P(SkinPixels, ColourAtPoint)
{
    const PixelCase& c = GetParam();
    const QPixmap picture = c.picture(skin);
    EXPECT_EQ(picture.size(), c.size);
    EXPECT_EQ(at(picture, c.point.x(), c.point.y()), c.colour & 0xFFFFFF) << c.name;
}

const QRgb sky = Skin::kSkyBlue, blue = Skin::kBlue, black = Skin::kBlack, white = Skin::kWhite,
           grey = Skin::kEdgeGrey, frame = Skin::kPageFrame;

auto mainSkin = [](const Skin& s) { return s.mainSkin(); };
auto whiteSkin = [](const Skin& s) { return s.whiteSkin(); };
auto fitted = [](const Skin& s) { return s.whiteSkinFor(QSize(192, 162)); };
auto closeNormal = [](const Skin& s) { return s.closeButton().normal; };
auto minimizeNormal = [](const Skin& s) { return s.minimizeButton().normal; };
auto minimizeHot = [](const Skin& s) { return s.minimizeButton().hot; };
auto pagePlain = [](const Skin& s) { return s.pagePlain(2); };
auto pageFramed = [](const Skin& s) { return s.pageFramed(2); };
auto grabNormal = [](const Skin& s) { return s.grabButton().normal; };
auto grabHot = [](const Skin& s) { return s.grabButton().hot; };
auto grabPressed = [](const Skin& s) { return s.grabButton().pressed; };
auto bumpHot = [](const Skin& s) { return s.bumpButton().hot; };
auto bumpPressed = [](const Skin& s) { return s.bumpButton().pressed; };
auto filled = [](const Skin& s) { return s.progressColumn(ProgressColumn::Filled); };
auto edge = [](const Skin& s) { return s.progressColumn(ProgressColumn::Edge); };
auto empty = [](const Skin& s) { return s.progressColumn(ProgressColumn::Empty); };

INSTANTIATE_TEST_SUITE_P(
    Pictures, SkinPixels,
    ::testing::Values(PixelCase{"main skin frame", mainSkin, {355, 335}, {0, 0}, black},
                      PixelCase{"main skin far frame", mainSkin, {355, 335}, {354, 334}, black},
                      PixelCase{"main skin face", mainSkin, {355, 335}, {177, 167}, sky},
                      PixelCase{"white skin frame", whiteSkin, {355, 335}, {354, 0}, black},
                      PixelCase{"white skin face", whiteSkin, {355, 335}, {177, 167}, white},
                      PixelCase{"fitted skin keeps right frame", fitted, {192, 162}, {191, 80}, black},
                      PixelCase{"fitted skin keeps bottom frame", fitted, {192, 162}, {96, 161}, black},
                      PixelCase{"fitted skin face", fitted, {192, 162}, {96, 80}, white},
                      PixelCase{"close on blue", closeNormal, {23, 17}, {0, 0}, blue},
                      PixelCase{"minimize on blue", minimizeNormal, {22, 17}, {0, 0}, blue},
                      PixelCase{"minimize bar", minimizeNormal, {22, 17}, {10, 10}, white},
                      PixelCase{"minimize hot on sky blue", minimizeHot, {22, 17}, {0, 0}, sky},
                      PixelCase{"plain page tile", pagePlain, {60, 60}, {0, 0}, sky},
                      PixelCase{"framed page corner", pageFramed, {60, 60}, {0, 0}, frame},
                      PixelCase{"framed page far corner", pageFramed, {60, 60}, {59, 59}, frame},
                      PixelCase{"framed page inside", pageFramed, {60, 60}, {1, 1}, sky},
                      PixelCase{"grab normal right edge", grabNormal, {80, 80}, {79, 40}, white},
                      PixelCase{"grab hot right edge", grabHot, {80, 80}, {79, 40}, grey},
                      PixelCase{"grab hot bottom edge", grabHot, {80, 80}, {40, 79}, grey},
                      PixelCase{"grab hot left edge", grabHot, {80, 80}, {0, 40}, white},
                      PixelCase{"grab pressed left edge", grabPressed, {80, 80}, {0, 40}, grey},
                      PixelCase{"grab pressed top edge", grabPressed, {80, 80}, {40, 0}, grey},
                      PixelCase{"grab pressed right edge", grabPressed, {80, 80}, {79, 40}, white},
                      PixelCase{"bump hot bottom edge", bumpHot, {80, 80}, {40, 79}, grey},
                      PixelCase{"bump pressed top edge", bumpPressed, {80, 80}, {40, 0}, grey},
                      PixelCase{"filled column top", filled, {1, 10}, {0, 0}, Skin::kBarGrey},
                      PixelCase{"filled column middle", filled, {1, 10}, {0, 5}, Skin::kBarBlue},
                      PixelCase{"filled column bottom", filled, {1, 10}, {0, 9}, Skin::kBarGrey},
                      PixelCase{"edge column middle", edge, {1, 10}, {0, 5}, Skin::kBarGrey},
                      PixelCase{"empty column middle", empty, {1, 10}, {0, 1}, white},
                      PixelCase{"empty column bottom", empty, {1, 10}, {0, 9}, Skin::kBarGrey}));

TEST_F(SkinTest, CloseButtonShowsAWhiteCrossOnBlueAndOnRedWhenHot)
{
    EXPECT_TRUE(contains(skin.closeButton().normal, white));
    const QRgb hot = at(skin.closeButton().hot, 11, 1);
    EXPECT_GT(qRed(hot), qGreen(hot) + 40);
    EXPECT_GT(qRed(hot), qBlue(hot) + 40);
    EXPECT_TRUE(contains(skin.closeButton().hot, white));
}

TEST_F(SkinTest, DrawsEachPictureOnceAndKeepsIt)
{
    const QPixmap& ok = skin.okButton().normal;
    EXPECT_EQ(&skin.okButton().normal, &ok);
    EXPECT_EQ(skin.okButton().normal.cacheKey(), ok.cacheKey());
    EXPECT_EQ(skin.pagePlain(1).cacheKey(), skin.pagePlain(1).cacheKey());
    EXPECT_EQ(skin.mainSkin().cacheKey(), skin.mainSkin().cacheKey());
    EXPECT_NE(skin.pagePlain(1).cacheKey(), skin.pageFramed(1).cacheKey());
    EXPECT_EQ(skin.pagePlain(7).toImage(), skin.pagePlain(0).toImage()) << "out of range: the first page";
}

TEST_F(SkinTest, PageTilesCarryTheirWordInWhite)
{
    for (int page = 0; page < 3; ++page) {
        EXPECT_TRUE(contains(skin.pagePlain(page), white)) << page;
        EXPECT_NE(skin.pagePlain(page).toImage(), skin.pageFramed(page).toImage()) << page;
    }
    EXPECT_NE(skin.pagePlain(0).toImage(), skin.pagePlain(1).toImage());
}

struct WordButtonCase {
    const char* name;
    std::function<const ButtonPictures&(const Skin&)> pictures;
    QSize size;
};

class SkinWordButtons : public SkinTest, public ::testing::WithParamInterface<WordButtonCase> {};

TEST_P(SkinWordButtons, SkyBlueCaptionOnWhiteInThreeLooks)
{
    const ButtonPictures& pictures = GetParam().pictures(skin);
    for (const QPixmap* look : {&pictures.normal, &pictures.hot, &pictures.pressed}) {
        EXPECT_EQ(look->size(), GetParam().size);
        EXPECT_TRUE(contains(*look, Skin::kSkyBlue)) << "caption missing";
        EXPECT_EQ(at(*look, GetParam().size.width() / 2, 1), white & 0xFFFFFF);
    }
    const int right = GetParam().size.width() - 1;
    EXPECT_EQ(at(pictures.hot, right, 5), grey & 0xFFFFFF);
    EXPECT_EQ(at(pictures.pressed, 0, 5), grey & 0xFFFFFF);
    EXPECT_NE(pictures.normal.toImage(), pictures.hot.toImage());
    EXPECT_NE(pictures.hot.toImage(), pictures.pressed.toImage());
}

INSTANTIATE_TEST_SUITE_P(
    Words, SkinWordButtons,
    ::testing::Values(
        WordButtonCase{"一键签到", [](const Skin& s) -> const ButtonPictures& { return s.oneClickButton(); }, {104, 40}},
        WordButtonCase{"添加账号", [](const Skin& s) -> const ButtonPictures& { return s.addAccountButton(); }, {104, 40}},
        WordButtonCase{"停止签到", [](const Skin& s) -> const ButtonPictures& { return s.stopButton(); }, {80, 24}},
        WordButtonCase{"保存", [](const Skin& s) -> const ButtonPictures& { return s.saveButton(); }, {56, 24}},
        WordButtonCase{"确定", [](const Skin& s) -> const ButtonPictures& { return s.okButton(); }, {80, 32}},
        WordButtonCase{"添加", [](const Skin& s) -> const ButtonPictures& { return s.addButton(); }, {50, 50}},
        WordButtonCase{"停止输入", [](const Skin& s) -> const ButtonPictures& { return s.stopInputButton(); }, {100, 24}}));

TEST(SkinFont, ResolvesToAFontWithChineseGlyphs)
{
    const QFontInfo info(Skin::font());
    EXPECT_TRUE(info.family().contains(QStringLiteral("WenQuanYi"))) << info.family().toStdString();
    EXPECT_TRUE(QFontMetrics(Skin::font()).inFont(QChar(0x7B7E))); // 签
}

} // namespace
} // namespace tieba
