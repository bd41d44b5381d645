#include "models/windows/Mut2.h"

#include "arith/Equilibria.h"
#include "arith/PgMathMu.h"
#include "controls/Aligrid.h"
#include "controls/KesSpinEdits1.h"
#include "models/frame/HouseStyle.h"
#include "platform/NumberText.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

QPointer<TMut2Form> Mut2Form;

using namespace morva;
using namespace morva::form;
using chart::MarkerShape;
using chart::PenStyle;

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

using style::kAllele1Colour;
using style::kAllele2Colour;
// The colour value 8454143: blue 0x80, green and red 0xFF.
using style::kWallColour;

using style::kSumTolerance;
constexpr std::uint16_t kLineIntervals = 20;

// Places of the fields in their group boxes.
constexpr QSize kFreqFieldSize(55, 22);
constexpr QSize kMantissaFieldSize(52, 22);
constexpr QSize kPowerFieldSize(40, 22);
// The rate rows are full: their labels and the "x10^" labels use the
// panel's smaller font.
constexpr int kSmallLabelPixels = 11;
constexpr int kSmallLabelDrop = 4;

ChartSpec page(const char *sheet, const char *title, const char *chart, int legendWidth)
{
    ChartSpec c;
    c.sheetName = QLatin1String(sheet);
    c.title = QLatin1String(title);
    c.chartName = QLatin1String(chart);
    c.panelColor = Qt::white;
    c.backColor = kWallColour;
    c.legendWidth = legendWidth;
    return c;
}

// A label in the panel's smaller font, level with a field's text.
LabelSpec smallLabel(const char *name, const char *text, int x, int fieldTop)
{
    return {QLatin1String(name), QLatin1String(text), QPoint(x, fieldTop + kSmallLabelDrop),
            kSmallLabelPixels};
}

// The mantissa and the exponent of a rate.
std::pair<FieldSpec, FieldSpec> rateFields(int from, int to, int top, long double mantissa,
                                           int exponent, const char *label, const char *times)
{
    const QString rate = QStringLiteral("A%1->A%2 rate").arg(from).arg(to);
    return {real(QStringLiteral("MutRate%1%2RealSpinEdit").arg(from).arg(to), mantissa, 0, 10)
                .at({58, top}, kMantissaFieldSize)
                .named(rate)
                .labelled(smallLabel(label, from == 1 ? "A1->A2:" : "A2->A1:", 6, top)),
            integer(QStringLiteral("MutRate%1%2PowerSpinEdit").arg(from).arg(to), exponent, -9,
                    -1)
                .at({146, top}, kPowerFieldSize)
                .named(rate + QStringLiteral(" exponent"))
                .labelled(smallLabel(times, "x10^", 114, top))};
}

// mantissa x 10^exponent: the power of ten first, then the product.
long double timesPowerOfTen(long double mantissa, std::int32_t exponent)
{
    const long double power = Power(10.0L, exponent);
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
    return std::clamp<std::int32_t>(MutNg, 0, MutSamples);
}

using style::gridNumber;

} // namespace

TMut2Form::TMut2Form(std::function<void()> handBack, QWidget *parent)
    : DescribedForm(describe(this), std::move(handBack), parent)
{
    MORVA_BIND(FreqGroupBox);
    MORVA_BIND(Freq11Label);
    MORVA_BIND(Freq1RealSpinEdit);
    MORVA_BIND(Freq12Label);
    MORVA_BIND(Freq2RealSpinEdit);
    MORVA_BIND(MutRatesGroupBox);
    MORVA_BIND(Fit11Label);
    MORVA_BIND(MutRate12RealSpinEdit);
    MORVA_BIND(Label10a);
    MORVA_BIND(MutRate12PowerSpinEdit);
    MORVA_BIND(Fit12Label);
    MORVA_BIND(MutRate21RealSpinEdit);
    MORVA_BIND(Label10b);
    MORVA_BIND(MutRate21PowerSpinEdit);
    MORVA_BIND(NgGroupBox);
    MORVA_BIND(NgKesSpinEdit);
    MORVA_BIND(Label2);
    MORVA_BIND(NgPowerSpinEdit);
    MORVA_BIND(RunBtn);
    MORVA_BIND(CancelBtn);
    MORVA_BIND(MutOutGraphPageControl);
    MORVA_BIND(TabSheet1);
    MORVA_BIND(TabSheet3);
    MORVA_BIND(Chart1);
    MORVA_BIND(Chart3);
    MORVA_BIND(StringAlignGrid);
    MORVA_BIND(Series1);
    MORVA_BIND(Series2);
    MORVA_BIND(Series6);
    MORVA_BIND(Series4);
    MORVA_BIND(FastLineSeries4);
    MORVA_BIND(Series5);
    MORVA_BIND(Series7);
    equilibriumLevels = levels(0);
    deltaMarkers = marks(1);
    Mut2Form = this;
}

