#include "models/windows/SelDi2.h"

#include "arith/CheckedInt.h"
#include "arith/Equilibria.h"
#include "arith/PgMathSe.h"
#include "controls/Aligrid.h"
#include "controls/KesSpinEdits1.h"
#include "models/frame/HouseStyle.h"
#include "platform/NumberText.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include <cmath>

QPointer<TSelDi2Form> SelDi2Form;

using namespace morva;
using namespace morva::form;
using chart::MarkerShape;
using chart::PenStyle;

const QString TSelDi2Form::kSumMessage =
    QStringLiteral("Allele frequencies MUST add up to 1\r     Try double cliking on one of them");
const QString TSelDi2Form::kFitnessMessage = QStringLiteral("Fitnesses CANNOT be all 0");
const QString TSelDi2Form::kDoubleClickMessage =
    QStringLiteral("Allele frequencies MUST add up to 1 and be non-negative!");

namespace {

using style::kAllele1Colour;
using style::kAllele2Colour;
using style::kWallColour;
const QColor kWmedPanelColour(232, 237, 232);

using style::kSumTolerance;
constexpr std::uint16_t kExpectedIntervals = 500;

// The time axis of the charts against generations, its minor ticks of no length.
AxisSpec designTimeAxis()
{
    return {.picture = QStringLiteral("##0"), .title = QStringLiteral("time (generations)"),
            .separation = 35, .minorLength = 0};
}

// The p[1] axis of the charts against frequency.
AxisSpec frequencyAxis(const QString &title)
{
    return {.automatic = false, .increment = 0.2, .title = title, .separation = 5,
            .minorCount = 1, .minorLength = 3, .dashedTicks = true};
}

AxisSpec designAutomaticAxis(const QString &picture, const QString &title)
{
    return {.picture = picture, .title = title, .separation = 25, .minorLength = 0};
}

ChartSpec page(const char *sheet, const char *title, const char *chart, int legendWidth)
{
    ChartSpec c;
    c.sheetName = QLatin1String(sheet);
    c.title = QLatin1String(title);
    c.chartName = QLatin1String(chart);
    c.leftWallColor = kWallColour;
    c.legendWidth = legendWidth;
    return c;
}

FieldSpec field(const char *name, long double value, long double maximum, QPoint pos,
                const char *label, QPoint labelPos, const char *userName)
{
    const QString n = QLatin1String(name);
    return real(n, value, 0, maximum)
        .at(pos, QSize(55, 22))
        .named(QLatin1String(userName))
        .labelled({QString(n).replace(QStringLiteral("RealSpinEdit"), QStringLiteral("Label")),
                   QLatin1String(label), labelPos});
}

Value t(int g) { return SelTimes[g]; }

// Generation numbers stand right-aligned in the centred time column.
QString timeText(Value time)
{
    const int generation = static_cast<int>(time);
    const int blanks = generation < 10 ? 7 : generation < 100 ? 4 : 3;
    return QString(blanks, QLatin1Char(' ')) + text::formatInteger(generation);
}

QString gridNumber(Value value) { return text::formatFixed(value, 4, 3); }
QString readoutNumber(Value value) { return text::formatFixed(value, 5, 3); }

} // namespace

