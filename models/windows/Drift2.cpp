#include "models/windows/Drift2.h"

#include "controls/KesSpinEdits1.h"
#include "platform/Desktop.h"
#include "platform/NumberText.h"

#include <QLineEdit>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <utility>

using namespace morva;
using namespace morva::form;
using chart::PenStyle;

const QString TDrift2Form::kNeMessage =
    QStringLiteral("Population size Ne must be between 1 and %1").arg(DriftMaxNe);
const QString TDrift2Form::kReplicatesMessage =
    QStringLiteral("Number of replicates must be between 1 and %1").arg(DriftMaxReplicates);
const QString TDrift2Form::kFitnessMessage = QStringLiteral("Fitnesses CANNOT be all 0");
const QString TDrift2Form::kSeedMessage =
    QStringLiteral("Seed must be a whole number between 0 and %1")
        .arg(std::numeric_limits<std::uint64_t>::max());
const QString TDrift2Form::kGenerationsMessage =
    QStringLiteral("Number of generations must be between 1 and %1").arg(DriftMaxGenerations);
const QString TDrift2Form::kSourceMessage =
    QStringLiteral("Source of migrants must be continent or island");

namespace {

const QString kP0Field = QStringLiteral("DriftP0RealSpinEdit");
const QString kNeField = QStringLiteral("DriftNeKesSpinEdit");
const QString kReplicatesField = QStringLiteral("DriftReplicatesKesSpinEdit");
const QString kSeedField = QStringLiteral("DriftSeedEdit");
const QString kGenerationsField = QStringLiteral("SelNgKesSpinEdit");
const QString kUField = QStringLiteral("DriftURealSpinEdit");
const QString kUPowerField = QStringLiteral("DriftUPowerSpinEdit");
const QString kVField = QStringLiteral("DriftVRealSpinEdit");
const QString kVPowerField = QStringLiteral("DriftVPowerSpinEdit");
const QString kMField = QStringLiteral("DriftMRealSpinEdit");
const QString kPcField = QStringLiteral("DriftPcRealSpinEdit");
const QString kSourceField = QStringLiteral("DriftSourceEdit");
const QString kContinent = QStringLiteral("continent");
const QString kIsland = QStringLiteral("island");
const char *const kGenotypes[] = {"11", "12", "22"};

QString fitnessField(const char *genotype)
{
    return QStringLiteral("DriftFit%1RealSpinEdit").arg(QLatin1String(genotype));
}

const QColor kAllele1Colour(0, 128, 0);
const QColor kLostColour(255, 0, 0);
const QColor kObservedColour(0, 0, 192);
const QColor kLeftWallColour(255, 255, 128);
const QColor kNoDriftColour(128, 0, 128);
const QColor kOuterBandColour(0, 0, 0, 28);
const QColor kInnerBandColour(0, 0, 0, 52);
const QColor kFstColour(0, 0, 192);
const QColor kExactColour(0, 0, 0);
constexpr int kMeanWidth = 3;

// The replicates' lines cycle through ten colours that tell neighbours apart.
const QColor kReplicateColours[] = {
    QColor(31, 119, 180), QColor(255, 127, 14), QColor(44, 160, 44),  QColor(214, 39, 40),
    QColor(148, 103, 189), QColor(140, 86, 75), QColor(227, 119, 194), QColor(127, 127, 127),
    QColor(188, 189, 34),  QColor(23, 190, 207),
};

AxisSpec fixedAxis(const QString &title, double maximum, double increment)
{
    AxisSpec a;
    a.automatic = false;
    a.maximum = maximum;
    a.increment = increment;
    a.separation = 5;
    a.title = title;
    return a;
}

ChartSpec page(const char *sheet, const char *title, const char *chartName)
{
    ChartSpec c;
    c.sheetName = QLatin1String(sheet);
    c.title = QLatin1String(title);
    c.chartName = QLatin1String(chartName);
    c.leftWallColor = kLeftWallColour;
    return c;
}

QString gridNumber(Value v) { return text::formatFixed(v, 6, 5); }
QString timeNumber(Value v) { return QLatin1Char(' ') + text::formatInteger(std::int64_t(v)); }

// A time read off a chart, to the nearest generation.
QString timeReadout(Value x) { return QStringLiteral(" t= ") + text::formatInteger(std::llrint(x)); }

// "11 of 20": a number of replicates out of all.
QString countText(std::int32_t count, std::int32_t all)
{
    return text::formatInteger(count) + QStringLiteral(" of ") + text::formatInteger(all);
}

// Whether migration or mutation can take a deme away from p = 0 or 1.
bool movesFromEnds(const DriftInput &in)
{
    return in.m != 0 || in.u != 0 || in.v != 0;
}

// F_ST as exported: NaN where every deme is fixed or every deme lost.
Value fstValue(const DriftGeneration &g)
{
    return g.fstDefined ? g.fst : std::numeric_limits<Value>::quiet_NaN();
}

QString noteNumber(Value v)
{
    if (v == 0 || v == 1)
        return text::formatInteger(std::int64_t(v));
    return std::fabs(v) < 1e-3L ? text::formatExponent(v, 5, 2) : text::formatFixed(v, 7, 7);
}

} // namespace