ModelDescription TMut2Form::describe(TMut2Form *self)
{
    ModelDescription d;
    d.objectName = QStringLiteral("Mut2Form");
    ModelFormSettings &s = d.settings;
    s.caption = QStringLiteral(" MORVA - Mutation, 2 alleles");
    s.inputPanelWidth = 200;
    s.runName = QStringLiteral("RunBtn");
    s.cancelName = QStringLiteral("CancelBtn");
    s.pageControlName = QStringLiteral("MutOutGraphPageControl");
    s.gridName = QStringLiteral("StringAlignGrid");
    s.gridWidthAddend = 8;
    d.runPos = QPoint(45, 325);

    // --- inputs ---
    BoxSpec frequencies = frequencyBox(
        QStringLiteral("FreqGroupBox"), QStringLiteral("Allele frequencies"),
        QStringLiteral("Set initial allele frequencies.  Double click any frequency to set it "
                       "to one minus the other"));
    frequencies.height = 80;
    frequencies.add(real(QStringLiteral("Freq1RealSpinEdit"), 0.6L)
                        .at({85, 18}, kFreqFieldSize)
                        .colored(kAllele1Colour)
                        .named(QStringLiteral("A1 frequency"))
                        .labelled({QStringLiteral("Freq11Label"), QStringLiteral("A1:"),
                                   QPoint(55, 20)}));
    frequencies.add(real(QStringLiteral("Freq2RealSpinEdit"), 0.4L)
                        .at({85, 48}, kFreqFieldSize)
                        .colored(kAllele2Colour)
                        .named(QStringLiteral("A2 frequency"))
                        .labelled({QStringLiteral("Freq12Label"), QStringLiteral("A2:"),
                                   QPoint(55, 50)}));
    BoxSpec rates = parameterBox(QStringLiteral("MutRatesGroupBox"),
                                 QStringLiteral("Mutation rates"),
                                 QStringLiteral("Set mutation rates"));
    rates.height = 85;
    for (const auto &[mantissa, exponent] :
         {rateFields(1, 2, 20, 1.0L, -6, "Fit11Label", "Label10a"),
          rateFields(2, 1, 52, 5.0L, -7, "Fit12Label", "Label10b")}) {
        rates.add(mantissa);
        rates.add(exponent);
    }
    BoxSpec generations = generationsBox();
    generations.add(integer(QStringLiteral("NgKesSpinEdit"), 5, 1, 30, 5)
                        .at({40, 24}, QSize(48, 22))
                        .locked()
                        .runOnEnter()
                        .named(QStringLiteral("Number of generations")));
    generations.add(integer(QStringLiteral("NgPowerSpinEdit"), 6, 0, 9)
                        .at({126, 24}, kPowerFieldSize)
                        .runOnEnter()
                        .named(QStringLiteral("Number of generations exponent"))
                        .labelled(smallLabel("Label2", "x10^", 94, 24)));
    d.boxes = {frequencies, rates, generations};
    d.generations = GenerationsSpec{QStringLiteral("NgKesSpinEdit"),
                                    QStringLiteral("NgPowerSpinEdit"), kMaxGenerations};
    d.sumGroups = {sumGroup(
        {QStringLiteral("Freq1RealSpinEdit"), QStringLiteral("Freq2RealSpinEdit")},
        kDoubleClickMessage)};

    // --- checks and run: the inputs go into the mutation state as read ---
    const auto generationsTyped = [self] {
        return timesPowerOfTen(settledValue(self->NgKesSpinEdit),
                               settledValue(self->NgPowerSpinEdit));
    };
    d.checks = {
        {[self] {
             MutInitFreqs[1] = self->Freq1RealSpinEdit->value();
             MutInitFreqs[2] = self->Freq2RealSpinEdit->value();
             return std::fabs(MutInitFreqs[1] + MutInitFreqs[2] - 1.0L) <= kSumTolerance;
         },
         kSumMessage},
        {[self] {
             MutRate12 = timesPowerOfTen(self->MutRate12RealSpinEdit->value(),
                                self->MutRate12PowerSpinEdit->value());
             MutRate21 = timesPowerOfTen(self->MutRate21RealSpinEdit->value(),
                                self->MutRate21PowerSpinEdit->value());
             return MutRate12 != 0.0L || MutRate21 != 0.0L;
         },
         kRatesMessage},
        {[generationsTyped] {
             return generationsTyped() <= static_cast<Extended>(kMaxGenerations);
         },
         kGenerationsMessage + text::formatInteger(kMaxGenerations)},
    };
    d.run = [generationsTyped] {
        // Ties to even in the default rounding mode; 1 <= g here.
        MutNg = static_cast<std::int32_t>(std::llrint(generationsTyped()));
        const Extended u = MutRate12;
        const Extended v = MutRate21;
        MutFreqs[0] = MutInitFreqs;
        MutTrajectory(MutNg, MutTimes, MutFreqs, u, v);
        MutDeltaLine(kLineIntervals, MutLineP, MutLineDelta, u, v);
        for (int j = 0; j <= MutSamples; ++j)
            MutDeltaObs[j] = MutDelta(u, v, MutFreqs[j][2]);
    };
    d.equilibria = [] { return mutationEquilibria(MutRate12, MutRate21); };

    // --- charts: fills from the mutation state ---
    ChartSpec freqs = page("TabSheet1", "Allele freqs vs time", "Chart1", 80);
    freqs.bottom = {.picture = QStringLiteral("##0"),
                    .title = QStringLiteral("time (generations)"), .separation = 35,
                    .minorLength = 0};
    freqs.left = {.automatic = false, .increment = 0.25,
                  .title = QStringLiteral("allele frequencies"), .tickLength = 5,
                  .minorLength = 0};
    const auto overTime = [](int allele) {
        return [allele](Plot &p) {
            for (int j = 0; j <= lastEntry(); ++j)
                p.add(MutTimes[j], MutFreqs[j][allele]);
        };
    };
    freqs.series = {
        lineSeries("Series1", "p[1]", kAllele1Colour, PenStyle::Solid, overTime(1)),
        lineSeries("Series2", "p[2]", kAllele2Colour, PenStyle::Dashed, overTime(2)),
        pointSeries("Series6", "FirstPoint", Qt::white, MarkerShape::Diamond, 2, Qt::white,
                    [](Plot &p) {
                        p.add(MutTimes[0], MutFreqs[0][1]);
                        p.add(MutTimes[0], MutFreqs[0][2]);
                    },
                    false),
    };
    // Where both frequencies level off (or, with u + v = 2, the middle of
    // their two-cycle).
    freqs.levels = LevelSpec{
        2, QStringLiteral("equilibrium"),
        [](const EquilibriumSet &set) {
            return set.points.empty() ? nullptr : &set.points.front();
        },
        [] { return std::pair<double, double>(MutTimes[0], MutTimes[lastEntry()]); }};

    ChartSpec delta = page("TabSheet3", "delta-p[2] vs p[2]", "Chart3", 25);
    delta.bottom = {.automatic = false, .increment = 0.2, .title = QStringLiteral("p[2]"),
                    .minorCount = 1, .minorLength = 3, .dashedTicks = true};
    delta.left = {.picture = QStringLiteral("0.00E-00"), .title = QStringLiteral("delta-p[2]"),
                  .separation = 20, .tickLength = 5, .minorLength = 0};
    delta.series = {
        lineSeries("Series4", "ref", Qt::black, PenStyle::Dotted,
                   [](Plot &p) {
                       for (int i = 0; i <= kLineIntervals; ++i)
                           p.add(MutLineP[i], 0.0L);
                   },
                   false),
        lineSeries("FastLineSeries4", "delta-p[2]-expected", kAllele2Colour, PenStyle::Dashed,
                   [](Plot &p) {
                       for (int i = 0; i <= kLineIntervals; ++i)
                           p.add(MutLineP[i], MutLineDelta[i]);
                   }),
        pointSeries("Series5", "delta-p[2]-observed", kAllele1Colour, MarkerShape::Circle, 3,
                    kAllele2Colour,
                    [](Plot &p) {
                        for (int j = 1; j <= lastEntry(); ++j)
                            p.add(MutFreqs[j][2], MutDeltaObs[j]);
                    }),
        pointSeries("Series7", "FisrtPoint", Qt::yellow, MarkerShape::Circle, 3, Qt::white,
                    [](Plot &p) { p.add(MutFreqs[0][2], MutDeltaObs[0]); }, false),
    };
    // With both rates at most 1 the equilibrium is never unstable.
    delta.markers = MarkerSpec{
        [](const Equilibrium &e) { return QPointF(static_cast<double>(e.p[2]), 0.0); },
        [](const Equilibrium &e) {
            return QStringLiteral(" p[2]= ") + text::formatFixed(e.p[2], 6, 4)
                   + QStringLiteral("   ") + equilibriumSummary(e);
        },
        false};
    delta.readout = &TMut2Form::chart3Readout;
    delta.finish = [](chart::Chart *c) { c->setCursor(Qt::CrossCursor); };
    d.pages = {freqs, delta};

    // --- grid: centred text with the times right-aligned below the header,
    // no visible selection ---
    d.grid.columns = {
        {QStringLiteral(" time"), QStringLiteral("Time (in generations)"), QColor(),
         [](int j) { return Value(MutTimes[j]); },
         [](Value time) { return QStringLiteral(" ") + text::formatInteger(std::int64_t(time)); },
         true},
        {QStringLiteral(" p[1]"), QStringLiteral("Frequency of allele A1"), QColor(),
         [](int j) { return MutFreqs[j][1]; }, gridNumber},
        {QStringLiteral(" p[2]"), QStringLiteral("Frequency of allele A2"), QColor(),
         [](int j) { return MutFreqs[j][2]; }, gridNumber},
    };
    d.grid.rows = [] { return lastEntry() + 1; };
    d.grid.design = [self](TStringAlignGrid *grid) {
        const QPalette palette = static_cast<QWidget *>(self)->palette();
        grid->setSelectedCellColor(palette.color(QPalette::Base));
        grid->setSelectedFontColor(palette.color(QPalette::Text));
    };
    d.grid.prepare = [](TStringAlignGrid *grid) {
        grid->columnFont(1)->setColor(kAllele1Colour);
        grid->columnFont(2)->setColor(kAllele2Colour);
        grid->cellFont(1, 0)->setColor(Qt::black);
        grid->cellFont(2, 0)->setColor(Qt::black);
        grid->cellFont(2, 1)->setColor(kAllele2Colour);
    };

    // --- export: the stored generations' frequencies; a rate or the number
    // of generations as its two fields together show it ---
    ExportSpec &x = d.exports;
    x.inputs = {{"A1 frequency", "Freq1RealSpinEdit"},
                {"A2 frequency", "Freq2RealSpinEdit"},
                {"A1->A2 rate", "MutRate12RealSpinEdit", "MutRate12PowerSpinEdit"},
                {"A2->A1 rate", "MutRate21RealSpinEdit", "MutRate21PowerSpinEdit"},
                {"generations", "NgKesSpinEdit", "NgPowerSpinEdit"}};
    x.notes = [self] { return self->equilibriumLines(); };
    x.generations = [] {
        std::vector<std::int32_t> times;
        for (int j = 0; j <= lastEntry(); ++j)
            times.push_back(MutTimes[j]);
        return times;
    };
    x.everyGeneration = []() -> RowSource {
        return [n = MutNg, p0 = MutFreqs[0], u = MutRate12, v = MutRate21](const RowSink &sink) {
            std::vector<Value> row;
            MutEveryGeneration(n, p0, u, v, [&](std::int32_t t, const TFreqPair &p) {
                row = {Value(t), p[1], p[2]};
                sink(row);
            });
        };
    };
    return d;
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

QString TMut2Form::chart3Readout(long double x, long double y)
{
    return QStringLiteral(" p[2]= ") + morva::text::formatFixed(x, 6, 4)
           + QStringLiteral("   delta-p[2]= ") + morva::text::formatExponent(y, 3, 2);
}
