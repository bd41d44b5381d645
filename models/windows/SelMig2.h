#ifndef MORVA_MODELS_SELMIG2_H
#define MORVA_MODELS_SELMIG2_H

// The window of selection with migration between 2 alleles (continent to
// island): each generation a fraction m of the island's gene pool comes from
// a continent whose A1 frequency pc never changes, then selection acts on the
// island. The frequency chart shows pc dotted.

#include "models/frame/TwoAlleleForm.h"

class TSelMig2Form : public morva::TwoAlleleForm {
    Q_OBJECT
public:
    explicit TSelMig2Form(std::function<void()> handBack, QWidget *parent = nullptr);

private:
    static morva::TwoAlleleDesign design(TSelMig2Form *self);
    void compute(morva::TwoAlleleResults &results);

    morva::Extended m_pc = 0;
};

#endif
