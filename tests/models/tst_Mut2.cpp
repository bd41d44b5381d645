// The mutation window driven as a user drives it: fields typed and stepped,
// Run and Cancel, keys, the grid and charts it fills, the readout and the
// column hints. Each test names State / Action / Expected.

#include "arith/PgMathMu.h"
#include "controls/Aligrid.h"
#include "controls/Chart.h"
#include "controls/KesSpinEdits1.h"
#include "models/windows/Mut2.h"
#include "platform/Hint.h"
#include "tests/support/ChartProbe.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/ModelHarness.h"

#include <QGroupBox>
#include <QMainWindow>
#include <QMdiArea>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <memory>

using morva::chart::Chart;
using morva::chart::Series;

namespace {

// The frame stand-in, with the mutation window's own settings.
struct Harness : morva::test::ModelHarness<TMut2Form> {
    void setGenerations(int mantissa, int exponent) const
    {
        form->NgKesSpinEdit->setValue(mantissa);
        form->NgPowerSpinEdit->setValue(exponent);
    }
    void setRates(double m12, int e12, double m21, int e21) const
    {
        form->MutRate12RealSpinEdit->setValue(m12);
        form->MutRate12PowerSpinEdit->setValue(e12);
        form->MutRate21RealSpinEdit->setValue(m21);
        form->MutRate21PowerSpinEdit->setValue(e21);
    }
};

QString generationsMessage()
{
    return QStringLiteral("Number of generations cannot be greater than 2147483647");
}

} // namespace

class TestMut2 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void createdWindowShowsInputsOnly();
    void defaultRun();
    void generations_data();
    void generations();
    void refusedGenerations_data();
    void refusedGenerations();
    void typedExponentRunsAsShownOnLeaving_data();
    void typedExponentRunsAsShownOnLeaving();
    void frequencyCheck_data();
    void frequencyCheck();
    void doubleClickRule_data();
    void doubleClickRule();
    void rates_data();
    void rates();
    void mantissaSteps_data();
    void mantissaSteps();
    void readoutText_data();
    void readoutText();
    void readoutFollowsPointer();
    void equilibriumMarkAndLevels_data();
    void equilibriumMarkAndLevels();
    void equilibriumInWords();
    void gridColumnHints_data();
    void gridColumnHints();
    void clickIntoGridRefillsFromState();
    void keys_data();
    void keys();
    void cancelHandsBack();

private:
    std::unique_ptr<Harness> h;
};

void TestMut2::init()
{
    h = std::make_unique<Harness>();
    MORVA_SHOW_ACTIVE(&h->main);
}

void TestMut2::cleanup()
{
    // The harness goes first, so that a failure here never leaves its fake
    // desktop behind for the next test.
    const QStringList left = h ? h->fixture.desktop.messageTexts() : QStringList();
    h.reset();
    QVERIFY2(left.isEmpty(),
             qPrintable(QStringLiteral("unexpected message box(es): ") + left.join(" | ")));
}

// State: just created. Expected: the designed inputs shown with their
// defaults, the outputs hidden, the grid header prepared in its colours.
void TestMut2::createdWindowShowsInputsOnly()
{
    TMut2Form *f = h->form;
    QCOMPARE(Mut2Form.data(), f);
    QCOMPARE(f->windowTitle(), QStringLiteral(" MORVA - Mutation, 2 alleles"));
    for (QWidget *w : {static_cast<QWidget *>(f->FreqGroupBox),
                       static_cast<QWidget *>(f->MutRatesGroupBox),
                       static_cast<QWidget *>(f->NgGroupBox), static_cast<QWidget *>(f->RunBtn),
                       static_cast<QWidget *>(f->CancelBtn)})
        QVERIFY2(w->isVisible(), qPrintable(w->objectName()));
    QVERIFY(!f->MutOutGraphPageControl->isVisible());
    QVERIFY(!h->grid()->isVisible());
    QCOMPARE(f->MutOutGraphPageControl->currentWidget(), f->TabSheet1);
    QCOMPARE(f->MutOutGraphPageControl->tabText(1), QStringLiteral("delta-p[2] vs p[2]"));

    const QStringList texts{f->Freq1RealSpinEdit->text(),      f->Freq2RealSpinEdit->text(),
                            f->MutRate12RealSpinEdit->text(),  f->MutRate12PowerSpinEdit->text(),
                            f->MutRate21RealSpinEdit->text(),  f->MutRate21PowerSpinEdit->text(),
                            f->NgKesSpinEdit->text(),          f->NgPowerSpinEdit->text()};
    QCOMPARE(texts, (QStringList{"0.600", "0.400", "1.000", "-6", "5.000", "-7", "5", "6"}));
    QVERIFY(f->NgKesSpinEdit->isReadOnly());

    TStringAlignGrid *g = h->grid();
    QCOMPARE((QStringList{h->cell(0, 0), h->cell(1, 0), h->cell(2, 0)}),
             (QStringList{" time", " p[1]", " p[2]"}));
    QCOMPARE(g->effectiveAlignment(0, 0), alCenter);
    QCOMPARE(g->effectiveAlignment(0, 1), alRight);
    QCOMPARE(g->effectiveAlignment(1, 1), alCenter);
    QCOMPARE(g->effectiveFontColor(1, 0), QColor(Qt::black));
    QCOMPARE(g->effectiveFontColor(2, 0), QColor(Qt::black));
    QCOMPARE(g->effectiveFontColor(1, 3), QColor(0, 128, 0));
    QCOMPARE(g->effectiveFontColor(2, 1), QColor(255, 0, 0));
    QCOMPARE(g->effectiveFontColor(2, 3), QColor(255, 0, 0));
}

