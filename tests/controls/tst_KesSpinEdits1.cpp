// Spin edits: buttons, keys, the repeat timer, the character filter, clamping
// on exit and the default/cancel button rules. Each case reads
// State / Action / Expected in its row or function name.

#include "arith/Errors.h"
#include "controls/KesSpinEdits1.h"
#include "tests/support/GuiFixture.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <climits>
#include <memory>

using morva::test::GuiFixture;

namespace {

// A shown, active window holding one edit of each kind and a plain button to
// take the focus away.
struct Host {
    Host()
    {
        auto *layout = new QVBoxLayout(&window);
        integer = new TKesSpinEdit(&window);
        real = new TKesRealSpinEdit(&window);
        other = new QPushButton(QStringLiteral("other"), &window);
        other->setFocusPolicy(Qt::StrongFocus);
        layout->addWidget(integer);
        layout->addWidget(real);
        layout->addWidget(other);
    }
    QWidget window;
    TKesSpinEdit *integer;
    TKesRealSpinEdit *real;
    QPushButton *other;
};

void setLimits(TKesSpinEdit *edit, int min, int max, int increment, int value)
{
    edit->setMinValue(min);
    edit->setMaxValue(max);
    edit->setIncrement(increment);
    edit->setValue(value);
}

void clickButton(TTimerSpeedButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
}

// One tick of the button's repeat timer, as the event loop would deliver it.
void tick(TTimerSpeedButton *button)
{
    QVERIFY(button->repeatTimer());
    QVERIFY(QMetaObject::invokeMethod(button->repeatTimer(), "timeout"));
}

} // namespace

class TestKesSpinEdits1 : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_fixture = std::make_unique<GuiFixture>();
        m_host = std::make_unique<Host>();
        MORVA_SHOW_ACTIVE(&m_host->window);
    }
    void cleanup()
    {
        m_host.reset();
        m_fixture.reset();
    }

    void buttonsStepAndClamp_data();
    void buttonsStepAndClamp();
    void keysSetIncrement_data();
    void keysSetIncrement();
    void readOnlyIntegerStepsButCannotBeTyped();
    void newIntegerEditTakesAny32BitValue_data();
    void newIntegerEditTakesAny32BitValue();
    void typedValueIsClampedOnlyWhenLeaving();
    void unparsableTextReadsMinValue_data();
    void unparsableTextReadsMinValue();
    void realStepsRoundToThreeDigits_data();
    void realStepsRoundToThreeDigits();
    void realWriteClampsAndFormats_data();
    void realWriteClampsAndFormats();
    void readOnlyRealBeepsOnStep();
    void heldButtonRepeatsEightTimesInOneSecond();
    void failingRepeatClickStopsTimerAndReports();
    void enterAndEscStayInTheEdit_data();
    void enterAndEscStayInTheEdit();
    void tabStillMovesTheFocus();
    void focusEntrySelectsAll_data();
    void focusEntrySelectsAll();
    void spinButtonKeyboard();
    void characterFilter_data();
    void characterFilter();
    void refusedCharacterBeepsAndIsDropped();
    void filterHoldsWithModifiers_data();
    void filterHoldsWithModifiers();
    void pasteOnlyWhenEditable_data();
    void pasteOnlyWhenEditable();
    void stepBeyond32BitsThrows_data();
    void stepBeyond32BitsThrows();
    void noneGlyphRestoresDefaultAndOneGlyph();
    void spinButtonSitsInsideTheRightEdge();

private:
    std::unique_ptr<GuiFixture> m_fixture;
    std::unique_ptr<Host> m_host;
};

void TestKesSpinEdits1::buttonsStepAndClamp_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QList<int>>("expected");

    // Limits 1..30, increment 5.
    QTest::newRow("up from 5 stops at 30") << 5 << true << QList<int>{10, 15, 20, 25, 30, 30};
    QTest::newRow("down from 5 clamps 0 to 1") << 5 << false << QList<int>{1, 1};
    QTest::newRow("up from 1 gives 6") << 1 << true << QList<int>{6};
}

