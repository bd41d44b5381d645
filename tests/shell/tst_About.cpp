// The about box: layout and texts, the photo panel, the dedication, the home
// page button, and Delay. State / Action / Expected in each test's name or
// comment.

#include "ShellSession.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <memory>

using namespace morva;
using namespace morva::shell;

namespace {

const QString kPlain = QStringLiteral(" About  MORVA");
const QString kFirst = QStringLiteral(" About  MORVA - Dunmarrow group photo ");
const QString kSecond = QStringLiteral(" About  MORVA - Dunmarrow group photo, part II ");

void press(QWidget *widget, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = {})
{
    QTest::mouseClick(widget, button, modifiers, QPoint(5, 5));
}

// Which of the box's panes shows: "main", "first", "second".
QString showing()
{
    if (AboutBox->MainPanel->isVisible() && !AboutBox->PhotoPanel->isVisible())
        return QStringLiteral("main");
    if (AboutBox->PhotoPanel->isVisible() && !AboutBox->MainPanel->isVisible()) {
        if (AboutBox->FirstPhotoImage->isVisible() && !AboutBox->SecondPhotoImage->isVisible())
            return QStringLiteral("first");
        if (AboutBox->SecondPhotoImage->isVisible() && !AboutBox->FirstPhotoImage->isVisible())
            return QStringLiteral("second");
    }
    return QStringLiteral("mixed");
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layoutAndTexts_data();
    void layoutAndTexts();
    void helpAboutShowsBoxModally();
    void photoNeedsShiftCtrlRightClick_data();
    void photoNeedsShiftCtrlRightClick();
    void photosToggle_data();
    void photosToggle();
    void closingOnPhotoReopensOnMainPanel();
    void escActsAsOk_data();
    void escActsAsOk();
    void dedication();
    void leftClickOnDescriptionDoesNothing();
    void homePageButtonOpensAddress();
    void delayDispatchesEventsUntilTarget();

private:
    void showBox();
    std::unique_ptr<test::FakeDesktop> m_desktop;
};

void TestAbout::init()
{
    m_desktop = std::make_unique<test::FakeDesktop>();
    QVERIFY(test::startShell());
}

void TestAbout::cleanup()
{
    test::stopShell();
    const QStringList unexpected = m_desktop->messageTexts();
    m_desktop.reset();
    QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(QLatin1String(" | "))));
}

void TestAbout::showBox()
{
    AboutBox->show();
    AboutBox->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), AboutBox.data());
}

void TestAbout::layoutAndTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("layout");
    QTest::addColumn<QString>("text");
    QTest::newRow("OK") << "OkBitBtn" << QRect(131, 200, 70, 26) << "&OK";
    QTest::newRow("paint box") << "PaintBox1" << QRect(1, 25, 322, 140) << "";
    QTest::newRow("main panel") << "MainPanel" << QRect(8, 8, 310, 180) << "";
    QTest::newRow("picture") << "ProgramIcon" << QRect(18, 13, 95, 77) << "";
    QTest::newRow("name") << "ProductNameLabel" << QRect(130, 15, 160, 20) << "MORVA";
    QTest::newRow("version") << "VersionLabel" << QRect(128, 45, 170, 13)
                             << "Version pre-alpha 99.03.0 (Bugs95)";
    QTest::newRow("copyright") << "CopyrightLabel" << QRect(130, 65, 160, 13)
                               << "(C) 1999 The MORVA authors";
    QTest::newRow("comments") << "CommentsLabel" << QRect(25, 150, 250, 15) << "Comments welcome!";
    QTest::newRow("description") << "ProductDesriptionLabel" << QRect(2, 100, 305, 15)
                                 << "Population Genetics Simulator";
    QTest::newRow("photo panel") << "PhotoPanel" << QRect(104, 35, 117, 127) << "";
    QTest::newRow("first photo") << "FirstPhotoImage" << QRect(3, 3, 110, 120) << "";
    QTest::newRow("second photo") << "SecondPhotoImage" << QRect(3, 3, 110, 120) << "";
    QTest::newRow("home page") << "UrlBtn" << QRect(65, 125, 180, 20) << "https://morva.example.org/";
}