TSelDi2Form::TSelDi2Form(std::function<void()> handBack, QWidget *parent)
    : DescribedForm(describe(this), std::move(handBack), parent)
{
    MORVA_BIND(SelDi2FreqGroupBox);
    MORVA_BIND(SelDi2Freq1Label);
    MORVA_BIND(SelDi2Freq1RealSpinEdit);
    MORVA_BIND(SelDi2Freq2Label);
    MORVA_BIND(SelDi2Freq2RealSpinEdit);
    MORVA_BIND(SelDi2FitGroupBox);
    MORVA_BIND(SelDi2Fit11Label);
    MORVA_BIND(SelDi2Fit12Label);
    MORVA_BIND(SelDi2Fit22Label);
    MORVA_BIND(SelDi2Fit11RealSpinEdit);
    MORVA_BIND(SelDi2Fit12RealSpinEdit);
    MORVA_BIND(SelDi2Fit22RealSpinEdit);
    MORVA_BIND(NgGroupBox);
    MORVA_BIND(SelNgKesSpinEdit);
    MORVA_BIND(SelRunBtn);
    MORVA_BIND(SelCancelBtn);
    MORVA_BIND(SelDiOutGraphPageControl);
    MORVA_BIND(TabSheet1);
    MORVA_BIND(TabSheet2);
    MORVA_BIND(TabSheet3);
    MORVA_BIND(TabSheet4);
    MORVA_BIND(SelDi2Chart1);
    MORVA_BIND(SelDi2Chart2);
    MORVA_BIND(SelDi2Chart3);
    MORVA_BIND(SelDi2Chart4);
    MORVA_BIND(SelDi2StringAlignGrid);
    MORVA_BIND(Series1);
    MORVA_BIND(Series2);
    MORVA_BIND(Series6);
    MORVA_BIND(FastLineSeries1);
    MORVA_BIND(FastLineSeries2);
    MORVA_BIND(Series3);
    MORVA_BIND(Series9);
    MORVA_BIND(Series4);
    MORVA_BIND(FastLineSeries4);
    MORVA_BIND(Series5);
    MORVA_BIND(Series7);
    MORVA_BIND(FastLineSeries5);
    MORVA_BIND(PointSeries1);
    MORVA_BIND(Series8);
    equilibriumLevels = levels(0);
    deltaMarkers = marks(1);
    wmedMarkers = marks(2);
    SelDi2Form = this;
}

QStringList TSelDi2Form::equilibriumLines() const
{
    return morva::equilibriumLines(selectionEquilibria2(SelFit), true);
}

