// The frame window: start-up, menus, status bar, clock, sizing commands,
// printing and the generic child window. State / Action / Expected in each
// test's name or comment.

#include "ShellSession.h"

#include "controls/KesSpinEdits1.h"
#include "models/frame/ModelForm.h"
#include "models/frame/RunTable.h"
#include "models/frame/ViewScale.h"
#include "shell/Childwin.h"
#include "shell/PanelStatusBar.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/ModelDriver.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QClipboard>
#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

using namespace morva;
using namespace morva::shell;
using morva::test::PrintingDesktop;

namespace {

QString orderingText()
{
    return QStringLiteral("        Just kidding... MORVA is free !  ;-) ") + QChar(13)
           + QStringLiteral("         But please do NOT distribute yet!");
}

QAction *frameAction(const QString &name)
{
    return PGMainFrameForm->findChild<QAction *>(name);
}

} // namespace

class TestPGFrame : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startUpMakesFrameChoiceAndHiddenAboutBox();
    void menuItems_data();
    void menuItems();
    void exitClosesFrame_data();
    void exitClosesFrame();
    void defaultSizeFollowsScreenWidth_data();
    void defaultSizeFollowsScreenWidth();
    void opensInsideAvailableArea_data();
    void opensInsideAvailableArea();
    void restoreCentresByIntegerDivision_data();
    void restoreCentresByIntegerDivision();
    void resizeKeepsFixedPanels_data();
    void resizeKeepsFixedPanels();
    void sizingCommandsLayOutChoiceWindow_data();
    void sizingCommandsLayOutChoiceWindow();
    void systemMaximizeDisablesItemUntilRestore();
    void timerPanels_data();
    void timerPanels();
    void numLockShowsWithinOneTick();
    void orderingShowsInformation();
    void printPutsFrameImageOnOnePage_data();
    void printPutsFrameImageOnOnePage();
    void altKeysBesideModelWindow_data();
    void altKeysBesideModelWindow();
    void windowMenuListsChildWindows();
    void newChildWindow();
    void genericChildTree();
    void copyAndSaveAsFollowModelResults();
    void classroomSizeRemembered();

private:
    std::unique_ptr<PrintingDesktop> m_desktop;
};

void TestPGFrame::init()
{
    m_desktop = std::make_unique<PrintingDesktop>();
    QVERIFY(test::startShell());
}

void TestPGFrame::cleanup()
{
    test::stopShell();
    // No test expects a message box it did not check and clear.
    const QStringList unexpected = m_desktop->messageTexts();
    m_desktop.reset();
    QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(QLatin1String(" | "))));
}

// State: fresh start on a 1280 x 1024 screen. Expected: one frame, one child
// window (the tree, fully expanded, 250 wide at the left edge over the whole
// child area), and the about box hidden.
void TestPGFrame::startUpMakesFrameChoiceAndHiddenAboutBox()
{
    QVERIFY(PGMainFrameForm && PGChoiceForm && AboutBox);
    QCOMPARE(PGMainFrameForm->windowTitle(), QStringLiteral("MORVA 99 - Main Window"));
    QCOMPARE(QApplication::applicationName(), QStringLiteral("MORVA 99"));
    QCOMPARE(PGMainFrameForm->size(), QSize(900, 675));
    QCOMPARE(PGMainFrameForm->pos(), QPoint(190, 174));

    QList<QWidget *> shown;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            shown.append(w);
    QCOMPARE(shown, QList<QWidget *>{PGMainFrameForm});
    QVERIFY(AboutBox->isHidden());

    QCOMPARE(PGMainFrameForm->mdiArea()->subWindowList().size(), 1);
    QCOMPARE(PGMainFrameForm->mdiArea()->subWindowList().first(), PGChoiceForm.data());
    QCOMPARE(PGChoiceForm->windowTitle(), QStringLiteral(" MORVA - Model Choice"));
    QVERIFY(!(PGChoiceForm->windowFlags() & (Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                                            | Qt::WindowMinMaxButtonsHint)));
    QCOMPARE(PGChoiceForm->geometry(), QRect(QPoint(0, 0), QSize(250, test::childArea().height())));
    QVERIFY(PGChoiceForm->isEnabled());
    QCOMPARE(ExpandToggle, false);
    QVERIFY(test::choiceNode(QStringLiteral("Natural selection"))->isExpanded());

    // The clock panels are filled before the first tick.
    QCOMPARE(PGMainFrameForm->panelText(TPGMainFrameForm::DatePanel), QStringLiteral("26.12.08 "));
    QCOMPARE(PGMainFrameForm->panelText(TPGMainFrameForm::ClockPanel),
             QStringLiteral("  09:30:15  "));
    QCOMPARE(PGMainFrameForm->panelText(TPGMainFrameForm::ElapsedPanel),
             QStringLiteral("  00:00:00    "));
}

