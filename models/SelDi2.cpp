#include "models/SelDi2.h"

#include "arith/CheckedInt.h"
#include "arith/Equilibria.h"
#include "arith/PgMathSe.h"
#include "controls/Aligrid.h"
#include "controls/Chart.h"
#include "controls/KesSpinEdits1.h"
#include "models/RunTable.h"
#include "platform/Application.h"
#include "platform/NumberText.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include <cmath>

QPointer<TSelDi2Form> SelDi2Form;

using morva::chart::Chart;
using morva::chart::MarkerShape;
using morva::chart::PenStyle;
using morva::chart::Series;

const QString TSelDi2Form::kSumMessage =
    QStringLiteral("Allele frequencies MUST add up to 1\r     Try double cliking on one of them");
const QString TSelDi2Form::kFitnessMessage = QStringLiteral("Fitnesses CANNOT be all 0");
const QString TSelDi2Form::kDoubleClickMessage =
    QStringLiteral("Allele frequencies MUST add up to 1 and be non-negative!");

namespace {

const QColor kAllele1Colour(0, 128, 0);
const QColor kAllele2Colour(255, 0, 0);
const QColor kLeftWallColour(255, 255, 128);
const QColor kWmedPanelColour(232, 237, 232);

constexpr long double kSumTolerance = 1e-6L;
constexpr std::uint16_t kExpectedIntervals = 500;
constexpr int kLegendWidthFrequencies = 80;
constexpr int kLegendWidthFitnesses = 55;
constexpr int kLegendWidthReadout = 25;

morva::ModelFormSettings settings()
{
    morva::ModelFormSettings s;
    s.caption = QStringLiteral(" MORVA - Natural Selection: Diploid population, 2 alleles");
    s.inputPanelWidth = 170;
    s.spacerHeight = 10;
    s.ngBoxHeight = 60;
    s.scrollRange = QSize(550, 500);
    s.runName = QStringLiteral("SelRunBtn");
    s.cancelName = QStringLiteral("SelCancelBtn");
    s.runPos = QPoint(45, 350);
    s.pageControlName = QStringLiteral("SelDiOutGraphPageControl");
    s.gridName = QStringLiteral("SelDi2StringAlignGrid");
    s.gridColumns = 4;
    s.gridWidthAddend = 6;
    return s;
}

// The window colour and window-text colour of the system palette.
QColor windowColour(const QWidget *widget)
{
    return widget->palette().color(QPalette::Base);
}

QColor windowTextColour(const QWidget *widget)
{
    return widget->palette().color(QPalette::Text);
}

void chartLook(Chart *chart, const QColor &panel, int legendSampleWidth)
{
    chart->setBackColor(Qt::white);
    chart->setLeftWallColor(kLeftWallColour);
    chart->setPanelColor(panel);
    chart->setLegendSampleWidth(legendSampleWidth);
}

// The time axis of the charts against generations.
void timeAxis(morva::chart::Axis *axis)
{
    axis->setAutomatic();
    axis->setLabelPicture(QStringLiteral("##0"));
    axis->setLabelSeparation(35);
    axis->setMinorTicks(0, 0);
    axis->setTitle(QStringLiteral("time (generations)"));
}

// The p[1] axis of the charts against frequency.
void frequencyAxis(morva::chart::Axis *axis, const QString &title)
{
    axis->setFixedRange(0.0, 1.0);
    axis->setIncrement(0.2);
    axis->setLabelPicture(QStringLiteral("0.00"));
    axis->setLabelSeparation(5);
    axis->setMinorTicks(1, 3);
    axis->setDashedTicks(true);
    axis->setTitle(title);
}

void automaticAxis(morva::chart::Axis *axis, const QString &picture, const QString &title)
{
    axis->setAutomatic();
    axis->setLabelPicture(picture);
    axis->setLabelSeparation(25);
    axis->setMinorTicks(0, 0);
    axis->setTitle(title);
}

void clearSeries(Chart *chart)
{
    for (int i = 0; i < chart->seriesCount(); ++i)
        chart->series(i)->clear();
}

void add(Series *series, long double x, long double y)
{
    series->addPoint(static_cast<double>(x), static_cast<double>(y));
}

// Generation numbers stand right-aligned in the centred time column.
QString timeText(int generation, std::uint16_t time)
{
    const int blanks = generation < 10 ? 7 : generation < 100 ? 4 : 3;
    return QString(blanks, QLatin1Char(' ')) + morva::text::formatInteger(time);
}

QString gridNumber(long double value)
{
    return morva::text::formatFixed(value, 4, 3);
}

QString readoutNumber(long double value)
{
    return morva::text::formatFixed(value, 5, 3);
}

} // namespace