TDrift2Form::TDrift2Form(std::function<void()> handBack, QWidget *parent)
    : DescribedForm(describe(this), std::move(handBack), parent)
{
}

std::optional<std::uint64_t> TDrift2Form::seed() const
{
    bool ok = false;
    const qulonglong value = lineEdit(kSeedField)->text().toULongLong(&ok);
    if (!ok)
        return std::nullopt;
    return std::uint64_t(value);
}

void TDrift2Form::newSeed()
{
    const auto msecs = static_cast<std::uint64_t>(desktop().now().toMSecsSinceEpoch());
    lineEdit(kSeedField)->setText(QString::number(msecs));
}

DriftInput TDrift2Form::readInputs() const
{
    DriftInput in;
    in.p0 = settled(kP0Field);
    in.ne = typedInteger(kNeField);
    in.replicates = typedInteger(kReplicatesField);
    in.generations = typedInteger(kGenerationsField);
    for (int g = 0; g < 3; ++g)
        in.fitness[g + 1] = settled(fitnessField(kGenotypes[g]));
    in.seed = seed().value_or(0);
    in.u = scaled(kUField, kUPowerField);
    in.v = scaled(kVField, kVPowerField);
    in.m = settled(kMField);
    in.pc = settled(kPcField);
    in.source = lineEdit(kSourceField)->text() == kIsland ? DriftSource::Island
                                                          : DriftSource::Continent;
    return in;
}

void TDrift2Form::switchSource()
{
    QLineEdit *source = lineEdit(kSourceField);
    source->setText(source->text() == kIsland ? kContinent : kIsland);
}

void TDrift2Form::compute()
{
    const DriftInput in = readInputs();
    DriftResult result = driftRun(in);
    DriftExact exact = driftExactApplies(in) ? driftExactDistribution(in) : DriftExact();
    m_histogram = driftHistogram(result, kHistogramBins);
    m_result = std::move(result);
    m_exact = std::move(exact);
}

std::vector<long double> TDrift2Form::exactHistogram() const
{
    std::vector<long double> bins;
    if (m_exact.final.empty())
        return bins;
    bins.assign(kHistogramBins, 0);
    const auto twoN = std::int64_t(m_exact.final.size()) - 1;
    for (std::int64_t k = 0; k <= twoN; ++k) {
        const std::int64_t bin = std::min<std::int64_t>(kHistogramBins - 1, k * kHistogramBins / twoN);
        bins[std::size_t(bin)] += m_exact.final[std::size_t(k)];
    }
    return bins;
}

QString TDrift2Form::note() const
{
    if (m_result.rows.empty())
        return QString();
    const DriftResult &r = m_result;
    QString text = forcesNote() + QStringLiteral(" Fixation probability of A1: ");
    if (movesFromEnds(r.input)) {
        text = forcesNote()
               + QStringLiteral(" With migration or mutation fixation and loss need not last: "
                                "no fixation probability.");
    } else if (!r.fixationApproximate) {
        text += noteNumber(r.input.p0) + QStringLiteral(" = p0 (neutral drift).");
    } else {
        text += noteNumber(r.fixationProbability)
                + QStringLiteral(" by Kimura's diffusion approximation, s = ")
                + noteNumber(r.selection) + QStringLiteral(", 4 Ne s = ")
                + text::formatFixed(4 * Extended(r.input.ne) * r.selection, 6, 2) + QLatin1Char('.');
        // Additive as typed: w12 halfway between the homozygotes, up to the
        // rounding of the typed decimals.
        const TGenotypeFitness &w = r.input.fitness;
        if (std::fabs(2 * w[2] - (w[1] + w[3])) > 1e-12L * (w[1] + w[3]))
            text += QStringLiteral(" The fitnesses are not additive: a rough guide only.");
    }
    return text + QLatin1Char(' ') + timesNote() + QLatin1Char(' ') + exactNote();
}

