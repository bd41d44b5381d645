#include "models/windows/SexLink.h"

#include "models/frame/TimeCourse.h"

using namespace morva;
using namespace morva::form;
using namespace morva::timecourse;

namespace {

const QColor kFemaleColour(200, 0, 100);
const QColor kMaleColour(0, 0, 200);

const QString kFemales = QStringLiteral("FemFreqRealSpinEdit");
const QString kMales = QStringLiteral("MaleFreqRealSpinEdit");

} // namespace

TSexLinkForm::TSexLinkForm(std::function<void()> handBack, QWidget *parent)
    : DescribedForm(describe(this), std::move(handBack), parent)
{
}

ModelDescription TSexLinkForm::describe(TSexLinkForm *self)
{
    const SexLinkedTrajectory &r = self->m_run;
    ModelDescription d;
    d.objectName = QStringLiteral("SexLinkForm");
    d.settings.caption = QStringLiteral(" MORVA - Sex-linked locus, 2 alleles");
    d.settings.inputPanelWidth = 200;
    d.settings.gridFitsPanel = true;
    d.settings.gridName = QStringLiteral("SexLinkStringAlignGrid");

    // --- inputs: every female A1A1, every male A2 ---
    BoxSpec frequencies =
        frequencyBox(QStringLiteral("SexFreqGroupBox"), QStringLiteral("A1 frequencies"),
                     QStringLiteral("Set the initial frequencies of allele A1 on the X "
                                    "chromosomes of females and of males"))
            .row(QStringLiteral("females pf:"),
                 {real(kFemales, 1).colored(kFemaleColour).named(QStringLiteral("pf"))})
            .row(QStringLiteral("males pm:"),
                 {real(kMales, 0).colored(kMaleColour).named(QStringLiteral("pm"))});
    d.boxes = {frequencies, generationsBox(15)};
    d.checks = {generationsCheck(self)};
    d.run = [self] { self->compute(); };

    // --- charts ---
    ChartSpec freqs = page(QStringLiteral("TabSheet1"), QStringLiteral("Allele freqs vs time"),
                           QStringLiteral("SexLinkChart1"));
    freqs.left = frequencyAxis(QStringLiteral("A1 frequency"));
    freqs.series = {
        overTime(QStringLiteral("SeriesFemales"), QStringLiteral("pf (females)"), kFemaleColour,
                   r.t, r.pf),
        overTime(QStringLiteral("SeriesMales"), QStringLiteral("pm (males)"), kMaleColour, r.t,
                   r.pm, chart::PenStyle::Dashed),
        dottedLevel(QStringLiteral("LimitLine"), QStringLiteral("(2 pf + pm) / 3"), Qt::black,
                    r.t, self->m_limit),
    };
    freqs.readout = [self](Value x, Value) { return self->frequenciesReadout(x); };

    ChartSpec difference = page(QStringLiteral("TabSheet2"), QStringLiteral("pf - pm vs time"),
                                QStringLiteral("SexLinkChart2"));
    difference.left = automaticAxis(QStringLiteral("0.00"), QStringLiteral("pf - pm"));
    difference.series = {
        overTime(QStringLiteral("SeriesDifference"), QStringLiteral("pf - pm"), Qt::black, r.t,
                   r.difference),
        dottedLevel(QStringLiteral("ZeroLine"), QString(), Qt::black, r.t, self->m_zero),
    };
    difference.readout = [self](Value x, Value) { return self->differenceReadout(x); };
    d.pages = {freqs, difference};

    // --- grid ---
    const auto column = [](const std::vector<Extended> &values) {
        return [&values](int row) { return values[std::size_t(row)]; };
    };
    d.grid.columns = {
        {QStringLiteral(" time"), QStringLiteral("Time (in generations)"), QColor(),
         [&r](int row) { return Value(r.t[std::size_t(row)]); }, timeNumber, true},
        {QStringLiteral(" pf"), QStringLiteral("Frequency of allele A1 in females"), kFemaleColour,
         column(r.pf), gridNumber},
        {QStringLiteral(" pm"), QStringLiteral("Frequency of allele A1 in males"), kMaleColour,
         column(r.pm), gridNumber},
        {QStringLiteral(" pf - pm"),
         QStringLiteral("Difference between the sexes: halves and changes sign every generation"),
         QColor(), column(r.difference), smallNumber},
        {QStringLiteral(" p"),
         QStringLiteral("Frequency of allele A1 in the population, (2 pf + pm) / 3: it never "
                        "changes"),
         QColor(), column(r.population), gridNumber},
    };
    d.grid.rows = [&r] { return int(r.t.size()); };
    d.note = [self] { return self->note(); };
    return d;
}

void TSexLinkForm::compute()
{
    SexLinkedParams in;
    in.pf = settled(kFemales);
    in.pm = settled(kMales);
    in.ng = generations(this);
    m_limit = sexLinkedLimit(in.pf, in.pm);
    runSexLinked(in, m_run);
}

QString TSexLinkForm::note() const
{
    return QStringLiteral("Limit of pf and pm: (2 pf + pm) / 3 = %1, which never changes.  "
                          "pf - pm halves and changes sign every generation.")
        .arg(noteNumber(m_limit));
}

QString TSexLinkForm::frequenciesReadout(Value x) const
{
    if (m_run.t.empty())
        return QString();
    const std::size_t k = generationAt(m_run.t, x);
    return readoutTime(m_run.t, k) + QStringLiteral("   pf= ") + readoutNumber(m_run.pf[k])
           + QStringLiteral("   pm= ") + readoutNumber(m_run.pm[k]);
}

QString TSexLinkForm::differenceReadout(Value x) const
{
    if (m_run.t.empty())
        return QString();
    const std::size_t k = generationAt(m_run.t, x);
    return readoutTime(m_run.t, k) + QStringLiteral("   pf - pm= ")
           + smallNumber(m_run.difference[k]);
}
