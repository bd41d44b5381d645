#ifndef MORVA_MODELS_SELDI3_H
#define MORVA_MODELS_SELDI3_H

// The window of natural selection in a diploid population with 3 alleles:
// initial frequencies of A1, A2 and A3, the fitnesses of the six genotypes and
// a typed number of generations in; two charts (allele frequencies against
// time, per-allele and mean fitnesses against time) and a five-column table
// of generations out.

#include "arith/Equilibria.h"
#include "arith/PgMathSe.h"
#include "models/frame/DescribedForm.h"

#include <QPointer>

#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QWidget;

namespace morva::chart {
class Series;
class SimplexChart;
}

class TSelDi3Form : public morva::DescribedForm {
    Q_OBJECT
public:
    explicit TSelDi3Form(std::function<void()> handBack, QWidget *parent = nullptr);

    // Highest number of generations a run accepts (the capacity of the
    // selection arrays).
    static constexpr int kMaxGenerations = 1000;

    // Input controls.
    QFrame *InputPanel = nullptr;
    QGroupBox *SelDi3FreqGroupBox = nullptr;
    QLabel *SelDi3Freq1Label = nullptr;
    QLabel *SelDi3Freq2Label = nullptr;
    QLabel *SelDi3Freq3Label = nullptr;
    TKesRealSpinEdit *SelDi3Freq1RealSpinEdit = nullptr;
    TKesRealSpinEdit *SelDi3Freq2RealSpinEdit = nullptr;
    TKesRealSpinEdit *SelDi3Freq3RealSpinEdit = nullptr;
    QGroupBox *SelDi3FitGroupBox = nullptr;
    QLabel *SelDi3Fit11Label = nullptr;
    QLabel *SelDi3Fit12Label = nullptr;
    QLabel *SelDi3Fit13Label = nullptr;
    QLabel *SelDi3Fit22Label = nullptr;
    QLabel *SelDi3Fit23Label = nullptr;
    QLabel *SelDi3Fit33Label = nullptr;
    TKesRealSpinEdit *SelDi3Fit11RealSpinEdit = nullptr;
    TKesRealSpinEdit *SelDi3Fit12RealSpinEdit = nullptr;
    TKesRealSpinEdit *SelDi3Fit13RealSpinEdit = nullptr;
    TKesRealSpinEdit *SelDi3Fit22RealSpinEdit = nullptr;
    TKesRealSpinEdit *SelDi3Fit23RealSpinEdit = nullptr;
    TKesRealSpinEdit *SelDi3Fit33RealSpinEdit = nullptr;
    QGroupBox *NgGroupBox = nullptr;
    TKesSpinEdit *SelNgKesSpinEdit = nullptr;
    QPushButton *SelRunBtn = nullptr;
    QPushButton *SelCancelBtn = nullptr;

    // Output controls.
    QTabWidget *SelDiOutGraphPageControl = nullptr;
    QWidget *TabSheet1 = nullptr;
    QWidget *TabSheet2 = nullptr;
    morva::chart::Chart *SelDi3Chart1 = nullptr;
    morva::chart::Chart *SelDi3Chart2 = nullptr;
    TStringAlignGrid *SelDi3StringAlignGrid = nullptr;

    // Series, in each chart's order.
    morva::chart::Series *Series1 = nullptr;
    morva::chart::Series *Series2 = nullptr;
    morva::chart::Series *Series6 = nullptr;
    morva::chart::Series *Series9 = nullptr;
    morva::chart::Series *FastLineSeries1 = nullptr;
    morva::chart::Series *FastLineSeries2 = nullptr;
    morva::chart::Series *Series7 = nullptr;
    morva::chart::Series *Series3 = nullptr;
    morva::chart::Series *Series8 = nullptr;
    // After them on SelDi3Chart1: the dotted lines at a stable equilibrium
    // with all three alleles present, one per allele.
    morva::EquilibriumLevels equilibriumLevels;

    // The third page: the run on the triangle of allele frequencies over the
    // mean-fitness landscape, with the one-generation change as arrows.
    QWidget *TabSheet3 = nullptr;
    morva::chart::SimplexChart *SelDi3Simplex = nullptr;
    QCheckBox *SelDi3ArrowsCheckBox = nullptr;
    void SelDi3SimplexMouseMove(double p1, double p2, double p3);
    // Marks an equilibrium on the triangle: filled when stable, hollow when
    // unstable.
    void markSimplexEquilibrium(const morva::Equilibrium &e);

    // Event handlers (the others are the frame's, from the description).
    void FormShow() override;
    void SelRunBtnClick() { runDescribed(); }
    void SelCancelBtnClick() { cancelModel(); }
    void OutputGraphPanelEnter() override;

    // The equilibria of the fitnesses of the last run, as lines of text.
    QStringList equilibriumLines() const;

    // Texts of the window's messages.
    static const QString kSumMessage;
    static const QString kFitnessMessage;
    static const QString kGenerationsMessage;
    static const QString kDoubleClickMessage;
    static const QString kDoubleClickA2Message;

private:
    static morva::form::ModelDescription describe(TSelDi3Form *self);
    void buildSimplexPage();
    void fillSimplex();
    void orderFitnessTabs();
    // The number of generations typed into SelNgKesSpinEdit: empty text
    // counts as 0; text that is not an integer throws the conversion error.
    int typedGenerations() const;

    // The fitnesses the simplex page was last filled with (its landscape and
    // readout).
    morva::TGenotypeFitness m_simplexFitness;
    std::vector<morva::Equilibrium> m_simplexEquilibria;
};

// The open 3-allele window, if any.
extern QPointer<TSelDi3Form> SelDi3Form;

#endif
