#include <QFileInfo>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "main_window_fixture.h"
#include "settings/account_slots.h"
#include "ui/canvas.h"
#include "ui/hyperlink.h"
#include "ui/picture_button.h"
#include "web/cookie_jar.h"

namespace tieba::test {

bool MainWindowTest::addAccountTo(const std::string& utf8Name)
{
    return addAccount(state, gb(utf8Name), "pw") == AddAccountResult::Added;
}

namespace {

using namespace Qt::StringLiterals;

// ---- layout -----------------------------------------------------------------------------

struct Place {
    const char* name;
    const char* parent; // object name of the parent widget
    QRect geometry;
};

class MainWindowLayout : public MainWindowTest, public ::testing::WithParamInterface<Place> {};

TEST_P(MainWindowLayout, ControlSitsAtItsPlace)
{
    open();
    const Place& place = GetParam();
    QWidget* widget = control(QString::fromUtf8(place.name));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->geometry(), place.geometry);
    ASSERT_NE(widget->parentWidget(), nullptr);
    EXPECT_EQ(widget->parentWidget()->objectName(), QString::fromUtf8(place.parent));
}

INSTANTIATE_TEST_SUITE_P(
    Controls, MainWindowLayout,
    ::testing::Values(Place{"皮肤", "MainWindow", {1, 1, 353, 23}}, Place{"最小化", "MainWindow", {304, 1, 23, 17}},
                      Place{"关闭", "MainWindow", {331, 1, 23, 17}}, Place{"画板1", "MainWindow", {1, 24, 351, 110}},
                      Place{"超级链接", "画板1", {247, 56, 40, 16}}, Place{"选择夹1", "MainWindow", {1, 136, 280, 198}},
                      Place{"签到", "MainWindow", {288, 136, 60, 60}}, Place{"工具", "MainWindow", {288, 200, 60, 60}},
                      Place{"设置", "MainWindow", {288, 264, 60, 60}}, Place{"选择框1", "签到页", {8, 32, 16, 16}},
                      Place{"选择框2", "签到页", {8, 56, 16, 16}}, Place{"选择框3", "签到页", {8, 80, 16, 16}},
                      Place{"标签1", "签到页", {24, 32, 88, 16}}, Place{"标签2", "签到页", {24, 56, 88, 16}},
                      Place{"标签3", "签到页", {24, 80, 88, 16}}, Place{"删1", "签到页", {103, 32, 14, 16}},
                      Place{"删2", "签到页", {103, 56, 14, 16}}, Place{"删3", "签到页", {103, 80, 14, 16}},
                      Place{"一键签到", "签到页", {8, 100, 104, 40}}, Place{"添加账号", "签到页", {8, 150, 104, 40}},
                      Place{"停止签到", "签到页", {20, 3, 80, 24}}, Place{"进度标签", "签到页", {119, 1, 160, 16}},
                      Place{"进度条", "签到页", {118, 20, 159, 11}}, Place{"工作日志", "签到页", {118, 34, 159, 146}},
                      Place{"标签5", "签到页", {119, 181, 88, 16}}, Place{"超级链接框1", "签到页", {210, 181, 72, 16}},
                      Place{"标签4", "工具页", {16, 8, 248, 72}}, Place{"抢签", "工具页", {32, 88, 80, 80}},
                      Place{"刷帖", "工具页", {168, 88, 80, 80}}, Place{"选择框4", "设置页", {8, 8, 16, 16}},
                      Place{"标签6", "设置页", {24, 7, 119, 17}}, Place{"保存", "设置页", {215, 5, 56, 24}},
                      Place{"标签7", "设置页", {8, 32, 256, 15}}, Place{"编辑框2", "设置页", {8, 56, 264, 136}}));

TEST_F(MainWindowTest, IsAFramelessFixedWindowFirstAtFiftyFifty)
{
    open();
    EXPECT_EQ(window->size(), QSize(355, 335));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->pos(), QPoint(50, 50));
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(rgb(window->grab().toImage()).pixel(200, 335 - 1) & 0xFFFFFF, Skin::kBlack & 0xFFFFFF);
    EXPECT_EQ(rgb(window->grab().toImage()).pixel(284, 250) & 0xFFFFFF, Skin::kSkyBlue & 0xFFFFFF);
}