void TestKesSpinEdits1::buttonsStepAndClamp()
{
    QFETCH(int, start);
    QFETCH(bool, up);
    QFETCH(QList<int>, expected);
    TKesSpinEdit *edit = m_host->integer;
    setLimits(edit, 1, 30, 5, start);
    TSpinButton *spin = edit->spinButton();

    QList<int> seen;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        clickButton(up ? spin->upButton() : spin->downButton());
        seen.append(edit->value());
    }
    QCOMPARE(seen, expected);
    QVERIFY(edit->hasFocus()); // the press gave the focus to the edit
}

void TestKesSpinEdits1::keysSetIncrement_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("expectedValue");
    QTest::addColumn<int>("expectedIncrement");

    // Limits 1..30, designed increment 5.
    QTest::newRow("plain Up steps 1") << 5 << int(Qt::Key_Up)
                                      << Qt::KeyboardModifiers(Qt::NoModifier) << 6 << 1;
    QTest::newRow("plain Home leaves increment 1")
        << 5 << int(Qt::Key_Home) << Qt::KeyboardModifiers(Qt::NoModifier) << 5 << 1;
    QTest::newRow("Ctrl+Up steps 5, keeps 5")
        << 5 << int(Qt::Key_Up) << Qt::KeyboardModifiers(Qt::ControlModifier) << 10 << 5;
    QTest::newRow("Shift+Down steps 10, keeps 10")
        << 25 << int(Qt::Key_Down) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 15 << 10;
    QTest::newRow("Shift beats Ctrl")
        << 5 << int(Qt::Key_Up)
        << Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier) << 15 << 10;
}

void TestKesSpinEdits1::keysSetIncrement()
{
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, expectedValue);
    QFETCH(int, expectedIncrement);
    TKesSpinEdit *edit = m_host->integer;
    setLimits(edit, 1, 30, 5, start);
    edit->setFocus();
    QSignalSpy keys(edit, &KesSpinEditBase::OnKeyDown);

    QTest::keyClick(edit, Qt::Key(key), modifiers);

    QCOMPARE(edit->value(), expectedValue);
    QCOMPARE(edit->increment(), expectedIncrement);
    // Modifier keys arrive first, each one a key of its own.
    QVERIFY(!keys.isEmpty());
    QCOMPARE(keys.last().at(0).toInt(), key);
}

void TestKesSpinEdits1::readOnlyIntegerStepsButCannotBeTyped()
{
    TKesSpinEdit *edit = m_host->integer;
    setLimits(edit, 1, 30, 5, 5);
    edit->setReadOnly(true);
    edit->setFocus();

    clickButton(edit->spinButton()->upButton());
    QCOMPARE(edit->value(), 10);

    QTest::keyClicks(edit, QStringLiteral("7"));
    QCOMPARE(edit->text(), QStringLiteral("10"));

    // The key press set the increment to 1.
    clickButton(edit->spinButton()->upButton());
    QCOMPARE(edit->value(), 11);
    QTest::keyClick(edit, Qt::Key_Up);
    QCOMPARE(edit->value(), 12);
    QVERIFY(edit->isReadOnly());
}

void TestKesSpinEdits1::newIntegerEditTakesAny32BitValue_data()
{
    QTest::addColumn<int>("value");
    QTest::newRow("INT_MIN") << INT_MIN;
    QTest::newRow("-1") << -1;
    QTest::newRow("123456789") << 123456789;
    QTest::newRow("INT_MAX") << INT_MAX;
}

void TestKesSpinEdits1::newIntegerEditTakesAny32BitValue()
{
    QFETCH(int, value);
    TKesSpinEdit edit;
    QCOMPARE(edit.text(), QStringLiteral("0"));
    edit.setValue(value);
    QCOMPARE(edit.value(), value);
    QCOMPARE(edit.text(), QString::number(value));
}