void TestPGFrame::menuItems_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("menuKey");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("isDefault");
    QTest::addColumn<QKeySequence>("shortcut");

    const int f = Qt::Key_F, e = Qt::Key_E, v = Qt::Key_V, w = Qt::Key_W, h = Qt::Key_H;
    const QKeySequence none;
    QTest::newRow("New") << "FileNewItem" << f << "&New" << "Create a new file" << false << false << none;
    QTest::newRow("Open") << "FileOpenItem" << f << "&Open" << "Open an existing file" << true << false
                          << QKeySequence(QKeySequence::Open);
    QTest::newRow("Close") << "FileCloseItem" << f << "&Close" << "Close current file" << false << false << none;
    QTest::newRow("Save") << "FileSaveItem" << f << "&Save" << "Save current file" << false << false
                          << QKeySequence(QKeySequence::Save);
    QTest::newRow("Save As") << "FileSaveAsItem" << f << "Save &As..." << "Save current file as..." << false << false << none;
    QTest::newRow("Print") << "Print1" << f << "Print" << "" << true << false << none;
    QTest::newRow("Exit") << "FileExitItem" << f << "E&xit" << "Exit the application" << true << true
                          << QKeySequence(Qt::ALT | Qt::Key_X);
    QTest::newRow("Cut") << "CutItem" << e << "Cu&t" << "Cut to clipboard" << false << false << none;
    QTest::newRow("Copy") << "CopyItem" << e << "&Copy" << "Copy to clipboard" << false << false
                          << QKeySequence(QKeySequence::Copy);
    QTest::newRow("Paste") << "PasteItem" << e << "&Paste" << "Paste from clipboard" << false << false << none;
    QTest::newRow("Larger text") << "LargerTextItem" << v << "&Larger text"
                                 << "Show the models and the tree larger" << true << false
                                 << QKeySequence(QKeySequence::ZoomIn);
    QTest::newRow("Smaller text") << "SmallerTextItem" << v << "&Smaller text"
                                  << "Show the models and the tree smaller" << true << false
                                  << QKeySequence(QKeySequence::ZoomOut);
    QTest::newRow("Normal size") << "NormalSizeItem" << v << "&Normal size"
                                 << "Show the models and the tree at their designed size" << true
                                 << false << QKeySequence(Qt::CTRL | Qt::Key_0);
    QTest::newRow("Maximize") << "WindowMaximItem" << w << "&Maximize " << "Maximize application" << true << false << none;
    QTest::newRow("Restore") << "WindowRestoreItem" << w << "&Restore"
                             << "Restore main application window to default size and position" << true
                             << true << QKeySequence(Qt::ALT | Qt::Key_R);
    QTest::newRow("Tile") << "WindowTileItem" << w << "&Tile" << "Arrange windows without overlap" << true << false << none;
    QTest::newRow("Arrange") << "WindowArrangeItem" << w << "&Arrange Icons"
                             << "Arrange window icons at bottom of main window" << false << false << none;
    QTest::newRow("Minimize") << "WindowMinimizeItem" << w << "Mi&nimize All" << "Minimize all windows" << false << false << none;
    QTest::newRow("Ordering") << "Ordering1" << h << "&Ordering Info" << "" << true << false << none;
    QTest::newRow("About") << "HelpAboutItem" << h << "&About MORVA" << "" << true << true << none;
}

