#ifndef MORVA_MODELS_SEXLINK_H
#define MORVA_MODELS_SEXLINK_H

// The window of a sex-linked (X-linked) locus with 2 alleles: the A1
// frequencies of females (pf) and males (pm) in; both against time with
// their common limit (2 pf + pm) / 3 dotted, and their difference against
// time (it halves and changes sign every generation); a table of time, pf,
// pm, pf - pm and the population's frequency.

#include "arith/SexLinked.h"
#include "models/frame/DescribedForm.h"

class TSexLinkForm : public morva::DescribedForm {
    Q_OBJECT
public:
    explicit TSexLinkForm(std::function<void()> handBack, QWidget *parent = nullptr);

    const morva::SexLinkedTrajectory &trajectory() const { return m_run; }
    // The note under the charts after a run.
    QString note() const;

private:
    static morva::form::ModelDescription describe(TSexLinkForm *self);
    void compute();
    QString frequenciesReadout(morva::form::Value x) const;
    QString differenceReadout(morva::form::Value x) const;

    morva::SexLinkedTrajectory m_run;
    morva::Extended m_limit = 0;
    morva::Extended m_zero = 0;
};

#endif