void TestKesSpinEdits1::typedValueIsClampedOnlyWhenLeaving()
{
    TKesSpinEdit *edit = m_host->integer;
    setLimits(edit, 1, 30, 5, 5);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("99"));
    QCOMPARE(edit->value(), 99);

    m_host->other->setFocus();
    QCOMPARE(edit->text(), QStringLiteral("30"));

    // A value inside the limits keeps its typed text.
    edit->setFocus();
    edit->setText(QStringLiteral("+7"));
    m_host->other->setFocus();
    QCOMPARE(edit->text(), QStringLiteral("+7"));
}

void TestKesSpinEdits1::unparsableTextReadsMinValue_data()
{
    QTest::addColumn<bool>("real");
    QTest::addColumn<QString>("text");

    QTest::newRow("integer: letters") << false << "abc";
    QTest::newRow("integer: fraction 7.5") << false << "7.5";
    QTest::newRow("integer: empty") << false << "";
    QTest::newRow("integer: beyond 32 bits") << false << "2147483648";
    QTest::newRow("real: letters") << true << "x1";
    QTest::newRow("real: lone separator") << true << ".";
}

void TestKesSpinEdits1::unparsableTextReadsMinValue()
{
    QFETCH(bool, real);
    QFETCH(QString, text);
    if (real) {
        m_host->real->setMinValue(0.25L);
        m_host->real->setText(text);
        QCOMPARE(double(m_host->real->value()), 0.25);
    } else {
        setLimits(m_host->integer, 3, 30, 1, 10);
        m_host->integer->setText(text);
        QCOMPARE(m_host->integer->value(), 3);
    }
}

void TestKesSpinEdits1::realStepsRoundToThreeDigits_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("max");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("expected");

    QTest::newRow("1.000 Up stays (1.001 rounds back)")
        << 1.0 << 2.0 << Qt::KeyboardModifiers(Qt::NoModifier) << int(Qt::Key_Up) << "1.000";
    QTest::newRow("1.000 Ctrl+Up gives 1.010")
        << 1.0 << 2.0 << Qt::KeyboardModifiers(Qt::ControlModifier) << int(Qt::Key_Up)
        << "1.010";
    QTest::newRow("10.000 Ctrl+Up stays (10.01 rounds to 10.0)")
        << 10.0 << 20.0 << Qt::KeyboardModifiers(Qt::ControlModifier) << int(Qt::Key_Up)
        << "10.000";
    QTest::newRow("0.500 Shift+Down gives 0.400")
        << 0.5 << 1.0 << Qt::KeyboardModifiers(Qt::ShiftModifier) << int(Qt::Key_Down)
        << "0.400";
    QTest::newRow("0.500 Down gives 0.499")
        << 0.5 << 1.0 << Qt::KeyboardModifiers(Qt::NoModifier) << int(Qt::Key_Down) << "0.499";
}

void TestKesSpinEdits1::realStepsRoundToThreeDigits()
{
    QFETCH(double, start);
    QFETCH(double, max);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, key);
    QFETCH(QString, expected);
    TKesRealSpinEdit *edit = m_host->real;
    edit->setMaxValue(max);
    edit->setValue(start);
    edit->setFocus();

    QTest::keyClick(edit, Qt::Key(key), modifiers);
    QCOMPARE(edit->text(), expected);
}

void TestKesSpinEdits1::realWriteClampsAndFormats_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    // Limits 0..1.
    QTest::newRow("1.2 clamps to 1.000") << 1.2 << "1.000";
    QTest::newRow("-0.3 clamps to 0.000") << -0.3 << "0.000";
    QTest::newRow("0.0456 to three decimals") << 0.0456 << "0.046";
    QTest::newRow("0.6 padded") << 0.6 << "0.600";
}

