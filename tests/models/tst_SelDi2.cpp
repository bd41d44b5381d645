// The 2-allele selection window driven as a user drives it: fields, Run and
// Cancel, keys, the grid and charts it fills, its readouts and hints, and the
// frame's resize rules. Each test names State / Action / Expected.

#include "arith/PgMathSe.h"
#include "controls/Aligrid.h"
#include "controls/Chart.h"
#include "controls/KesSpinEdits1.h"
#include "models/windows/SelDi2.h"
#include "platform/Hint.h"
#include "platform/NumberText.h"
#include "tests/support/ChartProbe.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/ModelHarness.h"

#include <QGroupBox>
#include <QMainWindow>
#include <QMdiArea>
#include <QPushButton>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <memory>
#include <optional>

using morva::chart::Chart;
using morva::chart::Series;

namespace {

// The frame stand-in, in an 800 x 600 main window.
struct Harness : morva::test::ModelHarness<TSelDi2Form> {
    Harness() : ModelHarness(QSize(800, 600)) {}

    void setInputs(long double a1, long double a2, long double w11 = 0.8L,
                   long double w12 = 0.7L, long double w22 = 0.9L)
    {
        form->SelDi2Freq1RealSpinEdit->setValue(a1);
        form->SelDi2Freq2RealSpinEdit->setValue(a2);
        form->SelDi2Fit11RealSpinEdit->setValue(w11);
        form->SelDi2Fit12RealSpinEdit->setValue(w12);
        form->SelDi2Fit22RealSpinEdit->setValue(w22);
    }
};

using morva::test::findPixel;

} // namespace

class TestSelDi2 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void createdWindowShowsInputsOnly();
    void tabVisitsFieldsThenButtons();
    void defaultRunFillsGrid();
    void runChecks_data();
    void runChecks();
    void doubleClickRule_data();
    void doubleClickRule();
    void lethalHomozygoteStaysFlat();
    void longRunTimeColumn_data();
    void longRunTimeColumn();
    void seriesContents();
    void singleGenerationHasOneObservedChange();
    void failedRunKeepsEarlierResults();
    void clickIntoGridRefillsFromState();
    void deltaReadout();
    void equilibriumSeriesFollowTheDesignedOnes();
    void equilibriumMarks_data();
    void equilibriumMarks();
    void recessiveLethal();
    void markerReadouts_data();
    void markerReadouts();
    void equilibriumLines_data();
    void equilibriumLines();
    void gridColumnHints_data();
    void gridColumnHints();
    void resizeRules();
    void keys_data();
    void keys();
    void cancelClosesThenHandsBack();

private:
    std::unique_ptr<Harness> h;
};

void TestSelDi2::init()
{
    h = std::make_unique<Harness>();
    MORVA_SHOW_ACTIVE(&h->main);
}

void TestSelDi2::cleanup()
{
    if (h)
        MORVA_VERIFY_NO_MESSAGE(h->fixture.desktop);
    h.reset();
}

// State: just created. Expected: 750 x 570 without border icons, inputs and
// buttons shown, four pages in order, outputs hidden.
void TestSelDi2::createdWindowShowsInputsOnly()
{
    QCOMPARE(h->form->size(), QSize(750, 570));
    const Qt::WindowFlags flags = h->form->windowFlags();
    QVERIFY(!(flags & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint
                       | Qt::WindowSystemMenuHint)));
    QCOMPARE(SelDi2Form.data(), h->form.data());
    for (QWidget *w : {static_cast<QWidget *>(h->form->SelDi2FreqGroupBox),
                       static_cast<QWidget *>(h->form->SelDi2FitGroupBox),
                       static_cast<QWidget *>(h->form->NgGroupBox),
                       static_cast<QWidget *>(h->form->SelRunBtn),
                       static_cast<QWidget *>(h->form->SelCancelBtn)})
        QVERIFY2(w->isVisible(), qPrintable(w->objectName()));
    QVERIFY(!h->form->SelDiOutGraphPageControl->isVisible());
    QVERIFY(!h->grid()->isVisible());

    QTabWidget *pages = h->form->SelDiOutGraphPageControl;
    QStringList titles;
    for (int i = 0; i < pages->count(); ++i)
        titles << pages->tabText(i);
    QCOMPARE(titles, (QStringList{"Allele freqs vs time", "delta-p[1] vs p[1]", "Wmed vs p[1]",
                                  "Fitnesses vs time"}));
    QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("TabSheet1"));
    QCOMPARE(h->cell(3, 0), QStringLiteral(" Wmed"));
}

