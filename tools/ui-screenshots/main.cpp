// Saves pictures of the program's windows (the main window's pages, the message, captcha and
// add-account windows, the grab and bump tools), as they look with a few accounts and a message, to
// the folder given on the command line. Runs on the offscreen platform in a scratch folder, so
// it needs no display and leaves no data file behind.
#include <QApplication>
#include <QBuffer>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>

#include "core/encoding.h"
#include "core/shared_state.h"
#include "core/sites.h"
#include "core/waiter.h"
#include "core/worker_threads.h"
#include "settings/account_slots.h"
#include "ui/bump_window.h"
#include "ui/grab_window.h"
#include "ui/add_account_window.h"
#include "ui/captcha_window.h"
#include "ui/main_window.h"
#include "ui/message_window.h"
#include "ui/skin.h"

namespace {

using namespace Qt::StringLiterals;
using namespace tieba;

class NoBrowser final : public UrlOpener {
protected:
    bool openWebAddress(const std::string&) override { return true; }
};

class NoExit final : public ProcessExit {
public:
    void exitNow(int) override {}
};

class NoDialogs final : public DialogRunner {
public:
    int run(QDialog&) override { return 0; }
};

class NoMessages final : public MessagePresenter {
public:
    void showMessage(const std::string&) override {}
};

class NoPowerOff final : public PowerOff {
public:
    void powerOff() override {}
};

// A made-up captcha picture in place of the service's.
std::string samplePicture()
{
    QImage image(100, 32, QImage::Format_RGB32);
    image.fill(QColor(235, 235, 220));
    QPainter painter(&image);
    painter.setFont(Skin::font(20, true));
    painter.setPen(QColor(60, 90, 160));
    painter.drawText(image.rect(), Qt::AlignCenter, u"x7Kp"_s);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

bool save(QWidget& window, const QString& path)
{
    window.show();
    QApplication::processEvents();
    const bool ok = window.grab().save(path, "PNG");
    std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: ui-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(u"."_s)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    QTemporaryDir scratch;
    if (!scratch.isValid() || !QDir::setCurrent(scratch.path())) {
        std::fprintf(stderr, "no scratch folder\n");
        return 1;
    }

    SharedState state;
    const Sites sites = builtInSites();
    const Skin skin;
    NoBrowser browser;
    NoExit exit;
    NoDialogs dialogs;
    NoMessages messages;
    bool ok = true;

    MainWindow window(MainWindowServices{state, sites, skin, browser, exit, dialogs, {}, {}, {}, {}});
    addAccount(state, gb("sky_walker"), "secret");
    addAccount(state, gb("小明同学"), "secret");
    window.refreshAccountLabels();
    window.setChecked(2, false);
    window.appendExclusionText(gb("灌水，测试，"));
    window.append(gb("sky_walker正在获取贴吧\r\nsky_walker开始签到\r\n魔兽世界[等级7 经验值1234]\r\n签到成功,经验+6\r\n"));
    window.setCaption(gb("sky_walker 已签 1/3"));
    window.drawBar(1, 3);
    const char* pageFiles[3] = {"main-signin.png", "main-tools.png", "main-settings.png"};
    for (int page = 0; page < 3; ++page) {
        window.selectPage(page);
        ok &= save(window, out.filePath(QString::fromLatin1(pageFiles[page])));
    }

    state.messageText.set(gb("验证码错误！请重新输入"));
    MessageWindow message(state, sites, skin, browser);
    ok &= save(message, out.filePath(u"message.png"_s));

    state.newVersionFound = 1;
    state.messageText.set(gb("发现新版本，请下载新版本使用。这一段话比较长，用来看看标签怎样换行。"));
    MessageWindow update(state, sites, skin, browser);
    ok &= save(update, out.filePath(u"message-new-version.png"_s));

    const std::string picture = samplePicture();
    CaptchaWindow captcha(skin, "http://127.0.0.1/captcha", [picture](const std::string&, std::stop_token) {
        return picture;
    });
    // The picture arrives from the fetching thread through the event queue.
    const QLabel* captchaPicture = captcha.findChild<QLabel*>(u"验证码图片"_s);
    QDeadlineTimer deadline(5000);
    while (captchaPicture->pixmap().isNull() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    ok &= save(captcha, out.filePath(u"captcha.png"_s));

    AddAccountWindow add(state, skin, messages, {});
    ok &= save(add, out.filePath(u"add-account.png"_s));

    // The tool windows with the accounts above and nothing started.
    NoPowerOff powerOff;
    ThreadWaiter waiter;
    GrabWindow grab(GrabWindowServices{state, sites, skin, messages, powerOff, waiter, {}});
    ok &= save(grab, out.filePath(u"grab.png"_s));

    WorkerThreads bumpWorkers;
    BumpWindow bump(BumpWindowServices{state, sites, skin, messages, bumpWorkers, waiter, {}});
    ok &= save(bump, out.filePath(u"bump.png"_s));

    return ok ? 0 : 1;
}
