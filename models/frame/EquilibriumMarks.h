#ifndef MORVA_MODELS_EQUILIBRIUMMARKS_H
#define MORVA_MODELS_EQUILIBRIUMMARKS_H

// The equilibria of a model on its charts and in words: marker series
// (filled circles for approached, hollow for left, grey for neutral, a
// filled diamond for one-sided, a hollow diamond for a point of mean
// fitness 0 that populations beside it leave), dotted level
// lines at an equilibrium's frequencies on a chart against time, the
// readout over a marker and the lines that describe every equilibrium.

#include "arith/Equilibria.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <functional>

namespace morva {

namespace chart {
class Chart;
class Series;
}

// The marker series of one chart, each in the legend while it has a
// marker: "stable equilibrium" (approached, slowly too), "unstable
// equilibrium", "neutral equilibrium" (neither approached nor left),
// "one-sided equilibrium" (approached from one side, left on the other) and
// "left, Wmed= 0".
struct EquilibriumMarkers {
    chart::Chart *chart = nullptr;
    chart::Series *stable = nullptr;
    chart::Series *unstable = nullptr;
    chart::Series *neutral = nullptr;
    chart::Series *oneSided = nullptr;
    chart::Series *zeroMean = nullptr;
};

// The dotted level lines of one chart against time, one per allele.
struct EquilibriumLevels {
    chart::Chart *chart = nullptr;
    QList<chart::Series *> lines;
};

// Adds the three marker series after the chart's series. A model whose
// equilibria are never unstable keeps that kind out of the legend.
EquilibriumMarkers addEquilibriumMarkers(chart::Chart *chart, bool unstableInLegend = true);

// Adds one marker per equilibrium of `points` at place(equilibrium) to the
// series of its kind; returns the places in the order of `points`. A kind
// stands in the legend only while the chart shows one of it.
QList<QPointF> fillEquilibriumMarkers(const EquilibriumMarkers &markers,
                                      const std::vector<Equilibrium> &points,
                                      const std::function<QPointF(const Equilibrium &)> &place);

// Adds one black dotted line series per allele after the chart's series:
// drawn over the frequency curves that approach them, they stay visible.
// The first one stands in the legend for all under `title`.
EquilibriumLevels addEquilibriumLevels(chart::Chart *chart, int alleles, const QString &title);

// With an equilibrium: line i (allele i + 1) across from..to at its
// frequency of that allele, and the legend entry shown; without one, the
// legend entry hidden.
void fillEquilibriumLevels(const EquilibriumLevels &levels, const Equilibrium *e, double from,
                           double to);

// The first interior equilibrium of the kind, if any.
const Equilibrium *interiorOfKind(const EquilibriumSet &set, Stability kind);

// "stable", "unstable", "neutral", "stable, approached slowly" or
// "one-sided, approached from one side, left on the other".
QString stabilityText(Stability kind);

// A multiplier with enough decimals to show how far its modulus lies from 1
// (at least 3, at most 12); "INF" for an infinite one.
QString multiplierText(Extended value);

// The kind and the multipliers: "stable equilibrium, slope= 0.769" (2
// alleles), "unstable equilibrium, eigenvalues= 1.250, 1.250" (3 alleles);
// "stable equilibrium, approached slowly, slope= 1.000"; where the mean
// fitness is 0, "unstable equilibrium, Wmed= 0: populations beside it move
// away" in place of the multipliers.
QString equilibriumSummary(const Equilibrium &e);

// Every equilibrium of a set as lines of text: one line per isolated point
// with its frequencies, its mean fitness (selection) and its stability along
// its face and against each absent allele, then the degenerate cases.
// Frequencies and mean fitnesses as the export writes numbers (the
// shortest text that reads back to the same value), multipliers with "."
// as the decimal point whatever the locale.
QStringList equilibriumLines(const EquilibriumSet &set, bool withMeanFitness);

} // namespace morva

#endif