// State: just shown. Action: Tab from the start. Expected: the fields top to
// bottom, then Run and Cancel.
void TestSelDi2::tabVisitsFieldsThenButtons()
{
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, (QStringList{"SelDi2Freq1RealSpinEdit", "SelDi2Freq2RealSpinEdit",
                                   "SelDi2Fit11RealSpinEdit", "SelDi2Fit12RealSpinEdit",
                                   "SelDi2Fit22RealSpinEdit", "SelNgKesSpinEdit", "SelRunBtn",
                                   "SelCancelBtn"}));
}

// State: the designed defaults. Action: Run. Expected: 32 rows; generations 0
// and 1 as designed; p[1] falls in every row (the equilibrium 2/3 is
// unstable).
void TestSelDi2::defaultRunFillsGrid()
{
    h->clickRun();
    QVERIFY(h->grid()->isVisible());
    QVERIFY(h->form->SelDiOutGraphPageControl->isVisible());
    QCOMPARE(h->grid()->rowCount(), 32);
    QCOMPARE((QStringList{h->cell(0, 1), h->cell(1, 1), h->cell(2, 1), h->cell(3, 1)}),
             (QStringList{"       0", "0.600", "0.400", "0.768"}));
    QCOMPARE((QStringList{h->cell(0, 2), h->cell(1, 2), h->cell(2, 2)}),
             (QStringList{"       1", "0.594", "0.406"}));
    QCOMPARE(h->cell(3, 2), morva::text::formatFixed(morva::SelWmed[1], 4, 3));
    for (int row = 2; row < 32; ++row)
        QVERIFY2(h->cell(1, row).toDouble() <= h->cell(1, row - 1).toDouble(),
                 qPrintable(QString::number(row)));
    QVERIFY(h->cell(1, 31).toDouble() < h->cell(1, 2).toDouble());
}

// State: frequencies and fitnesses as given. Action: Run. Expected: the
// first failing check's message (title and error icon as the program's), or
// a run.
void TestSelDi2::runChecks_data()
{
    QTest::addColumn<double>("a1");
    QTest::addColumn<double>("a2");
    QTest::addColumn<double>("w");
    QTest::addColumn<QString>("message");

    QTest::newRow("sum 0.9") << 0.6 << 0.3 << 0.8 << TSelDi2Form::kSumMessage;
    QTest::newRow("sum 1.01") << 0.6 << 0.41 << 0.8 << TSelDi2Form::kSumMessage;
    QTest::newRow("sum 1 passes") << 0.6 << 0.4 << 0.8 << QString();
    QTest::newRow("fitnesses all 0") << 0.6 << 0.4 << 0.0 << TSelDi2Form::kFitnessMessage;
    QTest::newRow("sum checked first") << 0.5 << 0.4 << 0.0 << TSelDi2Form::kSumMessage;
}

void TestSelDi2::runChecks()
{
    QFETCH(double, a1);
    QFETCH(double, a2);
    QFETCH(double, w);
    QFETCH(QString, message);

    h->setInputs(a1, a2, w, w, w);
    h->clickRun();
    auto &desktop = h->fixture.desktop;
    if (message.isEmpty()) {
        QVERIFY(h->grid()->isVisible());
        return;
    }
    QCOMPARE(desktop.messages.size(), 1);
    QCOMPARE(desktop.messages.first().icon, morva::MessageIcon::Error);
    QCOMPARE(desktop.messages.first().title, QStringLiteral("MORVA 99"));
    MORVA_TAKE_MESSAGE(desktop, message);
    QVERIFY(!h->grid()->isVisible());
    QVERIFY(!h->form->SelDiOutGraphPageControl->isVisible());
}