// State: the box shown. Expected: each member where it belongs, with its
// text; the paint box as wide as the box once it is active.
void TestAbout::layoutAndTexts()
{
    QFETCH(QString, name);
    QFETCH(QRect, layout);
    QFETCH(QString, text);
    showBox();
    QCOMPARE(AboutBox->size(), QSize(322, 238));
    QCOMPARE(AboutBox->windowTitle(), kPlain);
    auto *widget = AboutBox->findChild<QWidget *>(name);
    QVERIFY(widget);
    auto *label = qobject_cast<QLabel *>(widget);
    if (label && label->pixmap().isNull()) {
        // A text label may grow sideways beyond its designed box, within
        // its panel, to show all its text in the system's face.
        QCOMPARE(label->text(), text);
        QVERIFY(label->geometry().contains(layout));
        QCOMPARE(label->y(), layout.y());
        QCOMPARE(label->height(), layout.height());
        QVERIFY(label->parentWidget()->contentsRect().contains(label->geometry()));
        QVERIFY(!label->geometry().intersects(AboutBox->ProgramIcon->geometry()));
        QVERIFY(label->fontMetrics().horizontalAdvance(text) <= label->width());
    } else {
        QCOMPARE(widget->geometry(), layout);
    }
    if (auto *button = qobject_cast<QPushButton *>(widget))
        QCOMPARE(button->text(), text);
    QCOMPARE(showing(), QStringLiteral("main"));
    QVERIFY(AboutBox->OkBitBtn->hasFocus());
    QVERIFY(AboutBox->OkBitBtn->isDefault());
}

// Action: Help, About. Expected: the box runs modally with the plain caption;
// OK closes it.
void TestAbout::helpAboutShowsBoxModally()
{
    bool wasModal = false;
    QString caption;
    QTimer::singleShot(0, AboutBox, [&] {
        QTRY_VERIFY(AboutBox->isVisible());
        wasModal = QApplication::activeModalWidget() == AboutBox;
        caption = AboutBox->windowTitle();
        QTest::mouseClick(AboutBox->OkBitBtn, Qt::LeftButton);
    });
    PGMainFrameForm->HelpAboutItem->trigger();
    QVERIFY(wasModal);
    QCOMPARE(caption, kPlain);
    QVERIFY(AboutBox->isHidden());
    QCOMPARE(AboutBox->result(), int(QDialog::Accepted));
}

void TestAbout::photoNeedsShiftCtrlRightClick_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("opens");
    const int shiftCtrl = int(Qt::ShiftModifier) | int(Qt::ControlModifier);
    QTest::newRow("right + Shift + Ctrl") << int(Qt::RightButton) << shiftCtrl << true;
    QTest::newRow("right + Shift + Ctrl + Alt")
        << int(Qt::RightButton) << (shiftCtrl | int(Qt::AltModifier)) << true;
    QTest::newRow("right + Shift") << int(Qt::RightButton) << int(Qt::ShiftModifier) << false;
    QTest::newRow("right + Ctrl") << int(Qt::RightButton) << int(Qt::ControlModifier) << false;
    QTest::newRow("right alone") << int(Qt::RightButton) << 0 << false;
    QTest::newRow("left + Shift + Ctrl") << int(Qt::LeftButton) << shiftCtrl << false;
}

// Action: a click on the program picture. Expected: only the right button
// with both Shift and Ctrl shows the first photo.
void TestAbout::photoNeedsShiftCtrlRightClick()
{
    QFETCH(int, button);
    QFETCH(int, modifiers);
    QFETCH(bool, opens);
    showBox();
    press(AboutBox->ProgramIcon, Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(showing(), opens ? QStringLiteral("first") : QStringLiteral("main"));
    QCOMPARE(AboutBox->windowTitle(), opens ? kFirst : kPlain);
}

void TestAbout::photosToggle_data()
{
    QTest::addColumn<QStringList>("clicks");     // "R"/"L" on the photo showing
    QTest::addColumn<QString>("expectedPane");
    QTest::addColumn<QString>("expectedCaption");
    QTest::newRow("right") << QStringList{"R"} << "second" << kSecond;
    QTest::newRow("right, right") << QStringList{"R", "R"} << "first" << kFirst;
    QTest::newRow("right x3") << QStringList{"R", "R", "R"} << "second" << kSecond;
    QTest::newRow("left on first") << QStringList{"L"} << "main" << kPlain;
    QTest::newRow("left on second") << QStringList{"R", "L"} << "main" << kPlain;
}

// State: the first photo showing. Action: clicks on whichever photo shows.
// Expected: right clicks swap the photos and their captions; a left click
// returns to the main panel.
void TestAbout::photosToggle()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, expectedPane);
    QFETCH(QString, expectedCaption);
    showBox();
    press(AboutBox->ProgramIcon, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier);
    for (const QString &click : clicks) {
        QLabel *photo = AboutBox->FirstPhotoImage->isVisible() ? AboutBox->FirstPhotoImage
                                                               : AboutBox->SecondPhotoImage;
        press(photo, click == QLatin1String("R") ? Qt::RightButton : Qt::LeftButton);
    }
    QCOMPARE(showing(), expectedPane);
    QCOMPARE(AboutBox->windowTitle(), expectedCaption);

    // Whichever way the photo panel was left, it opens on the first photo.
    press(AboutBox->ProgramIcon, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier);
    if (expectedPane == QLatin1String("main"))
        QCOMPARE(showing(), QStringLiteral("first"));
}