// State: the defaults (u = 1.0E-06, v = 5.0E-07, 5 x 10^6 generations).
// Action: Run. Expected: 51 entries 100,000 generations apart, p[2] rising
// from 0.4 towards 2/3; the expected line from u down to -v crossing zero at
// 2/3; the first point at generation 0.
void TestMut2::defaultRun()
{
    h->clickRun();
    TMut2Form *f = h->form;
    QVERIFY(f->MutOutGraphPageControl->isVisible());
    QVERIFY(h->grid()->isVisible());
    QCOMPARE(h->grid()->width(), 204);
    QCOMPARE(h->grid()->rowCount(), 52);
    const QStringList times = h->column(0);
    for (int j = 0; j <= 50; ++j)
        QCOMPARE(times.at(j), QStringLiteral(" %1").arg(j * 100000));
    const QStringList p2 = h->column(2);
    QCOMPARE((QStringList{p2.at(0), p2.at(1), p2.at(2), p2.at(25), p2.at(50)}),
             (QStringList{"0.40000", "0.43714", "0.46912", "0.66040", "0.66652"}));
    QCOMPARE((QStringList{h->cell(1, 1), h->cell(1, 2), h->cell(1, 51)}),
             (QStringList{"0.60000", "0.56286", "0.33348"}));
    for (int j = 1; j <= 50; ++j)
        QVERIFY2(p2.at(j) > p2.at(j - 1), qPrintable(p2.at(j)));

    const QList<std::pair<Series *, int>> counts{
        {f->Series1, 51}, {f->Series2, 51},         {f->Series6, 2}, {f->Series4, 21},
        {f->FastLineSeries4, 21}, {f->Series5, 50}, {f->Series7, 1}};
    for (const auto &[series, count] : counts)
        QVERIFY2(series->count() == count, qPrintable(series->name()));
    QCOMPARE(f->FastLineSeries4->point(0), QPointF(0.0, 1.0e-6));
    QCOMPARE(f->FastLineSeries4->point(20), QPointF(1.0, -5.0e-7));
    QVERIFY(f->FastLineSeries4->point(13).y() > 0 && f->FastLineSeries4->point(14).y() < 0);
    QCOMPARE(f->Series4->point(20), QPointF(1.0, 0.0));
    QCOMPARE(f->Series6->points(), (QList<QPointF>{{0.0, 0.6}, {0.0, 0.4}}));
    QCOMPARE(f->Series7->point(0), QPointF(0.4, 4.0e-7));
    QCOMPARE(f->Series5->point(49).x(), f->Series2->point(50).y());
}