void TestKesSpinEdits1::realWriteClampsAndFormats()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    TKesRealSpinEdit *edit = m_host->real;
    QSignalSpy changes(edit, &KesSpinEditBase::OnChange);
    edit->setValue(value);
    QCOMPARE(edit->text(), expected);
    QCOMPARE(changes.count(), 1);
}

void TestKesSpinEdits1::readOnlyRealBeepsOnStep()
{
    TKesRealSpinEdit *edit = m_host->real;
    edit->setReadOnly(true);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Up);
    clickButton(edit->spinButton()->downButton());
    QCOMPARE(edit->text(), QStringLiteral("0.500"));
    QCOMPARE(m_fixture->desktop.beeps, 2);
}

// Held for one second: ticks at 400, 500, ..., 1000 ms, then the release.
void TestKesSpinEdits1::heldButtonRepeatsEightTimesInOneSecond()
{
    TKesSpinEdit *edit = m_host->integer;
    TTimerSpeedButton *up = edit->spinButton()->upButton();
    QSignalSpy clicks(edit->spinButton(), &TSpinButton::OnUpClick);

    QTest::mousePress(up, Qt::LeftButton, Qt::NoModifier, up->rect().center());
    QVERIFY(up->repeatTimer());
    QVERIFY(up->repeatTimer()->isActive());
    QCOMPARE(up->repeatTimer()->interval(), 400);
    QCOMPARE(clicks.count(), 0);

    for (int i = 0; i < 7; ++i)
        tick(up);
    QCOMPARE(up->repeatTimer()->interval(), 100);
    QCOMPARE(clicks.count(), 7);

    QTest::mouseRelease(up, Qt::LeftButton, Qt::NoModifier, up->rect().center());
    QCOMPARE(clicks.count(), 8);
    QCOMPARE(edit->value(), 8);
    QVERIFY(!up->repeatTimer()->isActive());

    // A tick after the release does not click.
    tick(up);
    QCOMPARE(clicks.count(), 8);
}

void TestKesSpinEdits1::failingRepeatClickStopsTimerAndReports()
{
    TKesSpinEdit *edit = m_host->integer;
    edit->setValue(INT_MAX - 1);
    TTimerSpeedButton *up = edit->spinButton()->upButton();

    QTest::mousePress(up, Qt::LeftButton, Qt::NoModifier, up->rect().center());
    tick(up);
    QCOMPARE(edit->value(), INT_MAX);
    MORVA_VERIFY_NO_MESSAGE(m_fixture->desktop);

    tick(up);
    MORVA_TAKE_MESSAGE(m_fixture->desktop, QStringLiteral("Integer overflow."));
    QVERIFY(!up->repeatTimer()->isActive());
    QVERIFY(!up->isDown());
    QCOMPARE(edit->value(), INT_MAX);

    // The release over the lifted button clicks no more.
    QTest::mouseRelease(up, Qt::LeftButton, Qt::NoModifier, up->rect().center());
    MORVA_VERIFY_NO_MESSAGE(m_fixture->desktop);
}

void TestKesSpinEdits1::enterAndEscStayInTheEdit_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expectedBeeps");

    QTest::newRow("Return: seen, carriage return refused") << int(Qt::Key_Return) << 1;
    QTest::newRow("keypad Enter: seen, refused") << int(Qt::Key_Enter) << 1;
    QTest::newRow("Esc: seen, no beep") << int(Qt::Key_Escape) << 0;
}

// A dialog whose default button would take Enter and whose Esc would reject.
void TestKesSpinEdits1::enterAndEscStayInTheEdit()
{
    QFETCH(int, key);
    QFETCH(int, expectedBeeps);
    QDialog dialog;
    auto *layout = new QVBoxLayout(&dialog);
    auto *edit = new TKesSpinEdit(&dialog);
    auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setDefault(true);
    layout->addWidget(edit);
    layout->addWidget(ok);
    MORVA_SHOW_ACTIVE(&dialog);
    edit->setFocus();
    QSignalSpy keys(edit, &KesSpinEditBase::OnKeyDown);
    QSignalSpy clicked(ok, &QPushButton::clicked);
    QSignalSpy rejected(&dialog, &QDialog::rejected);

    QTest::keyClick(edit, Qt::Key(key));

    QCOMPARE(keys.count(), 1);
    QCOMPARE(keys.at(0).at(0).toInt(), key);
    QCOMPARE(m_fixture->desktop.beeps, expectedBeeps);
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(rejected.count(), 0);
    QVERIFY(dialog.isVisible());
    QCOMPARE(edit->text(), QStringLiteral("0"));
}