// State: fresh start. Action: open the item's menu with its Alt key and move
// the highlight onto the item with the arrow keys. Expected: caption, enabled
// state, default item in bold, shortcut, and the hint in panel 0.
void TestPGFrame::menuItems()
{
    QFETCH(QString, name);
    QFETCH(int, menuKey);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(bool, enabled);
    QFETCH(bool, isDefault);
    QFETCH(QKeySequence, shortcut);

    QAction *item = frameAction(name);
    QVERIFY(item);
    auto *menu = qobject_cast<QMenu *>(item->associatedObjects().value(0));
    QVERIFY(menu);
    QCOMPARE(item->text(), caption);
    QCOMPARE(item->statusTip(), hint);
    QCOMPARE(item->isEnabled(), enabled);
    QCOMPARE(menu->defaultAction() == item, isDefault);
    QCOMPARE(item->font().bold(), isDefault);
    QCOMPARE(item->shortcut(), shortcut);

    // A hint left over from before must give way to the item's own.
    m_desktop->clear();
    QTest::keyClick(PGMainFrameForm, Qt::Key(menuKey), Qt::AltModifier);
    QTRY_COMPARE(QApplication::activePopupWidget(), menu);
    for (int step = 0; step < 10 && menu->activeAction() != item; ++step)
        QTest::keyClick(menu, Qt::Key_Down);
    QCOMPARE(menu->activeAction(), item);
    QTRY_COMPARE(PGMainFrameForm->panelText(TPGMainFrameForm::HintPanel), hint);
    QTest::keyClick(menu, Qt::Key_Escape);
    QTest::keyClick(PGMainFrameForm->menuBar(), Qt::Key_Escape);
    QTRY_VERIFY(!QApplication::activePopupWidget());
}

void TestPGFrame::exitClosesFrame_data()
{
    QTest::addColumn<bool>("byShortcut");
    QTest::newRow("File, Exit") << false;
    QTest::newRow("Alt+X") << true;
}

// State: frame shown. Action: File, Exit or Alt+X. Expected: the frame closes
// (which ends the program's event loop).
void TestPGFrame::exitClosesFrame()
{
    QFETCH(bool, byShortcut);
    if (byShortcut)
        QTest::keyClick(PGMainFrameForm, Qt::Key_X, Qt::AltModifier);
    else
        PGMainFrameForm->FileExitItem->trigger();
    QTRY_VERIFY(!PGMainFrameForm->isVisible());
}

void TestPGFrame::defaultSizeFollowsScreenWidth_data()
{
    QTest::addColumn<int>("screenWidth");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("600") << 600 << QSize(640, 480);
    QTest::newRow("799") << 799 << QSize(640, 480);
    QTest::newRow("800") << 800 << QSize(800, 600);
    QTest::newRow("1023") << 1023 << QSize(800, 600);
    QTest::newRow("1024") << 1024 << QSize(900, 675);
    QTest::newRow("1920") << 1920 << QSize(900, 675);
}

// State: a screen of the given width. Action: start-up. Expected: the frame's
// default size by the width thresholds.
void TestPGFrame::defaultSizeFollowsScreenWidth()
{
    QFETCH(int, screenWidth);
    QFETCH(QSize, expected);
    test::stopShell();
    m_desktop->screen = QSize(screenWidth, 1024);
    QVERIFY(test::startShell());
    QCOMPARE(QSize(DefaultWidth, DefaultHeight), expected);
    // A screen narrower than the designed size holds the frame whole.
    QCOMPARE(PGMainFrameForm->size(), expected.boundedTo(m_desktop->screen));
}

void TestPGFrame::opensInsideAvailableArea_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("800 x 600 whole") << QSize(800, 600) << QRect(0, 0, 800, 600)
                                     << QRect(0, 0, 800, 600);
    QTest::newRow("800 x 600 with a panel below")
        << QSize(800, 600) << QRect(0, 0, 800, 570) << QRect(0, 0, 800, 570);
    QTest::newRow("640 x 480 with a panel left")
        << QSize(640, 480) << QRect(40, 0, 600, 480) << QRect(40, 0, 600, 480);
    QTest::newRow("600 x 500") << QSize(600, 500) << QRect(0, 0, 600, 500)
                               << QRect(0, 10, 600, 480);
    QTest::newRow("1280 x 1024 with a panel keeps the designed place")
        << QSize(1280, 1024) << QRect(0, 30, 1280, 994) << QRect(190, 174, 900, 675);
}

