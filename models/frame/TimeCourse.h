#ifndef MORVA_MODELS_TIMECOURSE_H
#define MORVA_MODELS_TIMECOURSE_H

// What the windows that follow one deterministic run over time share
// (partial selfing, a sex-linked locus, linkage between two loci): a typed
// number of generations up to 1000 and its check, the time axis and the
// frequency axis, trajectories and dotted levels over the run, the grid's
// number texts, and the readout of the generation under the pointer.

#include "models/frame/HouseStyle.h"
#include "models/frame/ModelDescription.h"

#include <cstdint>
#include <vector>

namespace morva {
class DescribedForm;
}

namespace morva::timecourse {

// Largest number of generations a run takes.
inline constexpr int kMaxGenerations = 1000;
// The name of the generations field.
inline const QString kGenerationsField = QStringLiteral("SelNgKesSpinEdit");
extern const QString kGenerationsMessage;
using style::kSumTolerance;

// The frame's generations box with the typed generations field (Enter runs).
form::BoxSpec generationsBox(int generations);
// The generations typed into the window's generations field.
std::int32_t generations(const DescribedForm *form);
// The check that 1..kMaxGenerations generations are typed.
form::Check generationsCheck(const DescribedForm *form);
// The check that the named fields add up to 1.
using style::sumCheck;

using form::automaticAxis;
using form::timeAxis;
// Fixed from 0 to 1, labels every 0.25.
form::AxisSpec frequencyAxis(const QString &title);
form::ChartSpec page(const QString &sheet, const QString &title, const QString &chartName);

// values[k] at generation t[k], a solid line.
form::SeriesSpec overTime(const QString &name, const QString &title, const QColor &color,
                            const std::vector<std::int32_t> &t,
                            const std::vector<long double> &values,
                            chart::PenStyle pen = chart::PenStyle::Solid);
// A dotted level at *value from the first stored generation to the last
// (none before a run); out of the legend unless a title is given.
form::SeriesSpec dottedLevel(const QString &name, const QString &title, const QColor &color,
                             const std::vector<std::int32_t> &t, const long double &value);

// Texts: a frequency in the grid (5 decimals), a quantity that decays toward
// 0 (exponent notation), a time, a value in a readout, a value in a note
// (up to 7 decimals, no trailing zeros).
using style::gridNumber;
QString smallNumber(form::Value v);
using style::timeNumber;
QString readoutNumber(form::Value v);
QString noteNumber(long double v);

// The index of the stored generation nearest to the axis value x (clamped to
// the run); t must not be empty.
std::size_t generationAt(const std::vector<std::int32_t> &t, form::Value x);
// " t= 12" for the generation of index k.
QString readoutTime(const std::vector<std::int32_t> &t, std::size_t k);

} // namespace morva::timecourse

#endif