void TestKesSpinEdits1::tabStillMovesTheFocus()
{
    m_host->integer->setFocus();
    QTest::keyClick(m_host->integer, Qt::Key_Tab);
    QVERIFY(m_host->real->hasFocus());
    // Entering by Tab selects all text.
    QCOMPARE(m_host->real->selectedText(), QStringLiteral("0.500"));
}

void TestKesSpinEdits1::focusEntrySelectsAll_data()
{
    QTest::addColumn<bool>("autoSelect");
    QTest::addColumn<bool>("byMouse");
    QTest::addColumn<bool>("allSelected");

    QTest::newRow("Tab, AutoSelect: all selected") << true << false << true;
    QTest::newRow("left mouse press: caret only") << true << true << false;
    QTest::newRow("Tab, no AutoSelect: nothing selected") << false << false << false;
}

void TestKesSpinEdits1::focusEntrySelectsAll()
{
    QFETCH(bool, autoSelect);
    QFETCH(bool, byMouse);
    QFETCH(bool, allSelected);
    TKesSpinEdit *edit = m_host->integer;
    edit->setValue(1234);
    edit->setAutoSelect(autoSelect);
    m_host->other->setFocus();
    if (byMouse)
        QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(5, edit->height() / 2));
    else
        edit->setFocus(Qt::TabFocusReason);
    QVERIFY(edit->hasFocus());
    QCOMPARE(edit->selectedText() == edit->text(), allSelected);
}

// With the keyboard focus (as a tab stop) the spin button takes the arrows
// and Space itself and shows the focus rectangle on its focused button.
void TestKesSpinEdits1::spinButtonKeyboard()
{
    TKesSpinEdit *edit = m_host->integer;
    TSpinButton *spin = edit->spinButton();
    spin->setFocusPolicy(Qt::TabFocus);
    QSignalSpy ups(spin, &TSpinButton::OnUpClick);
    QSignalSpy downs(spin, &TSpinButton::OnDownClick);
    spin->setFocus();
    QVERIFY(spin->hasFocus());
    QVERIFY(spin->upButton()->repeatFlags() & TTimerSpeedButton::ShowFocusRect);

    QTest::keyClick(spin, Qt::Key_Down);
    QCOMPARE(spin->focusedButton(), spin->downButton());
    QVERIFY(spin->downButton()->repeatFlags() & TTimerSpeedButton::ShowFocusRect);
    QVERIFY(!(spin->upButton()->repeatFlags() & TTimerSpeedButton::ShowFocusRect));
    QTest::keyClick(spin, Qt::Key_Space);
    QTest::keyClick(spin, Qt::Key_Up);
    QCOMPARE(downs.count(), 2);
    QCOMPARE(ups.count(), 1);
    QCOMPARE(edit->value(), -1);

    m_host->other->setFocus();
    QVERIFY(!(spin->upButton()->repeatFlags() & TTimerSpeedButton::ShowFocusRect));
}

void TestKesSpinEdits1::characterFilter_data()
{
    QTest::addColumn<bool>("editorEnabled");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("accepted");
    QTest::addColumn<QString>("refused");

    QTest::newRow("editable, point") << true << QChar(u'.') << QStringLiteral("+-0189.\b\x01\x1b")
                                     << QStringLiteral("\r ,aE");
    QTest::newRow("editable, comma") << true << QChar(u',') << QStringLiteral(",5")
                                     << QStringLiteral(".");
    QTest::newRow("editor disabled") << false << QChar(u'.') << QStringLiteral("\x01\x1b\t")
                                     << QStringLiteral("\r\b5+.");
}

