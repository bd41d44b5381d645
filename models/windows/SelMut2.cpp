#include "models/windows/SelMut2.h"

#include "arith/SelectionMutation.h"

#include <tuple>

using namespace morva;
using namespace morva::form;

namespace {

constexpr int kCurveIntervals = 500;

QString rateField(int from, int to, const char *part)
{
    return QStringLiteral("MutRate%1%2%3").arg(from).arg(to).arg(QLatin1String(part));
}

} // namespace

TSelMut2Form::TSelMut2Form(std::function<void()> handBack, QWidget *parent)
    : TwoAlleleForm(design(this), std::move(handBack), parent)
{
}

TwoAlleleDesign TSelMut2Form::design(TSelMut2Form *self)
{
    TwoAlleleDesign d;
    d.objectName = QStringLiteral("SelMut2Form");
    d.caption = QStringLiteral(" MORVA - Natural Selection with mutation, 2 alleles");
    d.prefix = QStringLiteral("SelMut2");
    d.generations = 500;
    d.modelBox = parameterBox(QStringLiteral("MutRatesGroupBox"), QStringLiteral("Mutation rates"),
                              QStringLiteral("Set mutation rates"));
    for (const auto &[from, to, mantissa, exponent] :
         {std::tuple{1, 2, 5.0L, -3}, std::tuple{2, 1, 0.0L, -6}}) {
        const QString arrow = QStringLiteral("A%1->A%2").arg(from).arg(to);
        d.modelBox.scaledRow(arrow + QLatin1Char(':'),
                             real(rateField(from, to, "RealSpinEdit"), mantissa, 0, 10)
                                 .named(arrow + QStringLiteral(" rate")),
                             rateField(from, to, "TimesLabel"),
                             integer(rateField(from, to, "PowerSpinEdit"), exponent, -9, -1)
                                 .named(arrow + QStringLiteral(" rate exponent")));
    }
    d.curveA = QStringLiteral("selection");
    d.curveB = QStringLiteral("mutation");
    d.compute = [self](TwoAlleleResults &r) { self->compute(r); };
    d.note = [self] { return self->note(); };
    return d;
}

void TSelMut2Form::compute(TwoAlleleResults &r)
{
    SelMutParams in;
    readSelection(in.p0, in.w);
    in.u = scaled(rateField(1, 2, "RealSpinEdit"), rateField(1, 2, "PowerSpinEdit"));
    in.v = scaled(rateField(2, 1, "RealSpinEdit"), rateField(2, 1, "PowerSpinEdit"));
    in.ng = generations();
    runSelMut(in, r.run);
    r.everyGeneration = [in](const TwoAlleleVisitor &visit) { visitSelMut(in, visit); };
    SelMutCurves curves;
    computeSelMutCurves(in, kCurveIntervals, curves);
    r.curveP = std::move(curves.p);
    r.curveA = std::move(curves.selection);
    r.curveB = std::move(curves.mutation);
    r.curveTotal = std::move(curves.total);
    r.equilibria = selMutFixedPoints(in);
    m_fitness = in.w;
    m_u = in.u;
    m_v = in.v;
}

// The equilibria; for a deleterious allele, its exact balance (the stable
// equilibrium inside) beside the approximation that applies.
QString TSelMut2Form::note() const
{
    QString text = equilibriaText();
    const std::optional<SelMutBalance> balance = selMutBalance(m_fitness, m_u, m_v);
    if (!balance)
        return text;
    for (const Equilibrium &e : equilibriumSet().interior()) {
        if (!isApproached(e.kind))
            continue;
        const Extended exact = e.p[balance->allele];
        const QString rate = balance->allele == 2 ? QStringLiteral("u") : QStringLiteral("v");
        const QString formula = balance->kind == SelMutBalanceKind::Recessive
                                    ? QStringLiteral("sqrt(%1 / s)").arg(rate)
                                    : QStringLiteral("%1 / (h s)").arg(rate);
        text += QStringLiteral("  Balance p[%1]^ = %2; by %3: %4.")
                    .arg(balance->allele)
                    .arg(noteNumber(exact), formula, noteNumber(balance->frequency));
        break;
    }
    return text;
}