// State: a default run shown. Action: Run with mantissa x 10^exponent
// generations. Expected: exactly the new entries (no leftovers), their
// generation numbers rounded ties to even.
void TestMut2::generations_data()
{
    QTest::addColumn<int>("mantissa");
    QTest::addColumn<int>("exponent");
    QTest::addColumn<int>("entries");
    QTest::addColumn<QStringList>("firstTimes");
    QTest::addColumn<QString>("lastTime");

    QTest::newRow("5 x 10^0") << 5 << 0 << 6 << QStringList{" 0", " 1", " 2", " 3", " 4", " 5"}
                              << " 5";
    QTest::newRow("1 x 10^0") << 1 << 0 << 2 << QStringList{" 0", " 1"} << " 1";
    QTest::newRow("5 x 10^1: every generation")
        << 5 << 1 << 51 << QStringList{" 0", " 1", " 2", " 3"} << " 50";
    QTest::newRow("6 x 10^1: sampled")
        << 6 << 1 << 51 << QStringList{" 0", " 1", " 2", " 4", " 5", " 6", " 7", " 8"} << " 60";
    QTest::newRow("20 x 10^8")
        << 20 << 8 << 51 << QStringList{" 0", " 40000000", " 80000000"} << " 2000000000";
    QTest::newRow("21 x 10^8") << 21 << 8 << 51 << QStringList{" 0", " 42000000"}
                               << " 2100000000";
}

void TestMut2::generations()
{
    QFETCH(int, mantissa);
    QFETCH(int, exponent);
    QFETCH(int, entries);
    QFETCH(QStringList, firstTimes);
    QFETCH(QString, lastTime);

    h->clickRun();
    h->setGenerations(mantissa, exponent);
    h->clickRun();
    QCOMPARE(h->grid()->rowCount(), entries + 1);
    QCOMPARE(h->column(0).mid(0, firstTimes.size()), firstTimes);
    QCOMPARE(h->column(0).last(), lastTime);
    QCOMPARE(h->form->Series1->count(), entries);
    QCOMPARE(h->form->Series5->count(), entries - 1);
}

// State: a default run shown. Action: Run with too many generations.
// Expected: the message; the earlier results and MutNg stay.
void TestMut2::refusedGenerations_data()
{
    QTest::addColumn<int>("mantissa");
    QTest::addColumn<int>("exponent");

    QTest::newRow("22 x 10^8") << 22 << 8;
    QTest::newRow("25 x 10^8") << 25 << 8;
    QTest::newRow("30 x 10^9, the largest setting") << 30 << 9;
}

void TestMut2::refusedGenerations()
{
    QFETCH(int, mantissa);
    QFETCH(int, exponent);

    h->clickRun();
    h->setGenerations(mantissa, exponent);
    h->clickRun();
    MORVA_TAKE_MESSAGE(h->fixture.desktop, generationsMessage());
    QCOMPARE(h->fixture.desktop.messages.size(), 0);
    QCOMPARE(morva::MutNg, 5000000);
    QCOMPARE(h->grid()->rowCount(), 52);
    QCOMPARE(h->cell(0, 51), QStringLiteral(" 5000000"));
    QCOMPARE(h->form->Series1->count(), 51);
}

// State: an exponent typed beyond its limits, the field still focused.
// Action: Enter. Expected: the run uses the value the field shows once left.
void TestMut2::typedExponentRunsAsShownOnLeaving_data()
{
    QTest::addColumn<int>("mantissa");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("lastTime");

    QTest::newRow("below 0") << 5 << "-3" << "0" << " 5";
    QTest::newRow("above 9") << 1 << "12" << "9" << " 1000000000";
}

void TestMut2::typedExponentRunsAsShownOnLeaving()
{
    QFETCH(int, mantissa);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, lastTime);

    h->form->NgKesSpinEdit->setValue(mantissa);
    Harness::typeInto(h->form->NgPowerSpinEdit, typed);
    QTest::keyClick(h->form->NgPowerSpinEdit, Qt::Key_Return);
    QCOMPARE(h->column(0).last(), lastTime);
    QCOMPARE(h->form->NgPowerSpinEdit->text(), shown);
}

// State: the frequencies as typed. Action: Run. Expected: the sum message
// (before any rate check) or a run.
void TestMut2::frequencyCheck_data()
{
    QTest::addColumn<QString>("a1");
    QTest::addColumn<QString>("a2");
    QTest::addColumn<int>("rateMantissa");
    QTest::addColumn<bool>("refused");

    QTest::newRow("0.6 and 0.45") << "0.6" << "0.45" << 1 << true;
    QTest::newRow("0.6 and 0.4000009: inside 1e-6") << "0.6" << "0.4000009" << 1 << false;
    QTest::newRow("0.6 and 0.3999989: outside") << "0.6" << "0.3999989" << 1 << true;
    QTest::newRow("sum checked before rates") << "0.5" << "0.4" << 0 << true;
}

