#ifndef MORVA_MODELS_DRIFT2_H
#define MORVA_MODELS_DRIFT2_H

// The window of genetic drift: replicate Wright-Fisher populations (demes) of
// Ne diploids at one locus with two alleles, with optional selection,
// mutation and migration (from a continent, or among the demes in the
// island model), drawn from the seed shown in the window, so that the same
// inputs and seed give the same run. In: p[1] at the start, Ne, the number of
// replicates, the genotype fitnesses, the mutation rates u and v, the
// migration rate m with the migrants' source and the continent's pc, the
// seed ("New seed" takes one from the clock) and the number of generations.
// Out: every replicate's p[1] with their mean and a population without drift,
// behind them the exact distribution's quantile bands (Ne up to 500, demes
// independent); the mean observed heterozygosity against the expected; the
// fractions fixed and lost (their numbers of replicates in the readout, the
// grid and the export) with the fixation probability and the exact
// probabilities; a histogram of the final frequencies with the exact
// expectation; F_ST among the demes with its expectation; a table of the
// stored generations; a note on the order of the forces, the fixation
// probability, the times to fixation and loss and the exact distribution.

#include "arith/Drift.h"
#include "arith/DriftDistribution.h"
#include "models/frame/DescribedForm.h"

#include <cstdint>
#include <optional>
#include <vector>

class TDrift2Form : public morva::DescribedForm {
    Q_OBJECT
public:
    explicit TDrift2Form(std::function<void()> handBack, QWidget *parent = nullptr);

    // Classes of the final frequencies' histogram, each 1 / kHistogramBins wide.
    static constexpr int kHistogramBins = 20;

    // Messages of the checks, in the order they are made.
    static const QString kNeMessage;
    static const QString kReplicatesMessage;
    static const QString kFitnessMessage;
    static const QString kSeedMessage;
    static const QString kGenerationsMessage;
    static const QString kSourceMessage;

    const morva::DriftResult &driftResult() const { return m_result; }
    const std::vector<std::int32_t> &histogram() const { return m_histogram; }
    // The exact distribution of the last run; no rows when it is not drawn.
    const morva::DriftExact &exact() const { return m_exact; }
    // The exact probability of each histogram class after the last generation.
    std::vector<long double> exactHistogram() const;

    // The seed the field holds; nothing when its text is not an integer from
    // 0 to 2^64 - 1.
    std::optional<std::uint64_t> seed() const;
    // New seed: the clock's milliseconds since 1970 into the seed field.
    void newSeed();
    // The line under the charts after a run.
    QString note() const;
    // The replicates fixed and lost at the stored generation nearest to
    // time x, for the readout of the fixed and lost chart: "   11 of 20
    // fixed, 6 of 20 lost", "at t= 1230: " before the numbers when that
    // generation is not x to the nearest; empty before a run.
    QString countsReadout(long double x) const;
    // The status-bar readout of the histogram at final p[1] = x.
    QString histogramReadout(long double x) const;

private:
    static morva::form::ModelDescription describe(TDrift2Form *self);
    morva::DriftInput readInputs() const;
    void compute();

    QString forcesNote() const;
    QString timesNote() const;
    QString exactNote() const;
    void switchSource();

    morva::DriftResult m_result;
    std::vector<std::int32_t> m_histogram;
    morva::DriftExact m_exact;
};

#endif