// State: a photo showing. Action: close the box (Esc), open it again.
// Expected: the main panel and the plain caption.
void TestAbout::closingOnPhotoReopensOnMainPanel()
{
    showBox();
    press(AboutBox->ProgramIcon, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier);
    press(AboutBox->FirstPhotoImage, Qt::RightButton);
    QCOMPARE(showing(), QStringLiteral("second"));
    QTest::keyClick(AboutBox, Qt::Key_Escape);
    QTRY_VERIFY(AboutBox->isHidden());
    showBox();
    QCOMPARE(showing(), QStringLiteral("main"));
    QCOMPARE(AboutBox->windowTitle(), kPlain);
}

void TestAbout::escActsAsOk_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("closes");
    QTest::newRow("OK focused") << "OK" << true;
    QTest::newRow("home page button focused") << "home page" << true;
    QTest::newRow("dedication running, OK disabled") << "dedication" << false;
}

// State: the box shown as the row says. Action: Esc, sent where the user's
// key goes (the focus). Expected: the box closes with OK's result, or, while
// OK is disabled, stays open.
void TestAbout::escActsAsOk()
{
    QFETCH(QString, state);
    QFETCH(bool, closes);
    showBox();
    AboutBox->setResult(-1);
    bool shownAfterEsc = true;
    const auto pressEsc = [&] {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : AboutBox.data(), Qt::Key_Escape);
        shownAfterEsc = AboutBox->isVisible();
    };
    if (state == QLatin1String("dedication")) {
        QTimer::singleShot(0, AboutBox, pressEsc);
        press(AboutBox->ProductDesriptionLabel, Qt::RightButton);
    } else {
        if (state == QLatin1String("home page"))
            AboutBox->UrlBtn->setFocus();
        pressEsc();
    }
    QCOMPARE(shownAfterEsc, !closes);
    if (closes)
        QCOMPARE(AboutBox->result(), int(QDialog::Accepted));
}

// Action: right click on the product description. Expected: while it runs,
// the dedication caption, OK disabled, main panel hidden, and other events
// (the frame's timer) still dispatched; it lasts at least 6h + 121 ms; then
// everything is as before.
void TestAbout::dedication()
{
    showBox();
    PGMainFrameForm->Timer1->setInterval(5);
    QSignalSpy ticks(PGMainFrameForm->Timer1, &QTimer::timeout);
    QString captionDuring;
    bool okEnabledDuring = true;
    bool mainVisibleDuring = true;
    QTimer::singleShot(0, AboutBox, [&] {
        captionDuring = AboutBox->windowTitle();
        okEnabledDuring = AboutBox->OkBitBtn->isEnabled();
        mainVisibleDuring = AboutBox->MainPanel->isVisible();
    });

    const int h = QFontMetrics(AboutBox->PaintBox1->font()).height();
    QElapsedTimer clock;
    clock.start();
    press(AboutBox->ProductDesriptionLabel, Qt::RightButton);
    const qint64 lasted = clock.elapsed();

    QCOMPARE(captionDuring, QStringLiteral("MORVA dedication"));
    QVERIFY(!okEnabledDuring);
    QVERIFY(!mainVisibleDuring);
    QVERIFY(ticks.count() > 0);
    QVERIFY2(lasted >= 6 * h + 121, qPrintable(QString::number(lasted)));
    QVERIFY(!AboutBox->dedicationRunning());
    QVERIFY(AboutBox->OkBitBtn->isEnabled());
    QCOMPARE(showing(), QStringLiteral("main"));
    QCOMPARE(AboutBox->windowTitle(), kPlain);
}

// Action: left click on the product description. Expected: nothing happens.
void TestAbout::leftClickOnDescriptionDoesNothing()
{
    showBox();
    press(AboutBox->ProductDesriptionLabel, Qt::LeftButton);
    QVERIFY(!AboutBox->dedicationRunning());
    QCOMPARE(showing(), QStringLiteral("main"));
    QCOMPARE(AboutBox->windowTitle(), kPlain);
}

// Action: the home page button. Expected: the desktop's open action on the
// home page address, once.
void TestAbout::homePageButtonOpensAddress()
{
    showBox();
    QTest::mouseClick(AboutBox->UrlBtn, Qt::LeftButton);
    QCOMPARE(m_desktop->openedUrls, QStringList{QStringLiteral("https://morva.example.org/")});
    QVERIFY(AboutBox->isVisible());
}

// Action: Delay(0, 30) with an event posted. Expected: it returns no sooner
// than 30 ms later and has dispatched the event.
void TestAbout::delayDispatchesEventsUntilTarget()
{
    bool dispatched = false;
    QTimer::singleShot(0, AboutBox, [&] { dispatched = true; });
    QElapsedTimer clock;
    clock.start();
    Delay(0, 30);
    QVERIFY(clock.elapsed() >= 30);
    QVERIFY(dispatched);
}

QTEST_MAIN(TestAbout)
#include "tst_About.moc"
