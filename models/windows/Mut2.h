#ifndef MORVA_MODELS_MUT2_H
#define MORVA_MODELS_MUT2_H

// The window of two-way mutation between 2 alleles: initial frequencies of A1
// and A2, the rates A1 -> A2 and A2 -> A1 and the number of generations in,
// the last three each as a mantissa times a power of ten; the allele
// frequencies against time, the change of p[2] against p[2] (observed and
// expected) and a table of the sampled generations out.

#include "models/frame/DescribedForm.h"

#include <QPointer>

class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QWidget;

class TMut2Form : public morva::DescribedForm {
    Q_OBJECT
public:
    explicit TMut2Form(std::function<void()> handBack, QWidget *parent = nullptr);

    // Input controls.
    QGroupBox *FreqGroupBox = nullptr;
    QLabel *Freq11Label = nullptr;
    TKesRealSpinEdit *Freq1RealSpinEdit = nullptr;
    QLabel *Freq12Label = nullptr;
    TKesRealSpinEdit *Freq2RealSpinEdit = nullptr;
    QGroupBox *MutRatesGroupBox = nullptr;
    QLabel *Fit11Label = nullptr;
    TKesRealSpinEdit *MutRate12RealSpinEdit = nullptr;
    QLabel *Label10a = nullptr;
    TKesSpinEdit *MutRate12PowerSpinEdit = nullptr;
    QLabel *Fit12Label = nullptr;
    TKesRealSpinEdit *MutRate21RealSpinEdit = nullptr;
    QLabel *Label10b = nullptr;
    TKesSpinEdit *MutRate21PowerSpinEdit = nullptr;
    QGroupBox *NgGroupBox = nullptr;
    TKesSpinEdit *NgKesSpinEdit = nullptr;
    QLabel *Label2 = nullptr;
    TKesSpinEdit *NgPowerSpinEdit = nullptr;
    QPushButton *RunBtn = nullptr;
    QPushButton *CancelBtn = nullptr;

    // Output controls.
    QTabWidget *MutOutGraphPageControl = nullptr;
    QWidget *TabSheet1 = nullptr;
    QWidget *TabSheet3 = nullptr;
    morva::chart::Chart *Chart1 = nullptr;
    morva::chart::Chart *Chart3 = nullptr;
    TStringAlignGrid *StringAlignGrid = nullptr;

    // Series, in each chart's order.
    morva::chart::Series *Series1 = nullptr;
    morva::chart::Series *Series2 = nullptr;
    morva::chart::Series *Series6 = nullptr;
    morva::chart::Series *Series4 = nullptr;
    morva::chart::Series *FastLineSeries4 = nullptr;
    morva::chart::Series *Series5 = nullptr;
    morva::chart::Series *Series7 = nullptr;
    // After them: the dotted lines at the equilibrium (one per allele) on
    // Chart1, its marker on Chart3.
    morva::EquilibriumLevels equilibriumLevels;
    morva::EquilibriumMarkers deltaMarkers;

    // Event handlers (the others are the frame's, from the description).
    void RunBtnClick() { runDescribed(); }
    void CancelBtnClick() { cancelModel(); }

    // The equilibrium of the rates of the last run, as lines of text.
    QStringList equilibriumLines() const;

    // Texts of the window's messages.
    static const QString kSumMessage;
    static const QString kRatesMessage;
    // Followed by the decimal text of the largest number of generations.
    static const QString kGenerationsMessage;
    static const QString kDoubleClickMessage;

    // The Chart3 readout for the axis values (x, y) under the pointer.
    static QString chart3Readout(long double x, long double y);

private:
    static morva::form::ModelDescription describe(TMut2Form *self);
};

// The open mutation window, if any.
extern QPointer<TMut2Form> Mut2Form;

#endif
