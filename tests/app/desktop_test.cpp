// The windows as a desktop sees them: run on an X server with a window
// manager (scripts/desktop-test), never offscreen. What is checked is what
// the window manager put on the windows, read back with xprop.
#include "tests/app/main_window_fixture.h"

#include "ui/main/tfrm_pick_up.h"
#include "ui/main/tfrm_refresh.h"
#include "ui/dialogs/tfrm_confirm.h"
#include "ui/dialogs/tfrm_file_op.h"
#include "ui/dialogs/tfrm_move_del.h"
#include "ui/common/message_box.h"
#include "ui/dialogs/tfrm_confirm2.h"
#include "ui/dialogs/tfrm_file_op2.h"
#include "ui/dialogs/tfrm_from_local.h"
#include "ui/dialogs/tfrm_def_file.h"
#include "ui/dialogs/tfrm_sel_dir.h"
#include "ui/dialogs/tfrm_version.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>

#include <cstdio>
#include <iostream>
#include <set>

namespace {

using namespace larkspool;
using larkspool::testing::WaitFor;

constexpr unsigned kMotifMinimize = 8;
constexpr unsigned kMotifMaximize = 16;
constexpr unsigned kMotifClose = 32;

// What the window manager and the X server do comes in their own time; a
// loaded machine can take seconds.
constexpr int kDesktopBound = 20000;

// What xprop prints of one property of a window.
std::string XPropertyText(WId window, const char* name)
{
    QProcess xprop;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    xprop.setProcessEnvironment(environment);
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-notype"), QStringLiteral("-id"), QString::number(window),
                                          QString::fromLatin1(name)});
    if (!xprop.waitForFinished(5000))
        return "<xprop hung>";
    return QString::fromUtf8(xprop.readAllStandardOutput()).trimmed().toStdString();
}

// One property of a window as xprop prints it, after "NAME = ".
std::string XProperty(WId window, const char* name)
{
    const std::string out = XPropertyText(window, name);
    const std::size_t equals = out.find(" = ");
    return equals == std::string::npos ? "<none>" : out.substr(equals + 3);
}

// Waits until the window manager has framed the window and said what it allows.
bool WaitForManaged(QWidget& window)
{
    return WaitFor(
        [&window] {
            return XProperty(window.winId(), "_NET_WM_ALLOWED_ACTIONS") != "<none>" &&
                   XProperty(window.winId(), "_NET_FRAME_EXTENTS") != "<none>";
        },
        "the window manager's frame and allowed actions", kDesktopBound);
}

// The window manager places and frames a window in its own time, and tells
// no one when it is done: waits until the frame has stayed put over two looks
// a tenth of a second apart (a loaded machine can take seconds to tell a
// window its frame). Qt now and then never learns a new window's frame
// extents from openbox; that is said, and the caller compares what it can.
void WaitForSettledPlace(const QWidget& window)
{
    QPoint last = window.frameGeometry().topLeft();
    const bool settled = QTest::qWaitFor(
        [&window, &last] {
            QTest::qWait(100);
            const QPoint now = window.frameGeometry().topLeft();
            const bool still = now == last && window.geometry().topLeft() != now;
            last = now;
            return still;
        },
        kDesktopBound);
    if (!settled)
        std::cerr << "note: no frame for " << window.objectName().toStdString() << " within " << kDesktopBound
                  << " ms; its frame reads as its client area\n";
}

// Whether the window manager has the window minimised (WM_STATE Iconic).
bool Iconic(WId window)
{
    return XPropertyText(window, "WM_STATE").find("Iconic") != std::string::npos;
}

void Xdotool(const QStringList& arguments) { QProcess::execute(QStringLiteral("xdotool"), arguments); }

// Counts the keys pressed in a window.
class EventCounter : public QObject {
public:
    EventCounter(QWidget& window, QEvent::Type type) : m_window(window), m_type(type) { qApp->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == m_type && widget && widget->window() == &m_window)
            ++count;
        return false;
    }
    int count = 0;

private:
    QWidget& m_window;
    QEvent::Type m_type;
};

// Keeps a dialog's own showing (which would start its work) from running,
// while the window itself is mapped as usual.
class SkipShowHandler : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Show; }
};

