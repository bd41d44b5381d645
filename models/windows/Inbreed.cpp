#include "models/windows/Inbreed.h"

#include "models/frame/TimeCourse.h"

using namespace morva;
using namespace morva::form;
using namespace morva::timecourse;

const QString TInbreedForm::kSumMessage =
    QStringLiteral("Genotype frequencies P, H and Q MUST add up to 1\r     Try double clicking on "
                   "one of them");
const QString TInbreedForm::kDoubleClickMessage =
    QStringLiteral("Genotype frequencies MUST add up to 1 and be non-negative!");

namespace {

using style::kA1A1Colour;
using style::kA1A2Colour;
using style::kA2A2Colour;
// Unlike F's own colour, so that the level stays visible once F reaches it.
const QColor kEquilibriumColour(0, 0, 200);

const QString kP = QStringLiteral("InbreedPRealSpinEdit");
const QString kH = QStringLiteral("InbreedHRealSpinEdit");
const QString kQ = QStringLiteral("InbreedQRealSpinEdit");
const QString kSelfing = QStringLiteral("SelfRateRealSpinEdit");

} // namespace

TInbreedForm::TInbreedForm(std::function<void()> handBack, QWidget *parent)
    : DescribedForm(describe(this), std::move(handBack), parent)
{
}

ModelDescription TInbreedForm::describe(TInbreedForm *self)
{
    const SelfingTrajectory &r = self->m_run;
    const SelfingEquilibrium &e = self->m_equilibrium;
    ModelDescription d;
    d.objectName = QStringLiteral("InbreedForm");
    d.settings.caption = QStringLiteral(" MORVA - Inbreeding by partial selfing, 2 alleles");
    d.settings.inputPanelWidth = 200;
    d.settings.gridFitsPanel = true;
    d.settings.gridName = QStringLiteral("InbreedStringAlignGrid");

    // --- inputs: Hardy-Weinberg proportions of p = 0.6, half selfed ---
    BoxSpec genotypes = frequencyBox(
        QStringLiteral("GenoFreqGroupBox"), QStringLiteral("Genotype frequencies"),
        QStringLiteral("Set initial genotype frequencies.  Double click any frequency to set it "
                       "to one minus the others"));
    genotypes.row(QStringLiteral("A1A1 (P):"), {real(kP, 0.36L).colored(kA1A1Colour).named(QStringLiteral("P"))})
        .row(QStringLiteral("A1A2 (H):"), {real(kH, 0.48L).colored(kA1A2Colour).named(QStringLiteral("H"))})
        .row(QStringLiteral("A2A2 (Q):"), {real(kQ, 0.16L).colored(kA2A2Colour).named(QStringLiteral("Q"))});
    BoxSpec selfing =
        parameterBox(QStringLiteral("SelfingGroupBox"), QStringLiteral("Partial selfing"),
                     QStringLiteral("Set the selfing rate: the fraction of offspring that comes "
                                    "from self-fertilisation"))
            .row(QStringLiteral("s:"), {real(kSelfing, 0.5L).named(QStringLiteral("selfing rate"))});
    d.boxes = {genotypes, selfing, generationsBox(10)};
    d.sumGroups = {sumGroup({kP, kH, kQ}, kDoubleClickMessage)};
    d.checks = {sumCheck(self, {kP, kH, kQ}, kSumMessage), generationsCheck(self)};
    d.run = [self] { self->compute(); };

    // --- charts ---
    ChartSpec freqs = page(QStringLiteral("TabSheet1"), QStringLiteral("Genotype freqs vs time"),
                           QStringLiteral("InbreedChart1"));
    freqs.left = frequencyAxis(QStringLiteral("genotype frequencies"));
    freqs.series = {
        overTime(QStringLiteral("SeriesP"), QStringLiteral("P"), kA1A1Colour, r.t, r.P),
        overTime(QStringLiteral("SeriesH"), QStringLiteral("H"), kA1A2Colour, r.t, r.H),
        overTime(QStringLiteral("SeriesQ"), QStringLiteral("Q"), kA2A2Colour, r.t, r.Q),
        dottedLevel(QStringLiteral("HardyWeinbergP"), QStringLiteral("p^2"), kA1A1Colour, r.t,
                    e.hwP),
        dottedLevel(QStringLiteral("HardyWeinbergH"), QStringLiteral("2pq"), kA1A2Colour, r.t,
                    e.hwH),
        dottedLevel(QStringLiteral("HardyWeinbergQ"), QStringLiteral("q^2"), kA2A2Colour, r.t,
                    e.hwQ),
    };
    freqs.readout = [self](Value x, Value) { return self->genotypesReadout(x); };

    ChartSpec inbreeding = page(QStringLiteral("TabSheet2"), QStringLiteral("F vs time"),
                                QStringLiteral("InbreedChart2"));
    inbreeding.left = automaticAxis(QStringLiteral("0.00"), QStringLiteral("inbreeding coefficient F"));
    inbreeding.series = {
        overTime(QStringLiteral("SeriesF"), QStringLiteral("F"), Qt::black, r.t, r.F),
        lineSeries(QStringLiteral("EquilibriumF"), QStringLiteral("F^ = s / (2 - s)"),
                   kEquilibriumColour,
                   chart::PenStyle::Dotted,
                   [&r, &e](Plot &p) {
                       if (r.inbreedingDefined && !r.t.empty())
                           p.level(e.F, r.t.front(), r.t.back());
                   }),
    };
    inbreeding.readout = [self](Value x, Value) { return self->inbreedingReadout(x); };
    d.pages = {freqs, inbreeding};

    // --- grid ---
    const auto column = [](const std::vector<Extended> &values) {
        return [&values](int row) { return values[std::size_t(row)]; };
    };
    ColumnSpec f{QStringLiteral(" F"),
                 QStringLiteral("Inbreeding coefficient F = 1 - H / (2 p q); - where one allele "
                                "is absent"),
                 QColor(), column(r.F), gridNumber};
    f.defined = [&r](int) { return r.inbreedingDefined; };
    d.grid.columns = {
        {QStringLiteral(" time"), QStringLiteral("Time (in generations)"), QColor(),
         [&r](int row) { return Value(r.t[std::size_t(row)]); }, timeNumber, true},
        {QStringLiteral(" P"), QStringLiteral("Frequency of genotype A1A1"), kA1A1Colour,
         column(r.P), gridNumber},
        {QStringLiteral(" H"), QStringLiteral("Frequency of genotype A1A2"), kA1A2Colour,
         column(r.H), gridNumber},
        {QStringLiteral(" Q"), QStringLiteral("Frequency of genotype A2A2"), kA2A2Colour,
         column(r.Q), gridNumber},
        f,
    };
    d.grid.rows = [&r] { return int(r.t.size()); };
    d.note = [self] { return self->note(); };
    return d;
}