void TestMut2::frequencyCheck()
{
    QFETCH(QString, a1);
    QFETCH(QString, a2);
    QFETCH(int, rateMantissa);
    QFETCH(bool, refused);

    h->setRates(rateMantissa, -6, rateMantissa, -7);
    Harness::typeInto(h->form->Freq1RealSpinEdit, a1);
    Harness::typeInto(h->form->Freq2RealSpinEdit, a2);
    h->clickRun();
    QCOMPARE(h->grid()->isVisible(), !refused);
    if (refused)
        MORVA_TAKE_MESSAGE(h->fixture.desktop, TMut2Form::kSumMessage);
}

void TestMut2::doubleClickRule_data()
{
    QTest::addColumn<bool>("clickA1");
    QTest::addColumn<QString>("otherTyped");
    QTest::addColumn<bool>("otherLeft");
    QTest::addColumn<QString>("otherShown");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("runRefused");

    QTest::newRow("A2 from 0.6") << false << "0.6" << true << "0.6" << "0.400" << false;
    QTest::newRow("A1 from typed 0.4567")
        << true << "0.4567" << true << "0.4567" << "0.543" << true;
    QTest::newRow("A1 from typed 1.5, clamped on leaving")
        << true << "1.5" << true << "1.000" << "0.000" << false;
    // A value above 1 that reaches the handler unclamped: the message, no
    // change.
    QTest::newRow("A1 from 1.5 not yet left")
        << true << "1.5" << false << "1.5" << "0.600" << true;
}

// State: the other field's text, left (clamped) or not. Action: double click
// a frequency field, then Run. Expected: the field becomes one minus the
// other (three significant digits) or, above 1, the message and no change;
// then the run passes or is refused.
void TestMut2::doubleClickRule()
{
    QFETCH(bool, clickA1);
    QFETCH(QString, otherTyped);
    QFETCH(bool, otherLeft);
    QFETCH(QString, otherShown);
    QFETCH(QString, expected);
    QFETCH(bool, runRefused);

    TKesRealSpinEdit *clicked = clickA1 ? h->form->Freq1RealSpinEdit : h->form->Freq2RealSpinEdit;
    TKesRealSpinEdit *other = clickA1 ? h->form->Freq2RealSpinEdit : h->form->Freq1RealSpinEdit;
    const QPoint pos(10, clicked->height() / 2);
    if (otherLeft) {
        Harness::typeInto(other, otherTyped);
        QTest::mouseClick(clicked, Qt::LeftButton, {}, pos);
    } else {
        clicked->setFocus();
        other->setText(otherTyped);
    }
    QTest::mouseDClick(clicked, Qt::LeftButton, {}, pos);
    QCOMPARE(other->text(), otherShown);
    QCOMPARE(clicked->text(), expected);
    if (!otherLeft)
        MORVA_TAKE_MESSAGE(h->fixture.desktop, TMut2Form::kDoubleClickMessage);
    h->clickRun();
    if (runRefused)
        MORVA_TAKE_MESSAGE(h->fixture.desktop, TMut2Form::kSumMessage);
    QCOMPARE(h->grid()->isVisible(), !runRefused);
}

// State: rates as mantissa x 10^exponent, 5 generations (or the default
// 5 x 10^6). Action: Run. Expected: the rate message, or p[2] per entry:
// towards 0 or 1 with one rate 0, at once to 1/2 for u = v = 1/2, alternating
// around the equilibrium when u + v > 1.
void TestMut2::rates_data()
{
    QTest::addColumn<double>("m12");
    QTest::addColumn<int>("e12");
    QTest::addColumn<double>("m21");
    QTest::addColumn<int>("e21");
    QTest::addColumn<int>("ngExponent");
    QTest::addColumn<QStringList>("p2");

    const QStringList refused;
    QTest::newRow("both mantissas 0") << 0.0 << -6 << 0.0 << -7 << 0 << refused;
    QTest::newRow("both mantissas 0, other exponents") << 0.0 << -1 << 0.0 << -9 << 0 << refused;
    QTest::newRow("u = 0: towards 0")
        << 0.0 << -6 << 5.0 << -1 << 0
        << QStringList{"0.40000", "0.20000", "0.10000", "0.05000", "0.02500", "0.01250"};
    QTest::newRow("v = 0: towards 1")
        << 5.0 << -1 << 0.0 << -7 << 0
        << QStringList{"0.40000", "0.70000", "0.85000", "0.92500", "0.96250", "0.98125"};
    QStringList half{"0.40000"};
    for (int j = 1; j <= 50; ++j)
        half << "0.50000";
    QTest::newRow("u = v = 5 x 10^-1") << 5.0 << -1 << 5.0 << -1 << 6 << half;
    QTest::newRow("u = 1, v = 0.5: alternating approach")
        << 10.0 << -1 << 5.0 << -1 << 0
        << QStringList{"0.40000", "0.80000", "0.60000", "0.70000", "0.65000", "0.67500"};
    QTest::newRow("u = v = 1: swapping")
        << 10.0 << -1 << 10.0 << -1 << 0
        << QStringList{"0.40000", "0.60000", "0.40000", "0.60000", "0.40000", "0.60000"};
}