TSelDi2Form::TSelDi2Form(std::function<void()> handBack, QWidget *parent)
    : ModelForm(settings(), std::move(handBack), parent)
{
    setObjectName(QStringLiteral("SelDi2Form"));
    NgGroupBox = ngGroupBox();
    SelRunBtn = runButton();
    SelCancelBtn = cancelButton();
    SelDiOutGraphPageControl = pageControl();
    SelDi2StringAlignGrid = grid();

    buildInputs();
    buildCharts();
    designGrid();
    connectHandlers();
    SelDi2Form = this;
}

TSelDi2Form::~TSelDi2Form() = default;

// --- construction ---

void TSelDi2Form::buildInputs()
{
    buildFrequencyBox();
    buildFitnessBox();
    buildNgBox();
}

void TSelDi2Form::buildFrequencyBox()
{
    SelDi2FreqGroupBox = addGroupBox(
        InputSlot::Frequencies, QStringLiteral("SelDi2FreqGroupBox"),
        QStringLiteral("Allele frequencies"),
        QStringLiteral("Set initial allele frequencies.  Double click any frequency to set it "
                       "to one minus the other"),
        80);
    SelDi2Freq1Label = addLabel(SelDi2FreqGroupBox, QStringLiteral("SelDi2Freq1Label"),
                                QStringLiteral("A1:"), {40, 20});
    SelDi2Freq1RealSpinEdit =
        addRealField(SelDi2FreqGroupBox, QStringLiteral("SelDi2Freq1RealSpinEdit"),
                     {{70, 18}, {55, 22}}, 0.6L, 0.0L, 1.0L, 0.01L, kAllele1Colour);
    SelDi2Freq2Label = addLabel(SelDi2FreqGroupBox, QStringLiteral("SelDi2Freq2Label"),
                                QStringLiteral("A2:"), {40, 50});
    SelDi2Freq2RealSpinEdit =
        addRealField(SelDi2FreqGroupBox, QStringLiteral("SelDi2Freq2RealSpinEdit"),
                     {{70, 48}, {55, 22}}, 0.4L, 0.0L, 1.0L, 0.01L, kAllele2Colour);
    SelDi2Freq1RealSpinEdit->setAccessibleName(QStringLiteral("A1 frequency"));
    SelDi2Freq2RealSpinEdit->setAccessibleName(QStringLiteral("A2 frequency"));
}