void TInbreedForm::compute()
{
    SelfingParams in;
    in.P = settled(kP);
    in.H = settled(kH);
    in.Q = settled(kQ);
    in.s = settled(kSelfing);
    in.ng = generations(this);
    m_equilibrium = selfingEquilibrium(in);
    runSelfing(in, m_run);
}

QString TInbreedForm::note() const
{
    const SelfingEquilibrium &e = m_equilibrium;
    const QString stays = QStringLiteral("p = %1 stays.").arg(noteNumber(e.p));
    if (!m_run.inbreedingDefined)
        return stays + QStringLiteral("  One allele is absent: F is undefined (-).");
    return stays
           + QStringLiteral("  Equilibrium: F^ = s / (2 - s) = %1;  P^ = %2, H^ = %3, Q^ = %4.")
                 .arg(noteNumber(e.F), noteNumber(e.P), noteNumber(e.H), noteNumber(e.Q));
}

QString TInbreedForm::genotypesReadout(Value x) const
{
    if (m_run.t.empty())
        return QString();
    const std::size_t k = generationAt(m_run.t, x);
    return readoutTime(m_run.t, k) + QStringLiteral("   P= ") + readoutNumber(m_run.P[k])
           + QStringLiteral("   H= ") + readoutNumber(m_run.H[k]) + QStringLiteral("   Q= ")
           + readoutNumber(m_run.Q[k]);
}

QString TInbreedForm::inbreedingReadout(Value x) const
{
    if (m_run.t.empty())
        return QString();
    const std::size_t k = generationAt(m_run.t, x);
    if (!m_run.inbreedingDefined)
        return readoutTime(m_run.t, k) + QStringLiteral("   F= ") + kUndefinedText;
    return readoutTime(m_run.t, k) + QStringLiteral("   F= ") + readoutNumber(m_run.F[k])
           + QStringLiteral("   F^= ") + readoutNumber(m_equilibrium.F);
}
