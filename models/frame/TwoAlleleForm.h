#ifndef MORVA_MODELS_TWOALLELEFORM_H
#define MORVA_MODELS_TWOALLELEFORM_H

// What the 2-allele windows with selection and one more force share: the
// allele frequencies, the genotype fitnesses, a model box of their own and a
// typed number of generations (up to 1,000,000) in; the allele frequencies
// against time (with the stable interior equilibria dotted), the change of
// p[1] against p[1] (observed, the two forces' expected curves and their
// total, the equilibria as markers) and the mean fitness against time; a
// table of the stored generations; a line with the equilibria under the
// charts; the run for export. A window gives its names, its box, its arithmetic and its note.

#include "arith/Equilibria.h"
#include "arith/FixedPoints.h"
#include "arith/TwoAlleleSelection.h"
#include "models/frame/DescribedForm.h"
#include "models/frame/HouseStyle.h"

#include <array>
#include <vector>

namespace morva {

// The parts of a 2-allele window with selection, as description functions; a
// window of the family that is no TwoAlleleForm takes them one by one.
namespace twoallele {

// Largest number of generations a run takes, and its field.
inline constexpr int kMaxGenerations = 1000000;
inline const QString kGenerationsField = QStringLiteral("SelNgKesSpinEdit");

// Caption, a 200-pixel input panel, the grid <prefix>StringAlignGrid filling it.
void frame(form::ModelDescription &d, const QString &objectName, const QString &caption,
           const QString &prefix);
// "Allele frequencies": A1 and A2 in <prefix>Freq1RealSpinEdit, ...Freq2...
form::BoxSpec frequencyBox(const QString &prefix, const QString &caption,
                           const std::array<form::Value, 2> &defaults);
// The frequencies' double-click group and sum check, with the family's messages.
form::SumGroup frequencySum(const QString &prefix);
form::Check frequencyCheck(const DescribedForm *form, const QString &prefix);
// The generations box: 1..kMaxGenerations typed into kGenerationsField.
form::BoxSpec generationsBox(int generations);
form::Check generationsCheck(const DescribedForm *form);

// values[k] at generation t[k], a line.
form::SeriesSpec overTime(const QString &name, const QString &title, const QColor &color,
                          chart::PenStyle pen, const std::vector<std::int32_t> &t,
                          const std::vector<Extended> &values);
// The diamond at generation t[0] of each of `values`, out of the legend.
form::SeriesSpec firstPoints(const std::vector<std::int32_t> &t,
                             std::vector<const std::vector<Extended> *> values);
// "Allele freqs vs time" (TabSheet1): p[1], p[2], their first points and the
// stable equilibrium inside nearest the last p[1], dotted.
form::ChartSpec frequencyPage(const QString &chartName, const std::vector<std::int32_t> &t,
                              const std::vector<Extended> &p1, const std::vector<Extended> &p2);
// "delta-p[1] vs p[1]" (TabSheet2): axes, cross-hair, readout, the
// equilibria as markers, the legend beside the plot, the dotted zero line.
form::ChartSpec deltaPage(const QString &chartName);
// Observed changes p1[k+1] - p1[k] between stored generations one apart: all
// ("observed", Series5), then the first one alone (Series7).
std::vector<form::SeriesSpec> observedDeltas(const std::vector<std::int32_t> &t,
                                             const std::vector<Extended> &p1);
// values[i] at p = p[i], a line.
form::SeriesSpec curve(const QString &name, const QString &title, const QColor &color,
                       chart::PenStyle pen, const std::vector<Extended> &p,
                       const std::vector<Extended> &values);
// Grid columns: time, p[1], p[2].
std::vector<form::ColumnSpec> frequencyColumns(const std::vector<std::int32_t> &t,
                                               const std::vector<Extended> &p1,
                                               const std::vector<Extended> &p2);
// A frequency as a note writes it.
QString noteNumber(long double value);
// The equilibria as the charts mark them, and as a note's line: "Equilibria
// of p[1]: 0 unstable, 0.8418861 stable." (or "approached slowly",
// "one-sided", "left (Wmed= 0)"); "Every p[1] is an equilibrium." when every
// frequency is one.
EquilibriumSet equilibriumSet(const FixedPoints &equilibria);
QString equilibriaText(const FixedPoints &equilibria);

} // namespace twoallele

// The results a run leaves for the refills.
struct TwoAlleleResults {
    TwoAlleleTrajectory run;
    // Expected delta-p[1] at p[1] = curveP[i]: each force alone, and one
    // whole generation.
    std::vector<Extended> curveP;
    std::vector<Extended> curveA;
    std::vector<Extended> curveB;
    std::vector<Extended> curveTotal;
    FixedPoints equilibria;
    // The same run with every generation, each handed to the visitor.
    std::function<void(const TwoAlleleVisitor &)> everyGeneration;
};

// What differs between the windows.
struct TwoAlleleDesign {
    QString objectName;
    QString caption;
    QString prefix;                  // of the control names: <prefix>FreqGroupBox ...
    QString frequencyCaption = QStringLiteral("Allele frequencies");
    // The defaults: p[1], p[2]; w11, w12, w22; generations.
    std::array<form::Value, 2> frequencies{0.6L, 0.4L};
    std::array<form::Value, 3> fitnesses{1, 1, 0.8L};
    int generations = 100;
    form::BoxSpec modelBox;          // below the fitnesses
    QString curveA;                  // legend titles and colours of the forces' curves
    QString curveB;
    QColor curveAColour{0, 128, 0};
    QColor curveBColour{0, 0, 128};
    // Reads the fields (the common ones through twoAlleleInputs) and runs.
    std::function<void(TwoAlleleResults &)> compute;
    // Series of the frequency chart after the common ones.
    std::vector<form::SeriesSpec> frequencySeries;
    std::function<QString()> note;
};

class TwoAlleleForm : public DescribedForm {
    Q_OBJECT
public:
    // Largest number of generations a run takes.
    static constexpr int kMaxGenerations = twoallele::kMaxGenerations;

    // Texts of the messages the windows share.
    static const QString kSumMessage;
    static const QString kFitnessMessage;
    static const QString kGenerationsMessage;
    static const QString kDoubleClickMessage;

    const TwoAlleleResults &results() const { return m_results; }

    // The frequency and fitness fields as the arithmetic takes them.
    void readSelection(TAlleleVector &p0, TGenotypeFitness &w) const;
    std::int32_t generations() const;

    // "Equilibria of p[1]: 0 unstable, 0.8418861 stable." for the note (or
    // "approached slowly", "one-sided", "left (Wmed= 0)"); "Every
    // p[1] is an equilibrium." when every frequency is one.
    QString equilibriaText() const;
    // The run's equilibria as the charts mark them.
    EquilibriumSet equilibriumSet() const;
    // A frequency as the note writes it.
    static QString noteNumber(long double value);

protected:
    TwoAlleleForm(TwoAlleleDesign design, std::function<void()> handBack, QWidget *parent);

private:
    static form::ModelDescription describe(TwoAlleleForm *self, TwoAlleleDesign design);
    QString name(const char *suffix) const;

    QString m_prefix;
    TwoAlleleResults m_results;
};

} // namespace morva

#endif