class Desktop : public larkspool::testing::MainWindowFixture {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under X with a window manager";
    }
    struct Seen {
        std::string title;
        std::string actions; // what the window manager allows
        std::string motif;   // what the window asked of it
    };
    Seen ShowAndRead(QWidget& window)
    {
        SkipShowHandler skip;
        if (&window != &Main())
            window.installEventFilter(&skip);
        window.show();
        EXPECT_TRUE(WaitForManaged(window)) << window.objectName().toStdString();
        const WId id = window.winId();
        Seen seen{XProperty(id, "_NET_WM_NAME"), XProperty(id, "_NET_WM_ALLOWED_ACTIONS"),
                  XProperty(id, "_MOTIF_WM_HINTS")};
        if (&window != &Main())
            window.hide();
        window.removeEventFilter(&skip);
        return seen;
    }
    static bool Allows(const std::string& actions, const char* action)
    {
        return actions.find(std::string("_NET_WM_ACTION_") + action) != std::string::npos;
    }
    // The functions word of the hints ("flags, functions, decorations, ...")
    // grants the function bit, or all of them; no hints leave all to the manager.
    static bool MotifGrants(const std::string& hints, unsigned bit)
    {
        unsigned flags = 0;
        unsigned functions = 0;
        if (std::sscanf(hints.c_str(), "%x, %x", &flags, &functions) != 2 || !(flags & 1u))
            return true;
        return (functions & 1u) || (functions & bit);
    }
};

TEST_F(Desktop, every_window_bears_its_caption_alone_and_only_its_title_bar_buttons)
{
    Open();
    Forms& forms = AllForms();
    struct Row {
        QWidget* window;
        const char* caption;
        bool close;
        bool minimizeAndMaximize;
    };
    forms.frmFileOp->setWindowTitle(QStringLiteral("ｷｬｯｼｭからｺﾋﾟｰしています..."));
    const Row rows[] = {
        {forms.frmMain.get(), "Larkspool for Windows", true, true},
        {forms.frmFileOp.get(), "ｷｬｯｼｭからｺﾋﾟｰしています...", false, false},
        {forms.frmSelDir.get(), "ｺﾋﾟｰ先ﾌｫﾙﾀﾞ設定", true, false},
        {forms.frmConfirm.get(), "ﾌｧｲﾙの上書きの確認", false, false},
        {forms.frmVersion.get(), "ﾊﾞｰｼﾞｮﾝ情報", true, false},
        {forms.frmPickUp.get(), "ﾌｧｲﾙの絞り込み", true, false},
        {forms.frmMoveDel.get(), "ﾌｧｲﾙの削除の確認", false, false},
        {forms.frmFromLocal.get(), "ﾛｰｶﾙﾌｧｲﾙをｷｬｯｼｭにｺﾋﾟｰ", true, false},
        {forms.frmFileOp2.get(), "ｷｬｯｼｭへｺﾋﾟｰしています...", false, false},
        {forms.frmConfirm2.get(), "ﾌｧｲﾙの上書きの確認", false, false},
        {forms.frmRefresh.get(), "最新の情報に更新中", false, false},
        {forms.frmDefFile.get(), "暗黙のﾌｧｲﾙ名設定", true, false},
    };
    for (const Row& row : rows) {
        const std::string name = row.window->objectName().toStdString();
        const Seen seen = ShowAndRead(*row.window);
        EXPECT_EQ(seen.title, "\"" + std::string(row.caption) + "\"") << name;
        EXPECT_EQ(MotifGrants(seen.motif, kMotifClose), row.close) << name << ": " << seen.motif;
        EXPECT_EQ(MotifGrants(seen.motif, kMotifMinimize), row.minimizeAndMaximize) << name << ": " << seen.motif;
        EXPECT_EQ(MotifGrants(seen.motif, kMotifMaximize), row.minimizeAndMaximize) << name << ": " << seen.motif;
        EXPECT_EQ(Allows(seen.actions, "MAXIMIZE"), row.minimizeAndMaximize) << name << ": " << seen.actions;
        if (row.close)
            EXPECT_TRUE(Allows(seen.actions, "CLOSE")) << name << ": " << seen.actions;
    }
}