// State: a screen and the part of it windows may cover. Action: start-up.
// Expected: the frame inside that part, as large as the designed size
// allows, where it fits at its designed place it stays there.
void TestPGFrame::opensInsideAvailableArea()
{
    QFETCH(QSize, screen);
    QFETCH(QRect, available);
    QFETCH(QRect, expected);
    test::stopShell();
    m_desktop->screen = screen;
    m_desktop->available = available;
    QVERIFY(test::startShell());
    QCOMPARE(QRect(PGMainFrameForm->pos(), PGMainFrameForm->size()), expected);
    m_desktop->available = QRect();
}

void TestPGFrame::restoreCentresByIntegerDivision_data()
{
    QTest::addColumn<QSize>("startScreen");
    QTest::addColumn<QSize>("restoreScreen");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("600 wide screen") << QSize(600, 500) << QSize(600, 500) << QPoint(-20, 10);
    QTest::newRow("odd negative truncates toward zero")
        << QSize(1280, 1024) << QSize(601, 400) << QPoint(-149, -137);
    QTest::newRow("odd positive") << QSize(1280, 1024) << QSize(1281, 1025) << QPoint(190, 175);
}

// State: started on one screen, the screen possibly changed since. Action:
// Window, Restore. Expected: default size, centred by integer division.
void TestPGFrame::restoreCentresByIntegerDivision()
{
    QFETCH(QSize, startScreen);
    QFETCH(QSize, restoreScreen);
    QFETCH(QPoint, expected);
    test::stopShell();
    m_desktop->screen = startScreen;
    QVERIFY(test::startShell());
    PGMainFrameForm->resize(500, 400);
    m_desktop->screen = restoreScreen;
    PGMainFrameForm->WindowRestoreItem->trigger();
    QTRY_COMPARE(PGMainFrameForm->pos(), expected);
    QCOMPARE(PGMainFrameForm->size(), QSize(DefaultWidth, DefaultHeight));
}

void TestPGFrame::resizeKeepsFixedPanels_data()
{
    QTest::addColumn<int>("frameWidth");
    QTest::addColumn<int>("percent");
    QTest::newRow("wider") << 1100 << 100;
    QTest::newRow("narrower") << 640 << 100;
    QTest::newRow("narrow") << 420 << 100;
    QTest::newRow("classroom size") << 1600 << 200;
}

// Action: resize the frame, at the row's text size. Expected: panels 1 to 4
// keep 50, 65, 65 and 70 pixels and the bar 19 (times the size, as its text
// and the menus' are); panel 0 takes the rest; Normal size brings the
// designed frame back.
void TestPGFrame::resizeKeepsFixedPanels()
{
    QFETCH(int, frameWidth);
    QFETCH(int, percent);
    PanelStatusBar *bar = PGMainFrameForm->StatusBar;
    const QList<QWidget *> texts{bar, PGMainFrameForm->MainMenu1, PGMainFrameForm->File1,
                                 PGMainFrameForm->View1};
    const auto pixelsOf = [&texts] {
        QList<int> pixels;
        for (const QWidget *text : texts)
            pixels << QFontInfo(text->font()).pixelSize();
        return pixels;
    };
    const QList<int> designedPixels = pixelsOf();
    PGMainFrameForm->setViewScale(percent);
    const auto scaled = [percent](int designed) { return designed * percent / 100; };
    PGMainFrameForm->resize(frameWidth, 500);
    QTRY_COMPARE(bar->width(), PGMainFrameForm->width());
    QCOMPARE(bar->panelWidth(1), scaled(50));
    QCOMPARE(bar->panelWidth(2), scaled(65));
    QCOMPARE(bar->panelWidth(3), scaled(65));
    QCOMPARE(bar->panelWidth(4), scaled(70));
    QCOMPARE(bar->panelWidth(0), bar->width() - scaled(250));
    QCOMPARE(bar->panelAlignment(0), Qt::AlignLeft);
    QCOMPARE(bar->panelAlignment(2), Qt::AlignHCenter);
    QCOMPARE(bar->panelAlignment(4), Qt::AlignLeft);
    QCOMPARE(bar->height(), scaled(19));
    for (qsizetype i = 0; i < texts.size(); ++i)
        QVERIFY2(qAbs(pixelsOf().at(i) - scaled(designedPixels.at(i))) <= 1,
                 qPrintable(texts.at(i)->objectName()));

    PGMainFrameForm->setViewScale(100);
    QCOMPARE(bar->panelWidth(4), 70);
    QCOMPARE(bar->height(), 19);
    QCOMPARE(pixelsOf(), designedPixels);
}

