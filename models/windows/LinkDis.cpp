#include "models/windows/LinkDis.h"

#include "models/frame/TimeCourse.h"

#include <array>

using namespace morva;
using namespace morva::form;
using namespace morva::timecourse;

const QString TLinkDisForm::kSumMessage =
    QStringLiteral("Gamete frequencies AB, Ab, aB and ab MUST add up to 1\r     Try double "
                   "clicking on one of them");
const QString TLinkDisForm::kDoubleClickMessage =
    QStringLiteral("Gamete frequencies MUST add up to 1 and be non-negative!");

namespace {

struct Gamete {
    const char *name;   // AB, Ab, aB, ab
    QColor colour;
};
const std::array<Gamete, 4> kGametes{{{"AB", QColor(0, 128, 0)},
                                      {"Ab", QColor(0, 0, 200)},
                                      {"aB", QColor(200, 0, 200)},
                                      {"ab", QColor(255, 0, 0)}}};
const QColor kExpectedColour(0, 0, 200);

QString gameteField(const Gamete &g)
{
    return QStringLiteral("Gamete%1RealSpinEdit").arg(QLatin1String(g.name));
}

const QString kRecombination = QStringLiteral("RecRateRealSpinEdit");

} // namespace

TLinkDisForm::TLinkDisForm(std::function<void()> handBack, QWidget *parent)
    : DescribedForm(describe(this), std::move(handBack), parent)
{
}

ModelDescription TLinkDisForm::describe(TLinkDisForm *self)
{
    const LinkageTrajectory &r = self->m_run;
    const LinkageAlleles &a = self->m_alleles;
    // The gametes' trajectories in the order AB, Ab, aB, ab.
    const std::array<const std::vector<Extended> *, 4> values{&r.AB, &r.Ab, &r.aB, &r.ab};
    ModelDescription d;
    d.objectName = QStringLiteral("LinkDisForm");
    d.settings.caption = QStringLiteral(" MORVA - Linkage disequilibrium, 2 loci");
    d.settings.inputPanelWidth = 200;
    d.settings.gridFitsPanel = true;
    d.settings.gridName = QStringLiteral("LinkDisStringAlignGrid");

    // --- inputs: pA = 0.6, pB = 0.7, D0 = 0.08, loosely linked ---
    BoxSpec gametes = frequencyBox(
        QStringLiteral("GameteGroupBox"), QStringLiteral("Gamete frequencies"),
        QStringLiteral("Set initial gamete frequencies.  Double click any frequency to set it "
                       "to one minus the others"));
    const std::array<Value, 4> defaults{0.5L, 0.1L, 0.2L, 0.2L};
    QStringList fields;
    for (std::size_t i = 0; i < kGametes.size(); ++i) {
        const QString name = QLatin1String(kGametes[i].name);
        fields << gameteField(kGametes[i]);
        gametes.row(name + QLatin1Char(':'), {real(fields.back(), defaults[i])
                                                  .colored(kGametes[i].colour)
                                                  .named(name + QStringLiteral(" frequency"))});
    }
    BoxSpec recombination =
        parameterBox(QStringLiteral("RecombGroupBox"), QStringLiteral("Recombination"),
                     QStringLiteral("Set the recombination fraction between the two loci (0 for "
                                    "complete linkage, 0.5 for unlinked loci)"))
            .row(QStringLiteral("r:"), {real(kRecombination, 0.1L, 0, 0.5L)
                                            .named(QStringLiteral("recombination fraction"))});
    d.boxes = {gametes, recombination, generationsBox(50)};
    d.sumGroups = {sumGroup(fields, kDoubleClickMessage)};
    d.checks = {sumCheck(self, fields, kSumMessage), generationsCheck(self)};
    d.run = [self] { self->compute(); };

    // --- charts ---
    ChartSpec freqs = page(QStringLiteral("TabSheet1"), QStringLiteral("Gamete freqs vs time"),
                           QStringLiteral("LinkDisChart1"));
    freqs.left = frequencyAxis(QStringLiteral("gamete frequencies"));
    for (std::size_t i = 0; i < kGametes.size(); ++i) {
        const QString name = QLatin1String(kGametes[i].name);
        freqs.series.push_back(overTime(QStringLiteral("Series") + name, name,
                                          kGametes[i].colour, r.t, *values[i]));
    }
    for (std::size_t i = 0; i < kGametes.size(); ++i) {
        const QString name = QLatin1String(kGametes[i].name);
        // Out of the legend: the note names the dotted levels.
        freqs.series.push_back(dottedLevel(QStringLiteral("Equilibrium") + name, QString(),
                                           kGametes[i].colour, r.t, a.equilibrium[int(i) + 1]));
    }
    freqs.readout = [self](Value x, Value) { return self->gametesReadout(x); };

    ChartSpec disequilibrium = page(QStringLiteral("TabSheet2"), QStringLiteral("D vs time"),
                                    QStringLiteral("LinkDisChart2"));
    disequilibrium.left = automaticAxis(QStringLiteral("0.000"), QStringLiteral("D"));
    disequilibrium.series = {
        pointSeries(QStringLiteral("SeriesD"), QStringLiteral("D"), Qt::black,
                    chart::MarkerShape::Circle, 2, Qt::black,
                    [&r](Plot &p) {
                        for (std::size_t k = 0; k < r.D.size(); ++k)
                            p.add(r.t[k], r.D[k]);
                    }),
        overTime(QStringLiteral("ExpectedD"), QStringLiteral("D0 (1 - r)^t"), kExpectedColour,
                   r.t, r.Dclosed, chart::PenStyle::Dotted),
    };
    disequilibrium.readout = [self](Value x, Value) { return self->disequilibriumReadout(x); };
    d.pages = {freqs, disequilibrium};

    // --- grid ---
    const auto column = [](const std::vector<Extended> &v) {
        return [&v](int row) { return v[std::size_t(row)]; };
    };
    d.grid.columns = {{QStringLiteral(" time"), QStringLiteral("Time (in generations)"), QColor(),
                       [&r](int row) { return Value(r.t[std::size_t(row)]); }, timeNumber, true}};
    for (std::size_t i = 0; i < kGametes.size(); ++i) {
        const QString name = QLatin1String(kGametes[i].name);
        d.grid.columns.push_back({QLatin1Char(' ') + name,
                                  QStringLiteral("Frequency of gamete ") + name,
                                  kGametes[i].colour, column(*values[i]), gridNumber});
    }
    d.grid.columns.push_back({QStringLiteral(" D"),
                              QStringLiteral("Linkage disequilibrium D = AB ab - Ab aB"),
                              QColor(), column(r.D), smallNumber});
    ColumnSpec r2{QStringLiteral(" r^2"),
                  QStringLiteral("r^2 = D^2 / (pA pa pB pb); - where an allele is absent"),
                  QColor(), column(r.r2), gridNumber};
    r2.defined = [&r](int) { return r.r2Defined; };
    d.grid.columns.push_back(r2);
    d.grid.rows = [&r] { return int(r.t.size()); };
    d.note = [self] { return self->note(); };
    return d;
}

