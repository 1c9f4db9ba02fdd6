#include "ui/add_account_window.h"

#include <QTest>
#include <gtest/gtest.h>

#include "core/encoding.h"
#include "ui_test_support.h"

namespace tieba {
namespace {

using namespace Qt::StringLiterals;

class AddAccountWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        state.accounts.set({});
        window = std::make_unique<AddAccountWindow>(state, skin, messages, [this] { ++changes; });
        window->show();
        id = test::child<QLineEdit>(*window, u"id"_s);
        ps = test::child<QLineEdit>(*window, u"ps"_s);
    }

    void store(const std::vector<std::string>& names)
    {
        AccountList accounts;
        for (const std::string& name : names)
            accounts.push_back(Account{gb(name), "pw"});
        state.accounts.set(accounts);
    }

    SharedState state;
    Skin skin;
    test::RecordingMessages messages;
    int changes = 0;
    std::unique_ptr<AddAccountWindow> window;
    QLineEdit* id = nullptr;
    QLineEdit* ps = nullptr;
};

struct AddCase {
    const char* name;
    std::vector<std::string> stored; // UTF-8
    const char* id;
    const char* password;
    const char* message;        // UTF-8, empty: none
    const char* focus;          // "id" or "ps" after the add
    const char* idAfter;        // text left in "id"
    std::vector<std::string> ids; // accounts afterwards, UTF-8
};

class AddAccountChecks : public AddAccountWindowTest, public ::testing::WithParamInterface<AddCase> {};

TEST_P(AddAccountChecks, InTheirOrder)
{
    const AddCase& c = GetParam();
    store(c.stored);
    id->setText(QString::fromUtf8(c.id));
    ps->setText(QString::fromUtf8(c.password));
    ps->setFocus(); // where the user pressed Enter

    window->addAccount();

    std::vector<std::string> expectedMessages;
    if (*c.message)
        expectedMessages.push_back(gb(c.message));
    EXPECT_EQ(messages.texts, expectedMessages);
    EXPECT_EQ(window->focusWidget()->objectName(), QString::fromUtf8(c.focus));
    EXPECT_EQ(id->text(), QString::fromUtf8(c.idAfter));
    EXPECT_EQ(ps->text(), QString::fromUtf8(c.password)) << "the password box keeps its text";
    TextList expectedIds;
    for (const std::string& name : c.ids)
        expectedIds.push_back(gb(name));
    EXPECT_EQ(state.accountIds(), expectedIds);
    EXPECT_EQ(changes, expectedIds.size() > c.stored.size() ? 1 : 0);
    EXPECT_TRUE(window->isVisible()) << "the window stays open";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddAccountChecks,
    ::testing::Values(
        AddCase{"Added", {}, "alice", "pw", "", "id", "", {"alice"}},
        AddCase{"ChineseName", {"alice"}, "小明", "pw", "", "id", "", {"alice", "小明"}},
        AddCase{"EmptyName", {}, "", "pw", "请输入账号", "id", "", {}},
        AddCase{"EmptyPassword", {}, "alice", "", "请输入密码", "ps", "alice", {}},
        AddCase{"EmptyNameComesBeforeTheLimit", {"a", "b", "c"}, "", "pw", "请输入账号", "id", "", {"a", "b", "c"}},
        AddCase{"ThreeAtMost", {"a", "b", "c"}, "d", "pw", "由于各种原因，只允许添加3个账号", "ps", "d",
                {"a", "b", "c"}},
        AddCase{"Duplicate", {"alice", "bob"}, "bob", "pw", "已经添加了这个账号了", "id", "", {"alice", "bob"}},
        AddCase{"CaseMatters", {"alice"}, "Alice", "pw", "", "id", "", {"alice", "Alice"}},
        AddCase{"SpacesCount", {"alice"}, "alice ", "pw", "", "id", "", {"alice", "alice "}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AddAccountWindowTest, EnterInTheNameMovesOnWithoutAdding)
{
    id->setFocus();
    QTest::keyClicks(id, u"bob"_s);
    QTest::keyClick(id, Qt::Key_Return);
    EXPECT_EQ(window->focusWidget(), ps);
    EXPECT_EQ(id->text(), u"bob"_s);
    EXPECT_TRUE(state.accountIds().empty());
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(AddAccountWindowTest, EnterInThePasswordAddsAndTheNextNameKeepsThePassword)
{
    id->setText(u"bob"_s);
    QTest::keyClicks(ps, u"secret"_s);
    QTest::keyClick(ps, Qt::Key_Return);
    QTest::keyClicks(id, u"carol"_s);
    QTest::keyClick(id, Qt::Key_Return);
    QTest::keyClick(ps, Qt::Key_Enter);
    EXPECT_EQ(state.accountIds(), (TextList{"bob", "carol"}));
    EXPECT_EQ(state.accountPasswords(), (TextList{"secret", "secret"}));
    EXPECT_TRUE(window->isVisible());
}

TEST_F(AddAccountWindowTest, TheAddButtonAddsAndAPressIntoThePasswordEmptiesIt)
{
    id->setText(u"bob"_s);
    ps->setText(u"secret"_s);
    QTest::mouseClick(test::child<QWidget>(*window, u"添加"_s), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(state.accountIds(), (TextList{"bob"}));
    QTest::mousePress(ps, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(ps->text().isEmpty());
    EXPECT_EQ(window->focusWidget(), ps);
}

TEST_F(AddAccountWindowTest, PasswordIsMaskedAndTheControlsSitWhereTheyBelong)
{
    EXPECT_EQ(ps->echoMode(), QLineEdit::Password);
    EXPECT_EQ(window->size(), QSize(218, 86));
    EXPECT_EQ(window->pos(), QPoint(50, 50));
    EXPECT_EQ(id->geometry(), QRect(40, 29, 112, 24));
    EXPECT_EQ(ps->geometry(), QRect(40, 56, 112, 24));
    EXPECT_EQ(test::child<QWidget>(*window, u"添加"_s)->geometry(), QRect(160, 29, 50, 50));
    EXPECT_EQ(test::child<QWidget>(*window, u"关闭"_s)->geometry(), QRect(192, 1, 23, 17));
    EXPECT_EQ(test::child<QLabel>(*window, u"标签1"_s)->text(), u"账号"_s);
    EXPECT_EQ(test::child<QLabel>(*window, u"标签2"_s)->text(), u"密码"_s);
    EXPECT_EQ(id->toolTip(), u"也可按回车进行下一步哦！"_s);
    // The password's tips add that the data file only encodes it.
    for (const QWidget* control : {static_cast<QWidget*>(ps), test::child<QWidget>(*window, u"添加"_s)}) {
        EXPECT_TRUE(control->toolTip().startsWith(u"也可按回车进行下一步哦！\n"_s)) << control->toolTip().toStdString();
        EXPECT_TRUE(control->toolTip().contains(u"并未加密"_s)) << control->toolTip().toStdString();
    }
}

} // namespace
} // namespace tieba
