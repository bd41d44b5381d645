#include "models/frame/TwoAlleleForm.h"

#include "platform/NumberText.h"

#include <QChart>
#include <QLegend>

#include <cmath>
#include <limits>
#include <utility>

namespace morva {

using namespace form;
using chart::MarkerShape;
using chart::PenStyle;

const QString TwoAlleleForm::kSumMessage =
    QStringLiteral("Allele frequencies MUST add up to 1\r     Try double cliking on one of them");
const QString TwoAlleleForm::kFitnessMessage = QStringLiteral("Fitnesses CANNOT be all 0");
const QString TwoAlleleForm::kGenerationsMessage =
    QStringLiteral("Number of generations must be between 1 and ")
    + QString::number(TwoAlleleForm::kMaxGenerations);
const QString TwoAlleleForm::kDoubleClickMessage =
    QStringLiteral("Allele frequencies MUST add up to 1 and be non-negative!");

namespace {

const QColor kAllele1Colour(0, 128, 0);
const QColor kAllele2Colour(255, 0, 0);
const QColor kLeftWallColour(255, 255, 128);
const QColor kFirstPointColour(Qt::yellow);

constexpr long double kSumTolerance = 1e-6L;

AxisSpec frequencyAxis(const QString &title, double increment)
{
    AxisSpec a;
    a.automatic = false;
    a.increment = increment;
    a.separation = 5;
    a.title = title;
    return a;
}

ChartSpec page(const char *sheet, const char *title, const QString &chartName)
{
    ChartSpec c;
    c.sheetName = QLatin1String(sheet);
    c.title = QLatin1String(title);
    c.chartName = chartName;
    c.leftWallColor = kLeftWallColour;
    return c;
}

QString gridNumber(Value v) { return text::formatFixed(v, 6, 5); }
QString timeNumber(Value v) { return QLatin1Char(' ') + text::formatInteger(std::int64_t(v)); }

} // namespace

TwoAlleleForm::TwoAlleleForm(TwoAlleleDesign design, std::function<void()> handBack,
                             QWidget *parent)
    : DescribedForm(describe(this, design), std::move(handBack), parent)
    , m_prefix(design.prefix)
{
}

QString TwoAlleleForm::name(const char *suffix) const
{
    return m_prefix + QLatin1String(suffix);
}

void TwoAlleleForm::readSelection(TAlleleVector &p0, TGenotypeFitness &w) const
{
    p0[1] = settled(name("Freq1RealSpinEdit"));
    p0[2] = settled(name("Freq2RealSpinEdit"));
    w[1] = settled(name("Fit11RealSpinEdit"));
    w[2] = settled(name("Fit12RealSpinEdit"));
    w[3] = settled(name("Fit22RealSpinEdit"));
}

std::int32_t TwoAlleleForm::generations() const
{
    return typedInteger(QStringLiteral("SelNgKesSpinEdit"));
}

QString TwoAlleleForm::noteNumber(long double value)
{
    if (value == 0 || value == 1)
        return text::formatInteger(std::int64_t(value));
    return std::fabs(value) < 1e-3L ? text::formatExponent(value, 5, 2)
                                    : text::formatFixed(value, 7, 7);
}

EquilibriumSet TwoAlleleForm::equilibriumSet() const
{
    EquilibriumSet set;
    set.alleles = 2;
    for (const FixedPoint &f : m_results.equilibria.points) {
        Equilibrium e;
        e.alleles = 2;
        e.p[1] = f.value;
        e.p[2] = 1 - f.value;
        e.multiplierCount = 1;
        // No slope where the mean fitness is 0: the map holds the point,
        // while populations beside it jump.
        e.multipliers[0].value = f.slope ? *f.slope : std::numeric_limits<Extended>::infinity();
        e.multipliers[0].kind = f.kind;
        e.zeroMeanFitness = !f.slope;
        e.kind = f.kind;
        set.points.push_back(e);
    }
    FaceNote whole;
    whole.alleles = alleleBit(1) | alleleBit(2);
    if (m_results.equilibria.everyPoint) {
        whole.status = FaceStatus::EveryPoint;
        whole.from[1] = 1;
        whole.to[2] = 1;
    }
    set.faces.push_back(whole);
    return set;
}

QString TwoAlleleForm::equilibriaText() const
{
    if (m_results.equilibria.everyPoint)
        return QStringLiteral("Every p[1] is an equilibrium.");
    // One word or two per point: the note is a single line.
    const auto kind = [](const Equilibrium &e) {
        if (e.zeroMeanFitness && !isApproached(e.kind))
            return QStringLiteral("left (Wmed= 0)");
        switch (e.kind) {
        case Stability::Slow:
            return QStringLiteral("approached slowly");
        case Stability::OneSided:
            return QStringLiteral("one-sided");
        default:
            return stabilityText(e.kind);
        }
    };
    QStringList points;
    for (const Equilibrium &e : equilibriumSet().points)
        points << noteNumber(e.p[1]) + QLatin1Char(' ') + kind(e);
    return QStringLiteral("Equilibria of p[1]: ") + points.join(QStringLiteral(", "))
           + QLatin1Char('.');
}

ModelDescription TwoAlleleForm::describe(TwoAlleleForm *self, TwoAlleleDesign design)
{
    const QString &px = design.prefix;
    const auto named = [&px](const char *suffix) { return px + QLatin1String(suffix); };
    const TwoAlleleResults &r = self->m_results;
    ModelDescription d;
    d.objectName = design.objectName;
    d.settings.caption = design.caption;
    d.settings.inputPanelWidth = 200;
    d.settings.gridFitsPanel = true;
    d.settings.gridName = named("StringAlignGrid");

    // --- inputs ---
    BoxSpec frequencies = frequencyBox(
        named("FreqGroupBox"), design.frequencyCaption,
        QStringLiteral("Set initial allele frequencies.  Double click any frequency to set it "
                       "to one minus the other"));
    for (int allele = 1; allele <= 2; ++allele) {
        const QString name = QStringLiteral("A%1").arg(allele);
        frequencies.row(name + QLatin1Char(':'),
                        {real(px + QStringLiteral("Freq%1RealSpinEdit").arg(allele),
                              design.frequencies[std::size_t(allele - 1)])
                             .colored(allele == 1 ? kAllele1Colour : kAllele2Colour)
                             .named(name + QStringLiteral(" frequency"))});
    }
    BoxSpec fitnesses = parameterBox(named("FitGroupBox"), QStringLiteral(" Genotype fitnesses "),
                                     QStringLiteral("Set genotype fitnesses"));
    const char *genotypes[] = {"11", "12", "22"};
    for (std::size_t i = 0; i < 3; ++i) {
        const QString digits = QLatin1String(genotypes[i]);
        const QString name = QStringLiteral("A%1A%2").arg(digits[0]).arg(digits[1]);
        fitnesses.row(name + QLatin1Char(':'),
                      {real(px + QStringLiteral("Fit%1RealSpinEdit").arg(digits),
                            design.fitnesses[i], 0, 2)
                           .named(name + QStringLiteral(" fitness"))});
    }
    const BoxSpec generations = generationsBox().row(
        QString(), {integer(QStringLiteral("SelNgKesSpinEdit"), design.generations, 1,
                            kMaxGenerations, 10)
                        .sized(QSize(75, 22))
                        .runOnEnter()
                        .named(QStringLiteral("Number of generations"))});
    d.boxes = {frequencies, fitnesses, design.modelBox, generations};
    d.sumGroups = {sumGroup({named("Freq1RealSpinEdit"), named("Freq2RealSpinEdit")},
                            kDoubleClickMessage)};

    // --- checks and run ---
    d.checks = {
        {[self] {
             TAlleleVector p;
             TGenotypeFitness w;
             self->readSelection(p, w);
             return std::fabs(p[1] + p[2] - 1.0L) <= kSumTolerance;
         },
         kSumMessage},
        {[self] {
             TAlleleVector p;
             TGenotypeFitness w;
             self->readSelection(p, w);
             return w[1] != 0 || w[2] != 0 || w[3] != 0;
         },
         kFitnessMessage},
        {[self] {
             const std::int32_t ng = self->generations();
             return ng >= 1 && ng <= kMaxGenerations;
         },
         kGenerationsMessage},
    };
    d.run = [self, compute = design.compute] { compute(self->m_results); };

    // --- charts ---
    const auto trajectory = [&r](const std::vector<Extended> &values) {
        return [&r, &values](Plot &p) {
            for (std::size_t k = 0; k < r.run.t.size(); ++k)
                p.add(r.run.t[k], values[k]);
        };
    };
    const auto firstPoints = [&r](std::vector<const std::vector<Extended> *> values) {
        return pointSeries(QStringLiteral("Series6"), QStringLiteral("FirstPoint"),
                           kFirstPointColour, MarkerShape::Diamond, 2, Qt::white,
                           [&r, values](Plot &p) {
                               for (const auto *v : values)
                                   p.add(r.run.t.front(), v->front());
                           },
                           false);
    };

    ChartSpec freqs = page("TabSheet1", "Allele freqs vs time", named("Chart1"));
    freqs.legendWidth = 80;
    freqs.bottom = timeAxis();
    freqs.left = frequencyAxis(QStringLiteral("allele frequencies"), 0.25);
    freqs.left.tickLength = 5;
    freqs.series = {
        lineSeries(QStringLiteral("Series1"), QStringLiteral("p[1]"), kAllele1Colour,
                   PenStyle::Solid, trajectory(r.run.p1)),
        lineSeries(QStringLiteral("Series2"), QStringLiteral("p[2]"), kAllele2Colour,
                   PenStyle::Dashed, trajectory(r.run.p2)),
        firstPoints({&r.run.p1, &r.run.p2}),
    };
    // Where this population levels off: the stable equilibrium inside
    // nearest its last frequency.
    freqs.levels = LevelSpec{
        2, QStringLiteral("stable equilibrium"),
        [&r](const EquilibriumSet &set) {
            const Equilibrium *nearest = nullptr;
            const auto away = [&r](const Equilibrium &e) {
                return std::fabs(e.p[1] - r.run.p1.back());
            };
            // The pointer is kept past this call: it must point into `set`.
            for (const Equilibrium &e : set.points) {
                if (e.inside() && isApproached(e.kind) &&
                    (!nearest || away(e) < away(*nearest)))
                    nearest = &e;
            }
            return nearest;
        },
        [&r] { return std::pair<double, double>(r.run.t.front(), r.run.t.back()); }};
    for (SeriesSpec &s : design.frequencySeries)
        freqs.series.push_back(std::move(s));

    ChartSpec delta = page("TabSheet2", "delta-p[1] vs p[1]", named("Chart2"));
    delta.crossHair = true;
    delta.bottom = frequencyAxis(QStringLiteral("p[1]"), 0.2);
    delta.bottom.minorCount = 1;
    delta.bottom.minorLength = 3;
    delta.bottom.dashedTicks = true;
    delta.left = automaticAxis(QStringLiteral("0.00E-00"), QStringLiteral("delta-p[1]"));
    const auto curve = [&r](const std::vector<Extended> &values) {
        return [&r, &values](Plot &p) {
            for (std::size_t i = 0; i < r.curveP.size(); ++i)
                p.add(r.curveP[i], values[i]);
        };
    };
    // Observed changes between stored generations one apart; the first one
    // alone for its own marker.
    const auto observed = [&r](bool firstOnly) {
        return [&r, firstOnly](Plot &p) {
            const auto &t = r.run.t;
            for (std::size_t k = 0; k + 1 < t.size() && (k == 0 || !firstOnly); ++k) {
                if (t[k + 1] == t[k] + 1)
                    p.add(r.run.p1[k], r.run.p1[k + 1] - r.run.p1[k]);
            }
        };
    };
    delta.series = {
        lineSeries(QStringLiteral("Series4"), QStringLiteral("ref"), Qt::black, PenStyle::Dotted,
                   [&r](Plot &p) { p.level(0, 0, 1); }, false),
        lineSeries(QStringLiteral("CurveA"), design.curveA, design.curveAColour, PenStyle::Dashed,
                   curve(r.curveA)),
        lineSeries(QStringLiteral("CurveB"), design.curveB, design.curveBColour, PenStyle::Dashed,
                   curve(r.curveB)),
        lineSeries(QStringLiteral("CurveTotal"), QStringLiteral("total expected"), Qt::black,
                   PenStyle::Solid, curve(r.curveTotal)),
        pointSeries(QStringLiteral("Series5"), QStringLiteral("observed"), kAllele1Colour,
                    MarkerShape::Circle, 3, kAllele1Colour, observed(false)),
        pointSeries(QStringLiteral("Series7"), QStringLiteral("FirstPoint"), kAllele2Colour,
                    MarkerShape::Circle, 3, Qt::white, observed(true), false),
    };
    delta.markers = MarkerSpec{
        [](const Equilibrium &e) { return QPointF(static_cast<double>(e.p[1]), 0.0); },
        [](const Equilibrium &e) {
            return QStringLiteral(" p[1]= ") + text::formatFixed(e.p[1], 8, 7)
                   + QStringLiteral("   ") + equilibriumSummary(e);
        }};
    delta.readout = [](Value x, Value y) {
        return QStringLiteral(" p[1]= ") + text::formatFixed(x, 5, 3)
               + QStringLiteral("   delta-p[1]= ") + text::formatExponent(y, 3, 2);
    };

    ChartSpec wmed = page("TabSheet3", "Wmed vs time", named("Chart3"));
    wmed.bottom = timeAxis();
    wmed.left = automaticAxis(QStringLiteral("0.000"), QStringLiteral("Wmed"));
    wmed.series = {
        lineSeries(QStringLiteral("Series3"), QStringLiteral("Wmed"), Qt::black,
                   PenStyle::Solid, trajectory(r.run.wmed)),
        firstPoints({&r.run.wmed}),
    };
    // Six legend entries: beside the plot, where they need not be cut short.
    delta.finish = [](chart::Chart *c) { c->qchart()->legend()->setAlignment(Qt::AlignRight); };
    d.pages = {freqs, delta, wmed};

    // --- grid ---
    const auto column = [&r](const std::vector<Extended> &values) {
        return [&values](int row) { return values[std::size_t(row)]; };
    };
    d.grid.columns = {
        {QStringLiteral(" time"), QStringLiteral("Time (in generations)"), QColor(),
         [&r](int row) { return Value(r.run.t[std::size_t(row)]); }, timeNumber, true},
        {QStringLiteral(" p[1]"), QStringLiteral("Frequency of allele A1"), kAllele1Colour,
         column(r.run.p1), gridNumber},
        {QStringLiteral(" p[2]"), QStringLiteral("Frequency of allele A2"), kAllele2Colour,
         column(r.run.p2), gridNumber},
        {QStringLiteral(" Wmed"), QStringLiteral("Population mean fitness"), QColor(),
         column(r.run.wmed), gridNumber},
    };
    d.grid.rows = [&r] { return int(r.run.t.size()); };
    d.equilibria = [self] { return self->equilibriumSet(); };
    d.exports.columns = {
        {QStringLiteral("time"), [&r](int row) { return Value(r.run.t[std::size_t(row)]); }},
        {QStringLiteral("p[1]"), column(r.run.p1)}, {QStringLiteral("p[2]"), column(r.run.p2)},
        {QStringLiteral("W[1]"), column(r.run.W1)}, {QStringLiteral("W[2]"), column(r.run.W2)},
        {QStringLiteral("Wmed"), column(r.run.wmed)},
    };
    d.exports.generations = [&r] { return r.run.t; };
    d.exports.everyGeneration = [&r]() -> RowSource {
        return [again = r.everyGeneration](const RowSink &sink) {
            std::vector<Value> row;
            again([&](const TwoAlleleGeneration &g) {
                row = {Value(g.t), g.p1, g.p2, g.W1, g.W2, g.wmed};
                sink(row);
            });
        };
    };
    d.note = design.note;
    return d;
}

} // namespace morva
