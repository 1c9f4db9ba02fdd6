#include "ui/main_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTextCursor>
#include <QTimer>

#include "settings/account_slots.h"
#include "signin/progress_bar.h"
#include "ui/add_account_window.h"
#include "ui/canvas.h"
#include "ui/hyperlink.h"
#include "ui/message_window.h"
#include "ui/picture_button.h"
#include "ui/qt_text.h"
#include "ui/skinned_window.h"

namespace tieba {

using namespace Qt::StringLiterals;

namespace {

constexpr int kClockMs = 100;
constexpr int kDeleteFlashMs = 200;

template <class W>
W* place(QWidget& parent, const QString& name, int x, int y, int width, int height)
{
    auto* widget = new W(&parent);
    widget->setObjectName(name);
    widget->setGeometry(x, y, width, height);
    return widget;
}

QLabel* label(QWidget& parent, const QString& name, const QString& text, int x, int y, int width, int height)
{
    auto* caption = place<QLabel>(parent, name, x, y, width, height);
    caption->setText(text);
    return caption;
}

using SkinButton = const ButtonPictures& (Skin::*)() const;

// The skin draws a button's pictures when the button is first painted.
PictureButton::PictureSource fromSkin(const Skin& skin, SkinButton pictures)
{
    return [&skin, pictures] { return (skin.*pictures)(); };
}

PictureButton* pictureButton(QWidget& parent, const QString& name, const Skin& skin, SkinButton pictures, int x, int y,
                             int width, int height)
{
    auto* button = place<PictureButton>(parent, name, x, y, width, height);
    button->setPictureSource(fromSkin(skin, pictures));
    return button;
}

QPlainTextEdit* greyTextBox(QWidget& parent, const QString& name, int x, int y, int width, int height)
{
    auto* box = place<QPlainTextEdit>(parent, name, x, y, width, height);
    QPalette colours = box->palette();
    colours.setColor(QPalette::Text, QColor(Skin::kTextGrey));
    box->setPalette(colours);
    return box;
}

QWidget* whitePage(QStackedWidget& pages, const QString& name)
{
    auto* page = new QWidget;
    page->setObjectName(name);
    QPalette colours = page->palette();
    colours.setColor(QPalette::Window, QColor(Skin::kWhite));
    page->setPalette(colours);
    page->setAutoFillBackground(true);
    pages.addWidget(page);
    return page;
}

} // namespace

MainWindow::MainWindow(MainWindowServices services, QWidget* parent)
    : QWidget(parent),
      state_(services.state),
      sites_(services.sites),
      skin_(services.skin),
      urlOpener_(services.urlOpener),
      processExit_(services.processExit),
      dialogs_(services.dialogs),
      fetchPicture_(std::move(services.fetchPicture)),
      startNoticeReader_(std::move(services.startNoticeReader)),
      openGrabWindow_(std::move(services.openGrabWindow)),
      openBumpWindow_(std::move(services.openBumpWindow)),
      runPost_(*this, &state_.workerThreads),
      messagePost_(*this)
{
    setObjectName(u"MainWindow"_s);
    setWindowTitle(u"云杉百度贴吧多功能签到器3.0"_s);
    setFont(Skin::font());
    buildControls();
    runCreationSequence();
    move(50, 50);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls()
{
    setFixedSize(Skin::kBackgroundSize);

    title_ = addTitleStrip(*this);
    title_->setBackground(QColor(Skin::kBlue));
    minimize_ = place<PictureButton>(*this, u"最小化"_s, 304, 1, 23, 17);
    close_ = addCloseButton(*this, skin_, QPoint(331, 1));
    connect(minimize_, &PictureButton::clicked, this, &QWidget::showMinimized);
    connect(close_, &PictureButton::clicked, this, &MainWindow::closeProgram);

    banner_ = place<Canvas>(*this, u"画板1"_s, 1, 24, 351, 110);
    banner_->setBackground(QColor(Skin::kWhite));
    connect(banner_, &Canvas::leftPressed, this, [this] {
        const std::string address = state_.bannerLinkUrl.get();
        if (!address.empty() && urlOpener_.openUrl(address) == OpenResult::Failed)
            showMessage(cannotOpenText(address));
    });
    // The notice reader copies this one for every link it puts on the banner.
    bannerLink_ = new HyperLink(urlOpener_, banner_);
    bannerLink_->setObjectName(u"超级链接"_s);
    bannerLink_->setGeometry(247, 56, 40, 16);
    bannerLink_->hide();

    pages_ = place<QStackedWidget>(*this, u"选择夹1"_s, 1, 136, 280, 198);
    buildSignInPage(*whitePage(*pages_, u"签到页"_s));
    buildToolsPage(*whitePage(*pages_, u"工具页"_s));
    buildSettingsPage(*whitePage(*pages_, u"设置页"_s));

    const QString pageNames[3] = {u"签到"_s, u"工具"_s, u"设置"_s};
    for (int page = 0; page < 3; ++page) {
        pageButtons_[page] = place<PictureButton>(*this, pageNames[page], 288, 136 + 64 * page, 60, 60);
        connect(pageButtons_[page], &PictureButton::clicked, this, [this, page] { selectPage(page); });
    }

    clock_ = new QTimer(this);
    clock_->setObjectName(u"时钟1"_s);
    clock_->setInterval(kClockMs);
    // Queued: a modal window that a tick opens runs its own event loop, and Qt fires no timer
    // again while that timer's own handler is still running. Handled from the event queue
    // instead, the tick returns at once, so the captcha window's loop keeps getting ticks and a
    // message asked for meanwhile opens on top of it.
    connect(clock_, &QTimer::timeout, this, &MainWindow::clockTicked, Qt::QueuedConnection);
}

void MainWindow::buildSignInPage(QWidget& page)
{
    for (int n = 0; n < 3; ++n) {
        const int y = 32 + 24 * n;
        const QString number = QString::number(n + 1);
        checkBoxes_[n] = place<QCheckBox>(page, u"选择框"_s + number, 8, y, 16, 16);
        nameLabels_[n] = label(page, u"标签"_s + number, u"未添加账号"_s, 24, y, 88, 16);
        deleteLabels_[n] = place<PressLabel>(page, u"删"_s + number, 103, y, 14, 16);
        deleteLabels_[n]->setText(u"删"_s);
        connect(deleteLabels_[n], &PressLabel::leftPressed, this, [this, n] { deleteSlot(n + 1); });

        deleteFlash_[n] = new QTimer(this);
        deleteFlash_[n]->setSingleShot(true);
        deleteFlash_[n]->setInterval(kDeleteFlashMs);
        PressLabel* flashed = deleteLabels_[n];
        connect(deleteFlash_[n], &QTimer::timeout, flashed, [flashed] { flashed->setFrameStyle(QFrame::NoFrame); });

        connect(checkBoxes_[n], &QCheckBox::toggled, this, [this, n](bool on) { ticks_[n].store(on); });
    }

    oneClick_ = pictureButton(page, u"一键签到"_s, skin_, &Skin::oneClickButton, 8, 100, 104, 40);
    addAccount_ = pictureButton(page, u"添加账号"_s, skin_, &Skin::addAccountButton, 8, 150, 104, 40);
    stop_ = pictureButton(page, u"停止签到"_s, skin_, &Skin::stopButton, 20, 3, 80, 24);
    connect(oneClick_, &PictureButton::clicked, this, &MainWindow::oneClickClicked);
    connect(stop_, &PictureButton::clicked, this, &MainWindow::stopClicked);
    connect(addAccount_, &PictureButton::clicked, this, &MainWindow::openAddAccountWindow);

    progressCaption_ = label(page, u"进度标签"_s, QString(), 119, 1, 160, 16);
    progressBar_ = place<Canvas>(page, u"进度条"_s, 118, 20, 159, 11);
    progressBar_->setBackground(QColor(Skin::kWhite));
    workLog_ = greyTextBox(page, u"工作日志"_s, 118, 34, 159, 146);
    workLog_->setReadOnly(true);

    label(page, u"标签5"_s, u"有问题请反馈"_s, 119, 181, 88, 16);
    feedback_ = new HyperLink(urlOpener_, &page);
    feedback_->setObjectName(u"超级链接框1"_s);
    feedback_->setGeometry(210, 181, 72, 16);
    feedback_->setText(u"我要提意见"_s);
    feedback_->setTarget(sites_.feedbackUrl);
    connect(feedback_, &HyperLink::openFailed, this,
            [this](const std::string& address) { showMessage(cannotOpenText(address)); });
}

void MainWindow::buildToolsPage(QWidget& page)
{
    auto* notice = label(page, u"标签4"_s,
                         u"注意：话说虽然是抢签到第一的工具，但不能保证一定能抢第一，请在0点之前开启。\n\n"
                         u"刷楼工具请谨慎使用，由此使用工具导致的账号被封或者其他后果由使用者自负\n\n"_s,
                         16, 8, 248, 72);
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    notice->setFont(Skin::font(11));

    grab_ = place<PictureButton>(page, u"抢签"_s, 32, 88, 80, 80);
    bump_ = place<PictureButton>(page, u"刷帖"_s, 168, 88, 80, 80);
    // GrabWindow and BumpWindow come with the tools; until then the buttons do nothing.
    connect(grab_, &PictureButton::clicked, this, [this] {
        if (openGrabWindow_)
            openGrabWindow_();
    });
    connect(bump_, &PictureButton::clicked, this, [this] {
        if (openBumpWindow_)
            openBumpWindow_();
    });
}

void MainWindow::buildSettingsPage(QWidget& page)
{
    checkBoxes_[3] = place<QCheckBox>(page, u"选择框4"_s, 8, 8, 16, 16);
    label(page, u"标签6"_s, u"抢签到完成自动关机"_s, 24, 7, 119, 17);
    save_ = pictureButton(page, u"保存"_s, skin_, &Skin::saveButton, 215, 5, 56, 24);
    connect(save_, &PictureButton::clicked, this, [this] { tellSaveFailure(applyExclusionText(state_, *this)); });
    label(page, u"标签7"_s, u"以下贴吧不签到(多个贴吧请用中文逗号\",\"分开)"_s, 8, 32, 256, 15);
    exclusionBox_ = greyTextBox(page, u"编辑框2"_s, 8, 56, 264, 136);
}

void MainWindow::runCreationSequence()
{
    // 1. Background.
    applySkin(*this, Skin::kBackgroundSize, skin_.mainSkin());

    // 2. Caption.
    title_->drawText(5, 5, u"云杉百度贴吧多功能签到器3.0"_s, 9, false, QColor(Skin::kWhite));

    // 3. Pictures of the page buttons (page 0 current), of minimize, close, grab and bump. Each
    // is drawn when its button is first painted: grab and bump once the tools page is shown.
    selectPage(0);
    minimize_->setPictureSource(fromSkin(skin_, &Skin::minimizeButton));
    close_->setPictureSource(fromSkin(skin_, &Skin::closeButton));
    bump_->setPictureSource(fromSkin(skin_, &Skin::bumpButton));
    grab_->setPictureSource(fromSkin(skin_, &Skin::grabButton));

    // 4. Balloon tips.
    addAccount_->setToolTip(u"添加你的百度账号"_s);
    grab_->setToolTip(u"不一定能够成功，只是个辅助吧！"_s);
    bump_->setToolTip(u"点一次回5贴，请谨慎使用！被封号什么的别怪我啊！"_s);
    for (int n = 0; n < 3; ++n) {
        nameLabels_[n]->setToolTip(u"选中的账号才会签到，没选中的账号不签到"_s);
        deleteLabels_[n]->setToolTip(u"删除此账号"_s);
    }

    // 5. Empty progress bar.
    drawBar(0, 0);

    // 6. Settings and accounts from the data file.
    // A data file left alone is told once the window is up.
    if (std::string problem = loadDataFile(state_, *this); !problem.empty())
        QTimer::singleShot(0, this, [this, problem] { openMessage(problem); });
    for (int n = 0; n < 3; ++n)
        ticks_[n].store(checkBoxes_[n]->isChecked());

    // 7. Banner placeholder until the notice has been read.
    banner_->drawText(125, 50, u"还没连上网，请稍后..."_s, 9, false, QColor(Skin::kBlack));

    // 8. The notice reader, on a thread of its own.
    if (startNoticeReader_)
        startNoticeReader_(*this);

    clock_->start();
}

void MainWindow::selectPage(int page)
{
    if (page < 0 || page > 2)
        return;
    pages_->setCurrentIndex(page);
    // The current page's button is framed; every page button looks framed under the pointer.
    for (int n = 0; n < 3; ++n)
        pageButtons_[n]->setPictureSource([&skin = skin_, n, framed = n == page] {
            const QPixmap& frame = skin.pageFramed(n);
            return ButtonPictures{framed ? frame : skin.pagePlain(n), frame, frame};
        });
}

int MainWindow::currentPage() const
{
    return pages_->currentIndex();
}

void MainWindow::refreshAccountLabels()
{
    showAccountLabels(state_, [this](int n, const std::string& caption) { setAccountLabel(n, caption); });
}

void MainWindow::append(const std::string& text)
{
    runPost_.post([this, text = toQtLines(text)] {
        workLog_->moveCursor(QTextCursor::End);
        workLog_->insertPlainText(text);
        workLog_->moveCursor(QTextCursor::End);
    });
}

void MainWindow::clear()
{
    runPost_.post([this] { workLog_->clear(); });
}

void MainWindow::setCaption(const std::string& text)
{
    runPost_.post([this, text = toQt(text)] { progressCaption_->setText(text); });
}

void MainWindow::drawBar(int done, int total)
{
    runPost_.post([this, done, total] {
        const ProgressBarDrawing drawing = drawProgressBar(done, total);
        QImage bar(static_cast<int>(drawing.columns.size()), kProgressBarHeight, QImage::Format_RGB32);
        QPainter painter(&bar);
        for (size_t x = 0; x < drawing.columns.size(); ++x)
            painter.drawPixmap(static_cast<int>(x), 0, skin_.progressColumn(drawing.columns[x]));
        painter.end();
        progressBar_->drawPicture(0, 0, bar);
    });
}

void MainWindow::setRunControlsEnabled(bool enabled)
{
    runPost_.post([this, enabled] {
        for (QWidget* control : std::initializer_list<QWidget*>{addAccount_, grab_, bump_, deleteLabels_[0],
                                                                deleteLabels_[1], deleteLabels_[2]})
            control->setEnabled(enabled);
    });
}

bool MainWindow::isTicked(int account) const
{
    if (account < 1 || account > 3)
        return false;
    return ticks_[account - 1].load();
}

std::string MainWindow::exclusionText() const
{
    return fromQtLines(exclusionBox_->toPlainText());
}

void MainWindow::appendExclusionText(const std::string& text)
{
    exclusionBox_->moveCursor(QTextCursor::End);
    exclusionBox_->insertPlainText(toQtLines(text));
}

bool MainWindow::isChecked(int box) const
{
    if (box < 1 || box > 4)
        return false;
    return checkBoxes_[box - 1]->isChecked();
}

void MainWindow::setChecked(int box, bool checked)
{
    if (box >= 1 && box <= 4)
        checkBoxes_[box - 1]->setChecked(checked);
}

void MainWindow::setAccountLabel(int n, const std::string& caption)
{
    if (n >= 1 && n <= 3)
        nameLabels_[n - 1]->setText(toQt(caption));
}

CaptchaAnswer MainWindow::askCaptcha(const std::string& pictureAddress)
{
    // Asked from a worker, the question gives up when the run ends; the window's answer is dropped.
    const auto answer = runPost_.ask(
        [this, pictureAddress] {
            CaptchaWindow window(skin_, pictureAddress, fetchPicture_);
            dialogs_.run(window);
            return window.answer();
        },
        state_.workerThreads.current().token());
    return answer.value_or(CaptchaAnswer{});
}

void MainWindow::showMessage(const std::string& text)
{
    showMessageUntil(text, {});
}

void MainWindow::showMessageUntil(const std::string& text, std::stop_token stop)
{
    messagePost_.callAndWait([this, text] { openMessage(text); }, std::move(stop));
}

void MainWindow::openMessage(const std::string& text)
{
    state_.messageText.set(text);
    MessageWindow window(state_, sites_, skin_, urlOpener_);
    connect(&window, &MessageWindow::linkFailed, this,
            [this](const std::string& address) { openMessage(cannotOpenText(address)); });
    dialogs_.run(window);
}

void MainWindow::openAddAccountWindow()
{
    AddAccountWindow window(state_, skin_, *this, [this] { refreshAccountLabels(); });
    dialogs_.run(window);
}

void MainWindow::deleteSlot(int n)
{
    deleteAccount(state_, n);
    refreshAccountLabels();
    PressLabel* label = deleteLabels_[n - 1];
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setLineWidth(1);
    deleteFlash_[n - 1]->start();
}

void MainWindow::tellSaveFailure(const std::string& reason)
{
    if (!reason.empty())
        openMessage(gb("保存失败：") + reason);
}

void MainWindow::closeProgram()
{
    tellSaveFailure(saveDataFile(state_, *this));
    processExit_.exitNow(0);
}

} // namespace tieba