void TestPGFrame::sizingCommandsLayOutChoiceWindow_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("maximEnabledAfter");
    QTest::newRow("Maximize") << "WindowMaximItem" << false;
    QTest::newRow("Restore") << "WindowRestoreItem" << true;
    QTest::newRow("Tile") << "WindowTileItem" << true;
}

// State: only the choice window open, which was moved and shrunk. Action: the
// command. Expected: the choice window 250 wide at the left edge over the
// whole child area; Maximize disables its own item.
void TestPGFrame::sizingCommandsLayOutChoiceWindow()
{
    QFETCH(QString, item);
    QFETCH(bool, maximEnabledAfter);
    PGChoiceForm->setGeometry(40, 30, 200, 200);
    frameAction(item)->trigger();
    QTRY_COMPARE(PGChoiceForm->geometry(),
                 QRect(QPoint(0, 0), QSize(250, test::childArea().height())));
    QCOMPARE(PGMainFrameForm->WindowMaximItem->isEnabled(), maximEnabledAfter);
}

// Action: the window manager maximizes the frame, then restores it. Expected:
// Maximize is disabled by the first and stays so after the second; Window,
// Restore enables it again.
void TestPGFrame::systemMaximizeDisablesItemUntilRestore()
{
    PGChoiceForm->setGeometry(40, 30, 200, 200);
    PGMainFrameForm->setWindowState(Qt::WindowMaximized);
    QVERIFY(!PGMainFrameForm->WindowMaximItem->isEnabled());
    QTRY_COMPARE(PGChoiceForm->geometry(),
                 QRect(QPoint(0, 0), QSize(250, test::childArea().height())));
    PGMainFrameForm->setWindowState(Qt::WindowNoState);
    QVERIFY(!PGMainFrameForm->WindowMaximItem->isEnabled());
    QTest::keyClick(PGMainFrameForm, Qt::Key_R, Qt::AltModifier);
    QVERIFY(PGMainFrameForm->WindowMaximItem->isEnabled());
}

void TestPGFrame::timerPanels_data()
{
    QTest::addColumn<qint64>("sinceStart");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("clock");
    QTest::addColumn<QString>("elapsed");
    const qint64 second = 1000, hour = 3600 * second;
    QTest::newRow("start") << qint64(0) << "26.12.08 " << "  09:30:15  " << "  00:00:00    ";
    QTest::newRow("1 s") << second << "26.12.08 " << "  09:30:16  " << "  00:00:01    ";
    QTest::newRow("past midnight") << 15 * hour << "26.12.09 " << "  00:30:15  " << "  15:00:00    ";
    QTest::newRow("24 h wraps") << 24 * hour << "26.12.09 " << "  09:30:15  " << "  00:00:00    ";
    QTest::newRow("25 h 1 min 2 s") << 25 * hour + 62 * second << "26.12.09 " << "  10:31:17  "
                                    << "  01:01:02    ";
}

// Action: the clock advances, then a tick. Expected: date, clock and elapsed
// time, the elapsed time wrapping after 24 hours.
void TestPGFrame::timerPanels()
{
    QFETCH(qint64, sinceStart);
    QFETCH(QString, date);
    QFETCH(QString, clock);
    QFETCH(QString, elapsed);
    m_desktop->clock = StartTime.addMSecs(sinceStart);
    PGMainFrameForm->Timer1Timer(PGMainFrameForm->Timer1);
    QCOMPARE(PGMainFrameForm->panelText(TPGMainFrameForm::DatePanel), date);
    QCOMPARE(PGMainFrameForm->panelText(TPGMainFrameForm::ClockPanel), clock);
    QCOMPARE(PGMainFrameForm->panelText(TPGMainFrameForm::ElapsedPanel), elapsed);
}