TEST_F(MainWindowTest, TextsAndTipsOfTheControls)
{
    open();
    EXPECT_EQ(labelText(u"标签4"_s), u"注意：话说虽然是抢签到第一的工具，但不能保证一定能抢第一，请在0点之前开启。\n\n"
                                     u"刷楼工具请谨慎使用，由此使用工具导致的账号被封或者其他后果由使用者自负\n\n"_s);
    EXPECT_EQ(labelText(u"标签6"_s), u"抢签到完成自动关机"_s);
    EXPECT_EQ(labelText(u"标签7"_s), u"以下贴吧不签到(多个贴吧请用中文逗号\",\"分开)"_s);
    EXPECT_EQ(labelText(u"删2"_s), u"删"_s);
    EXPECT_FALSE(labelText(u"标签5"_s).isEmpty());
    EXPECT_EQ(labelText(u"超级链接框1"_s), u"我要提意见"_s);

    const std::pair<const char16_t*, const char16_t*> tips[] = {
        {u"添加账号", u"添加你的百度账号"},
        {u"抢签", u"不一定能够成功，只是个辅助吧！"},
        {u"刷帖", u"点一次回5贴，请谨慎使用！被封号什么的别怪我啊！"},
        {u"标签1", u"选中的账号才会签到，没选中的账号不签到"},
        {u"标签3", u"选中的账号才会签到，没选中的账号不签到"},
        {u"删1", u"删除此账号"},
        {u"删3", u"删除此账号"}};
    for (const auto& [name, tip] : tips)
        EXPECT_EQ(control(QString::fromUtf16(name))->toolTip(), QString::fromUtf16(tip))
            << QString::fromUtf16(name).toStdString();

    EXPECT_TRUE(control<QPlainTextEdit>(u"工作日志"_s)->isReadOnly());
    EXPECT_FALSE(control<QPlainTextEdit>(u"编辑框2"_s)->isReadOnly());
}

TEST_F(MainWindowTest, CaptionAndBannerPlaceholderAreDrawn)
{
    open();
    auto darkPixels = [](const QImage& image, QRect area, int threshold, bool lighter) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                count += lighter ? qGray(image.pixel(x, y)) > threshold : qGray(image.pixel(x, y)) < threshold;
        return count;
    };
    const QImage title = control<Canvas>(u"皮肤"_s)->image();
    EXPECT_GT(darkPixels(title, QRect(5, 5, 150, 14), 220, true), 50) << "white caption missing";
    EXPECT_EQ(darkPixels(title, QRect(0, 0, 5, 23), 220, true), 0) << "caption starts at x 5";
    const QImage banner = control<Canvas>(u"画板1"_s)->image();
    EXPECT_GT(darkPixels(banner, QRect(125, 50, 150, 16), 100, false), 50) << "placeholder missing";
    EXPECT_EQ(darkPixels(banner, QRect(0, 0, 120, 110), 100, false), 0) << "placeholder starts at x 125";
}

// ---- pages --------------------------------------------------------------------------------

class MainWindowPages : public MainWindowTest {
protected:
    void expectFramed(int page)
    {
        const char16_t* names[3] = {u"签到", u"工具", u"设置"};
        EXPECT_EQ(control<QStackedWidget>(u"选择夹1"_s)->currentIndex(), page);
        for (int n = 0; n < 3; ++n) {
            auto* button = control<PictureButton>(QString::fromUtf16(names[n]));
            const QImage expected = (n == page ? skin.pageFramed(n) : skin.pagePlain(n)).toImage();
            EXPECT_EQ(button->normalPicture().toImage(), expected) << "button " << n << " on page " << page;
            EXPECT_EQ(rgb(button->grab().toImage()), rgb(expected)) << "button " << n << " as drawn";
            EXPECT_EQ(button->hotPicture().toImage(), skin.pageFramed(n).toImage()) << "hot stays framed";
        }
    }
};