// State: the other field's text. Action: double click a frequency field.
// Expected: the field becomes one minus the other, or the message and no
// change when the other exceeds 1.
void TestSelDi2::doubleClickRule_data()
{
    QTest::addColumn<bool>("clickA1");
    QTest::addColumn<QString>("otherText");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("message");

    QTest::newRow("A2 from 0.6") << false << "0.600" << "0.400" << false;
    QTest::newRow("A1 from 0.3") << true << "0.300" << "0.700" << false;
    QTest::newRow("A1 from 1") << true << "1.000" << "0.000" << false;
    QTest::newRow("A1 from typed 1.5") << true << "1.5" << "0.600" << true;
}

void TestSelDi2::doubleClickRule()
{
    QFETCH(bool, clickA1);
    QFETCH(QString, otherText);
    QFETCH(QString, expected);
    QFETCH(bool, message);

    TKesRealSpinEdit *clicked =
        clickA1 ? h->form->SelDi2Freq1RealSpinEdit : h->form->SelDi2Freq2RealSpinEdit;
    TKesRealSpinEdit *other =
        clickA1 ? h->form->SelDi2Freq2RealSpinEdit : h->form->SelDi2Freq1RealSpinEdit;
    clicked->setFocus();
    other->setText(otherText);
    QTest::mouseDClick(clicked, Qt::LeftButton, {}, QPoint(10, clicked->height() / 2));
    QCOMPARE(clicked->text(), expected);
    if (message)
        MORVA_TAKE_MESSAGE(h->fixture.desktop, TSelDi2Form::kDoubleClickMessage);
}

// State: A1 fixed, w11 = 0. Action: Run. Expected: p[1] = 1 and Wmed = 0 in
// every row.
void TestSelDi2::lethalHomozygoteStaysFlat()
{
    h->setInputs(1.0L, 0.0L, 0.0L, 0.7L, 0.9L);
    h->clickRun();
    QCOMPARE(h->grid()->rowCount(), 32);
    for (int row = 1; row < 32; ++row) {
        QCOMPARE(h->cell(1, row), QStringLiteral("1.000"));
        QCOMPARE(h->cell(3, row), QStringLiteral("0.000"));
    }
}

// State: 300 generations. Action: Run. Expected: 302 rows; the time column
// right-aligned by 7, 4 or 3 leading blanks.
void TestSelDi2::longRunTimeColumn_data()
{
    QTest::addColumn<int>("generation");
    QTest::addColumn<QString>("text");

    QTest::newRow("9") << 9 << "       9";
    QTest::newRow("10") << 10 << "    10";
    QTest::newRow("99") << 99 << "    99";
    QTest::newRow("100") << 100 << "   100";
    QTest::newRow("300") << 300 << "   300";
}

void TestSelDi2::longRunTimeColumn()
{
    QFETCH(int, generation);
    QFETCH(QString, text);

    h->form->SelNgKesSpinEdit->setValue(300);
    h->clickRun();
    QCOMPARE(h->grid()->rowCount(), 302);
    QCOMPARE(h->cell(0, generation + 1), text);
}

// State: the defaults run. Expected: the series hold the points of the
// trajectory and the expected curves, each in its range.
void TestSelDi2::seriesContents()
{
    h->clickRun();
    TSelDi2Form *f = h->form;
    const QList<std::pair<Series *, int>> counts{
        {f->Series1, 31},        {f->Series2, 31},         {f->Series6, 2},
        {f->FastLineSeries1, 31}, {f->FastLineSeries2, 31}, {f->Series3, 31},
        {f->Series9, 3},         {f->Series4, 501},        {f->FastLineSeries4, 501},
        {f->Series5, 30},        {f->Series7, 1},          {f->FastLineSeries5, 500},
        {f->PointSeries1, 31},   {f->Series8, 1}};
    for (const auto &[series, count] : counts)
        QVERIFY2(series->count() == count, qPrintable(series->name()));

    // Series keep their points in ascending x: p[1] falls, so the first
    // observed change is the rightmost point.
    QCOMPARE(f->Series7->point(0), f->Series5->points().constLast());
    QCOMPARE(f->Series6->points(), (QList<QPointF>{{0.0, 0.6}, {0.0, 0.4}}));
    QCOMPARE(f->Series8->point(0), f->PointSeries1->points().constLast());
    QCOMPARE(f->Series9->point(2), QPointF(0.0, 0.768));
    QCOMPARE(f->FastLineSeries5->point(0).x(), 0.002);
    QCOMPARE(f->Series4->point(0), QPointF(0.0, 0.0));
    QCOMPARE(f->Series4->point(500), QPointF(1.0, 0.0));
    QCOMPARE(f->FastLineSeries4->point(0), QPointF(0.0, 0.0));
    // Each observed change stands at the frequency it started from.
    for (int g = 1; g <= 30; ++g) {
        const double from = f->Series1->point(g - 1).y();
        const QPointF change = f->Series5->point(30 - g);
        QCOMPARE(change.x(), from);
        QCOMPARE(change.y() + 1.0, f->Series1->point(g).y() - from + 1.0);
    }
}