QString TDrift2Form::forcesNote() const
{
    const DriftInput &in = m_result.input;
    QString text = QStringLiteral("Each generation, in each deme: ");
    if (in.m != 0)
        text += in.source == DriftSource::Island ? QStringLiteral("migration (island pool), ")
                                                 : QStringLiteral("migration (continent), ");
    text += QStringLiteral("selection, ");
    if (in.u != 0 || in.v != 0)
        text += QStringLiteral("mutation, ");
    return text + QStringLiteral("then sampling of 2 Ne genes.");
}

QString TDrift2Form::timesNote() const
{
    const DriftResult &r = m_result;
    const auto part = [](std::int32_t count, Extended mean) {
        return count == 0 ? QStringLiteral("none yet")
                          : text::formatFixed(mean, 6, 1) + QStringLiteral(" (")
                                + text::formatInteger(count) + QStringLiteral(" demes)");
    };
    return QStringLiteral("Mean time to fixation so far: ") + part(r.fixations, r.meanFixationTime)
           + QStringLiteral(", to loss: ") + part(r.losses, r.meanLossTime)
           + QStringLiteral("; Kimura's neutral expectations: ")
           + text::formatFixed(driftKimuraFixationTime(r.input.p0, r.input.ne), 6, 1)
           + QStringLiteral(" and ")
           + text::formatFixed(driftKimuraLossTime(r.input.p0, r.input.ne), 6, 1)
           + QLatin1Char('.');
}

QString TDrift2Form::exactNote() const
{
    const DriftInput &in = m_result.input;
    if (!m_exact.rows.empty())
        return QStringLiteral("Bands: the exact distribution of p[1], 5-95 % and 25-75 %.");
    if (in.ne > DriftExactMaxNe)
        return QStringLiteral("The exact distribution is not drawn: above Ne = %1 its chain "
                              "takes too long.")
            .arg(DriftExactMaxNe);
    return QStringLiteral("The exact distribution is not drawn: with island migration the demes "
                          "depend on each other.");
}

QString TDrift2Form::countsReadout(long double x) const
{
    const auto &rows = m_result.rows;
    if (rows.empty())
        return QString();
    // The stored generation nearest to x.
    const auto later = std::lower_bound(rows.begin(), rows.end(), x,
                                        [](const DriftGeneration &g, long double at) {
                                            return g.time < at;
                                        });
    auto nearest = later == rows.end() ? rows.end() - 1 : later;
    if (nearest != rows.begin() && x - (nearest - 1)->time < nearest->time - x)
        --nearest;
    const std::int32_t all = m_result.input.replicates;
    QString text = QStringLiteral("   ");
    if (nearest->time != std::llrint(x))
        text += QStringLiteral("at t= ") + text::formatInteger(nearest->time)
                + QStringLiteral(": ");
    return text + countText(nearest->fixedCount, all) + QStringLiteral(" fixed, ")
           + countText(nearest->lostCount, all) + QStringLiteral(" lost");
}

QString TDrift2Form::histogramReadout(long double x) const
{
    const int bins = kHistogramBins;
    const int bin = std::clamp(int(std::floor(x * bins)), 0, bins - 1);
    const int count = m_histogram.empty() ? 0 : m_histogram[std::size_t(bin)];
    const QString low = text::formatFixed(Extended(bin) / bins, 3, 2);
    const QString high = bin + 1 == bins ? QStringLiteral("1]")
                                         : text::formatFixed(Extended(bin + 1) / bins, 3, 2)
                                               + QLatin1Char(')');
    return QStringLiteral(" final p[1] in [") + low + QStringLiteral(", ") + high
           + QStringLiteral(": ") + text::formatInteger(count)
           + (count == 1 ? QStringLiteral(" replicate") : QStringLiteral(" replicates"));
}