void TLinkDisForm::compute()
{
    LinkageParams in;
    for (std::size_t i = 0; i < kGametes.size(); ++i)
        in.x0[int(i) + 1] = settled(gameteField(kGametes[i]));
    in.r = settled(kRecombination);
    in.ng = generations(this);
    m_alleles = linkageAlleles(in.x0);
    runLinkage(in, m_run);
}

QString TLinkDisForm::note() const
{
    const LinkageAlleles &a = m_alleles;
    const GameteFrequencies &e = a.equilibrium;
    return QStringLiteral("pA = %1, pB = %2 stay.  Dotted, linkage equilibrium: AB^ = %3, "
                          "Ab^ = %4, aB^ = %5, ab^ = %6.  D0 = %7.")
        .arg(noteNumber(a.pA), noteNumber(a.pB), noteNumber(e[1]), noteNumber(e[2]),
             noteNumber(e[3]), noteNumber(e[4]), noteNumber(a.D0));
}

QString TLinkDisForm::gametesReadout(Value x) const
{
    if (m_run.t.empty())
        return QString();
    const std::size_t k = generationAt(m_run.t, x);
    const std::array<const std::vector<Extended> *, 4> values{&m_run.AB, &m_run.Ab, &m_run.aB,
                                                              &m_run.ab};
    QString text = readoutTime(m_run.t, k);
    for (std::size_t i = 0; i < kGametes.size(); ++i)
        text += QStringLiteral("   %1= ").arg(QLatin1String(kGametes[i].name))
                + readoutNumber((*values[i])[k]);
    return text;
}

QString TLinkDisForm::disequilibriumReadout(Value x) const
{
    if (m_run.t.empty())
        return QString();
    const std::size_t k = generationAt(m_run.t, x);
    return readoutTime(m_run.t, k) + QStringLiteral("   D= ") + smallNumber(m_run.D[k])
           + QStringLiteral("   D0 (1 - r)^t= ") + smallNumber(m_run.Dclosed[k])
           + QStringLiteral("   r^2= ")
           + (m_run.r2Defined ? readoutNumber(m_run.r2[k]) : kUndefinedText);
}