void TestSelDi2::singleGenerationHasOneObservedChange()
{
    h->form->SelNgKesSpinEdit->setValue(1);
    h->clickRun();
    QCOMPARE(h->form->Series5->count(), 1);
    QCOMPARE(h->form->Series7->points(), h->form->Series5->points());
    QCOMPARE(h->grid()->rowCount(), 3);
}

// State: a good run shown. Action: a run that fails its check. Expected: the
// grid and charts of the good run stay.
void TestSelDi2::failedRunKeepsEarlierResults()
{
    h->clickRun();
    const QString lastRow = h->cell(1, 31);
    h->form->SelNgKesSpinEdit->setValue(50);
    h->setInputs(0.6L, 0.3L);
    h->clickRun();
    MORVA_TAKE_MESSAGE(h->fixture.desktop, TSelDi2Form::kSumMessage);
    QCOMPARE(h->grid()->rowCount(), 32);
    QCOMPARE(h->cell(1, 31), lastRow);
    QCOMPARE(h->form->Series1->count(), 31);
    QVERIFY(h->form->SelDiOutGraphPageControl->isVisible());
}

// State: a run shown, the focus on Run, the arithmetic state changed behind
// the window's back. Action: click into the grid. Expected: the grid shows
// the state as it is now; the charts keep theirs until their panel is
// entered.
void TestSelDi2::clickIntoGridRefillsFromState()
{
    h->clickRun();
    h->form->SelRunBtn->setFocus();
    morva::SelNg = 5;
    morva::SelFreqs[0][1] = 0.25L;
    QTest::mouseClick(h->grid()->viewport(), Qt::LeftButton, {},
                      h->grid()->cellRect(1, 2).center());
    QCOMPARE(h->grid()->rowCount(), 7);
    QCOMPARE(h->cell(1, 1), QStringLiteral("0.250"));
    QCOMPARE(h->form->Series1->count(), 31);

    QTest::mouseClick(h->form->SelDiOutGraphPageControl->tabBar(), Qt::LeftButton, {},
                      h->form->SelDiOutGraphPageControl->tabBar()->tabRect(0).center());
    QCOMPARE(h->form->Series1->count(), 6);
}

// State: a run shown on the delta-p[1] page. Action: hover
// over a point whose axis values are about 0.5 and -0.0123, then outside the
// plotting rectangle. Expected: the readout as the chart's hint and the
// current hint; outside the plot it stays.
void TestSelDi2::deltaReadout()
{
    h->clickRun();
    h->form->SelDiOutGraphPageControl->setCurrentIndex(1);
    Chart *chart = h->form->SelDi2Chart3;
    QTRY_VERIFY(chart->isVisible() && chart->plotRect().width() > 100);

    // Widen the window pixel by pixel until a pixel column reads p[1] = 0.500.
    const auto nearHalf = [](double v) { return std::abs(v - 0.5) < 0.0005; };
    std::optional<int> x = findPixel(chart, true, nearHalf);
    for (int extra = 1; !x && extra < 20; ++extra) {
        h->form->resize(750 + extra, 570);
        QCoreApplication::processEvents();
        x = findPixel(chart, true, nearHalf);
    }
    const auto y = findPixel(chart, false, [](double v) { return v > -0.0125 && v < -0.0115; });
    QVERIFY(x && y);

    const QString expected = QStringLiteral(" p[1]= 0.500   delta-p[1]= -0.012");
    morva::test::hoverAt(chart, QPoint(*x, *y));
    QCOMPARE(chart->statusTip(), expected);
    QCOMPARE(morva::HintTracker::instance()->currentHint(), expected);

    const QRect plot = chart->plotRect();
    morva::test::hoverAt(chart, QPoint(plot.left() - 3, plot.top() - 3));
    QCOMPARE(chart->statusTip(), expected);
    QCOMPARE(morva::HintTracker::instance()->currentHint(), expected);
}

