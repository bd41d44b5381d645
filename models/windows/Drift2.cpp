#include "models/windows/Drift2.h"

#include "controls/KesSpinEdits1.h"
#include "platform/Desktop.h"
#include "platform/NumberText.h"

#include <QLineEdit>

#include <algorithm>
#include <cmath>
#include <limits>

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

namespace {

const QString kP0Field = QStringLiteral("DriftP0RealSpinEdit");
const QString kNeField = QStringLiteral("DriftNeKesSpinEdit");
const QString kReplicatesField = QStringLiteral("DriftReplicatesKesSpinEdit");
const QString kSeedField = QStringLiteral("DriftSeedEdit");
const QString kGenerationsField = QStringLiteral("SelNgKesSpinEdit");
const char *const kGenotypes[] = {"11", "12", "22"};

QString fitnessField(const char *genotype)
{
    return QStringLiteral("DriftFit%1RealSpinEdit").arg(QLatin1String(genotype));
}

const QColor kAllele1Colour(0, 128, 0);
const QColor kLostColour(255, 0, 0);
const QColor kObservedColour(0, 0, 192);
const QColor kLeftWallColour(255, 255, 128);
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
    return in;
}

void TDrift2Form::compute()
{
    DriftResult result = driftRun(readInputs());
    m_histogram = driftHistogram(result, kHistogramBins);
    m_result = std::move(result);
}

QString TDrift2Form::note() const
{
    if (m_result.rows.empty())
        return QString();
    const DriftResult &r = m_result;
    QString text = QStringLiteral("Fixation probability of A1: ");
    if (!r.fixationApproximate)
        return text + noteNumber(r.input.p0) + QStringLiteral(" = p0 (neutral drift).");
    text += noteNumber(r.fixationProbability)
            + QStringLiteral(" by Kimura's diffusion approximation, s = ")
            + noteNumber(r.selection) + QStringLiteral(", 4 Ne s = ")
            + text::formatFixed(4 * Extended(r.input.ne) * r.selection, 6, 2) + QLatin1Char('.');
    // Additive as typed: w12 halfway between the homozygotes, up to the
    // rounding of the typed decimals.
    const TGenotypeFitness &w = r.input.fitness;
    if (std::fabs(2 * w[2] - (w[1] + w[3])) > 1e-12L * (w[1] + w[3]))
        text += QStringLiteral(" The fitnesses are not additive: a rough guide only.");
    return text;
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
    // The six grid columns need about 400 pixels beside the inputs: a
    // narrower window scrolls rather than cut the grid.
    d.settings.scrollRange = QSize(610, 500);
    d.settings.gridName = QStringLiteral("DriftStringAlignGrid");

    // --- inputs ---
    BoxSpec start = frequencyBox(QStringLiteral("DriftFreqGroupBox"),
                                 QStringLiteral(" Initial frequency "),
                                 QStringLiteral("Set the frequency of allele A1 at the start"));
    start.row(QStringLiteral("p[1]:"), {real(kP0Field, 0.5L)
                                            .colored(kAllele1Colour)
                                            .named(QStringLiteral("initial A1 frequency"))});
    BoxSpec population =
        parameterBox(QStringLiteral("DriftPopGroupBox"), QStringLiteral(" Populations "),
                     QStringLiteral("Set the effective population size (diploid individuals) "
                                    "and the number of replicate populations"));
    population
        .row(QStringLiteral("Ne:"), {integer(kNeField, 50, 1, DriftMaxNe, 10)
                                         .named(QStringLiteral("population size"))})
        .row(QStringLiteral("replicates:"),
             {integer(kReplicatesField, 20, 1, DriftMaxReplicates)
                  .named(QStringLiteral("number of replicates"))});
    BoxSpec fitnesses =
        parameterBox(QStringLiteral("DriftFitGroupBox"), QStringLiteral(" Genotype fitnesses "),
                     QStringLiteral("Set genotype fitnesses (all equal: no selection, pure drift)"));
    for (const char *genotype : kGenotypes) {
        const QString name = QStringLiteral("A%1A%2").arg(genotype[0]).arg(genotype[1]);
        fitnesses.row(name + QLatin1Char(':'), {real(fitnessField(genotype), 1, 0, 2)
                                                    .named(name + QStringLiteral(" fitness"))});
    }
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
    const BoxSpec generations = generationsBox().row(
        QString(), {integer(kGenerationsField, 200, 1, DriftMaxGenerations, 10)
                        .sized(QSize(75, 22))
                        .runOnEnter()
                        .named(QStringLiteral("number of generations"))});
    d.boxes = {start, population, fitnesses, random, generations};

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
    };
    d.run = [self] { self->compute(); };
    d.busyPointer = true;

    // --- charts ---
    ChartSpec freqs = page("TabSheet1", "p[1] vs time", "DriftChart1");
    freqs.bottom = timeAxis();
    freqs.left = fixedAxis(QStringLiteral("p[1]"), 1, 0.25);
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
                       if (!r.rows.empty())
                           p.level(r.fixationProbability, 0, r.rows.back().time);
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
        false)};
    finals.readout = [self](Value x, Value) { return self->histogramReadout(x); };
    d.pages = {freqs, hets, ends, finals};

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
    };
    d.grid.rows = [&r] { return int(r.rows.size()); };
    d.note = [self] { return self->note(); };
    // Exported: every input as shown (the seed's text among them), the note,
    // the statistics at full precision, the fractions fixed and lost with
    // their numbers of replicates beside them.
    d.exports.columns = {
        {QStringLiteral("time"), [&r](int row) { return Value(r.rows[std::size_t(row)].time); }},
        {QStringLiteral("p[1]"), column(&DriftGeneration::meanP)},
        {QStringLiteral("fixed"), column(&DriftGeneration::fixed)},
        {QStringLiteral("fixed count"), count(&DriftGeneration::fixedCount)},
        {QStringLiteral("lost"), column(&DriftGeneration::lost)},
        {QStringLiteral("lost count"), count(&DriftGeneration::lostCount)},
        {QStringLiteral("obs. H"), column(&DriftGeneration::meanH)},
        {QStringLiteral("exp. H"), column(&DriftGeneration::expectedH)},
    };
    d.exports.generations = [&r] {
        std::vector<std::int32_t> times;
        for (const DriftGeneration &row : r.rows)
            times.push_back(row.time);
        return times;
    };
    d.exports.everyGeneration = [&r]() -> RowSource {
        return [input = r.input](const RowSink &sink) {
            for (const DriftGeneration &g : driftEveryGeneration(input))
                sink({Value(g.time), g.meanP, g.fixed, Value(g.fixedCount), g.lost,
                      Value(g.lostCount), g.meanH, g.expectedH});
        };
    };
    return d;
}