TEST_F(MainWindowPages, StartsOnTheSignInPageWithItsButtonFramed)
{
    open();
    window->show();
    expectFramed(0);
    EXPECT_TRUE(control(u"一键签到"_s)->isVisible());
    EXPECT_FALSE(control(u"编辑框2"_s)->isVisible());
}

TEST_F(MainWindowPages, PageButtonsSwitchPagesAndMoveTheFrame)
{
    open();
    window->show();
    for (int page : {2, 1, 0, 2}) {
        const char16_t* names[3] = {u"签到", u"工具", u"设置"};
        QTest::mouseClick(control(QString::fromUtf16(names[page])), Qt::LeftButton, {}, QPoint(30, 30));
        expectFramed(page);
    }
    EXPECT_TRUE(control(u"编辑框2"_s)->isVisible());
}

// The buttons take their pictures from the skin only when first painted: each must still get
// its own three looks.
struct SkinnedButton {
    const char* name;
    const ButtonPictures& (Skin::*pictures)() const;
};

class MainWindowButtonPictures : public MainWindowTest, public ::testing::WithParamInterface<SkinnedButton> {};

TEST_P(MainWindowButtonPictures, AreTheSkinsOwn)
{
    open();
    window->show();
    auto* button = control<PictureButton>(QString::fromUtf8(GetParam().name));
    ASSERT_NE(button, nullptr);
    const ButtonPictures& expected = (skin.*GetParam().pictures)();
    EXPECT_EQ(button->normalPicture().toImage(), expected.normal.toImage());
    EXPECT_EQ(button->hotPicture().toImage(), expected.hot.toImage());
    EXPECT_EQ(button->pressedPicture().toImage(), expected.pressed.toImage());
}

INSTANTIATE_TEST_SUITE_P(Buttons, MainWindowButtonPictures,
                         ::testing::Values(SkinnedButton{"最小化", &Skin::minimizeButton},
                                           SkinnedButton{"关闭", &Skin::closeButton},
                                           SkinnedButton{"一键签到", &Skin::oneClickButton},
                                           SkinnedButton{"添加账号", &Skin::addAccountButton},
                                           SkinnedButton{"停止签到", &Skin::stopButton},
                                           SkinnedButton{"抢签", &Skin::grabButton},
                                           SkinnedButton{"刷帖", &Skin::bumpButton},
                                           SkinnedButton{"保存", &Skin::saveButton}));

// ---- settings -----------------------------------------------------------------------------

TEST_F(MainWindowTest, FirstStartCreatesTheDataFileAndTicksTheAccountBoxes)
{
    ASSERT_FALSE(std::filesystem::exists("shuju.dat"));
    open();
    EXPECT_TRUE(std::filesystem::exists("shuju.dat"));
    for (int box = 1; box <= 3; ++box) {
        EXPECT_TRUE(control<QCheckBox>(u"选择框"_s + QString::number(box))->isChecked()) << box;
        EXPECT_TRUE(window->isTicked(box)) << box;
        EXPECT_EQ(labelText(u"标签"_s + QString::number(box)), u"未添加账号"_s);
    }
    EXPECT_FALSE(control<QCheckBox>(u"选择框4"_s)->isChecked());
    EXPECT_TRUE(control<QPlainTextEdit>(u"编辑框2"_s)->toPlainText().isEmpty());
    EXPECT_EQ(state.accountCount(), 0);
}

TEST_F(MainWindowTest, AccountTicksFollowTheCheckBoxes)
{
    open();
    control<QCheckBox>(u"选择框2"_s)->setChecked(false);
    EXPECT_TRUE(window->isTicked(1));
    EXPECT_FALSE(window->isTicked(2));
    bool seenFromWorker = true;
    std::thread([&] { seenFromWorker = window->isTicked(2); }).join();
    EXPECT_FALSE(seenFromWorker);
    EXPECT_FALSE(window->isTicked(0));
    EXPECT_FALSE(window->isTicked(4));
}