void TSelDi2Form::buildFitnessBox()
{
    SelDi2FitGroupBox = addGroupBox(InputSlot::Parameters, QStringLiteral("SelDi2FitGroupBox"),
                                    QStringLiteral(" Genotype fitnesses "),
                                    QStringLiteral("Set genotype fitnesses"), 110);
    SelDi2Fit11Label = addLabel(SelDi2FitGroupBox, QStringLiteral("SelDi2Fit11Label"),
                                QStringLiteral("A1A1:"), {30, 20});
    SelDi2Fit12Label = addLabel(SelDi2FitGroupBox, QStringLiteral("SelDi2Fit12Label"),
                                QStringLiteral("A1A2:"), {30, 50});
    SelDi2Fit22Label = addLabel(SelDi2FitGroupBox, QStringLiteral("SelDi2Fit22Label"),
                                QStringLiteral("A2A2:"), {30, 80});
    SelDi2Fit11RealSpinEdit =
        addRealField(SelDi2FitGroupBox, QStringLiteral("SelDi2Fit11RealSpinEdit"),
                     {{75, 18}, {55, 22}}, 0.8L, 0.0L, 2.0L, 0.01L);
    SelDi2Fit12RealSpinEdit =
        addRealField(SelDi2FitGroupBox, QStringLiteral("SelDi2Fit12RealSpinEdit"),
                     {{75, 48}, {55, 22}}, 0.7L, 0.0L, 2.0L, 0.01L);
    SelDi2Fit22RealSpinEdit =
        addRealField(SelDi2FitGroupBox, QStringLiteral("SelDi2Fit22RealSpinEdit"),
                     {{75, 78}, {55, 22}}, 0.9L, 0.0L, 2.0L, 0.01L);
    SelDi2Fit11RealSpinEdit->setAccessibleName(QStringLiteral("A1A1 fitness"));
    SelDi2Fit12RealSpinEdit->setAccessibleName(QStringLiteral("A1A2 fitness"));
    SelDi2Fit22RealSpinEdit->setAccessibleName(QStringLiteral("A2A2 fitness"));
}

void TSelDi2Form::buildNgBox()
{
    SelNgKesSpinEdit = addIntField(NgGroupBox, QStringLiteral("SelNgKesSpinEdit"),
                                   {{50, 22}, {65, 22}}, 30, 1, 300, 5);
    SelNgKesSpinEdit->setReadOnly(true);
    SelNgKesSpinEdit->setAccessibleName(QStringLiteral("Number of generations"));
}

void TSelDi2Form::buildCharts()
{
    SelDi2Chart1 = addChartPage(QStringLiteral("TabSheet1"), QStringLiteral("Allele freqs vs time"),
                                QStringLiteral("SelDi2Chart1"));
    SelDi2Chart3 = addChartPage(QStringLiteral("TabSheet3"), QStringLiteral("delta-p[1] vs p[1]"),
                                QStringLiteral("SelDi2Chart3"));
    SelDi2Chart4 = addChartPage(QStringLiteral("TabSheet4"), QStringLiteral("Wmed vs p[1]"),
                                QStringLiteral("SelDi2Chart4"));
    SelDi2Chart2 = addChartPage(QStringLiteral("TabSheet2"), QStringLiteral("Fitnesses vs time"),
                                QStringLiteral("SelDi2Chart2"));
    TabSheet1 = SelDi2Chart1->parentWidget();
    TabSheet2 = SelDi2Chart2->parentWidget();
    TabSheet3 = SelDi2Chart3->parentWidget();
    TabSheet4 = SelDi2Chart4->parentWidget();

    buildAlleleFreqChart();
    buildFitnessChart();
    buildDeltaChart();
    buildWmedChart();
}

void TSelDi2Form::buildAlleleFreqChart()
{
    Chart *chart = SelDi2Chart1;
    chartLook(chart, windowColour(this), kLegendWidthFrequencies);
    timeAxis(chart->bottomAxis());
    morva::chart::Axis *left = chart->leftAxis();
    left->setFixedRange(0.0, 1.0);
    left->setIncrement(0.25);
    left->setLabelPicture(QStringLiteral("0.00"));
    left->setLabelSeparation(5);
    left->setMinorTicks(0, 0);
    left->setTickLength(5);
    left->setTitle(QStringLiteral("allele frequencies"));

    Series1 = chart->addLineSeries(QStringLiteral("Series1"), QStringLiteral("p[1]"),
                                   kAllele1Colour, PenStyle::Solid);
    Series2 = chart->addLineSeries(QStringLiteral("Series2"), QStringLiteral("p[2]"),
                                   kAllele2Colour, PenStyle::Dashed);
    Series6 = chart->addPointSeries(QStringLiteral("Series6"), QStringLiteral("FirstPoint"),
                                    Qt::yellow, MarkerShape::Diamond, 2, Qt::white, false);
    equilibriumLevels = morva::addEquilibriumLevels(chart, 2, QStringLiteral("stable equilibrium"));
}

