#ifndef MORVA_MODELS_SELMUT2_H
#define MORVA_MODELS_SELMUT2_H

// The window of selection with mutation between 2 alleles: selection on the
// zygotes, then mutation A1 -> A2 at rate u and A2 -> A1 at rate v in the
// gametes. Besides the shared 2-allele charts, its note sets the exact
// balance of the deleterious allele beside the textbook approximation.

#include "models/frame/TwoAlleleForm.h"

class TSelMut2Form : public morva::TwoAlleleForm {
    Q_OBJECT
public:
    explicit TSelMut2Form(std::function<void()> handBack, QWidget *parent = nullptr);

    // The note under the charts after a run.
    QString note() const;

private:
    static morva::TwoAlleleDesign design(TSelMut2Form *self);
    void compute(morva::TwoAlleleResults &results);

    morva::TGenotypeFitness m_fitness;
    morva::Extended m_u = 0;
    morva::Extended m_v = 0;
};

#endif
