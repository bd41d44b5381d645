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

#include <array>
#include <vector>

namespace morva {

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
    static constexpr int kMaxGenerations = 1000000;

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