// Action: Num Lock toggled on, then off. Expected: "NUM" appears and clears
// with the running timer's next tick.
void TestPGFrame::numLockShowsWithinOneTick()
{
    QCOMPARE(PGMainFrameForm->Timer1->interval(), 1000);
    QVERIFY(PGMainFrameForm->Timer1->isActive());
    QCOMPARE(PGMainFrameForm->panelText(TPGMainFrameForm::NumLockPanel), QString());
    m_desktop->numLock = true;
    QTRY_COMPARE_WITH_TIMEOUT(PGMainFrameForm->panelText(TPGMainFrameForm::NumLockPanel),
                              QStringLiteral("NUM"), 5000);
    m_desktop->numLock = false;
    QTRY_COMPARE_WITH_TIMEOUT(PGMainFrameForm->panelText(TPGMainFrameForm::NumLockPanel),
                              QString(), 5000);
}

// Action: Help, Ordering Info. Expected: one information box with its exact
// text, carriage return and leading blanks included.
void TestPGFrame::orderingShowsInformation()
{
    PGMainFrameForm->Ordering1->trigger();
    QCOMPARE(m_desktop->messages.size(), 1);
    QCOMPARE(m_desktop->messages.first().icon, MessageIcon::Information);
    QCOMPARE(m_desktop->messages.first().title, QStringLiteral("Information"));
    QCOMPARE(m_desktop->messages.first().text, orderingText());
    m_desktop->clear();
}

void TestPGFrame::printPutsFrameImageOnOnePage_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("confirmed") << true;
    QTest::newRow("cancelled") << false;
}

// Action: File, Print, the dialog confirmed or cancelled. Expected: a PDF of
// one page holding an image of the client area (the child-window area and
// the status bar, without the menu bar), or nothing printed.
void TestPGFrame::printPutsFrameImageOnOnePage()
{
    QFETCH(bool, confirm);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    m_desktop->pdfFile = dir.filePath(QStringLiteral("frame.pdf"));
    m_desktop->confirmPrint = confirm;
    PGMainFrameForm->Print1->trigger();
    QCOMPARE(m_desktop->printDialogs, 1);
    QFile pdf(m_desktop->pdfFile);
    QCOMPARE(pdf.exists(), confirm);
    if (!confirm)
        return;
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray content = pdf.readAll();
    QCOMPARE(content.count("/Type /Page\n") + content.count("/Type /Page\r")
                 + content.count("/Type /Page "),
             1);
    QVERIFY(content.contains("/Subtype /Image"));
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("/Width (\\d+)\\s*/Height (\\d+)"))
            .match(QString::fromLatin1(content));
    QVERIFY(size.hasMatch());
    QCOMPARE(QSize(size.captured(1).toInt(), size.captured(2).toInt()),
             QSize(PGMainFrameForm->clientWidth(), PGMainFrameForm->clientHeight()));
}

void TestPGFrame::altKeysBesideModelWindow_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("expected");
    const int r = Qt::Key_R, f = Qt::Key_F;
    QTest::newRow("choice window: Alt+R restores") << "choice" << r << "restore";
    QTest::newRow("model window: Alt+R runs") << "model" << r << "run";
    QTest::newRow("model window back from a dialog: Alt+R runs") << "dialog" << r << "run";
    QTest::newRow("model window closed: Alt+R restores") << "closed" << r << "restore";
    QTest::newRow("model window: Alt+F opens File") << "model" << f << "File menu";
}

// State: the row's active child window, the focus in it (a model window's
// first field). Action: the Alt key as the user presses it. Expected: one
// action only, the row's: Window, Restore, the model's Run, or the File
// menu; no beep and the field's text unchanged.
void TestPGFrame::altKeysBesideModelWindow()
{
    QFETCH(QString, state);
    QFETCH(int, key);
    QFETCH(QString, expected);
    QPointer<ModelForm> model;
    if (state != QLatin1String("choice"))
        model = test::openFromTree(test::kMutationLeaf);
    if (state == QLatin1String("closed")) {
        QVERIFY(test::cancelAndWait(model));
    } else if (state == QLatin1String("dialog")) {
        // Another top-level window takes the activation and gives it back.
        QDialog other(PGMainFrameForm);
        MORVA_SHOW_ACTIVE(&other);
        other.close();
        PGMainFrameForm->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), PGMainFrameForm.data());
    }
    // Closing the model window leaves the focus nowhere; the key then goes
    // to the frame.
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        focus = PGMainFrameForm;
    auto *field = qobject_cast<KesSpinEditBase *>(focus);
    QCOMPARE(field != nullptr, model != nullptr);
    const QString text = field ? field->text() : QString();
    PGMainFrameForm->WindowMaximItem->setEnabled(false); // Restore enables it

    QTest::keyClick(focus, Qt::Key(key), Qt::AltModifier);

    QCOMPARE(PGMainFrameForm->WindowMaximItem->isEnabled(), expected == QLatin1String("restore"));
    QCOMPARE(model && model->grid()->isVisible(), expected == QLatin1String("run"));
    QCOMPARE(QApplication::activePopupWidget() == PGMainFrameForm->File1,
             expected == QLatin1String("File menu"));
    QCOMPARE(m_desktop->beeps, 0);
    if (field)
        QCOMPARE(field->text(), text);
    if (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
}