// State: a new window. Expected: each chart's designed series first, in
// their order, then the equilibrium series; the marker kinds titled for the
// legend, which shows them on two lines.
void TestSelDi2::equilibriumSeriesFollowTheDesignedOnes()
{
    TSelDi2Form *f = h->form;
    const auto names = [](const Chart *chart) {
        QStringList list;
        for (int i = 0; i < chart->seriesCount(); ++i)
            list << chart->series(i)->name();
        return list;
    };
    const QStringList markers{QStringLiteral("StableEquilibria"),
                              QStringLiteral("UnstableEquilibria"),
                              QStringLiteral("NeutralEquilibria"),
                              QStringLiteral("OneSidedEquilibria"),
                              QStringLiteral("ZeroMeanEquilibria")};
    QCOMPARE(names(f->SelDi2Chart1),
             (QStringList{"Series1", "Series2", "Series6", "EquilibriumLevel1",
                          "EquilibriumLevel2"}));
    QCOMPARE(names(f->SelDi2Chart2),
             (QStringList{"FastLineSeries1", "FastLineSeries2", "Series3", "Series9"}));
    QCOMPARE(names(f->SelDi2Chart3),
             QStringList({"Series4", "FastLineSeries4", "Series5", "Series7"}) + markers);
    QCOMPARE(names(f->SelDi2Chart4),
             QStringList({"FastLineSeries5", "PointSeries1", "Series8"}) + markers);
    QCOMPARE(f->deltaMarkers.stable->title(), QStringLiteral("stable equilibrium"));
    QCOMPARE(f->wmedMarkers.unstable->title(), QStringLiteral("unstable equilibrium"));
    QCOMPARE(morva::test::legendLabel(f->SelDi2Chart3, f->deltaMarkers.unstable),
             QStringLiteral("unstable<br>equilibrium"));
    // Every kind of marker stands in the legend while the chart shows one.
    QVERIFY(f->deltaMarkers.neutral->inLegend());
    QCOMPARE(morva::test::legendLabel(f->SelDi2Chart3, f->deltaMarkers.zeroMean),
             QStringLiteral("left,<br>Wmed= 0"));
}

void TestSelDi2::equilibriumMarks_data()
{
    QTest::addColumn<double>("w11");
    QTest::addColumn<double>("w12");
    QTest::addColumn<double>("w22");
    QTest::addColumn<QList<double>>("stable");    // p[1] of each, ascending
    QTest::addColumn<QList<double>>("unstable");
    QTest::addColumn<QList<double>>("levels");    // p[1], p[2]

    QTest::newRow("heterozygote advantage") << 0.7 << 1.0 << 0.5 << QList<double>{0.625}
                                            << QList<double>{0.0, 1.0}
                                            << QList<double>{0.625, 0.375};
    QTest::newRow("underdominance") << 1.2 << 1.0 << 1.1 << QList<double>{0.0, 1.0}
                                    << QList<double>{1.0 / 3} << QList<double>{};
    QTest::newRow("all equal: every point") << 0.6 << 0.6 << 0.6 << QList<double>{}
                                            << QList<double>{} << QList<double>{};
}

