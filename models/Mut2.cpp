#include "models/Mut2.h"

#include "arith/Equilibria.h"
#include "arith/PgMathMu.h"
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

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

QPointer<TMut2Form> Mut2Form;

using morva::chart::Chart;
using morva::chart::MarkerShape;
using morva::chart::PenStyle;
using morva::chart::Series;

namespace {

constexpr std::int32_t kMaxGenerations = std::numeric_limits<std::int32_t>::max();

} // namespace

const QString TMut2Form::kSumMessage =
    QStringLiteral("Allele frequencies MUST add up to 1\r     Try double cliking on one of them");
const QString TMut2Form::kRatesMessage = QStringLiteral("Mutation rates CANNOT both be 0");
const QString TMut2Form::kGenerationsMessage =
    QStringLiteral("Number of generations cannot be greater than ");
const QString TMut2Form::kDoubleClickMessage =
    QStringLiteral("Genotype frequencies MUST add up to 1 and be non-negative!");

namespace {

const QColor kAllele1Colour(0, 128, 0);
const QColor kAllele2Colour(255, 0, 0);
// The colour value 8454143: blue 0x80, green and red 0xFF.
const QColor kBackWallColour(255, 255, 128);

constexpr long double kSumTolerance = 1e-6L;
constexpr std::uint16_t kLineIntervals = 20;
constexpr int kLegendWidthFrequencies = 80;
constexpr int kLegendWidthDelta = 25;

// Places of the fields in their group boxes.
constexpr QSize kFreqFieldSize(55, 22);
constexpr QSize kMantissaFieldSize(52, 22);
constexpr QSize kPowerFieldSize(40, 22);
constexpr int kRateRow1 = 20;
constexpr int kRateRow2 = 52;
constexpr int kRateLabelX = 6;
constexpr int kMantissaX = 58;
constexpr int kTimesTenX = 114;
constexpr int kPowerX = 146;
// The rate rows are full: their labels and the "x10^" labels use the
// panel's smaller font.
constexpr int kSmallLabelPixels = 11;
constexpr int kSmallLabelDrop = 4;

morva::ModelFormSettings settings()
{
    morva::ModelFormSettings s;
    s.caption = QStringLiteral(" MORVA - Mutation, 2 alleles");
    s.inputPanelWidth = 200;
    s.spacerHeight = 10;
    s.ngBoxHeight = 60;
    s.scrollRange = QSize(550, 500);
    s.runName = QStringLiteral("RunBtn");
    s.cancelName = QStringLiteral("CancelBtn");
    s.runPos = QPoint(45, 325);
    s.pageControlName = QStringLiteral("MutOutGraphPageControl");
    s.gridName = QStringLiteral("StringAlignGrid");
    s.gridColumns = 3;
    s.gridWidthAddend = 8;
    return s;
}

QColor windowColour(const QWidget *widget)
{
    return widget->palette().color(QPalette::Base);
}

QColor windowTextColour(const QWidget *widget)
{
    return widget->palette().color(QPalette::Text);
}

void chartLook(Chart *chart, int legendSampleWidth)
{
    chart->setPanelColor(Qt::white);
    chart->setBackColor(kBackWallColour);
    chart->setLegendSampleWidth(legendSampleWidth);
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

// mantissa x 10^exponent: the power of ten first, then the product.
long double scaled(long double mantissa, std::int32_t exponent)
{
    const long double power = morva::Power(10.0L, exponent);
    return mantissa * power;
}

// What an integer field holds once it is left: a typed value beyond its
// limits counts as the limit. Enter in a generation field runs while the
// typed text is still unclamped; a click on Run would have clamped it first.
std::int32_t settledValue(const TKesSpinEdit *field)
{
    return field->ClampValue(field->value());
}

// Index of the last entry of the stored run.
int lastEntry()
{
    return std::clamp<std::int32_t>(morva::MutNg, 0, morva::MutSamples);
}

QString gridNumber(long double value)
{
    return morva::text::formatFixed(value, 6, 5);
}

} // namespace

TMut2Form::TMut2Form(std::function<void()> handBack, QWidget *parent)
    : ModelForm(settings(), std::move(handBack), parent)
{
    setObjectName(QStringLiteral("Mut2Form"));
    NgGroupBox = ngGroupBox();
    RunBtn = runButton();
    CancelBtn = cancelButton();
    MutOutGraphPageControl = pageControl();
    StringAlignGrid = grid();

    buildFrequencyBox();
    buildRatesBox();
    buildNgBox();
    buildAlleleFreqChart();
    buildDeltaChart();
    designGrid();
    connectHandlers();
    Mut2Form = this;
}

TMut2Form::~TMut2Form() = default;

// --- construction ---

void TMut2Form::buildFrequencyBox()
{
    FreqGroupBox = addGroupBox(
        InputSlot::Frequencies, QStringLiteral("FreqGroupBox"),
        QStringLiteral("Allele frequencies"),
        QStringLiteral("Set initial allele frequencies.  Double click any frequency to set it "
                       "to one minus the other"),
        80);
    Freq11Label = addLabel(FreqGroupBox, QStringLiteral("Freq11Label"), QStringLiteral("A1:"),
                           {55, 20});
    Freq1RealSpinEdit = addRealField(FreqGroupBox, QStringLiteral("Freq1RealSpinEdit"),
                                     {{85, 18}, kFreqFieldSize}, 0.6L, 0.0L, 1.0L, 0.01L,
                                     kAllele1Colour);
    Freq12Label = addLabel(FreqGroupBox, QStringLiteral("Freq12Label"), QStringLiteral("A2:"),
                           {55, 50});
    Freq2RealSpinEdit = addRealField(FreqGroupBox, QStringLiteral("Freq2RealSpinEdit"),
                                     {{85, 48}, kFreqFieldSize}, 0.4L, 0.0L, 1.0L, 0.01L,
                                     kAllele2Colour);
    Freq1RealSpinEdit->setAccessibleName(QStringLiteral("A1 frequency"));
    Freq2RealSpinEdit->setAccessibleName(QStringLiteral("A2 frequency"));
}

void TMut2Form::buildRatesBox()
{
    MutRatesGroupBox = addGroupBox(InputSlot::Parameters, QStringLiteral("MutRatesGroupBox"),
                                   QStringLiteral("Mutation rates"),
                                   QStringLiteral("Set mutation rates"), 85);
    QGroupBox *box = MutRatesGroupBox;
    const auto label = [this, box](const char *name, const char *text, int x, int row) {
        return addLabel(box, QString::fromLatin1(name), QString::fromLatin1(text),
                        {x, row + kSmallLabelDrop}, kSmallLabelPixels);
    };

    Fit11Label = label("Fit11Label", "A1->A2:", kRateLabelX, kRateRow1);
    MutRate12RealSpinEdit =
        addRealField(box, QStringLiteral("MutRate12RealSpinEdit"),
                     {{kMantissaX, kRateRow1}, kMantissaFieldSize}, 1.0L, 0.0L, 10.0L, 0.01L);
    Label10a = label("Label10a", "x10^", kTimesTenX, kRateRow1);
    MutRate12PowerSpinEdit = addIntField(box, QStringLiteral("MutRate12PowerSpinEdit"),
                                         {{kPowerX, kRateRow1}, kPowerFieldSize}, -6, -9, -1, 1);

    Fit12Label = label("Fit12Label", "A2->A1:", kRateLabelX, kRateRow2);
    MutRate21RealSpinEdit =
        addRealField(box, QStringLiteral("MutRate21RealSpinEdit"),
                     {{kMantissaX, kRateRow2}, kMantissaFieldSize}, 5.0L, 0.0L, 10.0L, 0.01L);
    Label10b = label("Label10b", "x10^", kTimesTenX, kRateRow2);
    MutRate21PowerSpinEdit = addIntField(box, QStringLiteral("MutRate21PowerSpinEdit"),
                                         {{kPowerX, kRateRow2}, kPowerFieldSize}, -7, -9, -1, 1);
    MutRate12RealSpinEdit->setAccessibleName(QStringLiteral("A1->A2 rate"));
    MutRate12PowerSpinEdit->setAccessibleName(QStringLiteral("A1->A2 rate exponent"));
    MutRate21RealSpinEdit->setAccessibleName(QStringLiteral("A2->A1 rate"));
    MutRate21PowerSpinEdit->setAccessibleName(QStringLiteral("A2->A1 rate exponent"));
}

void TMut2Form::buildNgBox()
{
    NgKesSpinEdit = addIntField(NgGroupBox, QStringLiteral("NgKesSpinEdit"),
                                {{40, 24}, {48, 22}}, 5, 1, 30, 5);
    NgKesSpinEdit->setReadOnly(true);
    Label2 = addLabel(NgGroupBox, QStringLiteral("Label2"), QStringLiteral("x10^"),
                      {94, 24 + kSmallLabelDrop}, kSmallLabelPixels);
    NgPowerSpinEdit = addIntField(NgGroupBox, QStringLiteral("NgPowerSpinEdit"),
                                  {{126, 24}, kPowerFieldSize}, 6, 0, 9, 1);
    NgKesSpinEdit->setAccessibleName(QStringLiteral("Number of generations"));
    NgPowerSpinEdit->setAccessibleName(QStringLiteral("Number of generations exponent"));
}

void TMut2Form::buildAlleleFreqChart()
{
    Chart1 = addChartPage(QStringLiteral("TabSheet1"), QStringLiteral("Allele freqs vs time"),
                          QStringLiteral("Chart1"));
    TabSheet1 = Chart1->parentWidget();
    chartLook(Chart1, kLegendWidthFrequencies);

    morva::chart::Axis *bottom = Chart1->bottomAxis();
    bottom->setAutomatic();
    bottom->setLabelPicture(QStringLiteral("##0"));
    bottom->setLabelSeparation(35);
    bottom->setMinorTicks(0, 0);
    bottom->setTitle(QStringLiteral("time (generations)"));
    morva::chart::Axis *left = Chart1->leftAxis();
    left->setFixedRange(0.0, 1.0);
    left->setIncrement(0.25);
    left->setLabelPicture(QStringLiteral("0.00"));
    left->setMinorTicks(0, 0);
    left->setTickLength(5);
    left->setTitle(QStringLiteral("allele frequencies"));

    Series1 = Chart1->addLineSeries(QStringLiteral("Series1"), QStringLiteral("p[1]"),
                                    kAllele1Colour, PenStyle::Solid);
    Series2 = Chart1->addLineSeries(QStringLiteral("Series2"), QStringLiteral("p[2]"),
                                    kAllele2Colour, PenStyle::Dashed);
    Series6 = Chart1->addPointSeries(QStringLiteral("Series6"), QStringLiteral("FirstPoint"),
                                     Qt::white, MarkerShape::Diamond, 2, Qt::white, false);
    equilibriumLevels = morva::addEquilibriumLevels(Chart1, 2, QStringLiteral("equilibrium"));
}

void TMut2Form::buildDeltaChart()
{
    Chart3 = addChartPage(QStringLiteral("TabSheet3"), QStringLiteral("delta-p[2] vs p[2]"),
                          QStringLiteral("Chart3"));
    TabSheet3 = Chart3->parentWidget();
    chartLook(Chart3, kLegendWidthDelta);
    Chart3->setCursor(Qt::CrossCursor);

    morva::chart::Axis *bottom = Chart3->bottomAxis();
    bottom->setFixedRange(0.0, 1.0);
    bottom->setIncrement(0.2);
    bottom->setLabelPicture(QStringLiteral("0.00"));
    bottom->setMinorTicks(1, 3);
    bottom->setDashedTicks(true);
    bottom->setTitle(QStringLiteral("p[2]"));
    morva::chart::Axis *left = Chart3->leftAxis();
    left->setAutomatic();
    left->setLabelPicture(QStringLiteral("0.00E-00"));
    left->setLabelSeparation(20);
    left->setMinorTicks(0, 0);
    left->setTickLength(5);
    left->setTitle(QStringLiteral("delta-p[2]"));

    Series4 = Chart3->addLineSeries(QStringLiteral("Series4"), QStringLiteral("ref"), Qt::black,
                                    PenStyle::Dotted, false);
    FastLineSeries4 = Chart3->addLineSeries(QStringLiteral("FastLineSeries4"),
                                            QStringLiteral("delta-p[2]-expected"),
                                            kAllele2Colour, PenStyle::Dashed);
    Series5 = Chart3->addPointSeries(QStringLiteral("Series5"),
                                     QStringLiteral("delta-p[2]-observed"), kAllele1Colour,
                                     MarkerShape::Circle, 3, kAllele2Colour);
    Series7 = Chart3->addPointSeries(QStringLiteral("Series7"), QStringLiteral("FisrtPoint"),
                                     Qt::yellow, MarkerShape::Circle, 3, Qt::white, false);
    // With both rates at most 1 the equilibrium is never unstable.
    deltaMarkers = morva::addEquilibriumMarkers(Chart3, false);
}

// The grid's designed attributes: centred text with the times right-aligned
// below the header, no visible selection.
void TMut2Form::designGrid()
{
    TStringAlignGrid *grid = StringAlignGrid;
    grid->setAlignment(alCenter);
    grid->setAlignCol(0, alRight);
    grid->setSelectedCellColor(windowColour(this));
    grid->setSelectedFontColor(windowTextColour(this));
}

void TMut2Form::connectHandlers()
{
    using morva::guardedSlot;
    connect(Freq1RealSpinEdit, &KesSpinEditBase::OnDblClick, this,
            guardedSlot([this] { Freq1RealSpinEditDblClick(); }));
    connect(Freq2RealSpinEdit, &KesSpinEditBase::OnDblClick, this,
            guardedSlot([this] { Freq2RealSpinEditDblClick(); }));
    connect(NgKesSpinEdit, &KesSpinEditBase::OnKeyDown, this,
            guardedSlot([this](int key, Qt::KeyboardModifiers modifiers) {
                NgKesSpinEditKeyDown(key, modifiers);
            }));
    connect(NgPowerSpinEdit, &KesSpinEditBase::OnKeyDown, this,
            guardedSlot([this](int key, Qt::KeyboardModifiers modifiers) {
                NgPowerSpinEditKeyDown(key, modifiers);
            }));
    connect(Chart3, &Chart::OnMouseMove, this,
            guardedSlot([this](const QPoint &pos) { Chart3MouseMove(pos); }));
    connect(StringAlignGrid, &TStringAlignGrid::OnMouseMove, this,
            guardedSlot([this](Qt::KeyboardModifiers, const QPoint &pos) {
                StringAlignGridMouseMove(pos);
            }));
}

// --- handlers ---

void TMut2Form::prepareGrid()
{
    TStringAlignGrid *grid = StringAlignGrid;
    grid->columnFont(1)->setColor(kAllele1Colour);
    grid->columnFont(2)->setColor(kAllele2Colour);
    grid->cellFont(1, 0)->setColor(Qt::black);
    grid->cellFont(2, 0)->setColor(Qt::black);
    grid->cellFont(2, 1)->setColor(kAllele2Colour);
    grid->setCell(0, 0, QStringLiteral(" time"));
    grid->setCell(1, 0, QStringLiteral(" p[1]"));
    grid->setCell(2, 0, QStringLiteral(" p[2]"));
}

void TMut2Form::Freq1RealSpinEditDblClick()
{
    applyFrequencyRule(Freq1RealSpinEdit, {Freq2RealSpinEdit}, kDoubleClickMessage);
}

void TMut2Form::Freq2RealSpinEditDblClick()
{
    applyFrequencyRule(Freq2RealSpinEdit, {Freq1RealSpinEdit}, kDoubleClickMessage);
}

void TMut2Form::NgKesSpinEditKeyDown(int key, Qt::KeyboardModifiers)
{
    if (isEnterKey(key))
        startRun();
}

void TMut2Form::NgPowerSpinEditKeyDown(int key, Qt::KeyboardModifiers)
{
    if (isEnterKey(key))
        startRun();
}

void TMut2Form::RunBtnClick()
{
    using namespace morva;
    MutInitFreqs[1] = Freq1RealSpinEdit->value();
    MutInitFreqs[2] = Freq2RealSpinEdit->value();
    if (std::fabs(MutInitFreqs[1] + MutInitFreqs[2] - 1.0L) > kSumTolerance) {
        showError(kSumMessage);
        return;
    }

    const Extended u = scaled(MutRate12RealSpinEdit->value(), MutRate12PowerSpinEdit->value());
    MutRate12 = u;
    const Extended v = scaled(MutRate21RealSpinEdit->value(), MutRate21PowerSpinEdit->value());
    MutRate21 = v;
    if (u == 0.0L && v == 0.0L) {
        showError(kRatesMessage);
        return;
    }

    const Extended g = scaled(settledValue(NgKesSpinEdit), settledValue(NgPowerSpinEdit));
    if (g > static_cast<Extended>(kMaxGenerations)) {
        showError(kGenerationsMessage + text::formatInteger(kMaxGenerations));
        return;
    }
    // Ties to even in the default rounding mode; 1 <= g here.
    MutNg = static_cast<std::int32_t>(std::llrint(g));

    MutFreqs[0] = MutInitFreqs;
    MutTrajectory(MutNg, MutTimes, MutFreqs, u, v);
    MutDeltaLine(kLineIntervals, MutLineP, MutLineDelta, u, v);
    for (int j = 0; j <= MutSamples; ++j)
        MutDeltaObs[j] = MutDelta(u, v, MutFreqs[j][2]);

    showResults();
}

void TMut2Form::CancelBtnClick()
{
    cancelModel();
}

void TMut2Form::OutputGraphPanelEnter()
{
    const int last = lastEntry();
    m_marked = morva::mutationEquilibria(morva::MutRate12, morva::MutRate21).points;
    fillAlleleFreqChart(last);
    fillDeltaChart(last);
}

void TMut2Form::fillAlleleFreqChart(int last)
{
    using namespace morva;
    clearSeries(Chart1);
    add(Series6, MutTimes[0], MutFreqs[0][1]);
    add(Series6, MutTimes[0], MutFreqs[0][2]);
    for (int j = 0; j <= last; ++j) {
        add(Series1, MutTimes[j], MutFreqs[j][1]);
        add(Series2, MutTimes[j], MutFreqs[j][2]);
    }
    // Where both frequencies level off (or, with u + v = 2, the middle of
    // their two-cycle).
    fillEquilibriumLevels(equilibriumLevels, m_marked.empty() ? nullptr : &m_marked.front(),
                          MutTimes[0], MutTimes[last]);
    Chart1->commit();
}

void TMut2Form::fillDeltaChart(int last)
{
    using namespace morva;
    clearSeries(Chart3);
    for (int i = 0; i <= kLineIntervals; ++i) {
        add(Series4, MutLineP[i], 0.0L);
        add(FastLineSeries4, MutLineP[i], MutLineDelta[i]);
    }
    add(Series7, MutFreqs[0][2], MutDeltaObs[0]);
    for (int j = 1; j <= last; ++j)
        add(Series5, MutFreqs[j][2], MutDeltaObs[j]);
    m_deltaPlaces = fillEquilibriumMarkers(deltaMarkers, m_marked, [](const Equilibrium &e) {
        return QPointF(static_cast<double>(e.p[2]), 0.0);
    });
    Chart3->commit();
}

QStringList TMut2Form::equilibriumLines() const
{
    using namespace morva;
    const EquilibriumSet set = mutationEquilibria(MutRate12, MutRate21);
    QStringList lines = morva::equilibriumLines(set, false);
    for (const Equilibrium &e : set.points)
        lines << QStringLiteral("rate of approach |1-u-v|= ")
                     + multiplierText(e.rate()).replace(text::decimalSeparator(), QLatin1Char('.'))
                     + QStringLiteral(" per generation");
    return lines;
}

void TMut2Form::OutputNumbersPanelEnter()
{
    using namespace morva;
    const int last = lastEntry();
    TStringAlignGrid *grid = StringAlignGrid;
    grid->setRowCount(last + 2);
    for (int j = 0; j <= last; ++j) {
        const int row = j + 1;
        grid->setCell(0, row, QStringLiteral(" ") + text::formatInteger(MutTimes[j]));
        grid->setCell(1, row, gridNumber(MutFreqs[j][1]));
        grid->setCell(2, row, gridNumber(MutFreqs[j][2]));
    }
    grid->show();
}

QString TMut2Form::chart3Readout(long double x, long double y)
{
    return QStringLiteral(" p[2]= ") + morva::text::formatFixed(x, 6, 4)
           + QStringLiteral("   delta-p[2]= ") + morva::text::formatExponent(y, 3, 2);
}

void TMut2Form::Chart3MouseMove(const QPoint &pos)
{
    if (markerReadout(Chart3, pos, m_deltaPlaces, [this](int i) {
            const morva::Equilibrium &e = m_marked[std::size_t(i)];
            return QStringLiteral(" p[2]= ") + morva::text::formatFixed(e.p[2], 6, 4)
                + QStringLiteral("   ") + morva::equilibriumSummary(e);
        }))
        return;
    chartReadout(Chart3, pos, &TMut2Form::chart3Readout);
}

void TMut2Form::StringAlignGridMouseMove(const QPoint &pos)
{
    static const QStringList hints{QStringLiteral("Time (in generations)"),
                                   QStringLiteral("Frequency of allele A1"),
                                   QStringLiteral("Frequency of allele A2")};
    gridColumnHint(pos, hints);
}

// The run for export: the stored generations' frequencies. A rate or the
// number of generations is a mantissa and a power of ten in two fields, so
// it reads as the two together show it.
morva::RunTable TMut2Form::runTable() const
{
    using namespace morva;
    const auto scaledText = [](const KesSpinEditBase *mantissa, const KesSpinEditBase *power) {
        return fieldText(mantissa) + QStringLiteral("x10^") + fieldText(power);
    };
    RunTable table;
    table.fileStem = QStringLiteral("mutation-2-alleles");
    table.inputs = {
        {QStringLiteral("A1 frequency"), fieldText(Freq1RealSpinEdit)},
        {QStringLiteral("A2 frequency"), fieldText(Freq2RealSpinEdit)},
        {QStringLiteral("A1->A2 rate"), scaledText(MutRate12RealSpinEdit, MutRate12PowerSpinEdit)},
        {QStringLiteral("A2->A1 rate"), scaledText(MutRate21RealSpinEdit, MutRate21PowerSpinEdit)},
        {QStringLiteral("generations"), scaledText(NgKesSpinEdit, NgPowerSpinEdit)},
    };
    table.notes = equilibriumLines();
    table.header = {QStringLiteral("time"), QStringLiteral("p[1]"), QStringLiteral("p[2]")};
    const int last = lastEntry();
    table.values.reserve(static_cast<std::size_t>(last + 1) * 3);
    for (int j = 0; j <= last; ++j)
        table.appendRow({static_cast<long double>(MutTimes[j]), MutFreqs[j][1], MutFreqs[j][2]});
    return table;
}
