#ifndef MORVA_MODELS_FRAME_HOUSESTYLE_H
#define MORVA_MODELS_FRAME_HOUSESTYLE_H

// The house style of the described windows, stated once: the colours every
// window gives the same things, the chart page with its pale left wall, the
// fixed frequency axis, the number texts of the grid, the generations box and
// the checks every run makes (frequencies that add up to 1, a number of
// generations within limits) with their shared messages.

#include "models/frame/ModelDescription.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace morva {
class DescribedForm;
}

namespace morva::style {

// Allele A1 and A2 wherever they are drawn or written.
inline const QColor kAllele1Colour(0, 128, 0);
inline const QColor kAllele2Colour(255, 0, 0);
// Genotypes A1A1, A1A2, A2A2 wherever they are drawn or written.
inline const QColor kA1A1Colour = kAllele1Colour;
inline const QColor kA1A2Colour(0, 0, 200);
inline const QColor kA2A2Colour = kAllele2Colour;
// The pale left wall of every chart page.
inline const QColor kWallColour(255, 255, 128);
// The marker of the first generation on a chart against time.
inline const QColor kFirstPointColour(Qt::yellow);

// Tolerance of the check that frequencies add up to 1.
inline constexpr long double kSumTolerance = 1e-6L;

// "Number of generations must be between 1 and <most>".
QString generationsMessage(int most);
inline const QString kFitnessMessage = QStringLiteral("Fitnesses CANNOT be all 0");

// A chart page with the house's left wall.
form::ChartSpec page(const QString &sheet, const QString &title, const QString &chartName);
// Fixed from 0 to 1, labels every `increment`.
form::AxisSpec frequencyAxis(const QString &title, double increment, int tickLength = 4);

// The frame's generations box with one typed field of 1..most generations
// (Enter runs); `userName` is the name messages give it.
form::BoxSpec generationsBox(const QString &field, int generations, int most,
                             const QString &userName);
// The check that 1..most generations are typed into `field`.
form::Check generationsCheck(const DescribedForm *form, const QString &field, int most);
// The check that the named fields add up to 1.
form::Check sumCheck(const DescribedForm *form, QStringList fields, const QString &message);

// Texts: a frequency in the grid (5 decimals), a time.
QString gridNumber(form::Value v);
QString timeNumber(form::Value v);

} // namespace morva::style

#endif