ModelDescription TSelDi2Form::describe(TSelDi2Form *self)
{
    ModelDescription d;
    d.objectName = QStringLiteral("SelDi2Form");
    ModelFormSettings &s = d.settings;
    s.caption = QStringLiteral(" MORVA - Natural Selection: Diploid population, 2 alleles");
    s.gridName = QStringLiteral("SelDi2StringAlignGrid");
    d.runPos = QPoint(45, 350);

    // --- inputs ---
    BoxSpec frequencies = frequencyBox(
        QStringLiteral("SelDi2FreqGroupBox"), QStringLiteral("Allele frequencies"),
        QStringLiteral("Set initial allele frequencies.  Double click any frequency to set it "
                       "to one minus the other"));
    frequencies.height = 80;
    frequencies.add(field("SelDi2Freq1RealSpinEdit", 0.6L, 1, {70, 18}, "A1:", {40, 20},
                          "A1 frequency")
                        .colored(kAllele1Colour));
    frequencies.add(field("SelDi2Freq2RealSpinEdit", 0.4L, 1, {70, 48}, "A2:", {40, 50},
                          "A2 frequency")
                        .colored(kAllele2Colour));
    BoxSpec fitnesses = parameterBox(QStringLiteral("SelDi2FitGroupBox"),
                                     QStringLiteral(" Genotype fitnesses "),
                                     QStringLiteral("Set genotype fitnesses"));
    fitnesses.height = 110;
    fitnesses.add(field("SelDi2Fit11RealSpinEdit", 0.8L, 2, {75, 18}, "A1A1:", {30, 20},
                        "A1A1 fitness"));
    fitnesses.add(field("SelDi2Fit12RealSpinEdit", 0.7L, 2, {75, 48}, "A1A2:", {30, 50},
                        "A1A2 fitness"));
    fitnesses.add(field("SelDi2Fit22RealSpinEdit", 0.9L, 2, {75, 78}, "A2A2:", {30, 80},
                        "A2A2 fitness"));
    BoxSpec generations = generationsBox().add(integer(QStringLiteral("SelNgKesSpinEdit"), 30,
                                                       1, 300, 5)
                                                   .at({50, 22}, {65, 22})
                                                   .locked()
                                                   .runOnEnter()
                                                   .named(QStringLiteral("Number of generations")));
    d.boxes = {frequencies, fitnesses, generations};
    d.sumGroups = {sumGroup({QStringLiteral("SelDi2Freq1RealSpinEdit"),
                             QStringLiteral("SelDi2Freq2RealSpinEdit")},
                            kDoubleClickMessage)};

    // --- checks and run: the inputs go into the selection state as read ---
    d.checks = {
        {[self] {
             SelInitFreqs[1] = self->SelDi2Freq1RealSpinEdit->value();
             SelInitFreqs[2] = self->SelDi2Freq2RealSpinEdit->value();
             return std::fabs(SelInitFreqs[1] + SelInitFreqs[2] - 1.0L) <= kSumTolerance;
         },
         kSumMessage},
        {[self] {
             SelFit[1] = self->SelDi2Fit11RealSpinEdit->value();
             SelFit[2] = self->SelDi2Fit12RealSpinEdit->value();
             SelFit[3] = self->SelDi2Fit22RealSpinEdit->value();
             return SelFit[1] != 0.0L || SelFit[2] != 0.0L || SelFit[3] != 0.0L;
         },
         kFitnessMessage},
    };
    d.run = [self] {
        SelNg = self->SelNgKesSpinEdit->value();
        SelTrajectory(2, SelFit, toUInt16Checked(SelNg), SelInitFreqs, SelTimes, SelFreqs,
                      SelAlleleFit, SelWmed);
        SelExpectedLine(kExpectedIntervals, SelFit, SelLineP, SelLineWmed, SelLineDelta);
    };
    d.equilibria = [] { return selectionEquilibria2(SelFit); };

    // --- charts: fills from the selection state ---
    const auto overTime = [](auto value) {
        return [value](Plot &p) {
            for (int g = 0; g <= SelNg; ++g)
                p.add(t(g), value(g));
        };
    };
    const auto atStart = [](std::initializer_list<Value (*)()> values) {
        return [values = std::vector<Value (*)()>(values)](Plot &p) {
            for (const auto value : values)
                p.add(t(0), value());
        };
    };
    const auto p1 = [](int g) { return SelFreqs[g][1]; };

    ChartSpec freqs = page("TabSheet1", "Allele freqs vs time", "SelDi2Chart1", 80);
    freqs.bottom = designTimeAxis();
    freqs.left = {.automatic = false, .increment = 0.25,
                  .title = QStringLiteral("allele frequencies"), .separation = 5,
                  .tickLength = 5, .minorLength = 0};
    freqs.series = {
        lineSeries("Series1", "p[1]", kAllele1Colour, PenStyle::Solid, overTime(p1)),
        lineSeries("Series2", "p[2]", kAllele2Colour, PenStyle::Dashed,
                   overTime([](int g) { return SelFreqs[g][2]; })),
        pointSeries("Series6", "FirstPoint", Qt::yellow, MarkerShape::Diamond, 2, Qt::white,
                    atStart({[] { return SelFreqs[0][1]; }, [] { return SelFreqs[0][2]; }}),
                    false),
    };
    // A stable equilibrium inside: where both frequencies level off.
    freqs.levels = LevelSpec{
        2, QStringLiteral("stable equilibrium"),
        [](const EquilibriumSet &set) { return interiorOfKind(set, Stability::Stable); },
        [] { return std::pair<double, double>(t(0), t(SelNg)); }};

    ChartSpec delta = page("TabSheet3", "delta-p[1] vs p[1]", "SelDi2Chart3", 25);
    delta.crossHair = true;
    delta.bottom = frequencyAxis(QStringLiteral("p[1] "));
    delta.left = designAutomaticAxis(QStringLiteral("0.000"), QStringLiteral("delta-p[1]"));
    delta.series = {
        lineSeries("Series4", "ref", Qt::black, PenStyle::Dotted,
                   [](Plot &p) {
                       for (int i = 0; i <= kExpectedIntervals; ++i)
                           p.add(SelLineP[i], 0.0L);
                   },
                   false),
        lineSeries("FastLineSeries4", "delta-p-expected", kAllele1Colour, PenStyle::Dashed,
                   [](Plot &p) {
                       for (int i = 0; i <= kExpectedIntervals; ++i)
                           p.add(SelLineP[i], SelLineDelta[i]);
                   }),
        pointSeries("Series5", "delta-p-observed", kAllele1Colour, MarkerShape::Circle, 3,
                    kAllele1Colour,
                    [](Plot &p) {
                        for (int g = 1; g <= SelNg; ++g)
                            p.add(SelFreqs[g - 1][1], SelFreqs[g][1] - SelFreqs[g - 1][1]);
                    }),
        pointSeries("Series7", "FirstPoint", kAllele2Colour, MarkerShape::Circle, 3, Qt::white,
                    [](Plot &p) { p.add(SelFreqs[0][1], SelFreqs[1][1] - SelFreqs[0][1]); },
                    false),
    };
    // Each equilibrium on the axis, where delta-p[1] is 0.
    delta.markers = MarkerSpec{
        [](const Equilibrium &e) { return QPointF(static_cast<double>(e.p[1]), 0.0); },
        [](const Equilibrium &e) {
            return QStringLiteral(" p[1]= ") + readoutNumber(e.p[1]) + QStringLiteral("   ")
                   + equilibriumSummary(e);
        }};
    delta.readout = [](Value x, Value y) {
        return QStringLiteral(" p[1]= ") + readoutNumber(x) + QStringLiteral("   delta-p[1]= ")
               + readoutNumber(y);
    };

    ChartSpec wmed = page("TabSheet4", "Wmed vs p[1]", "SelDi2Chart4", 25);
    wmed.panelColor = kWmedPanelColour;
    wmed.crossHair = true;
    wmed.bottom = frequencyAxis(QStringLiteral("p[1]"));
    wmed.left = designAutomaticAxis(QStringLiteral("0.000"), QStringLiteral("Wmed"));
    wmed.series = {
        lineSeries("FastLineSeries5", "Wmed-expected", Qt::black, PenStyle::Dashed,
                   [](Plot &p) {
                       for (int i = 1; i <= kExpectedIntervals; ++i)
                           p.add(SelLineP[i], SelLineWmed[i]);
                   }),
        pointSeries("PointSeries1", "Wmed-observed", Qt::black, MarkerShape::Circle, 3,
                    Qt::black,
                    [](Plot &p) {
                        for (int g = 0; g <= SelNg; ++g)
                            p.add(SelFreqs[g][1], SelWmed[g]);
                    }),
        pointSeries("Series8", "FirstPoint", kAllele2Colour, MarkerShape::Circle, 3, Qt::white,
                    [](Plot &p) { p.add(SelFreqs[0][1], SelWmed[0]); }, false),
    };
    // Each equilibrium on the mean-fitness curve.
    wmed.markers = MarkerSpec{
        [](const Equilibrium &e) {
            return QPointF(static_cast<double>(e.p[1]), static_cast<double>(e.meanFitness));
        },
        [](const Equilibrium &e) {
            return QStringLiteral(" p[1]= ") + readoutNumber(e.p[1]) + QStringLiteral("   Wmed= ")
                   + readoutNumber(e.meanFitness) + QStringLiteral("   ")
                   + equilibriumSummary(e);
        }};
    wmed.readout = [](Value x, Value y) {
        return QStringLiteral(" p[1]= ") + readoutNumber(x) + QStringLiteral("   Wmed= ")
               + readoutNumber(y);
    };

    ChartSpec fitness = page("TabSheet2", "Fitnesses vs time", "SelDi2Chart2", 55);
    fitness.bottom = designTimeAxis();
    fitness.left = designAutomaticAxis(QStringLiteral("0.00"), QStringLiteral("fitnesses"));
    fitness.series = {
        lineSeries("FastLineSeries1", "W[1]", kAllele1Colour, PenStyle::Solid,
                   overTime([](int g) { return SelAlleleFit[g][1]; })),
        lineSeries("FastLineSeries2", "W[2]", kAllele2Colour, PenStyle::Dashed,
                   overTime([](int g) { return SelAlleleFit[g][2]; })),
        lineSeries("Series3", "Wmed", Qt::black, PenStyle::Solid,
                   overTime([](int g) { return SelWmed[g]; })),
        pointSeries("Series9", "FirstPoints", Qt::yellow, MarkerShape::Diamond, 2, Qt::white,
                    atStart({[] { return SelAlleleFit[0][1]; },
                             [] { return SelAlleleFit[0][2]; }, [] { return SelWmed[0]; }}),
                    false),
    };
    d.pages = {freqs, delta, wmed, fitness};

    // --- grid: centred text, no visible selection, the allele columns in
    // their colours ---
    d.grid.columns = {
        {QStringLiteral(" time"), QStringLiteral("Time (in generations)"), QColor(),
         [](int row) { return t(row); }, timeText},
        {QStringLiteral(" p[1]"), QStringLiteral("Frequency of allele A1"), QColor(), p1,
         gridNumber},
        {QStringLiteral(" p[2]"), QStringLiteral("Frequency of allele A2"), QColor(),
         [](int row) { return SelFreqs[row][2]; }, gridNumber},
        {QStringLiteral(" Wmed"), QStringLiteral("Population mean fitness"), QColor(),
         [](int row) { return SelWmed[row]; }, gridNumber},
    };
    // An entry beyond the arrays is a range error before the grid grows.
    d.grid.rows = [] {
        (void)SelTimes[SelNg];
        return checkedAdd(SelNg, 1);
    };
    d.grid.design = [self](TStringAlignGrid *grid) {
        const QPalette palette = static_cast<QWidget *>(self)->palette();
        const QColor text = palette.color(QPalette::Text);
        grid->setSelectedCellColor(palette.color(QPalette::Base));
        grid->setSelectedFontColor(text);
        grid->cellFont(1, 0)->setColor(kAllele1Colour);
        grid->cellFont(2, 0)->setColor(kAllele2Colour);
        grid->cellFont(2, 1)->setColor(text);
        grid->columnFont(1)->setColor(kAllele1Colour);
        grid->columnFont(2)->setColor(kAllele2Colour);
        grid->fixedRowFont(0)->setColor(text);
    };
    d.grid.prepare = [](TStringAlignGrid *grid) {
        grid->columnFont(1)->setColor(kAllele1Colour);
        grid->columnFont(2)->setColor(kAllele2Colour);
        grid->cellFont(1, 0)->setColor(Qt::black);
        grid->cellFont(2, 0)->setColor(Qt::black);
        grid->cellFont(2, 1)->setColor(kAllele2Colour);
    };

    // --- export: every generation's frequencies, allele fitnesses and mean
    // fitness ---
    ExportSpec &x = d.exports;
    x.inputs = {{"A1 frequency", "SelDi2Freq1RealSpinEdit"},
                {"A2 frequency", "SelDi2Freq2RealSpinEdit"},
                {"A1A1 fitness", "SelDi2Fit11RealSpinEdit"},
                {"A1A2 fitness", "SelDi2Fit12RealSpinEdit"},
                {"A2A2 fitness", "SelDi2Fit22RealSpinEdit"},
                {"generations", "SelNgKesSpinEdit"}};
    x.columns = {{"time", [](int g) { return t(g); }},
                 {"p[1]", p1},
                 {"p[2]", [](int g) { return SelFreqs[g][2]; }},
                 {"W[1]", [](int g) { return SelAlleleFit[g][1]; }},
                 {"W[2]", [](int g) { return SelAlleleFit[g][2]; }},
                 {"Wmed", [](int g) { return SelWmed[g]; }}};
    x.rows = [] { return SelNg + 1; };
    x.notes = [self] { return self->equilibriumLines(); };
    return d;
}
