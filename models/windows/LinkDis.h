#ifndef MORVA_MODELS_LINKDIS_H
#define MORVA_MODELS_LINKDIS_H

// The window of linkage disequilibrium between two loci (alleles A, a and
// B, b): the gamete frequencies AB, Ab, aB, ab and the recombination
// fraction r in; the gamete frequencies against time with their
// linkage-equilibrium values dotted, and the disequilibrium D against time
// with its closed form D0 (1 - r)^t as the expected curve; a table of time,
// the gametes, D and r^2 ("-" where r^2 is undefined, an allele being
// absent).

#include "arith/Linkage.h"
#include "models/frame/DescribedForm.h"

class TLinkDisForm : public morva::DescribedForm {
    Q_OBJECT
public:
    explicit TLinkDisForm(std::function<void()> handBack, QWidget *parent = nullptr);

    static const QString kSumMessage;
    static const QString kDoubleClickMessage;

    const morva::LinkageTrajectory &trajectory() const { return m_run; }
    const morva::LinkageAlleles &alleles() const { return m_alleles; }
    // The note under the charts after a run.
    QString note() const;

private:
    static morva::form::ModelDescription describe(TLinkDisForm *self);
    void compute();
    QString gametesReadout(morva::form::Value x) const;
    QString disequilibriumReadout(morva::form::Value x) const;

    morva::LinkageTrajectory m_run;
    morva::LinkageAlleles m_alleles;
};

#endif
