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
using style::kAllele1Colour;
using style::kAllele2Colour;

const QString TwoAlleleForm::kSumMessage =
    QStringLiteral("Allele frequencies MUST add up to 1\r     Try double cliking on one of them");
const QString TwoAlleleForm::kFitnessMessage = style::kFitnessMessage;
const QString TwoAlleleForm::kGenerationsMessage =
    style::generationsMessage(TwoAlleleForm::kMaxGenerations);
const QString TwoAlleleForm::kDoubleClickMessage =
    QStringLiteral("Allele frequencies MUST add up to 1 and be non-negative!");

namespace twoallele {

namespace {

QString frequencyField(const QString &prefix, int allele)
{
    return prefix + QStringLiteral("Freq%1RealSpinEdit").arg(allele);
}

} // namespace

void frame(ModelDescription &d, const QString &objectName, const QString &caption,
           const QString &prefix)
{
    d.objectName = objectName;
    d.settings.caption = caption;
    d.settings.inputPanelWidth = 200;
    d.settings.gridFitsPanel = true;
    d.settings.gridName = prefix + QStringLiteral("StringAlignGrid");
}

BoxSpec frequencyBox(const QString &prefix, const QString &caption,
                     const std::array<Value, 2> &defaults)
{
    BoxSpec box = form::frequencyBox(
        prefix + QStringLiteral("FreqGroupBox"), caption,
        QStringLiteral("Set initial allele frequencies.  Double click any frequency to set it "
                       "to one minus the other"));
    for (int allele = 1; allele <= 2; ++allele) {
        const QString name = QStringLiteral("A%1").arg(allele);
        box.row(name + QLatin1Char(':'),
                {real(frequencyField(prefix, allele), defaults[std::size_t(allele - 1)])
                     .colored(allele == 1 ? kAllele1Colour : kAllele2Colour)
                     .named(name + QStringLiteral(" frequency"))});
    }
    return box;
}

SumGroup frequencySum(const QString &prefix)
{
    return sumGroup({frequencyField(prefix, 1), frequencyField(prefix, 2)},
                    TwoAlleleForm::kDoubleClickMessage);
}

Check frequencyCheck(const DescribedForm *form, const QString &prefix)
{
    return style::sumCheck(form, {frequencyField(prefix, 1), frequencyField(prefix, 2)},
                           TwoAlleleForm::kSumMessage);
}

BoxSpec generationsBox(int generations)
{
    return style::generationsBox(kGenerationsField, generations, kMaxGenerations,
                                 QStringLiteral("Number of generations"));
}

Check generationsCheck(const DescribedForm *form)
{
    return style::generationsCheck(form, kGenerationsField, kMaxGenerations);
}

SeriesSpec overTime(const QString &name, const QString &title, const QColor &color, PenStyle pen,
                    const std::vector<std::int32_t> &t, const std::vector<Extended> &values)
{
    return lineSeries(name, title, color, pen, [&t, &values](Plot &p) {
        for (std::size_t k = 0; k < t.size(); ++k)
            p.add(t[k], values[k]);
    });
}

SeriesSpec firstPoints(const std::vector<std::int32_t> &t,
                       std::vector<const std::vector<Extended> *> values)
{
    return pointSeries(QStringLiteral("Series6"), QStringLiteral("FirstPoint"),
                       style::kFirstPointColour, MarkerShape::Diamond, 2, Qt::white,
                       [&t, values](Plot &p) {
                           for (const auto *v : values)
                               p.add(t.front(), v->front());
                       },
                       false);
}

ChartSpec frequencyPage(const QString &chartName, const std::vector<std::int32_t> &t,
                        const std::vector<Extended> &p1, const std::vector<Extended> &p2)
{
    ChartSpec freqs = style::page(QStringLiteral("TabSheet1"),
                                  QStringLiteral("Allele freqs vs time"), chartName);
    freqs.legendWidth = 80;
    freqs.bottom = timeAxis();
    freqs.left = style::frequencyAxis(QStringLiteral("allele frequencies"), 0.25, 5);
    freqs.series = {
        overTime(QStringLiteral("Series1"), QStringLiteral("p[1]"), kAllele1Colour,
                 PenStyle::Solid, t, p1),
        overTime(QStringLiteral("Series2"), QStringLiteral("p[2]"), kAllele2Colour,
                 PenStyle::Dashed, t, p2),
        firstPoints(t, {&p1, &p2}),
    };
    // Where this population levels off: the stable equilibrium inside
    // nearest its last frequency.
    freqs.levels = LevelSpec{
        2, QStringLiteral("stable equilibrium"),
        [&p1](const EquilibriumSet &set) {
            const Equilibrium *nearest = nullptr;
            const auto away = [&p1](const Equilibrium &e) { return std::fabs(e.p[1] - p1.back()); };
            // The pointer is kept past this call: it must point into `set`.
            for (const Equilibrium &e : set.points) {
                if (e.inside() && isApproached(e.kind) && (!nearest || away(e) < away(*nearest)))
                    nearest = &e;
            }
            return nearest;
        },
        [&t] { return std::pair<double, double>(t.front(), t.back()); }};
    return freqs;
}

ChartSpec deltaPage(const QString &chartName)
{
    ChartSpec delta = style::page(QStringLiteral("TabSheet2"), QStringLiteral("delta-p[1] vs p[1]"),
                                  chartName);
    delta.crossHair = true;
    delta.bottom = style::frequencyAxis(QStringLiteral("p[1]"), 0.2);
    delta.bottom.minorCount = 1;
    delta.bottom.minorLength = 3;
    delta.bottom.dashedTicks = true;
    delta.left = automaticAxis(QStringLiteral("0.00E-00"), QStringLiteral("delta-p[1]"));
    delta.series = {lineSeries(QStringLiteral("Series4"), QStringLiteral("ref"), Qt::black,
                               PenStyle::Dotted, [](Plot &p) { p.level(0, 0, 1); }, false)};
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
    // Many legend entries: beside the plot, where they need not be cut short.
    delta.finish = [](chart::Chart *c) { c->qchart()->legend()->setAlignment(Qt::AlignRight); };
    return delta;
}

std::vector<SeriesSpec> observedDeltas(const std::vector<std::int32_t> &t,
                                       const std::vector<Extended> &p1)
{
    const auto observed = [&t, &p1](bool firstOnly) {
        return [&t, &p1, firstOnly](Plot &p) {
            for (std::size_t k = 0; k + 1 < t.size() && (k == 0 || !firstOnly); ++k) {
                if (t[k + 1] == t[k] + 1)
                    p.add(p1[k], p1[k + 1] - p1[k]);
            }
        };
    };
    return {pointSeries(QStringLiteral("Series5"), QStringLiteral("observed"), kAllele1Colour,
                        MarkerShape::Circle, 3, kAllele1Colour, observed(false)),
            pointSeries(QStringLiteral("Series7"), QStringLiteral("FirstPoint"), kAllele2Colour,
                        MarkerShape::Circle, 3, Qt::white, observed(true), false)};
}

SeriesSpec curve(const QString &name, const QString &title, const QColor &color, PenStyle pen,
                 const std::vector<Extended> &p, const std::vector<Extended> &values)
{
    return lineSeries(name, title, color, pen, [&p, &values](Plot &plot) {
        for (std::size_t i = 0; i < p.size(); ++i)
            plot.add(p[i], values[i]);
    });
}

std::vector<ColumnSpec> frequencyColumns(const std::vector<std::int32_t> &t,
                                         const std::vector<Extended> &p1,
                                         const std::vector<Extended> &p2)
{
    const auto column = [](const std::vector<Extended> &values) {
        return [&values](int row) { return values[std::size_t(row)]; };
    };
    return {
        {QStringLiteral(" time"), QStringLiteral("Time (in generations)"), QColor(),
         [&t](int row) { return Value(t[std::size_t(row)]); }, style::timeNumber, true},
        {QStringLiteral(" p[1]"), QStringLiteral("Frequency of allele A1"), kAllele1Colour,
         column(p1), style::gridNumber},
        {QStringLiteral(" p[2]"), QStringLiteral("Frequency of allele A2"), kAllele2Colour,
         column(p2), style::gridNumber},
    };
}

QString noteNumber(long double value)
{
    if (value == 0 || value == 1)
        return text::formatInteger(std::int64_t(value));
    return std::fabs(value) < 1e-3L ? text::formatExponent(value, 5, 2)
                                    : text::formatFixed(value, 7, 7);
}

EquilibriumSet equilibriumSet(const FixedPoints &equilibria)
{
    EquilibriumSet set;
    set.alleles = 2;
    for (const FixedPoint &f : equilibria.points) {
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
    if (equilibria.everyPoint) {
        whole.status = FaceStatus::EveryPoint;
        whole.from[1] = 1;
        whole.to[2] = 1;
    }
    set.faces.push_back(whole);
    return set;
}

QString equilibriaText(const FixedPoints &equilibria)
{
    if (equilibria.everyPoint)
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
    for (const Equilibrium &e : equilibriumSet(equilibria).points)
        points << noteNumber(e.p[1]) + QLatin1Char(' ') + kind(e);
    return QStringLiteral("Equilibria of p[1]: ") + points.join(QStringLiteral(", "))
           + QLatin1Char('.');
}

} // namespace twoallele

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
    return typedInteger(twoallele::kGenerationsField);
}