// State: fitnesses typed. Action: Run. Expected: each equilibrium on the
// delta-p[1] axis and on the mean-fitness curve in the series of its kind, a
// kind in the legend only when drawn, the levels of a stable one inside
// across the run on the frequency chart.
void TestSelDi2::equilibriumMarks()
{
    QFETCH(double, w11);
    QFETCH(double, w12);
    QFETCH(double, w22);
    QFETCH(QList<double>, stable);
    QFETCH(QList<double>, unstable);
    QFETCH(QList<double>, levels);
    h->setInputs(0.6L, 0.4L, w11, w12, w22);
    h->clickRun();
    TSelDi2Form *f = h->form;

    const auto wmed = [&](double p) {
        return p * p * w11 + 2 * p * (1 - p) * w12 + (1 - p) * (1 - p) * w22;
    };
    const auto check = [&](const morva::EquilibriumMarkers &m, const Chart *chart, bool onCurve,
                           const QList<double> &expected, bool stableKind) {
        const Series *series = stableKind ? m.stable : m.unstable;
        QCOMPARE(series->count(), int(expected.size()));
        for (int i = 0; i < series->count(); ++i) {
            const double p = expected.at(i);
            QCOMPARE(series->point(i), QPointF(p, onCurve ? wmed(p) : 0.0));
        }
        QCOMPARE(morva::test::legendShows(chart, series), !expected.isEmpty());
    };
    check(f->deltaMarkers, f->SelDi2Chart3, false, stable, true);
    check(f->deltaMarkers, f->SelDi2Chart3, false, unstable, false);
    check(f->wmedMarkers, f->SelDi2Chart4, true, stable, true);
    check(f->wmedMarkers, f->SelDi2Chart4, true, unstable, false);
    QCOMPARE(f->deltaMarkers.neutral->count(), 0);

    const QList<Series *> &lines = f->equilibriumLevels.lines;
    for (int i = 0; i < 2; ++i) {
        const QList<QPointF> expected = levels.isEmpty()
            ? QList<QPointF>{}
            : QList<QPointF>{{0.0, levels.at(i)}, {30.0, levels.at(i)}};
        QCOMPARE(lines.at(i)->points(), expected);
    }
    QCOMPARE(morva::test::legendShows(f->SelDi2Chart1, lines.at(0)), !levels.isEmpty());
    QVERIFY(!morva::test::legendShows(f->SelDi2Chart1, lines.at(1)));
}

// State: A2 a recessive lethal (w = 1, 1, 0). Action: Run. Expected: A1's
// fixation filled and approached slowly (its slope is 1); A2's, where the
// mean fitness is 0, a hollow diamond that says populations beside it move
// away, in the legend and in words (no infinite slope).
void TestSelDi2::recessiveLethal()
{
    h->setInputs(0.6L, 0.4L, 1, 1, 0);
    h->clickRun();
    TSelDi2Form *f = h->form;
    QCOMPARE(f->deltaMarkers.stable->points(), (QList<QPointF>{{1.0, 0.0}}));
    QCOMPARE(f->deltaMarkers.zeroMean->points(), (QList<QPointF>{{0.0, 0.0}}));
    QCOMPARE(f->deltaMarkers.unstable->count(), 0);
    QVERIFY(morva::test::legendShows(f->SelDi2Chart3, f->deltaMarkers.zeroMean));
    QCOMPARE(f->equilibriumLines(),
             (QStringList{"equilibrium p[1]= 1 p[2]= 0 Wmed= 1: stable, approached slowly, "
                          "slope= 1.000",
                          "equilibrium p[1]= 0 p[2]= 1 Wmed= 0: unstable, Wmed= 0: populations "
                          "beside it move away",
                          "no equilibrium with both alleles present"}));
}

void TestSelDi2::markerReadouts_data()
{
    QTest::addColumn<bool>("wmedChart");
    QTest::addColumn<QPointF>("marker");
    QTest::addColumn<QString>("text");
    const double inside = 1.0 / 3, wmedInside = 9.6 / 9;
    QTest::newRow("delta-p[1], inside") << false << QPointF(inside, 0)
                                        << " p[1]= 0.333   unstable equilibrium, slope= 1.063";
    QTest::newRow("delta-p[1], A1 fixed") << false << QPointF(1, 0)
                                          << " p[1]= 1.000   stable equilibrium, slope= 0.833";
    QTest::newRow("Wmed, inside")
        << true << QPointF(inside, wmedInside)
        << " p[1]= 0.333   Wmed= 1.067   unstable equilibrium, slope= 1.063";
    QTest::newRow("Wmed, A2 fixed")
        << true << QPointF(0, 1.1)
        << " p[1]= 0.000   Wmed= 1.100   stable equilibrium, slope= 0.909";
}