void TestMut2::rates()
{
    QFETCH(double, m12);
    QFETCH(int, e12);
    QFETCH(double, m21);
    QFETCH(int, e21);
    QFETCH(int, ngExponent);
    QFETCH(QStringList, p2);

    h->setRates(m12, e12, m21, e21);
    h->setGenerations(5, ngExponent);
    h->clickRun();
    if (p2.isEmpty()) {
        MORVA_TAKE_MESSAGE(h->fixture.desktop, TMut2Form::kRatesMessage);
        QVERIFY(!h->grid()->isVisible());
        return;
    }
    QCOMPARE(h->column(2), p2);
    // The expected line runs from u at p[2] = 0 to -v at p[2] = 1.
    QCOMPARE(h->form->FastLineSeries4->point(0).y(), m12 * std::pow(10.0, e12));
    QCOMPARE(h->form->FastLineSeries4->point(20).y(), -m21 * std::pow(10.0, e21));
}

// State: the generations mantissa at 5, a key pressed in it with the given
// modifiers (or none). Action: click its up button n times. Expected: the
// designed step 5 before any key, then 1, 5 with Ctrl, 10 with Shift.
void TestMut2::mantissaSteps_data()
{
    QTest::addColumn<bool>("pressKey");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("expected");

    QTest::newRow("designed step") << false << Qt::KeyboardModifiers() << 1 << "10";
    QTest::newRow("designed step up to 30") << false << Qt::KeyboardModifiers() << 6 << "30";
    QTest::newRow("after a key") << true << Qt::KeyboardModifiers() << 1 << "6";
    QTest::newRow("after a Ctrl key") << true << Qt::KeyboardModifiers(Qt::ControlModifier) << 1
                                      << "10";
    QTest::newRow("after a Shift key") << true << Qt::KeyboardModifiers(Qt::ShiftModifier) << 2
                                       << "25";
}

void TestMut2::mantissaSteps()
{
    QFETCH(bool, pressKey);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, clicks);
    QFETCH(QString, expected);

    TKesSpinEdit *field = h->form->NgKesSpinEdit;
    if (pressKey) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_End, modifiers);
    }
    for (int i = 0; i < clicks; ++i)
        QTest::mouseClick(field->spinButton()->upButton(), Qt::LeftButton);
    QCOMPARE(field->text(), expected);
}

void TestMut2::readoutText_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<QString>("text");

    QTest::newRow("0.5, -2.5E-07") << 0.5 << -2.5e-7 << " p[2]= 0.5000   delta-p[2]= -2.50E-07";
    QTest::newRow("2/3, 1.234E-06")
        << 2.0 / 3.0 << 1.234e-6 << " p[2]= 0.6667   delta-p[2]= 1.23E-06";
    QTest::newRow("1, -0.5") << 1.0 << -0.5 << " p[2]= 1.0000   delta-p[2]= -5.00E-01";
}

// Axis values (x, y). Expected: the readout text.
void TestMut2::readoutText()
{
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(QString, text);
    QCOMPARE(TMut2Form::chart3Readout(x, y), text);
}

// State: a run shown on the delta-p[2] page. Action: hover inside the plot,
// then outside it. Expected: the readout of the axis values under the
// pointer in the status channel; outside the plot it stays.
void TestMut2::readoutFollowsPointer()
{
    h->clickRun();
    h->form->MutOutGraphPageControl->setCurrentWidget(h->form->TabSheet3);
    Chart *chart = h->form->Chart3;
    QTRY_VERIFY(chart->isVisible() && chart->plotRect().width() > 100);

    const QRect plot = chart->plotRect();
    const QPoint inside = plot.center();
    const QString expected = TMut2Form::chart3Readout(chart->bottomValueAt(inside.x()),
                                                      chart->leftValueAt(inside.y()));
    QVERIFY(expected.startsWith(QStringLiteral(" p[2]= 0.")));
    morva::test::hoverAt(chart, inside);
    QCOMPARE(morva::HintTracker::instance()->currentHint(), expected);
    morva::test::hoverAt(chart, plot.topLeft() - QPoint(3, 3));
    QCOMPARE(morva::HintTracker::instance()->currentHint(), expected);
}

