#include "models/windows/SelMig2.h"

#include "arith/SelectionMigration.h"

#include <utility>

using namespace morva;
using namespace morva::form;

namespace {

constexpr int kCurveIntervals = 500;
const QColor kContinentColour(128, 0, 128);

} // namespace

TSelMig2Form::TSelMig2Form(std::function<void()> handBack, QWidget *parent)
    : TwoAlleleForm(design(this), std::move(handBack), parent)
{
}

TwoAlleleDesign TSelMig2Form::design(TSelMig2Form *self)
{
    TwoAlleleDesign d;
    d.objectName = QStringLiteral("SelMig2Form");
    d.caption = QStringLiteral(" MORVA - Natural Selection with migration, 2 alleles");
    d.prefix = QStringLiteral("SelMig2");
    d.frequencyCaption = QStringLiteral("Island allele frequencies");
    d.frequencies = {0.6L, 0.4L};
    d.fitnesses = {0.8L, 0.9L, 1};
    d.generations = 200;
    d.modelBox =
        parameterBox(QStringLiteral("MigGroupBox"), QStringLiteral(" Migration "),
                     QStringLiteral("Set the continent's frequency of A1 and the fraction of "
                                    "migrants each generation"))
            .row(QStringLiteral("pc:"), {real(QStringLiteral("ContFreqRealSpinEdit"), 0.9L)
                                             .colored(kContinentColour)
                                             .named(QStringLiteral("Continent A1 frequency"))})
            .row(QStringLiteral("m:"), {real(QStringLiteral("MigRateRealSpinEdit"), 0.02L)
                                            .named(QStringLiteral("Migration rate"))});
    d.curveA = QStringLiteral("migration");
    d.curveB = QStringLiteral("selection");
    // Selection's curve keeps its colour of the other windows.
    std::swap(d.curveAColour, d.curveBColour);
    d.compute = [self](TwoAlleleResults &r) { self->compute(r); };
    d.frequencySeries = {lineSeries(
        QStringLiteral("ContinentSeries"), QStringLiteral("pc"), kContinentColour,
        chart::PenStyle::Dotted, [self](Plot &p) {
            const auto &t = self->results().run.t;
            p.level(self->m_pc, t.front(), t.back());
        })};
    d.note = [self] { return self->equilibriaText(); };
    return d;
}

void TSelMig2Form::compute(TwoAlleleResults &r)
{
    SelMigParams in;
    readSelection(in.p0, in.w);
    in.pc = settled(QStringLiteral("ContFreqRealSpinEdit"));
    in.m = settled(QStringLiteral("MigRateRealSpinEdit"));
    in.ng = generations();
    runSelMig(in, r.run);
    r.everyGeneration = [in](const TwoAlleleVisitor &visit) { visitSelMig(in, visit); };
    SelMigCurves curves;
    computeSelMigCurves(in, kCurveIntervals, curves);
    r.curveP = std::move(curves.p);
    r.curveA = std::move(curves.migration);
    r.curveB = std::move(curves.selection);
    r.curveTotal = std::move(curves.total);
    r.equilibria = selMigFixedPoints(in);
    m_pc = in.pc;
}