// State: an underdominance run (w = 1.2, 1, 1.1) on a readout chart.
// Action: hover over a marker, 3 pixels beside it, then 20 pixels into the
// plot.
// Expected: the equilibrium in words over and beside the marker, the axis
// values once away from it.
void TestSelDi2::markerReadouts()
{
    QFETCH(bool, wmedChart);
    QFETCH(QPointF, marker);
    QFETCH(QString, text);
    h->setInputs(0.6L, 0.4L, 1.2L, 1.0L, 1.1L);
    h->clickRun();
    TSelDi2Form *f = h->form;
    f->SelDiOutGraphPageControl->setCurrentWidget(wmedChart ? f->TabSheet4 : f->TabSheet3);
    Chart *chart = wmedChart ? f->SelDi2Chart4 : f->SelDi2Chart3;
    QTRY_VERIFY(chart->isVisible() && chart->plotRect().width() > 100);

    const QPoint at = morva::test::pixelOf(chart, marker);
    for (const QPoint &pos : {at, at + QPoint(marker.x() > 0.5 ? -3 : 3, 0)}) {
        morva::test::hoverAt(chart, pos);
        QCOMPARE(morva::HintTracker::instance()->currentHint(), text);
    }
    // Away from the marker, into the plot (a marker may sit on its edge).
    morva::test::hoverAt(chart,
                         at + QPoint(0, at.y() > chart->plotRect().center().y() ? -20 : 20));
    const QString away = morva::HintTracker::instance()->currentHint();
    QVERIFY2(!away.contains(QStringLiteral("equilibrium"))
                 && away.contains(wmedChart ? QStringLiteral("Wmed= ")
                                            : QStringLiteral("delta-p[1]= ")),
             qPrintable(away));
}

void TestSelDi2::equilibriumLines_data()
{
    QTest::addColumn<double>("w11");
    QTest::addColumn<double>("w12");
    QTest::addColumn<double>("w22");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("heterozygote advantage")
        << 0.7 << 1.0 << 0.5
        << QStringList{
               "equilibrium p[1]= 1 p[2]= 0 Wmed= 0.7: unstable, slope= 1.429",
               "equilibrium p[1]= 0 p[2]= 1 Wmed= 0.5: unstable, slope= 2.000",
               "equilibrium p[1]= 0.625 p[2]= 0.375 Wmed= 0.8125: stable, slope= 0.769"};
    QTest::newRow("additive")
        << 1.0 << 0.75 << 0.5
        << QStringList{
               "equilibrium p[1]= 1 p[2]= 0 Wmed= 1: stable, slope= 0.750",
               "equilibrium p[1]= 0 p[2]= 1 Wmed= 0.5: unstable, slope= 1.500",
               "no equilibrium with both alleles present"};
    QTest::newRow("all equal") << 0.6 << 0.6 << 0.6
                               << QStringList{"every point is an equilibrium"};
}

// State: a run, the decimal comma in use. Expected: the lines that describe
// the equilibria, with decimal points.
void TestSelDi2::equilibriumLines()
{
    QFETCH(double, w11);
    QFETCH(double, w12);
    QFETCH(double, w22);
    QFETCH(QStringList, lines);
    h->setInputs(0.6L, 0.4L, w11, w12, w22);
    h->clickRun();
    morva::text::setDecimalSeparatorOverride(QLatin1Char(','));
    const QStringList actual = h->form->equilibriumLines();
    morva::text::setDecimalSeparatorOverride(QLatin1Char('.'));
    QCOMPARE(actual, lines);
}

void TestSelDi2::gridColumnHints_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("hint");

    QTest::newRow("time header") << 0 << 0 << "Time (in generations)";
    QTest::newRow("time cell") << 0 << 3 << "Time (in generations)";
    QTest::newRow("p[2] cell") << 2 << 1 << "Frequency of allele A2";
    QTest::newRow("Wmed header") << 3 << 0 << "Population mean fitness";
    QTest::newRow("right of the cells") << 4 << 1 << "";
}

// State: a run shown. Action: hover over a cell. Expected: its column's hint
// in the status channel, whatever the row; nothing right of the cells.
void TestSelDi2::gridColumnHints()
{
    QFETCH(int, col);
    QFETCH(int, row);
    QFETCH(QString, hint);

    h->clickRun();
    TStringAlignGrid *grid = h->grid();
    morva::test::hoverAt(grid->viewport(), grid->cellRect(0, 1).center());
    QPoint pos = grid->cellRect(qMin(col, 3), row).center();
    if (col > 3)
        pos.setX(grid->cellRect(3, row).right() + 3);
    QVERIFY(grid->viewport()->rect().contains(pos));
    morva::test::hoverAt(grid->viewport(), pos);
    QCOMPARE(morva::HintTracker::instance()->currentHint(), hint);
}