void TestMut2::equilibriumMarkAndLevels_data()
{
    QTest::addColumn<double>("m12");
    QTest::addColumn<int>("e12");
    QTest::addColumn<double>("m21");
    QTest::addColumn<int>("e21");
    QTest::addColumn<double>("q");
    QTest::addColumn<bool>("neutral");
    QTest::newRow("defaults: u = 1E-6, v = 5E-7") << 1.0 << -6 << 5.0 << -7 << 2.0 / 3 << false;
    QTest::newRow("u = v = 1: two-cycle around 1/2") << 10.0 << -1 << 10.0 << -1 << 0.5 << true;
}

// State: rates set. Action: Run. Expected: after the designed series, the
// equilibrium's marker on the delta-p[2] axis (stable, or neutral for the
// two-cycle, which stays out of the legend) and its levels across the run.
void TestMut2::equilibriumMarkAndLevels()
{
    QFETCH(double, m12);
    QFETCH(int, e12);
    QFETCH(double, m21);
    QFETCH(int, e21);
    QFETCH(double, q);
    QFETCH(bool, neutral);
    h->setRates(m12, e12, m21, e21);
    h->clickRun();
    TMut2Form *f = h->form;

    QCOMPARE(f->Chart1->series(3), f->equilibriumLevels.lines.at(0));
    QCOMPARE(f->Chart3->series(4), f->deltaMarkers.stable);
    QCOMPARE(f->Chart3->seriesCount(), 9);
    const Series *shown = neutral ? f->deltaMarkers.neutral : f->deltaMarkers.stable;
    QCOMPARE(shown->points(), (QList<QPointF>{{q, 0.0}}));
    QCOMPARE(f->deltaMarkers.unstable->count(), 0);
    QCOMPARE(f->deltaMarkers.stable->count() + f->deltaMarkers.neutral->count(), 1);
    QCOMPARE(morva::test::legendShows(f->Chart3, f->deltaMarkers.stable), !neutral);
    QVERIFY(!morva::test::legendShows(f->Chart3, f->deltaMarkers.unstable));

    const double last = morva::MutTimes[50];
    const QList<Series *> &lines = f->equilibriumLevels.lines;
    QCOMPARE(lines.at(0)->points(), (QList<QPointF>{{0.0, 1 - q}, {last, 1 - q}}));
    QCOMPARE(lines.at(1)->points(), (QList<QPointF>{{0.0, q}, {last, q}}));
    QCOMPARE(morva::test::legendLabel(f->Chart1, lines.at(0)), QStringLiteral("equilibrium"));
}

// State: the defaults run on the delta-p[2] page. Action: hover over the
// marker. Expected: the equilibrium and its slope 1 - u - v in the status
// channel; its lines for export with the rate of approach.
void TestMut2::equilibriumInWords()
{
    h->clickRun();
    h->form->MutOutGraphPageControl->setCurrentWidget(h->form->TabSheet3);
    Chart *chart = h->form->Chart3;
    QTRY_VERIFY(chart->isVisible() && chart->plotRect().width() > 100);
    morva::test::hoverAt(chart, morva::test::pixelOf(chart, {2.0 / 3, 0.0}));
    QCOMPARE(morva::HintTracker::instance()->currentHint(),
             QStringLiteral(" p[2]= 0.6667   stable equilibrium, slope= 0.9999985"));
    QCOMPARE(h->form->equilibriumLines(),
             (QStringList{"equilibrium p[1]= 0.3333333333333333333 p[2]= 0.66666666666666666674: "
                          "stable, slope= 0.9999985",
                          "rate of approach |1-u-v|= 0.9999985 per generation"}));
}

void TestMut2::gridColumnHints_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("hint");

    QTest::newRow("time header") << 0 << 0 << "Time (in generations)";
    QTest::newRow("p[1] cell") << 1 << 3 << "Frequency of allele A1";
    QTest::newRow("p[2] cell") << 2 << 1 << "Frequency of allele A2";
    QTest::newRow("right of the cells") << 3 << 1 << "";
}