void TestKesSpinEdits1::characterFilter()
{
    QFETCH(bool, editorEnabled);
    QFETCH(QChar, separator);
    QFETCH(QString, accepted);
    QFETCH(QString, refused);
    morva::text::setDecimalSeparatorOverride(separator);
    TKesSpinEdit *edit = m_host->integer;
    edit->setEditorEnabled(editorEnabled);
    for (const QChar c : accepted)
        QVERIFY2(edit->IsAcceptedChar(c), qPrintable(QString::number(c.unicode())));
    for (const QChar c : refused)
        QVERIFY2(!edit->IsAcceptedChar(c), qPrintable(QString::number(c.unicode())));
}

void TestKesSpinEdits1::refusedCharacterBeepsAndIsDropped()
{
    TKesSpinEdit *edit = m_host->integer;
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("1a2"));
    QCOMPARE(edit->text(), QStringLiteral("12"));
    QCOMPARE(m_fixture->desktop.beeps, 1);

    edit->setEditorEnabled(false);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_3);
    QCOMPARE(edit->text(), QStringLiteral("12"));
    QCOMPARE(m_fixture->desktop.beeps, 3);
}

void TestKesSpinEdits1::filterHoldsWithModifiers_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("beeps");

    const auto row = [](const char *name, int key, Qt::KeyboardModifiers modifiers,
                        const char *text, const char *selected, int beeps) {
        QTest::newRow(name) << key << modifiers << QString::fromLatin1(text)
                            << QString::fromLatin1(selected) << beeps;
    };
    row("Alt+Q: refused", Qt::Key_Q, Qt::AltModifier, "0.600", "", 1);
    row("Alt+Shift+E: refused", Qt::Key_E, Qt::AltModifier | Qt::ShiftModifier, "0.600", "", 1);
    row("Ctrl+Alt+Q (AltGr): refused", Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier, "0.600",
        "", 1);
    row("Meta+Q: refused", Qt::Key_Q, Qt::MetaModifier, "0.600", "", 1);
    row("Alt+5: typed", Qt::Key_5, Qt::AltModifier, "0.6005", "", 0);
    row("Ctrl+A: selects all", Qt::Key_A, Qt::ControlModifier, "0.600", "0.600", 0);
    row("Ctrl+Q: a command, nothing typed", Qt::Key_Q, Qt::ControlModifier, "0.600", "", 0);
}

// State: "0.600" in a real field, the caret at its end. Action: the key with
// the modifiers held. Expected: a refused character is refused with a beep
// whatever modifiers are held; accepted ones are typed; Ctrl commands work.
void TestKesSpinEdits1::filterHoldsWithModifiers()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, text);
    QFETCH(QString, selected);
    QFETCH(int, beeps);
    TKesRealSpinEdit *edit = m_host->real;
    edit->setValue(0.6L);
    edit->setFocus();
    edit->end(false);

    QTest::keyClick(edit, Qt::Key(key), modifiers);

    QCOMPARE(edit->text(), text);
    QCOMPARE(edit->selectedText(), selected);
    QCOMPARE(m_fixture->desktop.beeps, beeps);
}

void TestKesSpinEdits1::pasteOnlyWhenEditable_data()
{
    QTest::addColumn<bool>("editorEnabled");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("expected");

    QTest::newRow("editable: pasted") << true << false << "12";
    QTest::newRow("editor disabled: refused") << false << false << "0";
    QTest::newRow("read-only: refused") << true << true << "0";
}