ModelDescription TDrift2Form::describe(TDrift2Form *self)
{
    const DriftResult &r = self->m_result;
    ModelDescription d;
    d.objectName = QStringLiteral("Drift2Form");
    d.settings.caption = QStringLiteral(" MORVA - Genetic drift, 2 alleles");
    d.settings.inputPanelWidth = 200;
    d.settings.gridFitsPanel = true;
    // The first six grid columns need about 400 pixels beside the inputs: a
    // narrower window scrolls rather than cut them; the grid scrolls its
    // columns to F_ST and the polymorphic demes. The inputs stand closer
    // than in the other windows (half the gaps, the fitnesses in one row) so
    // that Run and Cancel stay in view at the frame's default size.
    d.settings.scrollRange = QSize(610, 500);
    d.settings.spacerHeight = 5;
    d.settings.gridName = QStringLiteral("DriftStringAlignGrid");

    // --- inputs ---
    BoxSpec population =
        parameterBox(QStringLiteral("DriftPopGroupBox"), QStringLiteral(" Populations "),
                     QStringLiteral("Set the effective population size (diploid individuals) "
                                    "and the number of replicate populations"));
    population.slot = BoxSpec::Slot::Frequencies;
    population
        .row(QStringLiteral("p[1]:"), {real(kP0Field, 0.5L)
                                           .colored(kAllele1Colour)
                                           .named(QStringLiteral("initial A1 frequency"))
                                           .hinted(QStringLiteral("Set the frequency of allele A1 "
                                                                  "at the start"))})
        .row(QStringLiteral("Ne:"), {integer(kNeField, 50, 1, DriftMaxNe, 10)
                                         .named(QStringLiteral("population size"))})
        .row(QStringLiteral("replicates:"),
             {integer(kReplicatesField, 20, 1, DriftMaxReplicates)
                  .named(QStringLiteral("number of replicates"))});
    BoxSpec fitnesses =
        parameterBox(QStringLiteral("DriftFitGroupBox"), QStringLiteral(" Genotype fitnesses "),
                     QStringLiteral("Set genotype fitnesses (all equal: no selection, pure drift)"));
    // The three fields side by side under their genotype names: the window
    // has more inputs than the others, and this keeps Run and Cancel in
    // view at the frame's default size.
    constexpr int kFitnessLeft = 10;
    constexpr int kFitnessStep = 62;
    int place = 0;
    for (const char *genotype : kGenotypes) {
        const QString name = QStringLiteral("A%1A%2").arg(genotype[0]).arg(genotype[1]);
        const int x = kFitnessLeft + kFitnessStep * place++;
        fitnesses.add(real(fitnessField(genotype), 1, 0, 2)
                          .named(name + QStringLiteral(" fitness"))
                          .at(QPoint(x, 38), QSize(55, 22)));
        fitnesses.labels.push_back({QStringLiteral("DriftFit%1%2Label").arg(genotype[0]).arg(genotype[1]),
                                    name, QPoint(x + 8, 19), 13});
    }
    fitnesses.height = 68;
    BoxSpec random = parameterBox(
        QStringLiteral("DriftSeedGroupBox"), QStringLiteral(" Random numbers "),
        QStringLiteral("The seed of the random numbers: the same inputs and seed give the same "
                       "run. New seed takes one from the clock"));
    random
        .row(QStringLiteral("seed:"), {lineField(kSeedField, QStringLiteral("99"),
                                                 QStringLiteral("[0-9]{0,20}"))
                                           .sized(QSize(145, 22))
                                           .named(QStringLiteral("seed"))})
        .row(QString(), {pushButton(QStringLiteral("DriftNewSeedBtn"), QStringLiteral("&New seed"),
                                    [self] { self->newSeed(); })
                             .hinted(QStringLiteral("Take a new seed from the clock"))});
    BoxSpec mutation = parameterBox(
        QStringLiteral("DriftMutGroupBox"), QStringLiteral(" Mutation and migration "),
        QStringLiteral("Set the mutation rates A1 -> A2 (u) and A2 -> A1 (v), each mantissa x "
                       "10^exponent (0: no mutation), the migration rate m and where migrants "
                       "come from: a continent of frequency pc, or the pool of all demes "
                       "(island)"));
    const auto rate = [](const QString &mantissa, const QString &power, const QString &name) {
        return std::pair{real(mantissa, 0, 0, 10, 0.1L).named(name),
                         integer(power, -6, -9, -1).named(name + QStringLiteral(" exponent"))};
    };
    for (const auto &[label, fields, times] :
         {std::tuple{QStringLiteral("u:"), rate(kUField, kUPowerField, QStringLiteral("A1->A2 rate u")),
                     QStringLiteral("DriftUTimesLabel")},
          std::tuple{QStringLiteral("v:"), rate(kVField, kVPowerField, QStringLiteral("A2->A1 rate v")),
                     QStringLiteral("DriftVTimesLabel")}})
        mutation.scaledRow(label, fields.first, times, fields.second);
    mutation
        .row(QStringLiteral("m:"),
             {real(kMField, 0, 0, 1, 0.001L).named(QStringLiteral("migration rate")),
              real(kPcField, 0.5L)
                  .named(QStringLiteral("continent frequency"))
                  .labelled({QString(), QStringLiteral("pc:"), std::nullopt, 13})
                  .hinted(QStringLiteral("The continent's frequency of A1"))})
        .row(QStringLiteral("from:"),
             {lineField(kSourceField, kContinent, QStringLiteral("continent|island"))
                  .sized(QSize(78, 22))
                  .named(QStringLiteral("source of migrants"))
                  .hinted(QStringLiteral("continent or island: migrants from a continent of "
                                         "frequency pc, or from the pool of all demes")),
              pushButton(QStringLiteral("DriftSourceBtn"), QStringLiteral("&Switch"),
                         [self] { self->switchSource(); })
                  .sized(QSize(56, 22))
                  .hinted(QStringLiteral("Switch between continent and island"))});
    const BoxSpec generations = generationsBox().row(
        QString(), {integer(kGenerationsField, 200, 1, DriftMaxGenerations, 10)
                        .sized(QSize(75, 22))
                        .runOnEnter()
                        .named(QStringLiteral("number of generations"))});
    d.boxes = {population, fitnesses, mutation, random, generations};

    // --- checks and run ---
    const auto within = [self](const QString &field, std::int32_t maximum) {
        return [self, field, maximum] {
            const std::int32_t v = self->typedInteger(field);
            return v >= 1 && v <= maximum;
        };
    };
    d.checks = {
        {within(kNeField, DriftMaxNe), kNeMessage},
        {within(kReplicatesField, DriftMaxReplicates), kReplicatesMessage},
        {[self] {
             const auto w = [self](const char *g) { return self->settled(fitnessField(g)); };
             return w("11") != 0 || w("12") != 0 || w("22") != 0;
         },
         kFitnessMessage},
        {[self] { return self->seed().has_value(); }, kSeedMessage},
        {within(kGenerationsField, DriftMaxGenerations), kGenerationsMessage},
        {[self] {
             const QString source = self->lineEdit(kSourceField)->text();
             return source == kContinent || source == kIsland;
         },
         kSourceMessage},
    };
    d.run = [self] { self->compute(); };
    d.busyPointer = true;

    // --- charts ---
    ChartSpec freqs = page("TabSheet1", "p[1] vs time", "DriftChart1");
    freqs.bottom = timeAxis();
    freqs.left = fixedAxis(QStringLiteral("p[1]"), 1, 0.25);
    const DriftExact &e = self->m_exact;
    const auto band = [&e](Extended DriftExactGeneration::*low, Extended DriftExactGeneration::*high) {
        return [&e, low, high](Plot &p) {
            for (const DriftExactGeneration &g : e.rows) {
                p.add(g.time, g.*low);
                p.add(g.time, g.*high);
            }
        };
    };
    SeriesSpec outer = plainLineSeries(QStringLiteral("ExactOuterBand"), QStringLiteral("exact 5-95 %"),
                                       kOuterBandColour, band(&DriftExactGeneration::q05,
                                                              &DriftExactGeneration::q95));
    SeriesSpec inner = plainLineSeries(QStringLiteral("ExactInnerBand"), QStringLiteral("25-75 %"),
                                       kInnerBandColour, band(&DriftExactGeneration::q25,
                                                              &DriftExactGeneration::q75));
    outer.band = inner.band = true;
    freqs.series = {outer, inner};
    for (int k = 0; k < DriftMaxReplicates; ++k) {
        const QColor colour = kReplicateColours[k % std::size(kReplicateColours)];
        freqs.series.push_back(plainLineSeries(
            QStringLiteral("Replicate%1").arg(k + 1), QStringLiteral("replicates"), colour,
            [&r, k](Plot &p) {
                if (k >= std::int32_t(r.finalCounts.size()) || r.trajectories.empty())
                    return;
                const std::size_t rows = r.rows.size();
                const Extended *line = r.trajectories.data() + std::size_t(k) * rows;
                for (std::size_t i = 0; i < rows; ++i)
                    p.add(r.rows[i].time, line[i]);
            },
            k == 0));
    }
    const auto statistic = [&r](Extended DriftGeneration::*member) {
        return [&r, member](Plot &p) {
            for (const DriftGeneration &row : r.rows)
                p.add(row.time, row.*member);
        };
    };
    SeriesSpec mean = lineSeries(QStringLiteral("MeanSeries"), QStringLiteral("mean p[1]"),
                                 Qt::black, PenStyle::Solid, statistic(&DriftGeneration::meanP));
    mean.width = kMeanWidth;
    freqs.series.push_back(mean);
    SeriesSpec noDrift = lineSeries(QStringLiteral("NoDriftSeries"), QStringLiteral("no drift"),
                                    kNoDriftColour, PenStyle::Dashed,
                                    statistic(&DriftGeneration::noDrift));
    noDrift.width = kMeanWidth;
    freqs.series.push_back(noDrift);
    freqs.readout = [](Value x, Value y) {
        return timeReadout(x) + QStringLiteral("   p[1]= ") + text::formatFixed(y, 5, 3);
    };

    ChartSpec hets = page("TabSheet2", "Heterozygosity", "DriftChart2");
    hets.bottom = timeAxis();
    hets.left = fixedAxis(QStringLiteral("heterozygosity"), 0.5, 0.1);
    hets.series = {
        lineSeries(QStringLiteral("ExpectedHSeries"), QStringLiteral("expected H"), Qt::black,
                   PenStyle::Dashed, statistic(&DriftGeneration::expectedH)),
        lineSeries(QStringLiteral("ObservedHSeries"), QStringLiteral("mean observed 2pq"),
                   kObservedColour, PenStyle::Solid, statistic(&DriftGeneration::meanH)),
    };
    hets.readout = [](Value x, Value y) {
        return timeReadout(x) + QStringLiteral("   H= ") + text::formatFixed(y, 5, 4);
    };

    ChartSpec ends = page("TabSheet3", "Fixed and lost", "DriftChart3");
    ends.bottom = timeAxis();
    ends.left = fixedAxis(QStringLiteral("fraction of replicates"), 1, 0.25);
    ends.series = {
        lineSeries(QStringLiteral("FixedSeries"), QStringLiteral("fixed"), kAllele1Colour,
                   PenStyle::Solid, statistic(&DriftGeneration::fixed)),
        lineSeries(QStringLiteral("LostSeries"), QStringLiteral("lost"), kLostColour,
                   PenStyle::Solid, statistic(&DriftGeneration::lost)),
        lineSeries(QStringLiteral("FixationSeries"), QStringLiteral("fixation probability"),
                   kAllele1Colour, PenStyle::Dotted,
                   [&r](Plot &p) {
                       if (!r.rows.empty() && !movesFromEnds(r.input))
                           p.level(r.fixationProbability, 0, r.rows.back().time);
                   }),
        lineSeries(QStringLiteral("FixedExactSeries"), QStringLiteral("fixed, exact"),
                   kAllele1Colour, PenStyle::Dotted,
                   [&e](Plot &p) {
                       for (const DriftExactGeneration &g : e.rows)
                           p.add(g.time, g.fixed);
                   }),
        lineSeries(QStringLiteral("LostExactSeries"), QStringLiteral("lost, exact"), kLostColour,
                   PenStyle::Dotted,
                   [&e](Plot &p) {
                       for (const DriftExactGeneration &g : e.rows)
                           p.add(g.time, g.lost);
                   }),
    };
    ends.readout = [self](Value x, Value y) {
        return timeReadout(x) + QStringLiteral("   fraction= ") + text::formatFixed(y, 5, 3)
               + self->countsReadout(x);
    };

    ChartSpec finals = page("TabSheet4", "Final p[1]", "DriftChart4");
    finals.bottom = fixedAxis(QStringLiteral("final p[1]"), 1, 0.1);
    finals.bottom.picture = QStringLiteral("0.0");
    finals.left.picture = QStringLiteral("##0");
    finals.left.separation = 25;
    finals.left.title = QStringLiteral("replicates");
    finals.series = {lineSeries(
        QStringLiteral("HistogramSeries"), QStringLiteral("replicates"), kObservedColour,
        PenStyle::Solid,
        [self](Plot &p) {
            // Each class with replicates as a bar standing on the axis.
            const auto &h = self->m_histogram;
            const Value bins = Value(h.size());
            for (std::size_t i = 0; i < h.size(); ++i) {
                if (h[i] == 0)
                    continue;
                p.add(Value(i) / bins, 0);
                p.add(Value(i) / bins, h[i]);
                p.add(Value(i + 1) / bins, h[i]);
                p.add(Value(i + 1) / bins, 0);
            }
        },
        false),
        pointSeries(QStringLiteral("ExactHistogramSeries"), QStringLiteral("exact expectation"),
                    kExactColour, chart::MarkerShape::Diamond, 3, Qt::white, [self](Plot &p) {
                        // The expected number of replicates in each class, at its middle.
                        const std::vector<long double> bins = self->exactHistogram();
                        const Value reps = self->m_result.input.replicates;
                        for (std::size_t i = 0; i < bins.size(); ++i)
                            p.add((Value(i) + 0.5L) / Value(bins.size()), reps * bins[i]);
                    })};
    finals.readout = [self](Value x, Value) { return self->histogramReadout(x); };

    ChartSpec divergence = page("TabSheet5", "F_ST", "DriftChart5");
    divergence.bottom = timeAxis();
    divergence.left = fixedAxis(QStringLiteral("F_ST"), 1, 0.25);
    divergence.series = {
        lineSeries(QStringLiteral("FstSeries"), QStringLiteral("F_ST among demes"), kFstColour,
                   PenStyle::Solid,
                   [&r](Plot &p) {
                       for (const DriftGeneration &row : r.rows) {
                           if (row.fstDefined)
                               p.add(row.time, row.fst);
                       }
                   }),
        lineSeries(QStringLiteral("ExpectedFstSeries"), QStringLiteral("expected"), Qt::black,
                   PenStyle::Dotted, statistic(&DriftGeneration::expectedFst)),
    };
    divergence.readout = [](Value x, Value y) {
        return timeReadout(x) + QStringLiteral("   F_ST= ") + text::formatFixed(y, 5, 4);
    };
    d.pages = {freqs, hets, ends, finals, divergence};
    d.noteLines = 5;

    // --- grid ---
    const auto column = [&r](Extended DriftGeneration::*member) {
        return [&r, member](int row) { return r.rows[std::size_t(row)].*member; };
    };
    const auto count = [&r](std::int32_t DriftGeneration::*member) {
        return [&r, member](int row) { return Value(r.rows[std::size_t(row)].*member); };
    };
    const auto ofReplicates = [&r](Value n) {
        return QLatin1Char(' ') + countText(std::int32_t(n), r.input.replicates);
    };
    d.grid.columns = {
        {QStringLiteral(" time"), QStringLiteral("Time (in generations)"), QColor(),
         [&r](int row) { return Value(r.rows[std::size_t(row)].time); }, timeNumber, true},
        {QStringLiteral(" p[1]"), QStringLiteral("Mean frequency of A1 over the replicates"),
         kAllele1Colour, column(&DriftGeneration::meanP), gridNumber},
        {QStringLiteral(" fixed"), QStringLiteral("Replicates in which A1 is fixed"), QColor(),
         count(&DriftGeneration::fixedCount), ofReplicates, true},
        {QStringLiteral(" lost"), QStringLiteral("Replicates in which A1 is lost"), QColor(),
         count(&DriftGeneration::lostCount), ofReplicates, true},
        {QStringLiteral(" obs. H"),
         QStringLiteral("Mean observed heterozygosity 2pq over the replicates"), kObservedColour,
         column(&DriftGeneration::meanH), gridNumber},
        {QStringLiteral(" exp. H"),
         QStringLiteral("Expected heterozygosity H0 (1 - 1 / (2 Ne))^t"), QColor(),
         column(&DriftGeneration::expectedH), gridNumber},
        {QStringLiteral(" F_ST"),
         QStringLiteral("F_ST among the demes: the variance of p[1] over pbar (1 - pbar)"),
         kFstColour, column(&DriftGeneration::fst), gridNumber, false,
         [&r](int row) { return r.rows[std::size_t(row)].fstDefined; }},
        {QStringLiteral(" polym."), QStringLiteral("Demes still holding both alleles"), QColor(),
         count(&DriftGeneration::polymorphic), ofReplicates, true},
    };
    d.grid.rows = [&r] { return int(r.rows.size()); };
    d.note = [self] { return self->note(); };
    // Exported: every input as shown (the seed's text among them), the note,
    // the statistics at full precision, the fractions fixed and lost with
    // their numbers of replicates beside them, F_ST (NaN where undefined)
    // and its expectation, the polymorphic demes, the population without
    // drift, and the exact distribution's probabilities and quantiles (NaN
    // when it is not drawn).
    const auto exactColumn = [self](Extended DriftExactGeneration::*member) {
        return [self, member](int row) {
            const auto &rows = self->m_exact.rows;
            return std::size_t(row) < rows.size() ? rows[std::size_t(row)].*member
                                                  : std::numeric_limits<Value>::quiet_NaN();
        };
    };
    d.exports.columns = {
        {QStringLiteral("time"), [&r](int row) { return Value(r.rows[std::size_t(row)].time); }},
        {QStringLiteral("p[1]"), column(&DriftGeneration::meanP)},
        {QStringLiteral("fixed"), column(&DriftGeneration::fixed)},
        {QStringLiteral("fixed count"), count(&DriftGeneration::fixedCount)},
        {QStringLiteral("lost"), column(&DriftGeneration::lost)},
        {QStringLiteral("lost count"), count(&DriftGeneration::lostCount)},
        {QStringLiteral("obs. H"), column(&DriftGeneration::meanH)},
        {QStringLiteral("exp. H"), column(&DriftGeneration::expectedH)},
        {QStringLiteral("F_ST"), [&r](int row) { return fstValue(r.rows[std::size_t(row)]); }},
        {QStringLiteral("exp. F_ST"), column(&DriftGeneration::expectedFst)},
        {QStringLiteral("polymorphic"), count(&DriftGeneration::polymorphic)},
        {QStringLiteral("no drift"), column(&DriftGeneration::noDrift)},
        {QStringLiteral("exact fixed"), exactColumn(&DriftExactGeneration::fixed)},
        {QStringLiteral("exact lost"), exactColumn(&DriftExactGeneration::lost)},
        {QStringLiteral("exact 5 %"), exactColumn(&DriftExactGeneration::q05)},
        {QStringLiteral("exact 25 %"), exactColumn(&DriftExactGeneration::q25)},
        {QStringLiteral("exact 75 %"), exactColumn(&DriftExactGeneration::q75)},
        {QStringLiteral("exact 95 %"), exactColumn(&DriftExactGeneration::q95)},
    };
    d.exports.generations = [&r] {
        std::vector<std::int32_t> times;
        for (const DriftGeneration &row : r.rows)
            times.push_back(row.time);
        return times;
    };
    d.exports.everyGeneration = [&r]() -> RowSource {
        return [input = r.input](const RowSink &sink) {
            const std::vector<DriftGeneration> rows = driftEveryGeneration(input);
            const DriftExact exact =
                driftExactApplies(input) ? driftExactEveryGeneration(input) : DriftExact();
            const Value nan = std::numeric_limits<Value>::quiet_NaN();
            for (std::size_t i = 0; i < rows.size(); ++i) {
                const DriftGeneration &g = rows[i];
                const DriftExactGeneration *x = i < exact.rows.size() ? &exact.rows[i] : nullptr;
                sink({Value(g.time), g.meanP, g.fixed, Value(g.fixedCount), g.lost,
                      Value(g.lostCount), g.meanH, g.expectedH, fstValue(g), g.expectedFst,
                      Value(g.polymorphic), g.noDrift, x ? x->fixed : nan, x ? x->lost : nan,
                      x ? x->q05 : nan, x ? x->q25 : nan, x ? x->q75 : nan, x ? x->q95 : nan});
            }
        };
    };
    return d;
}