void TSelDi2Form::buildFitnessChart()
{
    Chart *chart = SelDi2Chart2;
    chartLook(chart, windowColour(this), kLegendWidthFitnesses);
    timeAxis(chart->bottomAxis());
    automaticAxis(chart->leftAxis(), QStringLiteral("0.00"), QStringLiteral("fitnesses"));

    FastLineSeries1 = chart->addLineSeries(QStringLiteral("FastLineSeries1"),
                                           QStringLiteral("W[1]"), kAllele1Colour,
                                           PenStyle::Solid);
    FastLineSeries2 = chart->addLineSeries(QStringLiteral("FastLineSeries2"),
                                           QStringLiteral("W[2]"), kAllele2Colour,
                                           PenStyle::Dashed);
    Series3 = chart->addLineSeries(QStringLiteral("Series3"), QStringLiteral("Wmed"), Qt::black,
                                   PenStyle::Solid);
    Series9 = chart->addPointSeries(QStringLiteral("Series9"), QStringLiteral("FirstPoints"),
                                    Qt::yellow, MarkerShape::Diamond, 2, Qt::white, false);
}

void TSelDi2Form::buildDeltaChart()
{
    Chart *chart = SelDi2Chart3;
    chartLook(chart, windowColour(this), kLegendWidthReadout);
    chart->setCrossHairCursor(true);
    frequencyAxis(chart->bottomAxis(), QStringLiteral("p[1] "));
    automaticAxis(chart->leftAxis(), QStringLiteral("0.000"), QStringLiteral("delta-p[1]"));

    Series4 = chart->addLineSeries(QStringLiteral("Series4"), QStringLiteral("ref"), Qt::black,
                                   PenStyle::Dotted, false);
    FastLineSeries4 = chart->addLineSeries(QStringLiteral("FastLineSeries4"),
                                           QStringLiteral("delta-p-expected"), kAllele1Colour,
                                           PenStyle::Dashed);
    Series5 = chart->addPointSeries(QStringLiteral("Series5"), QStringLiteral("delta-p-observed"),
                                    kAllele1Colour, MarkerShape::Circle, 3, kAllele1Colour);
    Series7 = chart->addPointSeries(QStringLiteral("Series7"), QStringLiteral("FirstPoint"),
                                    kAllele2Colour, MarkerShape::Circle, 3, Qt::white, false);
    deltaMarkers = morva::addEquilibriumMarkers(chart);
}

void TSelDi2Form::buildWmedChart()
{
    Chart *chart = SelDi2Chart4;
    chartLook(chart, kWmedPanelColour, kLegendWidthReadout);
    chart->setCrossHairCursor(true);
    frequencyAxis(chart->bottomAxis(), QStringLiteral("p[1]"));
    automaticAxis(chart->leftAxis(), QStringLiteral("0.000"), QStringLiteral("Wmed"));

    FastLineSeries5 = chart->addLineSeries(QStringLiteral("FastLineSeries5"),
                                           QStringLiteral("Wmed-expected"), Qt::black,
                                           PenStyle::Dashed);
    PointSeries1 = chart->addPointSeries(QStringLiteral("PointSeries1"),
                                         QStringLiteral("Wmed-observed"), Qt::black,
                                         MarkerShape::Circle, 3, Qt::black);
    Series8 = chart->addPointSeries(QStringLiteral("Series8"), QStringLiteral("FirstPoint"),
                                    kAllele2Colour, MarkerShape::Circle, 3, Qt::white, false);
    wmedMarkers = morva::addEquilibriumMarkers(chart);
}

// The grid's designed attributes: centred text, no visible selection, the
// allele columns in their colours.
void TSelDi2Form::designGrid()
{
    TStringAlignGrid *grid = SelDi2StringAlignGrid;
    grid->setAlignment(alCenter);
    grid->setSelectedCellColor(windowColour(this));
    grid->setSelectedFontColor(windowTextColour(this));
    grid->cellFont(1, 0)->setColor(kAllele1Colour);
    grid->cellFont(2, 0)->setColor(kAllele2Colour);
    grid->cellFont(2, 1)->setColor(windowTextColour(this));
    grid->columnFont(1)->setColor(kAllele1Colour);
    grid->columnFont(2)->setColor(kAllele2Colour);
    grid->fixedRowFont(0)->setColor(windowTextColour(this));
}