void TestKesSpinEdits1::pasteOnlyWhenEditable()
{
    QFETCH(bool, editorEnabled);
    QFETCH(bool, readOnly);
    QFETCH(QString, expected);
    QApplication::clipboard()->setText(QStringLiteral("12"));
    TKesSpinEdit *edit = m_host->integer;
    edit->setEditorEnabled(editorEnabled);
    edit->setReadOnly(readOnly);
    edit->setFocus();
    edit->selectAll();

    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), expected);
    QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(edit->text(), expected == u"0" ? QStringLiteral("0") : QStringLiteral("1212"));

    // The context menu offers paste only when it would be carried out.
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5),
                                edit->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(edit, &menuEvent);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QAction *paste = nullptr;
    for (QAction *action : menu->actions())
        if (action->text().startsWith(QStringLiteral("&Paste")))
            paste = action;
    QCOMPARE(paste != nullptr && paste->isEnabled(), editorEnabled && !readOnly);
    QCOMPARE(edit->isReadOnly(), readOnly);
    menu->close();
}

void TestKesSpinEdits1::stepBeyond32BitsThrows_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("up");
    QTest::newRow("StepUp at INT_MAX") << INT_MAX << true;
    QTest::newRow("StepDown at INT_MIN") << INT_MIN << false;
}

void TestKesSpinEdits1::stepBeyond32BitsThrows()
{
    QFETCH(int, start);
    QFETCH(bool, up);
    TKesSpinEdit *edit = m_host->integer;
    edit->setValue(start);
    if (up)
        QVERIFY_THROWS_EXCEPTION(morva::EIntOverflow, edit->StepUp());
    else
        QVERIFY_THROWS_EXCEPTION(morva::EIntOverflow, edit->StepDown());
    QCOMPARE(edit->value(), start);

    // Through the button or the keyboard the error is reported, never thrown.
    clickButton(up ? edit->spinButton()->upButton() : edit->spinButton()->downButton());
    MORVA_TAKE_MESSAGE(m_fixture->desktop, QStringLiteral("Integer overflow."));
    QTest::keyClick(edit, up ? Qt::Key_Up : Qt::Key_Down);
    MORVA_TAKE_MESSAGE(m_fixture->desktop, QStringLiteral("Integer overflow."));
    QCOMPARE(edit->value(), start);
}

void TestKesSpinEdits1::noneGlyphRestoresDefaultAndOneGlyph()
{
    TSpinButton spin;
    QPixmap custom(18, 6);
    custom.fill(Qt::red);
    spin.setDownGlyph(custom);
    spin.setDownNumGlyphs(2);
    QCOMPARE(spin.downNumGlyphs(), 2);

    spin.setDownGlyph(QPixmap());
    QCOMPARE(spin.downNumGlyphs(), 1);
    QCOMPARE(spin.downGlyph().toImage(), TSpinButton::defaultGlyph(false).toImage());

    // The default glyphs: rows of 1, 3, 5, 7 black pixels, centred.
    const QImage up = TSpinButton::defaultGlyph(true).toImage();
    QCOMPARE(up.size(), QSize(9, 6));
    const QList<int> widths{0, 1, 3, 5, 7, 0};
    for (int y = 0; y < 6; ++y) {
        int black = 0;
        for (int x = 0; x < 9; ++x)
            black += qAlpha(up.pixel(x, y)) == 255 ? 1 : 0;
        QCOMPARE(black, widths.at(y));
    }
}

void TestKesSpinEdits1::spinButtonSitsInsideTheRightEdge()
{
    TKesSpinEdit *edit = m_host->integer;
    edit->setFixedSize(80, 30);
    const TSpinButton *spin = edit->spinButton();
    QCOMPARE(spin->geometry(), QRect(80 - 15 - 3, 2, 15, 25));
    // The halves overlap by one pixel.
    QCOMPARE(spin->upButton()->geometry(), QRect(0, 0, 15, 12));
    QCOMPARE(spin->downButton()->geometry(), QRect(0, 11, 15, 14));
    QVERIFY(edit->textMargins().right() >= 15);
}

QTEST_MAIN(TestKesSpinEdits1)
#include "tst_KesSpinEdits1.moc"
