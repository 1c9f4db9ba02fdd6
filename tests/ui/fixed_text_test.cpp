// Every label and button of every window that carries a text of its own shows all of it: the
// text, laid out with the control's font, alignment and wrapping, stays inside the control.
#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "core/sites.h"
#include "core/worker_threads.h"
#include "support/fake_waiter.h"
#include "support/temp_dir.h"
#include "ui/bump_window.h"
#include "ui/grab_window.h"
#include "ui/add_account_window.h"
#include "ui/captcha_window.h"
#include "ui/main_window.h"
#include "ui/message_window.h"
#include "ui/skin.h"
#include "ui_test_support.h"

namespace tieba::test {
namespace {

using namespace Qt::StringLiterals;

class NoPowerOff final : public PowerOff {
public:
    void powerOff() override {}
};

// The room a control gives its text, in the control's own coordinates.
QRect textRoom(const QWidget& control)
{
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        const int margin = label->margin();
        return label->contentsRect().adjusted(margin, margin, -margin, -margin);
    }
    QStyleOptionButton option;
    option.initFrom(&control);
    if (qobject_cast<const QCheckBox*>(&control))
        return control.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &control);
    if (qobject_cast<const QRadioButton*>(&control))
        return control.style()->subElementRect(QStyle::SE_RadioButtonContents, &option, &control);
    return control.rect();
}

// "name: text needs W x H in w x h" for each text of `window` that does not fit its control.
std::vector<std::string> textsThatDoNotFit(const QWidget& window, const QStringList& notFixed = {})
{
    std::vector<std::string> overflows;
    auto check = [&](const QWidget& control, const QString& text, int flags) {
        if (text.isEmpty() || notFixed.contains(control.objectName()))
            return;
        // Line breaks at the end show nothing, so they need no room.
        QString shown = text;
        while (shown.endsWith(u'\n'))
            shown.chop(1);
        const QRect room = textRoom(control);
        const QRect needed = QFontMetrics(control.font()).boundingRect(room, flags, shown);
        if (!room.contains(needed))
            overflows.push_back(window.objectName().toStdString() + " " + control.objectName().toStdString() + ": \"" +
                                text.toStdString() + "\" needs " + std::to_string(needed.width()) + " x " +
                                std::to_string(needed.height()) + " in " + std::to_string(room.width()) + " x " +
                                std::to_string(room.height()) + " (font " +
                                std::to_string(control.font().pixelSize()) + " px)");
    };
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (label->textFormat() == Qt::RichText || !label->pixmap().isNull())
            continue;
        check(*label, label->text(), int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0));
    }
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (qobject_cast<const InvisibleButton*>(button))
            continue; // draws nothing: it only takes the keyboard
        check(*button, button->text(), Qt::AlignCenter | Qt::TextShowMnemonic);
    }
    return overflows;
}

class FixedTextTest : public ::testing::Test {
protected:
    ScopedTempDir folder; // the main window reads its data file here
    SharedState state;
    Sites sites = testSites();
    Skin skin;
    RecordingUrlOpener browser;
    RecordingExit exit;
    ScriptedDialogs dialogs;
    RecordingMessages messages;
    NoPowerOff powerOff;
    FakeWaiter waiter;
    WorkerThreads bumpWorkers;
};

TEST_F(FixedTextTest, EveryFixedTextFitsItsControl)
{
    state.newVersionFound = 1; // with the download link
    state.messageText.set("ok");
    MainWindow main(MainWindowServices{state, sites, skin, browser, exit, dialogs, {}, {}, {}, {}});
    AddAccountWindow addAccount(state, skin, messages, {});
    CaptchaWindow captcha(skin, {}, {});
    MessageWindow message(state, sites, skin, browser);
    GrabWindow grab(GrabWindowServices{state, sites, skin, messages, powerOff, waiter, {}});

    std::vector<std::string> overflows;
    auto collect = [&overflows](const std::vector<std::string>& found) {
        overflows.insert(overflows.end(), found.begin(), found.end());
    };
    collect(textsThatDoNotFit(main));
    collect(textsThatDoNotFit(addAccount));
    collect(textsThatDoNotFit(captcha));
    collect(textsThatDoNotFit(message, {u"标签1"_s})); // shows whatever message it is given
    collect(textsThatDoNotFit(grab));
    // The bump window's instructions carry the thread address of the service it was built for.
    // The real service's address is the longest: the built-in one, and the plain-http one it had.
    for (const std::string& prefix :
         {builtInSites().threadAddressPrefix, std::string("http://tieba.baidu.com/p/"),
          std::string("http://127.0.0.1:18080/p/")}) {
        Sites built = sites;
        built.threadAddressPrefix = prefix;
        BumpWindow bump(BumpWindowServices{state, built, skin, messages, bumpWorkers, waiter, {}});
        collect(textsThatDoNotFit(bump));
    }

    std::string report;
    for (const std::string& overflow : overflows)
        report += overflow + "\n";
    EXPECT_TRUE(overflows.empty()) << report;
}

} // namespace
} // namespace tieba::test
