#ifndef MORVA_MODELS_INBREED_H
#define MORVA_MODELS_INBREED_H

// The window of inbreeding by partial selfing (2 alleles): the genotype
// frequencies P (A1A1), H (A1A2), Q (A2A2) and the selfing rate s in; the
// genotype frequencies against time with their Hardy-Weinberg values dotted,
// and the inbreeding coefficient F against time with its equilibrium
// s / (2 - s) dotted; a table of time, P, H, Q and F ("-" where F is
// undefined, one allele being absent).

#include "arith/Selfing.h"
#include "models/frame/DescribedForm.h"

class TInbreedForm : public morva::DescribedForm {
    Q_OBJECT
public:
    explicit TInbreedForm(std::function<void()> handBack, QWidget *parent = nullptr);

    static const QString kSumMessage;
    static const QString kDoubleClickMessage;

    const morva::SelfingTrajectory &trajectory() const { return m_run; }
    const morva::SelfingEquilibrium &equilibrium() const { return m_equilibrium; }
    // The note under the charts after a run.
    QString note() const;

private:
    static morva::form::ModelDescription describe(TInbreedForm *self);
    void compute();
    QString genotypesReadout(morva::form::Value x) const;
    QString inbreedingReadout(morva::form::Value x) const;

    morva::SelfingTrajectory m_run;
    morva::SelfingEquilibrium m_equilibrium;
};

#endif