void TSelDi2Form::connectHandlers()
{
    using morva::guardedSlot;
    connect(SelDi2Freq1RealSpinEdit, &KesSpinEditBase::OnDblClick, this,
            guardedSlot([this] { SelDi2Freq1RealSpinEditDblClick(); }));
    connect(SelDi2Freq2RealSpinEdit, &KesSpinEditBase::OnDblClick, this,
            guardedSlot([this] { SelDi2Freq2RealSpinEditDblClick(); }));
    connect(SelNgKesSpinEdit, &KesSpinEditBase::OnChange, this,
            guardedSlot([this] { SelNgKesSpinEditChange(); }));
    connect(SelNgKesSpinEdit, &KesSpinEditBase::OnKeyDown, this,
            guardedSlot([this](int key, Qt::KeyboardModifiers modifiers) {
                SelNgKesSpinEditKeyDown(key, modifiers);
            }));
    connect(SelDi2Chart3, &Chart::OnMouseMove, this,
            guardedSlot([this](const QPoint &pos) { SelDi2Chart3MouseMove(pos); }));
    connect(SelDi2Chart4, &Chart::OnMouseMove, this,
            guardedSlot([this](const QPoint &pos) { SelDi2Chart4MouseMove(pos); }));
    connect(SelDi2StringAlignGrid, &TStringAlignGrid::OnMouseMove, this,
            guardedSlot([this](Qt::KeyboardModifiers, const QPoint &pos) {
                SelDi2StringAlignGridMouseMove(pos);
            }));
}

// --- handlers ---

void TSelDi2Form::prepareGrid()
{
    TStringAlignGrid *grid = SelDi2StringAlignGrid;
    grid->columnFont(1)->setColor(kAllele1Colour);
    grid->columnFont(2)->setColor(kAllele2Colour);
    grid->cellFont(1, 0)->setColor(Qt::black);
    grid->cellFont(2, 0)->setColor(Qt::black);
    grid->cellFont(2, 1)->setColor(kAllele2Colour);
    grid->setCell(0, 0, QStringLiteral(" time"));
    grid->setCell(1, 0, QStringLiteral(" p[1]"));
    grid->setCell(2, 0, QStringLiteral(" p[2]"));
    grid->setCell(3, 0, QStringLiteral(" Wmed"));
}

void TSelDi2Form::SelDi2Freq1RealSpinEditDblClick()
{
    applyFrequencyRule(SelDi2Freq1RealSpinEdit, {SelDi2Freq2RealSpinEdit}, kDoubleClickMessage);
}

void TSelDi2Form::SelDi2Freq2RealSpinEditDblClick()
{
    applyFrequencyRule(SelDi2Freq2RealSpinEdit, {SelDi2Freq1RealSpinEdit}, kDoubleClickMessage);
}

void TSelDi2Form::SelNgKesSpinEditChange()
{
    // A new number of generations takes effect at the next run.
}

void TSelDi2Form::SelNgKesSpinEditKeyDown(int key, Qt::KeyboardModifiers)
{
    if (isEnterKey(key))
        startRun();
}