// State: a run shown. Action: hover over a cell. Expected: its column's hint,
// whatever the row; nothing right of the cells.
void TestMut2::gridColumnHints()
{
    QFETCH(int, col);
    QFETCH(int, row);
    QFETCH(QString, hint);

    h->clickRun();
    TStringAlignGrid *grid = h->grid();
    morva::test::hoverAt(grid->viewport(), grid->cellRect(1, 2).center());
    QPoint pos = grid->cellRect(qMin(col, 2), row).center();
    if (col > 2)
        pos.setX(grid->cellRect(2, row).right() + 6);
    QVERIFY(grid->viewport()->rect().contains(pos));
    morva::test::hoverAt(grid->viewport(), pos);
    QCOMPARE(morva::HintTracker::instance()->currentHint(), hint);
}

// State: a run shown, the fields changed since, the state changed behind the
// window's back. Action: click into the grid, then onto the pages. Expected:
// each area shows the state as it is now, never the fields.
void TestMut2::clickIntoGridRefillsFromState()
{
    h->clickRun();
    h->setGenerations(1, 0);
    h->form->RunBtn->setFocus();
    morva::MutNg = 3;
    QTest::mouseClick(h->grid()->viewport(), Qt::LeftButton, {},
                      h->grid()->cellRect(1, 2).center());
    QCOMPARE(h->grid()->rowCount(), 5);
    QCOMPARE(h->column(0), (QStringList{" 0", " 100000", " 200000", " 300000"}));
    QCOMPARE(h->form->Series1->count(), 51);

    QTabBar *tabs = h->form->MutOutGraphPageControl->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    QCOMPARE(h->form->Series1->count(), 4);
    QCOMPARE(h->form->Series5->count(), 3);
}

// State: the focus on a control. Action: a key. Expected: a run, a cancel or
// neither.
void TestMut2::keys_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("outcome");

    QTest::newRow("Enter in generations") << "NgKesSpinEdit" << int(Qt::Key_Return) << "run";
    QTest::newRow("Enter in its exponent") << "NgPowerSpinEdit" << int(Qt::Key_Return) << "run";
    QTest::newRow("keypad Enter in its exponent")
        << "NgPowerSpinEdit" << int(Qt::Key_Enter) << "run";
    QTest::newRow("Enter in A2") << "Freq2RealSpinEdit" << int(Qt::Key_Return) << "none";
    QTest::newRow("Enter in a rate") << "MutRate12RealSpinEdit" << int(Qt::Key_Return) << "none";
    QTest::newRow("Enter in a rate exponent")
        << "MutRate21PowerSpinEdit" << int(Qt::Key_Return) << "none";
    QTest::newRow("Esc in a rate") << "MutRate21RealSpinEdit" << int(Qt::Key_Escape) << "none";
    QTest::newRow("Esc in a rate exponent")
        << "MutRate12PowerSpinEdit" << int(Qt::Key_Escape) << "none";
    QTest::newRow("Esc in generations") << "NgKesSpinEdit" << int(Qt::Key_Escape) << "none";
    QTest::newRow("Esc on Run") << "RunBtn" << int(Qt::Key_Escape) << "cancel";
}

void TestMut2::keys()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(QString, outcome);

    h->setGenerations(10, 0);
    QWidget *target = h->form->findChild<QWidget *>(focus);
    QVERIFY(target);
    target->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));

    QCOMPARE(h->handBacks, outcome == QStringLiteral("cancel") ? 1 : 0);
    if (outcome == QStringLiteral("cancel"))
        return;
    QCOMPARE(h->grid()->isVisible(), outcome == QStringLiteral("run"));
    if (outcome == QStringLiteral("run"))
        QCOMPARE(h->grid()->rowCount(), 12);
}

// Action: click Cancel. Expected: the hook runs once; the window and its
// global are gone.
void TestMut2::cancelHandsBack()
{
    h->clickRun();
    QTest::mouseClick(h->form->CancelBtn, Qt::LeftButton);
    QCOMPARE(h->handBacks, 1);
    QTRY_VERIFY(h->form.isNull());
    QVERIFY(Mut2Form.isNull());
}

MORVA_GUI_TEST_MAIN(TestMut2)
#include "tst_Mut2.moc"
