#ifndef MORVA_MODELS_SELDI2_H
#define MORVA_MODELS_SELDI2_H

// The window of natural selection in a diploid population with 2 alleles:
// initial frequencies of A1 and A2, the fitnesses of A1A1, A1A2 and A2A2 and
// a number of generations in; four charts (frequencies against time, the
// change of p[1] and the mean fitness against p[1], observed and expected, and
// the fitnesses against time) and a table of generations out.

#include "models/frame/DescribedForm.h"

#include <QPointer>

class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QWidget;

class TSelDi2Form : public morva::DescribedForm {
    Q_OBJECT
public:
    explicit TSelDi2Form(std::function<void()> handBack, QWidget *parent = nullptr);

    // Input controls.
    QGroupBox *SelDi2FreqGroupBox = nullptr;
    QLabel *SelDi2Freq1Label = nullptr;
    TKesRealSpinEdit *SelDi2Freq1RealSpinEdit = nullptr;
    QLabel *SelDi2Freq2Label = nullptr;
    TKesRealSpinEdit *SelDi2Freq2RealSpinEdit = nullptr;
    QGroupBox *SelDi2FitGroupBox = nullptr;
    QLabel *SelDi2Fit11Label = nullptr;
    QLabel *SelDi2Fit12Label = nullptr;
    QLabel *SelDi2Fit22Label = nullptr;
    TKesRealSpinEdit *SelDi2Fit11RealSpinEdit = nullptr;
    TKesRealSpinEdit *SelDi2Fit12RealSpinEdit = nullptr;
    TKesRealSpinEdit *SelDi2Fit22RealSpinEdit = nullptr;
    QGroupBox *NgGroupBox = nullptr;
    TKesSpinEdit *SelNgKesSpinEdit = nullptr;
    QPushButton *SelRunBtn = nullptr;
    QPushButton *SelCancelBtn = nullptr;

    // Output controls.
    QTabWidget *SelDiOutGraphPageControl = nullptr;
    QWidget *TabSheet1 = nullptr;
    QWidget *TabSheet2 = nullptr;
    QWidget *TabSheet3 = nullptr;
    QWidget *TabSheet4 = nullptr;
    morva::chart::Chart *SelDi2Chart1 = nullptr;
    morva::chart::Chart *SelDi2Chart2 = nullptr;
    morva::chart::Chart *SelDi2Chart3 = nullptr;
    morva::chart::Chart *SelDi2Chart4 = nullptr;
    TStringAlignGrid *SelDi2StringAlignGrid = nullptr;

    // Series, in each chart's order (the equilibria's after them).
    morva::chart::Series *Series1 = nullptr;
    morva::chart::Series *Series2 = nullptr;
    morva::chart::Series *Series6 = nullptr;
    morva::chart::Series *FastLineSeries1 = nullptr;
    morva::chart::Series *FastLineSeries2 = nullptr;
    morva::chart::Series *Series3 = nullptr;
    morva::chart::Series *Series9 = nullptr;
    morva::chart::Series *Series4 = nullptr;
    morva::chart::Series *FastLineSeries4 = nullptr;
    morva::chart::Series *Series5 = nullptr;
    morva::chart::Series *Series7 = nullptr;
    morva::chart::Series *FastLineSeries5 = nullptr;
    morva::chart::Series *PointSeries1 = nullptr;
    morva::chart::Series *Series8 = nullptr;
    // After them: the dotted lines at a stable equilibrium inside (one per
    // allele) on SelDi2Chart1, the equilibrium markers on SelDi2Chart3 and
    // SelDi2Chart4.
    morva::EquilibriumLevels equilibriumLevels;
    morva::EquilibriumMarkers deltaMarkers;
    morva::EquilibriumMarkers wmedMarkers;

    // Event handlers (the others are the frame's, from the description).
    void SelRunBtnClick() { runDescribed(); }
    void SelCancelBtnClick() { cancelModel(); }

    // The equilibria of the fitnesses of the last run, as lines of text.
    QStringList equilibriumLines() const;

    // Texts of the window's messages.
    static const QString kSumMessage;
    static const QString kFitnessMessage;
    static const QString kDoubleClickMessage;

private:
    static morva::form::ModelDescription describe(TSelDi2Form *self);
};

// The open 2-allele window, if any.
extern QPointer<TSelDi2Form> SelDi2Form;

#endif