TEST_F(Desktop, a_message_box_bears_its_caption_and_japanese_buttons)
{
    Open();
    Seen seen;
    QString yes;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            ADD_FAILURE() << "no message box";
            return;
        }
        EXPECT_TRUE(WaitForManaged(*box));
        seen.title = XProperty(box->winId(), "_NET_WM_NAME");
        yes = box->button(QMessageBox::Yes)->text();
        box->button(QMessageBox::No)->click();
    });

    ShowMessage(&Main(), "指定されたﾌｫﾙﾀﾞは存在しません。\r\r作成してもよろしいですか?", "ｺﾋﾟｰ先ﾌｫﾙﾀﾞ設定", 36);

    EXPECT_EQ(seen.title, "\"ｺﾋﾟｰ先ﾌｫﾙﾀﾞ設定\"");
    EXPECT_EQ(yes.toStdString(), "はい(&Y)");
}

TEST_F(Desktop, the_overwrite_question_cannot_be_closed_from_the_desktop)
{
    Open();
    TfrmConfirm& question = *AllForms().frmConfirm;
    SkipShowHandler skip;
    question.installEventFilter(&skip);
    question.show();
    ASSERT_TRUE(WaitForManaged(question));
    question.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&question));
    EventCounter closes(question, QEvent::Close);

    // The window manager's own close key, through the X server: its request
    // reaches the window and is refused.
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("alt+F4")});
    ASSERT_TRUE(WaitFor([&] { return closes.count > 0; }, "a close request", kDesktopBound));

    EXPECT_TRUE(question.isVisible());
    EXPECT_EQ(question.result(), 0) << "no answer given";
    question.hide();
    question.removeEventFilter(&skip);
}

TEST_F(Desktop, a_modal_dialog_minimised_by_the_window_manager_comes_back_at_once_and_answers)
{
    Open();
    ASSERT_TRUE(WaitForManaged(Main()));
    Forms& forms = AllForms();
    QDialog* const dialogs[] = {forms.frmRefresh.get(), forms.frmFileOp.get(), forms.frmConfirm.get(),
                                forms.frmMoveDel.get()};
    for (QDialog* dialog : dialogs) {
        const std::string name = dialog->objectName().toStdString();
        SkipShowHandler skip;
        dialog->installEventFilter(&skip);
        EventCounter keys(*dialog, QEvent::KeyPress);
        EventCounter states(*dialog, QEvent::WindowStateChange);
        std::string type;
        std::string transientFor;
        bool back = false;
        bool mainIconic = true;
        QTimer::singleShot(0, [&] {
            if (WaitForManaged(*dialog) && QTest::qWaitForWindowActive(dialog)) {
                type = XProperty(dialog->winId(), "_NET_WM_WINDOW_TYPE");
                transientFor = XPropertyText(dialog->winId(), "WM_TRANSIENT_FOR");
                // Minimised first, then back. The window manager now and then
                // drops the request for a dialog just activated: it is asked
                // again until the dialog hears of its new state.
                WaitFor(
                    [&] {
                        if (states.count == 0)
                            Xdotool({QStringLiteral("windowminimize"), QString::number(dialog->winId())});
                        return states.count > 0;
                    },
                    "the minimised state", kDesktopBound);
                back = QTest::qWaitFor([&] { return !Iconic(dialog->winId()) && dialog->isActiveWindow(); }, 3000);
                mainIconic = Iconic(Main().winId());
                Xdotool({QStringLiteral("key"), QStringLiteral("shift")});
                WaitFor([&] { return keys.count > 0; }, "the key pressed in the dialog", kDesktopBound);
            }
            dialog->done(0);
        });

        dialog->exec();
        dialog->removeEventFilter(&skip);

        EXPECT_NE(type.find("_NET_WM_WINDOW_TYPE_DIALOG"), std::string::npos) << name << ": " << type;
        EXPECT_NE(transientFor.find(QString::number(Main().winId(), 16).toStdString()), std::string::npos)
            << name << ": " << transientFor;
        EXPECT_TRUE(back) << name;
        EXPECT_FALSE(mainIconic) << name;
    }
}

// Notes which windows have been painted.
class PaintWatcher : public QObject {
public:
    PaintWatcher() { qApp->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && widget)
            painted.insert(widget->window());
        return false;
    }
    std::set<QWidget*> painted;
};