// State: the choice window and a generic child open. Action: open the Window
// menu. Expected: the fixed items, then one numbered entry per child window,
// the active one checked; the list is rebuilt, not appended, on each opening.
void TestPGFrame::windowMenuListsChildWindows()
{
    PGMainFrameForm->CreateMDIChild(QStringLiteral("NONAME2"));
    QMenu *menu = PGMainFrameForm->Window1;
    for (int opening = 0; opening < 2; ++opening) {
        emit menu->aboutToShow();
        QStringList listed;
        for (QAction *action : menu->actions())
            if (action->isCheckable())
                listed.append(action->text() + (action->isChecked() ? "*" : ""));
        QCOMPARE(listed, (QStringList{QStringLiteral("&1  MORVA - Model Choice"),
                                      QStringLiteral("&2 NONAME2*")}));
    }
    QCOMPARE(menu->actions().size(), 5 + 1 + 2);
}

// State: File, New made usable. Action: File, New, then close the child.
// Expected: a generic child captioned "NONAME" plus the child count plus one,
// freed when closed.
void TestPGFrame::newChildWindow()
{
    PGMainFrameForm->FileNewItem->setEnabled(true);
    PGMainFrameForm->FileNewItem->trigger();
    const QList<QMdiSubWindow *> children = PGMainFrameForm->mdiArea()->subWindowList();
    QCOMPARE(children.size(), 2);
    QPointer<TMDIChild> child = qobject_cast<TMDIChild *>(children.last());
    QVERIFY(child);
    QCOMPARE(child->windowTitle(), QStringLiteral("NONAME2"));
    QCOMPARE(child->SelModelChoice->title(), QStringLiteral("Model Choice"));

    PGMainFrameForm->mdiArea()->setActiveSubWindow(child);
    PGMainFrameForm->FileCloseItem->setEnabled(true);
    PGMainFrameForm->FileCloseItem->trigger();
    QTRY_VERIFY(child.isNull());
    QCOMPARE(PGMainFrameForm->mdiArea()->subWindowList().size(), 1);
}

// The generic child's stored tree: every node in order with its level.
void TestPGFrame::genericChildTree()
{
    auto *child = qobject_cast<TMDIChild *>(PGMainFrameForm->CreateMDIChild(QStringLiteral("x")));
    QVERIFY(child);
    QStringList nodes;
    std::function<void(QTreeWidgetItem *, int)> walk = [&](QTreeWidgetItem *node, int level) {
        nodes.append(QString(level * 2, QLatin1Char(' ')) + node->text(0));
        for (int i = 0; i < node->childCount(); ++i)
            walk(node->child(i), level + 1);
    };
    for (int i = 0; i < child->TreeView1->topLevelItemCount(); ++i)
        walk(child->TreeView1->topLevelItem(i), 0);
    const QStringList expected = {
        "\"Hardy-Weinberg\"", "  Haploid", "  Diploid", "    One autossomal gene",
        "    One sex-linked gene", "    Two autossomal genes", "Mutation", "Selection",
        "  Haploid", "    Constant fitnesses", "    Variable fitnesses",
        "      Frequency-dependent fitnesses", "      Time-dependent fitnesses", "  Diploid",
        "    Constant fitnesses", "    Variable fitnesses", "Random Drift"};
    QCOMPARE(nodes, expected);
    QCOMPARE(child->TreeView1->topLevelItem(0)->text(0).size(), 16);
    QCOMPARE(child->TreeView1->statusTip(), QStringLiteral("Use the tree to choose a model"));
    QCOMPARE(child->TreeView1->indentation(), 19);
    QVERIFY(child->TreeView1->rootIsDecorated());
    QCOMPARE(child->TreeView1->editTriggers(), QAbstractItemView::NoEditTriggers);
}