void TSelDi2Form::SelRunBtnClick()
{
    using namespace morva;
    SelInitFreqs[1] = SelDi2Freq1RealSpinEdit->value();
    SelInitFreqs[2] = SelDi2Freq2RealSpinEdit->value();
    if (std::fabs(SelInitFreqs[1] + SelInitFreqs[2] - 1.0L) > kSumTolerance) {
        showError(kSumMessage);
        return;
    }
    SelFit[1] = SelDi2Fit11RealSpinEdit->value();
    SelFit[2] = SelDi2Fit12RealSpinEdit->value();
    SelFit[3] = SelDi2Fit22RealSpinEdit->value();
    if (SelFit[1] == 0.0L && SelFit[2] == 0.0L && SelFit[3] == 0.0L) {
        showError(kFitnessMessage);
        return;
    }
    SelNg = SelNgKesSpinEdit->value();
    SelTrajectory(2, SelFit, toUInt16Checked(SelNg), SelInitFreqs, SelTimes, SelFreqs,
                  SelAlleleFit, SelWmed);
    SelExpectedLine(kExpectedIntervals, SelFit, SelLineP, SelLineWmed, SelLineDelta);
    showResults();
}

void TSelDi2Form::SelCancelBtnClick()
{
    cancelModel();
}

void TSelDi2Form::OutputGraphPanelEnter()
{
    using namespace morva;
    const int ng = SelNg;
    const auto t = [](int g) { return static_cast<long double>(SelTimes[g]); };
    const EquilibriumSet equilibria = selectionEquilibria2(SelFit);
    m_marked = equilibria.points;

    clearSeries(SelDi2Chart1);
    add(Series6, t(0), SelFreqs[0][1]);
    add(Series6, t(0), SelFreqs[0][2]);
    for (int g = 0; g <= ng; ++g) {
        add(Series1, t(g), SelFreqs[g][1]);
        add(Series2, t(g), SelFreqs[g][2]);
    }
    // A stable equilibrium inside: where both frequencies level off.
    fillEquilibriumLevels(equilibriumLevels, interiorOfKind(equilibria, Stability::Stable), t(0),
                          t(ng));
    SelDi2Chart1->commit();

    clearSeries(SelDi2Chart2);
    add(Series9, t(0), SelAlleleFit[0][1]);
    add(Series9, t(0), SelAlleleFit[0][2]);
    add(Series9, t(0), SelWmed[0]);
    for (int g = 0; g <= ng; ++g) {
        add(FastLineSeries1, t(g), SelAlleleFit[g][1]);
        add(FastLineSeries2, t(g), SelAlleleFit[g][2]);
        add(Series3, t(g), SelWmed[g]);
    }
    SelDi2Chart2->commit();

    clearSeries(SelDi2Chart3);
    add(Series7, SelFreqs[0][1], SelFreqs[1][1] - SelFreqs[0][1]);
    for (int i = 0; i <= kExpectedIntervals; ++i) {
        add(Series4, SelLineP[i], 0.0L);
        add(FastLineSeries4, SelLineP[i], SelLineDelta[i]);
    }
    for (int g = 1; g <= ng; ++g)
        add(Series5, SelFreqs[g - 1][1], SelFreqs[g][1] - SelFreqs[g - 1][1]);
    // Each equilibrium on the axis, where delta-p[1] is 0.
    m_deltaPlaces = fillEquilibriumMarkers(deltaMarkers, m_marked, [](const Equilibrium &e) {
        return QPointF(static_cast<double>(e.p[1]), 0.0);
    });
    SelDi2Chart3->commit();

    clearSeries(SelDi2Chart4);
    add(Series8, SelFreqs[0][1], SelWmed[0]);
    for (int i = 1; i <= kExpectedIntervals; ++i)
        add(FastLineSeries5, SelLineP[i], SelLineWmed[i]);
    for (int g = 0; g <= ng; ++g)
        add(PointSeries1, SelFreqs[g][1], SelWmed[g]);
    // Each equilibrium on the mean-fitness curve.
    m_wmedPlaces = fillEquilibriumMarkers(wmedMarkers, m_marked, [](const Equilibrium &e) {
        return QPointF(static_cast<double>(e.p[1]), static_cast<double>(e.meanFitness));
    });
    SelDi2Chart4->commit();
}

QStringList TSelDi2Form::equilibriumLines() const
{
    return morva::equilibriumLines(morva::selectionEquilibria2(morva::SelFit), true);
}