QString TwoAlleleForm::noteNumber(long double value)
{
    return twoallele::noteNumber(value);
}

EquilibriumSet TwoAlleleForm::equilibriumSet() const
{
    return twoallele::equilibriumSet(m_results.equilibria);
}

QString TwoAlleleForm::equilibriaText() const
{
    return twoallele::equilibriaText(m_results.equilibria);
}

ModelDescription TwoAlleleForm::describe(TwoAlleleForm *self, TwoAlleleDesign design)
{
    using namespace twoallele;
    const QString &px = design.prefix;
    const auto named = [&px](const char *suffix) { return px + QLatin1String(suffix); };
    const TwoAlleleResults &r = self->m_results;
    ModelDescription d;
    frame(d, design.objectName, design.caption, px);

    // --- inputs ---
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
    d.boxes = {frequencyBox(px, design.frequencyCaption, design.frequencies), fitnesses,
               design.modelBox, twoallele::generationsBox(design.generations)};
    d.sumGroups = {frequencySum(px)};

    // --- checks and run ---
    d.checks = {
        frequencyCheck(self, px),
        {[self] {
             TAlleleVector p;
             TGenotypeFitness w;
             self->readSelection(p, w);
             return w[1] != 0 || w[2] != 0 || w[3] != 0;
         },
         kFitnessMessage},
        twoallele::generationsCheck(self),
    };
    d.run = [self, compute = design.compute] { compute(self->m_results); };

    // --- charts ---
    ChartSpec freqs = frequencyPage(named("Chart1"), r.run.t, r.run.p1, r.run.p2);
    for (SeriesSpec &s : design.frequencySeries)
        freqs.series.push_back(std::move(s));

    ChartSpec delta = deltaPage(named("Chart2"));
    delta.series.push_back(
        curve(QStringLiteral("CurveA"), design.curveA, design.curveAColour, PenStyle::Dashed,
              r.curveP, r.curveA));
    delta.series.push_back(
        curve(QStringLiteral("CurveB"), design.curveB, design.curveBColour, PenStyle::Dashed,
              r.curveP, r.curveB));
    delta.series.push_back(curve(QStringLiteral("CurveTotal"), QStringLiteral("total expected"),
                                 Qt::black, PenStyle::Solid, r.curveP, r.curveTotal));
    for (SeriesSpec &s : observedDeltas(r.run.t, r.run.p1))
        delta.series.push_back(std::move(s));

    ChartSpec wmed = style::page(QStringLiteral("TabSheet3"), QStringLiteral("Wmed vs time"),
                                 named("Chart3"));
    wmed.bottom = timeAxis();
    wmed.left = automaticAxis(QStringLiteral("0.000"), QStringLiteral("Wmed"));
    wmed.series = {
        overTime(QStringLiteral("Series3"), QStringLiteral("Wmed"), Qt::black, PenStyle::Solid,
                 r.run.t, r.run.wmed),
        firstPoints(r.run.t, {&r.run.wmed}),
    };
    d.pages = {freqs, delta, wmed};

    // --- grid ---
    const auto column = [](const std::vector<Extended> &values) {
        return [&values](int row) { return values[std::size_t(row)]; };
    };
    d.grid.columns = frequencyColumns(r.run.t, r.run.p1, r.run.p2);
    d.grid.columns.push_back({QStringLiteral(" Wmed"), QStringLiteral("Population mean fitness"),
                              QColor(), column(r.run.wmed), style::gridNumber});
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
