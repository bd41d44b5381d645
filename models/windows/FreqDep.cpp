// The window of frequency-dependent selection between 2 alleles: each
// genotype's fitness is a + b times its own frequency before selection. The
// allele frequencies, the three fitnesses and the mean fitness against time,
// delta-p[1] against p[1] with its expected curve and the equilibria; a run
// whose fitness turns negative, or whose mean fitness reaches 0, stops there
// with a message and keeps the generations before it. Built from the
// two-allele kit (models/frame/TwoAlleleForm.h); the catalogue creates it
// through newFreqDepForm.

#include "arith/Errors.h"
#include "arith/FrequencyDependent.h"
#include "models/frame/TwoAlleleForm.h"

#include <QMdiSubWindow>

#include <algorithm>
#include <utility>

using namespace morva;
using namespace morva::form;
using chart::PenStyle;

namespace {

constexpr int kCurveIntervals = 500;
const QString kPrefix = QStringLiteral("FreqDep");
const char *const kGenotypes[] = {"11", "12", "22"};

QString field(const char *part, const char *genotype)
{
    return kPrefix + QLatin1String(part) + QLatin1String(genotype) + QStringLiteral("RealSpinEdit");
}

QString genotypeName(int i)
{
    const QString digits = QLatin1String(kGenotypes[i]);
    return QStringLiteral("A%1A%2").arg(digits[0]).arg(digits[1]);
}

} // namespace

class TFreqDepForm : public DescribedForm {
    Q_OBJECT
public:
    explicit TFreqDepForm(std::function<void()> handBack)
        : DescribedForm(describe(this), std::move(handBack))
    {
    }

protected:
    // A run that stopped early shows its rows first, then says why.
    void runClicked() override
    {
        m_stopMessage.clear();
        runDescribed();
        if (!m_stopMessage.isEmpty())
            showError(m_stopMessage);
    }

private:
    static ModelDescription describe(TFreqDepForm *self);
    FreqDepParams inputs() const;
    void compute();
    static QString stopText(const FreqDepStop &stop);

    FreqDepTrajectory m_run;
    FreqDepCurve m_curve;
    FixedPoints m_equilibria;
    QString m_stopMessage;
};