TEST_F(Desktop, a_refresh_at_start_reads_the_cache_only_once_both_windows_are_drawn)
{
    AddSite();
    Open();
    Action("mnuRefreshAtRun")->trigger();
    Main().close();
    m_forms.reset();
    PaintWatcher watcher;
    bool mainDrawn = false;
    bool dialogDrawn = false;
    bool read = false;
    m_forms = std::make_unique<FormSet>(m_cache.Cache());
    QDialog* refresh = AllForms().frmRefresh.get();
    QObject::connect(refresh->findChild<QProgressBar*>("ProgressBar1"), &QProgressBar::valueChanged, [&](int value) {
        if (value < 1 || read)
            return;
        read = true; // the first entry is in hand
        mainDrawn = watcher.painted.count(&Main()) > 0;
        dialogDrawn = watcher.painted.count(refresh) > 0;
    });

    Main().show();
    ASSERT_TRUE(WaitFor([&] { return read && !refresh->isVisible(); }, "the refresh at start", kDesktopBound));

    EXPECT_TRUE(mainDrawn);
    EXPECT_TRUE(dialogDrawn);
}

TEST_F(Desktop, the_window_comes_back_where_it_was_closed_restart_after_restart)
{
    std::vector<QPoint> frames;
    std::vector<QPoint> clients;
    for (int start = 0; start < 4; ++start) {
        m_sandbox.Store()->setValue("Refresh", 0);
        TfrmMain& main = Open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
        ASSERT_TRUE(WaitForManaged(main));
        WaitForSettledPlace(main);
        if (start == 0) {
            main.move(120, 90); // away from the corner, where a cut-off would not show
            WaitFor([&] { return main.frameGeometry().topLeft() == QPoint(120, 90); }, "the moved window",
                    kDesktopBound);
            WaitForSettledPlace(main);
        }
        frames.push_back(main.frameGeometry().topLeft());
        clients.push_back(main.geometry().topLeft());
        main.close();
        m_forms.reset();
    }
    for (int start = 1; start < 4; ++start) {
        // Qt now and then never learns a new window's frame extents from
        // openbox: its frame then reads as the client area, and only the
        // client corner (what the program stores) can be compared.
        if (frames[std::size_t(start)] != clients[std::size_t(start)])
            EXPECT_EQ(frames[std::size_t(start)], frames[0]) << "start " << start;
        EXPECT_EQ(clients[std::size_t(start)], clients[0]) << "start " << start;
    }
    EXPECT_GT(clients[0].y(), frames[0].y()) << "the window manager framed the window";
}

// On an X server without a window manager nobody but the program moves the
// focus: run by scripts/desktop-test on a display of its own.
class BareX : public larkspool::testing::MainWindowFixture {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under X without a window manager";
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
        xprop.waitForFinished(5000);
        if (xprop.readAllStandardOutput().contains("window id"))
            GTEST_SKIP() << "a window manager runs here";
    }
    // The window that has the X server's keyboard focus.
    static std::string XFocus()
    {
        QProcess xdotool;
        xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")});
        xdotool.waitForFinished(5000);
        return QString::fromUtf8(xdotool.readAllStandardOutput()).trimmed().toStdString();
    }
};

TEST_F(BareX, the_focus_goes_back_to_the_main_window_when_a_modal_dialog_closes)
{
    Open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Main()));
    Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
    QDialog& dialog = *AllForms().frmVersion;
    bool answered = false;
    QTimer::singleShot(0, [&] {
        answered = QTest::qWaitForWindowActive(&dialog);
        WaitFor([&] { return XFocus() == std::to_string(dialog.winId()); }, "the X focus on the dialog", kDesktopBound);
        Xdotool({QStringLiteral("key"), QStringLiteral("Return")}); // its OK, through the X server
        if (!WaitFor([&] { return !dialog.isVisible(); }, "the dialog's answer to Return", kDesktopBound))
            dialog.done(0);
    });

    dialog.exec();
    EventCounter keys(Main(), QEvent::KeyPress);
    WaitFor([&] { return XFocus() == std::to_string(Main().winId()); }, "the X focus on the main window", kDesktopBound);
    Xdotool({QStringLiteral("key"), QStringLiteral("shift")});
    WaitFor([&] { return keys.count > 0; }, "a key pressed in the main window", kDesktopBound);

    EXPECT_TRUE(answered) << "the dialog had the focus";
}

} // namespace