// State: fresh start. Action: open the 2-allele window, run it, switch to
// another child and back, use Copy and Save As, then cancel the model.
// Expected: Copy and Save As enabled only while the current child is a model
// window that has run, with their hints; Cut and Paste stay disabled, Save
// (of the setup) is enabled with the model window;
// Copy puts the run on the clipboard, Save As opens the save dialog; with
// the model gone both are disabled again.
void TestPGFrame::copyAndSaveAsFollowModelResults()
{
    QAction *copy = PGMainFrameForm->CopyItem;
    QAction *saveAs = PGMainFrameForm->FileSaveAsItem;
    const auto exportItems = [&] { return QList<bool>{copy->isEnabled(), saveAs->isEnabled()}; };
    const QList<bool> off{false, false};
    const QList<bool> on{true, true};

    ModelForm *model = test::openFromTree(test::kTwoAllelesLeaf);
    QVERIFY(model);
    QTRY_COMPARE(PGMainFrameForm->mdiArea()->currentSubWindow(), model);
    QCOMPARE(exportItems(), off);
    QTest::mouseClick(model->runButton(), Qt::LeftButton);
    QCOMPARE(exportItems(), on);
    QCOMPARE(copy->statusTip(), QStringLiteral("Copy to clipboard"));
    QCOMPARE(saveAs->statusTip(), QStringLiteral("Save current file as..."));
    for (QAction *item : {PGMainFrameForm->CutItem, PGMainFrameForm->PasteItem})
        QVERIFY2(!item->isEnabled(), qPrintable(item->objectName()));
    QVERIFY(PGMainFrameForm->FileSaveItem->isEnabled());

    QPointer<QMdiSubWindow> other = PGMainFrameForm->CreateMDIChild(QStringLiteral("other"));
    QTRY_COMPARE(PGMainFrameForm->mdiArea()->currentSubWindow(), other.data());
    QCOMPARE(exportItems(), off);
    PGMainFrameForm->mdiArea()->setActiveSubWindow(model);
    QCOMPARE(exportItems(), on);
    other->close();
    QTRY_VERIFY(other.isNull());
    PGMainFrameForm->mdiArea()->setActiveSubWindow(model);
    QCOMPARE(exportItems(), on);

    QGuiApplication::clipboard()->clear();
    copy->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), morva::tableTsv(model->results()));
    saveAs->trigger();
    QCOMPARE(m_desktop->saveDialogs.size(), 1);
    QCOMPARE(m_desktop->saveDialogs.first().fileName,
             QStringLiteral("selection-2-alleles-2026-12-08-0930.csv"));

    QVERIFY(test::cancelAndWait(model));
    QCOMPARE(exportItems(), off);
}

// State: Ctrl++ twice (150 %). Action: the program ends and starts again.
// Expected: 150 % again, the tree's text half as large again as designed;
// Ctrl+0 returns to 100 %, remembered as well.
void TestPGFrame::classroomSizeRemembered()
{
    const auto treeFont = [] {
        return QFontInfo(PGChoiceForm->findChild<QTreeWidget *>()->font()).pixelSize();
    };
    const int designed = treeFont();
    QTest::keyClick(PGMainFrameForm, Qt::Key_Plus, Qt::ControlModifier);
    QTest::keyClick(PGMainFrameForm, Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(viewScalePercent(), 150);
    test::stopShell();
    QVERIFY(test::startShell());
    QCOMPARE(viewScalePercent(), 150);
    QVERIFY(qAbs(treeFont() - 1.5 * designed) <= 1);
    QTest::keyClick(PGMainFrameForm, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(treeFont(), designed);
    test::stopShell();
    QVERIFY(test::startShell());
    QCOMPARE(viewScalePercent(), 100);
}

QTEST_MAIN(TestPGFrame)
#include "tst_PGFrame.moc"