ModelDescription TFreqDepForm::describe(TFreqDepForm *self)
{
    using namespace twoallele;
    const FreqDepTrajectory &r = self->m_run;
    ModelDescription d;
    frame(d, QStringLiteral("FreqDepForm"),
          QStringLiteral(" MORVA - Frequency-dependent selection, 2 alleles"), kPrefix);

    // --- inputs: rare homozygotes favoured, A1A1 more steeply; from A1 at 0.9
    // to the stable p[1] = 1 / (1 + cbrt(2)) ---
    BoxSpec fitnesses = parameterBox(
        kPrefix + QStringLiteral("FitGroupBox"), QStringLiteral(" Fitness = a + b x freq. "),
        QStringLiteral("Set each genotype's base fitness a and slope b: its fitness is a + b "
                       "times its own frequency (a negative b favours the rare genotype)"));
    const Value slopes[] = {-0.8L, 0, -0.4L};
    for (int i = 0; i < 3; ++i) {
        const QString name = genotypeName(i);
        fitnesses.row(name + QLatin1Char(':'),
                      {real(field("A", kGenotypes[i]), 1, 0, 2)
                           .sized(QSize(50, 22))
                           .named(name + QStringLiteral(" base fitness a")),
                       real(field("B", kGenotypes[i]), slopes[i], -2, 2)
                           .sized(QSize(50, 22))
                           .named(name + QStringLiteral(" slope b"))});
    }
    d.boxes = {twoallele::frequencyBox(kPrefix, QStringLiteral("Allele frequencies"), {0.9L, 0.1L}),
               fitnesses, twoallele::generationsBox(30)};
    d.sumGroups = {frequencySum(kPrefix)};
    d.checks = {frequencyCheck(self, kPrefix), twoallele::generationsCheck(self)};
    d.run = [self] { self->compute(); };

    // --- charts ---
    ChartSpec freqs = frequencyPage(kPrefix + QStringLiteral("Chart1"), r.t, r.p1, r.p2);

    ChartSpec fitness = style::page(QStringLiteral("TabSheet3"),
                                    QStringLiteral("Fitnesses vs time"),
                                    kPrefix + QStringLiteral("Chart3"));
    fitness.legendWidth = 55;
    fitness.bottom = timeAxis();
    fitness.left = automaticAxis(QStringLiteral("0.00"), QStringLiteral("fitnesses"));
    fitness.series = {
        overTime(QStringLiteral("SeriesW11"), QStringLiteral("w11"), style::kA1A1Colour,
                 PenStyle::Solid, r.t, r.w11),
        overTime(QStringLiteral("SeriesW12"), QStringLiteral("w12"), style::kA1A2Colour,
                 PenStyle::Solid, r.t, r.w12),
        overTime(QStringLiteral("SeriesW22"), QStringLiteral("w22"), style::kA2A2Colour,
                 PenStyle::Dashed, r.t, r.w22),
        overTime(QStringLiteral("SeriesWmed"), QStringLiteral("Wmed"), Qt::black,
                 PenStyle::Dotted, r.t, r.wmed),
        firstPoints(r.t, {&r.w11, &r.w12, &r.w22, &r.wmed}),
    };

    ChartSpec delta = deltaPage(kPrefix + QStringLiteral("Chart2"));
    // Where a fitness is below 0 or Wmed is 0 the curve has no point.
    delta.series.push_back(lineSeries(
        QStringLiteral("CurveTotal"), QStringLiteral("expected"), Qt::black, PenStyle::Solid,
        [&c = self->m_curve](Plot &p) {
            for (std::size_t i = 0; i < c.p.size(); ++i) {
                if (c.defined[i])
                    p.add(c.p[i], c.delta[i]);
            }
        }));
    for (SeriesSpec &s : observedDeltas(r.t, r.p1))
        delta.series.push_back(std::move(s));
    d.pages = {freqs, delta, fitness};
    d.equilibria = [self] { return equilibriumSet(self->m_equilibria); };

    // --- grid and export ---
    const auto column = [](const std::vector<Extended> &values) {
        return [&values](int row) { return values[std::size_t(row)]; };
    };
    d.grid.columns = frequencyColumns(r.t, r.p1, r.p2);
    const std::vector<Extended> *genotypeFitness[] = {&r.w11, &r.w12, &r.w22};
    const QColor colours[] = {style::kA1A1Colour, style::kA1A2Colour, style::kA2A2Colour};
    for (int i = 0; i < 3; ++i) {
        d.grid.columns.push_back({QLatin1Char(' ') + QStringLiteral("w") + QLatin1String(kGenotypes[i]),
                                  QStringLiteral("Fitness of genotype ") + genotypeName(i),
                                  colours[i], column(*genotypeFitness[i]), style::gridNumber});
    }
    d.grid.columns.push_back({QStringLiteral(" Wmed"), QStringLiteral("Population mean fitness"),
                              QColor(), column(r.wmed), style::gridNumber});
    d.grid.rows = [&r] { return int(r.t.size()); };
    d.exports.columns = {
        {QStringLiteral("time"), [&r](int row) { return Value(r.t[std::size_t(row)]); }},
        {QStringLiteral("p[1]"), column(r.p1)}, {QStringLiteral("p[2]"), column(r.p2)},
        {QStringLiteral("w11"), column(r.w11)}, {QStringLiteral("w12"), column(r.w12)},
        {QStringLiteral("w22"), column(r.w22)}, {QStringLiteral("W[1]"), column(r.W1)},
        {QStringLiteral("W[2]"), column(r.W2)}, {QStringLiteral("Wmed"), column(r.wmed)},
        {QStringLiteral("delta-p[1]"), column(r.deltaP)},
    };
    d.exports.generations = [&r] { return r.t; };
    // Every generation: the run again in spans of StoredEveryUpTo generations,
    // each started from the last frequencies of the one before; a generation
    // depends on its frequencies alone, so each row has the stored row's bits.
    d.exports.everyGeneration = [self]() -> RowSource {
        return [in = self->inputs(), last = self->m_run.t.back()](const RowSink &sink) {
            FreqDepParams span = in;
            FreqDepTrajectory part;
            std::vector<Value> row;
            for (std::int32_t from = 0; from <= last; from += StoredEveryUpTo) {
                span.ng = std::min(StoredEveryUpTo, last - from);
                runFreqDep(span, part);
                // The last row of a span is the first of the next.
                const bool more = !part.stop && from + span.ng < last;
                const std::size_t rows = part.t.size() - (more ? 1 : 0);
                for (std::size_t k = 0; k < rows; ++k) {
                    row = {Value(from + part.t[k]), part.p1[k], part.p2[k], part.w11[k],
                           part.w12[k], part.w22[k], part.W1[k], part.W2[k], part.wmed[k],
                           part.deltaP[k]};
                    sink(row);
                }
                if (!more)
                    break;
                span.p0[1] = part.p1.back();
                span.p0[2] = part.p2.back();
            }
        };
    };
    d.note = [self] {
        return self->m_run.t.empty() ? QString() : equilibriaText(self->m_equilibria);
    };
    return d;
}

FreqDepParams TFreqDepForm::inputs() const
{
    FreqDepParams in;
    in.p0[1] = settled(kPrefix + QStringLiteral("Freq1RealSpinEdit"));
    in.p0[2] = settled(kPrefix + QStringLiteral("Freq2RealSpinEdit"));
    for (int i = 0; i < 3; ++i) {
        in.a[i + 1] = settled(field("A", kGenotypes[i]));
        in.b[i + 1] = settled(field("B", kGenotypes[i]));
    }
    in.ng = typedInteger(twoallele::kGenerationsField);
    return in;
}

// Into new results first: a run that cannot select even generation 0 says
// so and leaves the last run's results as they were.
void TFreqDepForm::compute()
{
    const FreqDepParams in = inputs();
    FreqDepTrajectory run;
    runFreqDep(in, run);
    if (run.t.empty())
        throw MorvaError(stopText(*run.stop).toStdString());
    FreqDepCurve curve;
    computeFreqDepCurve(in, kCurveIntervals, curve);
    m_equilibria = freqDepFixedPoints(in);
    m_run = std::move(run);
    m_curve = std::move(curve);
    if (m_run.stop)
        m_stopMessage = stopText(*m_run.stop);
}

QString TFreqDepForm::stopText(const FreqDepStop &stop)
{
    const QString why = stop.reason == FreqDepStopReason::NegativeFitness
                            ? QStringLiteral("the fitness of %1 is below 0")
                                  .arg(genotypeName(stop.genotype - 1))
                            : QStringLiteral("the mean fitness Wmed is 0");
    return QStringLiteral("In generation %1 %2: the run stops there.").arg(stop.generation).arg(why);
}

namespace morva {

QMdiSubWindow *newFreqDepForm(std::function<void()> handBack)
{
    return new TFreqDepForm(std::move(handBack));
}

} // namespace morva

#include "FreqDep.moc"