// Action: size the output panel to a client of 565 x 487, drag Splitter3,
// resize again. Expected: the chart area 70 % high (340), the grid 264 wide
// at 150, 20 from the top; after the drag a resize snaps back to 70 %.
void TestSelDi2::resizeRules()
{
    h->clickRun();
    h->resizeOutputTo(565, 487);
    QCOMPARE(h->form->outputPanel()->size(), QSize(565, 487));
    QCOMPARE(h->form->outputGraphPanel()->height(), 340);
    QWidget *numbers = h->form->outputNumbersPanel();
    QCOMPARE(numbers->width(), 565);
    QCOMPARE(h->grid()->geometry(), QRect(150, 20, 264, numbers->height() - 50));

    QSplitterHandle *bar = h->form->splitter3()->handle(1);
    const QPoint grip = bar->rect().center();
    QTest::mousePress(bar, Qt::LeftButton, {}, grip);
    QTest::mouseMove(bar, grip - QPoint(0, 60));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, grip - QPoint(0, 60));
    QCOMPARE(h->form->outputGraphPanel()->height(), 280);

    h->resizeOutputTo(565, 497);
    QCOMPARE(h->form->outputGraphPanel()->height(), 347);
}

// State: the focus on a control (after a first run for the page control and
// the grid). Action: a key. Expected: a run, a cancel or neither.
void TestSelDi2::keys_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("outcome");

    QTest::newRow("Enter in generations") << "SelNgKesSpinEdit" << int(Qt::Key_Return) << "run";
    QTest::newRow("keypad Enter in generations")
        << "SelNgKesSpinEdit" << int(Qt::Key_Enter) << "run";
    QTest::newRow("Enter in A1") << "SelDi2Freq1RealSpinEdit" << int(Qt::Key_Return) << "none";
    QTest::newRow("Esc in A1") << "SelDi2Freq1RealSpinEdit" << int(Qt::Key_Escape) << "none";
    QTest::newRow("Esc in generations") << "SelNgKesSpinEdit" << int(Qt::Key_Escape) << "none";
    QTest::newRow("Enter on Run") << "SelRunBtn" << int(Qt::Key_Return) << "run";
    QTest::newRow("Enter on Cancel") << "SelCancelBtn" << int(Qt::Key_Return) << "cancel";
    QTest::newRow("Esc on Run") << "SelRunBtn" << int(Qt::Key_Escape) << "cancel";
    QTest::newRow("Enter on pages") << "SelDiOutGraphPageControl" << int(Qt::Key_Return) << "run";
    QTest::newRow("Esc on pages") << "SelDiOutGraphPageControl" << int(Qt::Key_Escape)
                                  << "cancel";
    QTest::newRow("Enter on grid") << "SelDi2StringAlignGrid" << int(Qt::Key_Return) << "run";
    QTest::newRow("Esc on grid") << "SelDi2StringAlignGrid" << int(Qt::Key_Escape) << "cancel";
}

void TestSelDi2::keys()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(QString, outcome);

    const bool output = focus == QStringLiteral("SelDiOutGraphPageControl")
                        || focus == QStringLiteral("SelDi2StringAlignGrid");
    if (output)
        h->clickRun();
    h->form->SelNgKesSpinEdit->setValue(10);
    QWidget *target = h->find<QWidget>(focus);
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

// Action: click Cancel. Expected: the hook runs once, after the window left
// the area and before it is freed; then the window and its global are gone.
void TestSelDi2::cancelClosesThenHandsBack()
{
    h->clickRun();
    QTest::mouseClick(h->form->SelCancelBtn, Qt::LeftButton);
    QCOMPARE(h->handBacks, 1);
    QVERIFY(h->aliveAtHandBack);
    QVERIFY(h->closedAtHandBack);
    QTRY_VERIFY(h->form.isNull());
    QVERIFY(SelDi2Form.isNull());
}

MORVA_GUI_TEST_MAIN(TestSelDi2)
#include "tst_SelDi2.moc"