void TSelDi2Form::OutputNumbersPanelEnter()
{
    using namespace morva;
    const int ng = SelNg;
    // An entry beyond the arrays is a range error before the grid grows.
    (void)SelTimes[ng];
    TStringAlignGrid *grid = SelDi2StringAlignGrid;
    grid->setRowCount(checkedAdd(ng, 2));
    for (int g = 0; g <= ng; ++g) {
        const int row = g + 1;
        grid->setCell(0, row, timeText(g, SelTimes[g]));
        grid->setCell(1, row, gridNumber(SelFreqs[g][1]));
        grid->setCell(2, row, gridNumber(SelFreqs[g][2]));
        grid->setCell(3, row, gridNumber(SelWmed[g]));
    }
    grid->show();
}

void TSelDi2Form::SelDi2Chart3MouseMove(const QPoint &pos)
{
    if (markerReadout(SelDi2Chart3, pos, m_deltaPlaces, [this](int i) {
            return QStringLiteral(" p[1]= ") + readoutNumber(m_marked[std::size_t(i)].p[1])
                + QStringLiteral("   ") + morva::equilibriumSummary(m_marked[std::size_t(i)]);
        }))
        return;
    chartReadout(SelDi2Chart3, pos, [](long double x, long double y) {
        return QStringLiteral(" p[1]= ") + readoutNumber(x) + QStringLiteral("   delta-p[1]= ") +
               readoutNumber(y);
    });
}

void TSelDi2Form::SelDi2Chart4MouseMove(const QPoint &pos)
{
    if (markerReadout(SelDi2Chart4, pos, m_wmedPlaces, [this](int i) {
            const morva::Equilibrium &e = m_marked[std::size_t(i)];
            return QStringLiteral(" p[1]= ") + readoutNumber(e.p[1]) + QStringLiteral("   Wmed= ")
                + readoutNumber(e.meanFitness) + QStringLiteral("   ")
                + morva::equilibriumSummary(e);
        }))
        return;
    chartReadout(SelDi2Chart4, pos, [](long double x, long double y) {
        return QStringLiteral(" p[1]= ") + readoutNumber(x) + QStringLiteral("   Wmed= ") +
               readoutNumber(y);
    });
}

void TSelDi2Form::SelDi2StringAlignGridMouseMove(const QPoint &pos)
{
    static const QStringList hints{
        QStringLiteral("Time (in generations)"), QStringLiteral("Frequency of allele A1"),
        QStringLiteral("Frequency of allele A2"), QStringLiteral("Population mean fitness")};
    gridColumnHint(pos, hints);
}

// The run for export: every generation's frequencies, allele fitnesses and
// mean fitness.
morva::RunTable TSelDi2Form::runTable() const
{
    using namespace morva;
    RunTable table;
    table.fileStem = QStringLiteral("selection-2-alleles");
    table.inputs = {
        {QStringLiteral("A1 frequency"), fieldText(SelDi2Freq1RealSpinEdit)},
        {QStringLiteral("A2 frequency"), fieldText(SelDi2Freq2RealSpinEdit)},
        {QStringLiteral("A1A1 fitness"), fieldText(SelDi2Fit11RealSpinEdit)},
        {QStringLiteral("A1A2 fitness"), fieldText(SelDi2Fit12RealSpinEdit)},
        {QStringLiteral("A2A2 fitness"), fieldText(SelDi2Fit22RealSpinEdit)},
        {QStringLiteral("generations"), fieldText(SelNgKesSpinEdit)},
    };
    table.notes = equilibriumLines();
    table.header = {QStringLiteral("time"), QStringLiteral("p[1]"), QStringLiteral("p[2]"),
                    QStringLiteral("W[1]"), QStringLiteral("W[2]"), QStringLiteral("Wmed")};
    table.values.reserve(static_cast<std::size_t>(SelNg + 1) * 6);
    for (int g = 0; g <= SelNg; ++g) {
        table.appendRow({static_cast<long double>(SelTimes[g]), SelFreqs[g][1], SelFreqs[g][2],
                         SelAlleleFit[g][1], SelAlleleFit[g][2], SelWmed[g]});
    }
    return table;
}