TEST_F(MainWindowTest, SaveAndLoadRoundTripThroughTheControls)
{
    open();
    addAccounts({"alice", "小明"});
    control<QPlainTextEdit>(u"编辑框2"_s)->setPlainText(u"灌水， 测试　，"_s);
    control<QCheckBox>(u"选择框2"_s)->setChecked(false);
    control<QCheckBox>(u"选择框4"_s)->setChecked(true);
    QTest::mouseClick(control(u"保存"_s), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(state.excludedForums.get(), (TextList{gb("灌水"), gb("测试")}));
    EXPECT_EQ(state.shutdownAfterGrab.get(), "1");
    window.reset();

    SharedState again;
    auto reopened = restart(again);
    EXPECT_EQ(control<QPlainTextEdit>(u"编辑框2"_s, reopened.get())->toPlainText(), u"灌水，测试，"_s);
    EXPECT_TRUE(control<QCheckBox>(u"选择框1"_s, reopened.get())->isChecked());
    EXPECT_FALSE(control<QCheckBox>(u"选择框2"_s, reopened.get())->isChecked());
    EXPECT_FALSE(reopened->isTicked(2));
    EXPECT_TRUE(control<QCheckBox>(u"选择框3"_s, reopened.get())->isChecked());
    EXPECT_TRUE(control<QCheckBox>(u"选择框4"_s, reopened.get())->isChecked());
    EXPECT_EQ(labelText(u"标签1"_s, reopened.get()), u"alice"_s);
    EXPECT_EQ(labelText(u"标签2"_s, reopened.get()), u"小明"_s);
    EXPECT_EQ(labelText(u"标签3"_s, reopened.get()), u"未添加账号"_s);
    EXPECT_EQ(again.excludedForums.get(), (TextList{gb("灌水"), gb("测试")}));
}

TEST_F(MainWindowTest, CloseSavesThenEndsTheProcessWithZero)
{
    open();
    addAccounts({"alice"});
    control<QCheckBox>(u"选择框1"_s)->setChecked(false);
    control<QPlainTextEdit>(u"编辑框2"_s)->setPlainText(u"没按保存，"_s); // not applied: lost
    QTest::mouseClick(control(u"关闭"_s), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(exit.codes, std::vector<int>{0});
    window.reset();

    SharedState again;
    auto reopened = restart(again);
    EXPECT_FALSE(control<QCheckBox>(u"选择框1"_s, reopened.get())->isChecked());
    EXPECT_EQ(labelText(u"标签1"_s, reopened.get()), u"alice"_s);
    EXPECT_TRUE(control<QPlainTextEdit>(u"编辑框2"_s, reopened.get())->toPlainText().isEmpty());
}

// A data file that is not a file is left alone, and the window says so once it is up.
TEST_F(MainWindowTest, ADataFileThatIsAFolderIsToldAtStartUp)
{
    std::filesystem::create_directory(dataFilePath());
    open();
    EXPECT_TRUE(dialogs.seen.empty()); // not while the window is being made
    QTRY_COMPARE(dialogs.seen.size(), 1u);
    EXPECT_EQ(dialogs.seen[0].window, u"MessageWindow"_s);
    EXPECT_TRUE(dialogs.seen[0].text.startsWith(u"数据文件 shuju.dat 是一个文件夹"_s))
        << dialogs.seen[0].text.toStdString();
    EXPECT_TRUE(std::filesystem::is_directory(dataFilePath()));
}

// A save that cannot write says so in the message window; the close button still ends.
TEST_F(MainWindowTest, AFailedSaveIsToldAndTheCloseButtonStillEnds)
{
    open();
    std::filesystem::remove(dataFilePath());
    std::filesystem::create_directory(dataFilePath()); // a folder cannot be replaced by a file

    QTest::mouseClick(control(u"保存"_s), Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_EQ(dialogs.seen.size(), 1u);
    EXPECT_EQ(dialogs.seen[0].window, u"MessageWindow"_s);
    EXPECT_TRUE(dialogs.seen[0].text.startsWith(u"保存失败："_s)) << dialogs.seen[0].text.toStdString();
    EXPECT_TRUE(exit.codes.empty());

    QTest::mouseClick(control(u"关闭"_s), Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(dialogs.seen.size(), 2u);
    EXPECT_TRUE(dialogs.seen[1].text.startsWith(u"保存失败："_s));
    EXPECT_EQ(exit.codes, std::vector<int>{0});
}

TEST_F(MainWindowTest, TheNoticeStartsLastWithTheSettingsLoadedAndThePlaceholderDrawn)
{
    open();
    addAccounts({"alice"});
    QTest::mouseClick(control(u"关闭"_s), Qt::LeftButton, {}, QPoint(5, 5));
    window.reset();

    int started = 0;
    noticeStarted = [&](MainWindow& w) {
        ++started;
        EXPECT_EQ(labelText(u"标签1"_s, &w), u"alice"_s);
        const QImage banner = child<Canvas>(w, u"画板1"_s)->image();
        int dark = 0;
        for (int x = 125; x < 250; ++x)
            for (int y = 50; y < 66; ++y)
                dark += qGray(banner.pixel(x, y)) < 100;
        EXPECT_GT(dark, 50);
    };
    SharedState again;
    auto reopened = restart(again);
    EXPECT_EQ(started, 1);
}

// ---- accounts -----------------------------------------------------------------------------

TEST_F(MainWindowTest, AddAccountOpensItsWindowAndShowsTheNewName)
{
    open();
    dialogs.script.push_back([](QDialog& d) {
        child<QLineEdit>(d, u"id"_s)->setText(u"小明"_s);
        child<QLineEdit>(d, u"ps"_s)->setText(u"pw"_s);
        QTest::mouseClick(child<QWidget>(d, u"添加"_s), Qt::LeftButton, {}, QPoint(10, 10));
        // Once more: a duplicate, answered by a message on top of this window.
        child<QLineEdit>(d, u"id"_s)->setText(u"小明"_s);
        QTest::mouseClick(child<QWidget>(d, u"添加"_s), Qt::LeftButton, {}, QPoint(10, 10));
    });
    QTest::mouseClick(control(u"添加账号"_s), Qt::LeftButton, {}, QPoint(10, 10));

    ASSERT_EQ(dialogs.seen.size(), 2u);
    EXPECT_EQ(dialogs.seen[0].window, u"AddAccountWindow"_s);
    EXPECT_EQ(dialogs.seen[1].window, u"MessageWindow"_s);
    EXPECT_EQ(dialogs.seen[1].text, u"已经添加了这个账号了"_s);
    EXPECT_EQ(state.accountIds(), TextList{gb("小明")});
    EXPECT_EQ(labelText(u"标签1"_s), u"小明"_s);
    EXPECT_EQ(labelText(u"标签2"_s), u"未添加账号"_s);
}

struct DeleteCase {
    const char* name;
    std::vector<std::string> accounts;
    int slot;
    std::vector<const char16_t*> labels;
};

class MainWindowDelete : public MainWindowTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(MainWindowDelete, PressOnTheDeleteLabel)
{
    open();
    addAccounts(GetParam().accounts);
    const bool ticks[3] = {true, false, true};
    for (int n = 0; n < 3; ++n)
        control<QCheckBox>(u"选择框"_s + QString::number(n + 1))->setChecked(ticks[n]);

    auto* label = control<QLabel>(u"删"_s + QString::number(GetParam().slot));
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5));

    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(labelText(u"标签"_s + QString::number(n + 1)), QString::fromUtf16(GetParam().labels[n])) << n;
        EXPECT_EQ(control<QCheckBox>(u"选择框"_s + QString::number(n + 1))->isChecked(), ticks[n]) << "box " << n;
    }
    EXPECT_EQ(label->frameShape(), QFrame::Panel) << "pressed look";
    EXPECT_EQ(label->frameShadow(), QFrame::Sunken);
    EXPECT_TRUE(waitUntil([&] { return label->frameShape() == QFrame::NoFrame; }));
    EXPECT_TRUE(dialogs.seen.empty()) << "no question, no message";
}

INSTANTIATE_TEST_SUITE_P(Slots, MainWindowDelete,
                         ::testing::Values(DeleteCase{"FirstOfThree", {"A", "B", "C"}, 1, {u"B", u"C", u"未添加账号"}},
                                           DeleteCase{"MiddleOfThree", {"A", "B", "C"}, 2, {u"A", u"C", u"未添加账号"}},
                                           DeleteCase{"LastOfTwo", {"A", "B"}, 2, {u"A", u"未添加账号", u"未添加账号"}},
                                           DeleteCase{"EmptySlot", {"A", "B"}, 3, {u"A", u"B", u"未添加账号"}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, DeletingMovesThePasswordsWithTheNames)
{
    open();
    addAccount(state, "A", "pa");
    addAccount(state, "B", "pb");
    addAccount(state, "C", "pc");
    QTest::mousePress(control(u"删1"_s), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(state.accountIds(), (TextList{"B", "C"}));
    EXPECT_EQ(state.accountPasswords(), (TextList{"pb", "pc"}));
}

// ---- run controls, commands and views on the GUI thread ----------------------------------

TEST_F(MainWindowTest, RunControlsAreTheSixThatARunDisables)
{
    open();
    addAccounts({"A"});
    window->setRunControlsEnabled(false);
    for (const char16_t* name : {u"添加账号", u"抢签", u"刷帖", u"删1", u"删2", u"删3"})
        EXPECT_FALSE(control(QString::fromUtf16(name))->isEnabled()) << QString::fromUtf16(name).toStdString();
    for (const char16_t* name : {u"一键签到", u"停止签到", u"保存", u"签到", u"工具", u"设置"})
        EXPECT_TRUE(control(QString::fromUtf16(name))->isEnabled()) << QString::fromUtf16(name).toStdString();

    QTest::mousePress(control(u"删1"_s), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(state.accountCount(), 1) << "a disabled delete label deletes nothing";

    window->setRunControlsEnabled(true);
    EXPECT_TRUE(control(u"删1"_s)->isEnabled());
    EXPECT_TRUE(control(u"添加账号"_s)->isEnabled());
}

TEST_F(MainWindowTest, RunButtonsAndTheClockDriveTheRun)
{
    open();
    QTimer* clock = window->findChild<QTimer*>(u"时钟1"_s);
    ASSERT_NE(clock, nullptr);
    EXPECT_EQ(clock->interval(), 100);
    EXPECT_TRUE(clock->isActive());
    EXPECT_TRUE(waitUntil([&] { return commands.ticks >= 2; }));

    QTest::mouseClick(control(u"一键签到"_s), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(control(u"停止签到"_s), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(commands.starts, 1);
    EXPECT_EQ(commands.stops, 1);

    // The tool buttons wait for their windows: a click does nothing yet.
    QTest::mouseClick(control(u"抢签"_s), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(control(u"刷帖"_s), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(dialogs.seen.empty());
}

TEST_F(MainWindowTest, WorkLogAndCaptionOnTheGuiThreadTakeEffectAtOnce)
{
    open();
    window->append(gb("u1正在获取贴吧\r\n"));
    window->append(gb("u1开始签到\r\n"));
    EXPECT_EQ(control<QPlainTextEdit>(u"工作日志"_s)->toPlainText(), u"u1正在获取贴吧\nu1开始签到\n"_s);
    window->setCaption(gb("u1 已签 3/20"));
    EXPECT_EQ(labelText(u"进度标签"_s), u"u1 已签 3/20"_s);
    window->clear();
    EXPECT_TRUE(control<QPlainTextEdit>(u"工作日志"_s)->toPlainText().isEmpty());
}

struct BarCase {
    int done, total;
    std::vector<std::pair<int, QRgb>> columns; // x and the colour of its middle rows
};

class MainWindowProgressBar : public MainWindowTest, public ::testing::WithParamInterface<BarCase> {};

TEST_P(MainWindowProgressBar, PaintsTheColumns)
{
    open();
    window->drawBar(GetParam().done, GetParam().total);
    const QImage bar = control<Canvas>(u"进度条"_s)->image();
    for (const auto& [x, colour] : GetParam().columns) {
        EXPECT_EQ(bar.pixel(x, 5) & 0xFFFFFF, colour & 0xFFFFFF) << "column " << x;
        EXPECT_EQ(bar.pixel(x, 0) & 0xFFFFFF, Skin::kBarGrey & 0xFFFFFF) << "top row of column " << x;
        EXPECT_EQ(bar.pixel(x, 9) & 0xFFFFFF, Skin::kBarGrey & 0xFFFFFF) << "bottom row of column " << x;
    }
}

const QRgb kGrey = Skin::kBarGrey, kBlue = Skin::kBarBlue, kWhite = Skin::kWhite;

INSTANTIATE_TEST_SUITE_P(
    Fills, MainWindowProgressBar,
    ::testing::Values(BarCase{0, 0, {{0, kGrey}, {1, kWhite}, {157, kWhite}, {158, kGrey}}},
                      BarCase{1, 3, {{0, kGrey}, {1, kBlue}, {52, kBlue}, {53, kWhite}, {158, kGrey}}},
                      BarCase{3, 3, {{1, kBlue}, {157, kBlue}, {158, kGrey}}}));

TEST_F(MainWindowTest, ABarDrawnAfterAFullerOneShowsOnlyItsOwnFill)
{
    open();
    window->drawBar(3, 3);
    window->drawBar(0, 0);
    EXPECT_EQ(control<Canvas>(u"进度条"_s)->image().pixel(80, 5) & 0xFFFFFF, kWhite & 0xFFFFFF);
}

// ---- links, banner, window moves ----------------------------------------------------------

TEST_F(MainWindowTest, FeedbackLinkAndBannerOpenTheirAddresses)
{
    open();
    QTest::mouseClick(control(u"超级链接框1"_s), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(browser.opened(), std::vector<std::string>{sites.feedbackUrl});

    QTest::mousePress(control(u"画板1"_s), Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(browser.opened().size(), 1u) << "nothing to open before the notice set an address";
    state.bannerLinkUrl.set("http://127.0.0.1:9/banner");
    QTest::mousePress(control(u"画板1"_s), Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(browser.opened().back(), "http://127.0.0.1:9/banner");
}

TEST_F(MainWindowTest, MinimizeButtonMinimizes)
{
    open();
    window->show();
    QTest::mouseClick(control(u"最小化"_s), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(window->isMinimized());
    EXPECT_TRUE(exit.codes.empty());
}

TEST_F(MainWindowTest, TheTitleStripDragsTheWindowAndTheBannerDoesNot)
{
    open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    auto drag = [&](QWidget* from) {
        const QPoint local(100, 10);
        const QPointF global = from->mapToGlobal(QPointF(local));
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(local), global, Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(from, &press);
        QMouseEvent move(QEvent::MouseMove, QPointF(local + QPoint(25, 15)), global + QPointF(25, 15), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(from, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(local + QPoint(25, 15)), global + QPointF(25, 15),
                            Qt::LeftButton, Qt::NoButton, {});
        QApplication::sendEvent(from, &release);
    };
    drag(control(u"画板1"_s));
    EXPECT_EQ(window->pos(), QPoint(50, 50));
    drag(control(u"皮肤"_s));
    EXPECT_EQ(window->pos(), QPoint(75, 65));
}

} // namespace
} // namespace tieba::test
