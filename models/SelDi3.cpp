#include "models/SelDi3.h"

#include "arith/CheckedInt.h"
#include "arith/Equilibria.h"
#include "arith/PgMathSe.h"
#include "controls/Aligrid.h"
#include "controls/Chart.h"
#include "controls/KesSpinEdits1.h"
#include "controls/SimplexChart.h"
#include "models/RunTable.h"
#include "platform/Application.h"
#include "platform/Hint.h"
#include "platform/NumberText.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>
#include <cstddef>
#include <iterator>

QPointer<TSelDi3Form> SelDi3Form;

using morva::chart::Axis;
using morva::chart::Chart;
using morva::chart::MarkerShape;
using morva::chart::PenStyle;
using morva::chart::Series;

const QString TSelDi3Form::kSumMessage =
    QStringLiteral("Genotype frequencies MUST add up to 1\r     Try double cliking on one of them");
const QString TSelDi3Form::kFitnessMessage = QStringLiteral("Fitnesses CANNOT be all 0");
const QString TSelDi3Form::kGenerationsMessage =
    QStringLiteral("Number of generations must be between 1 and ")
    + QString::number(TSelDi3Form::kMaxGenerations);
const QString TSelDi3Form::kDoubleClickMessage =
    QStringLiteral("Allele frequencies MUST add up to 1 and be non-negative!");
const QString TSelDi3Form::kDoubleClickA2Message =
    QStringLiteral("Genotype frequencies MUST add up to 1 and be non-negative!");

namespace {

const QColor kAllele1Colour(0, 128, 0);
const QColor kAllele2Colour(255, 0, 0);
const QColor kAllele3Colour(0, 0, 128);
const QColor kLeftWallColour(255, 255, 128);
const QColor kChartPanelColour(232, 236, 232);

constexpr long double kSumTolerance = 1e-6L;
constexpr std::uint16_t kAlleles = 3;
constexpr int kLegendWidthFrequencies = 80;
constexpr int kLegendWidthFitnesses = 55;

// Pixel sizes of the designed fonts.
constexpr int kFrequencyFieldPixels = 11;
constexpr int kFieldPixels = 12;
constexpr int kGridPixels = 12;

// Placement of the fields: one every 30 pixels from the top of their box.
constexpr int kFieldLeft = 75;
constexpr int kLabelLeft = 30;
constexpr int kFirstFieldTop = 18;
constexpr int kFirstLabelTop = 20;
constexpr int kRowStep = 30;

morva::ModelFormSettings settings()
{
    morva::ModelFormSettings s;
    s.caption = QStringLiteral(" MORVA - Natural Selection: Diploid population, 3 alleles");
    s.inputPanelWidth = 170;
    s.spacerHeight = 2;
    s.ngBoxHeight = 50;
    s.scrollRange = QSize(580, 500);
    s.runName = QStringLiteral("SelRunBtn");
    s.cancelName = QStringLiteral("SelCancelBtn");
    s.runPos = QPoint(46, 400);
    s.pageControlName = QStringLiteral("SelDiOutGraphPageControl");
    s.gridName = QStringLiteral("SelDi3StringAlignGrid");
    s.gridColumns = 5;
    s.gridWidthAddend = 5;
    return s;
}

void setPixelSize(QWidget *widget, int pixels)
{
    QFont font = widget->font();
    font.setPixelSize(pixels);
    widget->setFont(font);
}

QPoint fieldPos(int row) { return {kFieldLeft, kFirstFieldTop + row * kRowStep}; }
QPoint labelPos(int row) { return {kLabelLeft, kFirstLabelTop + row * kRowStep}; }

void chartLook(Chart *chart, const QString &hiddenTitle, int legendSampleWidth)
{
    chart->setBackColor(Qt::white);
    chart->setLeftWallColor(kLeftWallColour);
    chart->setPanelColor(kChartPanelColour);
    chart->setLegendSampleWidth(legendSampleWidth);
    chart->setHiddenTitle(hiddenTitle);
}

// The time axis both charts share.
void timeAxis(Axis *axis)
{
    axis->setAutomatic();
    axis->setLabelPicture(QStringLiteral("##0"));
    axis->setLabelSeparation(35);
    axis->setMinorTicks(0, 0);
    axis->setTitle(QStringLiteral("time (generations)"));
}

// The left axes' common ticks: length 5, no minor ticks (their length 4).
void leftTicks(Axis *axis, const QString &title)
{
    axis->setLabelPicture(QStringLiteral("0.00"));
    axis->setTickLength(5);
    axis->setMinorTicks(0, 4);
    axis->setTitle(title);
}

void clearSeries(Chart *chart)
{
    for (int i = 0; i < chart->seriesCount(); ++i)
        chart->series(i)->clear();
}

void add(Series *series, long double x, long double y)
{
    series->addPoint(static_cast<double>(x), static_cast<double>(y));
}

// The time column: the number of leading blanks goes by the row's
// generation, not by the width of the number.
QString timeText(int generation, std::uint16_t time)
{
    const int blanks = generation < 10 ? 5 : generation < 100 ? 4 : 3;
    return QString(blanks, QLatin1Char(' ')) + morva::text::formatInteger(time);
}

QString gridNumber(long double value)
{
    return QLatin1Char(' ') + morva::text::formatFixed(value, 4, 3);
}

// --- the simplex page ---

const QColor kTrajectoryColour(45, 45, 45);
constexpr int kSimplexMarkerStep = 10;
constexpr int kArrowPointsPerSide = 15;

morva::TAlleleVector alleles(double p1, double p2, double p3)
{
    morva::TAlleleVector p;
    p[1] = p1;
    p[2] = p2;
    p[3] = p3;
    return p;
}

morva::chart::Barycentric barycentric(const morva::TAlleleVector &p)
{
    return {static_cast<double>(p[1]), static_cast<double>(p[2]), static_cast<double>(p[3])};
}

QString simplexReadoutNumber(long double value)
{
    return morva::text::formatFixed(value, 5, 3);
}

} // namespace

TSelDi3Form::TSelDi3Form(std::function<void()> handBack, QWidget *parent)
    : ModelForm(settings(), std::move(handBack), parent)
{
    setObjectName(QStringLiteral("SelDi3Form"));
    InputPanel = inputPanel();
    NgGroupBox = ngGroupBox();
    SelRunBtn = runButton();
    SelCancelBtn = cancelButton();
    SelDiOutGraphPageControl = pageControl();
    SelDi3StringAlignGrid = grid();

    buildInputs();
    buildCharts();
    designGrid();
    connectHandlers();
    SelDi3Form = this;
}

TSelDi3Form::~TSelDi3Form() = default;

// --- construction ---

void TSelDi3Form::buildInputs()
{
    buildFrequencyBox();
    buildFitnessBox();
    buildNgBox();
}

void TSelDi3Form::buildFrequencyBox()
{
    SelDi3FreqGroupBox = addGroupBox(
        InputSlot::Frequencies, QStringLiteral("SelDi3FreqGroupBox"),
        QStringLiteral("Allele frequencies "),
        QStringLiteral("Set initial genotype frequencies.  Double click any frequency to set it "
                       "to one minus all the others"),
        110);
    struct Design {
        QLabel *&label;
        TKesRealSpinEdit *&field;
        const char *caption;
        long double value;
        QColor colour;
    };
    const Design designs[] = {
        {SelDi3Freq1Label, SelDi3Freq1RealSpinEdit, "A1:", 0.1L, kAllele1Colour},
        {SelDi3Freq2Label, SelDi3Freq2RealSpinEdit, "A2:", 0.4L, kAllele2Colour},
        {SelDi3Freq3Label, SelDi3Freq3RealSpinEdit, "A3:", 0.5L, kAllele3Colour},
    };
    int row = 0;
    for (const Design &d : designs) {
        const int allele = row + 1;
        d.label = addLabel(SelDi3FreqGroupBox, QStringLiteral("SelDi3Freq%1Label").arg(allele),
                           QString::fromLatin1(d.caption), labelPos(row));
        d.field = addRealField(SelDi3FreqGroupBox,
                               QStringLiteral("SelDi3Freq%1RealSpinEdit").arg(allele),
                               {fieldPos(row), {55, 22}}, d.value, 0.0L, 1.0L, 0.01L, d.colour);
        d.field->setAccessibleName(QStringLiteral("A%1 frequency").arg(allele));
        setPixelSize(d.field, kFrequencyFieldPixels);
        ++row;
    }
}

void TSelDi3Form::buildFitnessBox()
{
    SelDi3FitGroupBox = addGroupBox(InputSlot::Parameters, QStringLiteral("SelDi3FitGroupBox"),
                                    QStringLiteral(" Fitnesses "),
                                    QStringLiteral("Set genotype fitnesses"), 200);
    struct Design {
        QLabel *&label;
        TKesRealSpinEdit *&field;
        const char *genotype;  // also the digits of the names
        int screenRow;
        long double value;
    };
    // Created in tab order, which visits the three fields of the 2-allele
    // model (A1A1, A1A2, A2A2) before the others; the screen order is by
    // genotype.
    const Design designs[] = {
        {SelDi3Fit11Label, SelDi3Fit11RealSpinEdit, "11", 0, 0.8L},
        {SelDi3Fit12Label, SelDi3Fit12RealSpinEdit, "12", 1, 1.0L},
        {SelDi3Fit22Label, SelDi3Fit22RealSpinEdit, "22", 3, 0.7L},
        {SelDi3Fit13Label, SelDi3Fit13RealSpinEdit, "13", 2, 1.2L},
        {SelDi3Fit23Label, SelDi3Fit23RealSpinEdit, "23", 4, 1.0L},
        {SelDi3Fit33Label, SelDi3Fit33RealSpinEdit, "33", 5, 0.9L},
    };
    for (const Design &d : designs) {
        const QString digits = QString::fromLatin1(d.genotype);
        const QString caption =
            QStringLiteral("A%1A%2:").arg(digits.at(0)).arg(digits.at(1));
        d.label = addLabel(SelDi3FitGroupBox, QStringLiteral("SelDi3Fit%1Label").arg(digits),
                           caption, labelPos(d.screenRow));
        d.field = addRealField(SelDi3FitGroupBox,
                               QStringLiteral("SelDi3Fit%1RealSpinEdit").arg(digits),
                               {fieldPos(d.screenRow), {55, 24}}, d.value, 0.0L, 2.0L, 0.01L);
        d.field->setAccessibleName(caption.chopped(1) + QStringLiteral(" fitness"));
        setPixelSize(d.field, kFieldPixels);
    }
}

void TSelDi3Form::buildNgBox()
{
    SelNgKesSpinEdit = addIntField(NgGroupBox, QStringLiteral("SelNgKesSpinEdit"),
                                   {{50, 17}, {65, 24}}, 50, 1, 300, 5);
    setPixelSize(SelNgKesSpinEdit, kFieldPixels);
    SelNgKesSpinEdit->setAccessibleName(QStringLiteral("Number of generations"));
    // Run reads the typed number itself and reports text that is no
    // integer with the conversion error.
    leaveTextCheckToModel(SelNgKesSpinEdit);
}

void TSelDi3Form::buildCharts()
{
    SelDi3Chart1 = addChartPage(QStringLiteral("TabSheet1"), QStringLiteral("Allele freqs vs time"),
                                QStringLiteral("SelDi3Chart1"));
    SelDi3Chart2 = addChartPage(QStringLiteral("TabSheet2"), QStringLiteral("Fitnesses vs time"),
                                QStringLiteral("SelDi3Chart2"));
    TabSheet1 = SelDi3Chart1->parentWidget();
    TabSheet2 = SelDi3Chart2->parentWidget();
    // The designed active page; FormShow turns to the first one.
    SelDiOutGraphPageControl->setCurrentWidget(TabSheet2);

    buildAlleleFreqChart();
    buildFitnessChart();
    buildSimplexPage();
}

void TSelDi3Form::buildAlleleFreqChart()
{
    Chart *chart = SelDi3Chart1;
    chartLook(chart, QStringLiteral("                Allele frequencies"),
              kLegendWidthFrequencies);
    timeAxis(chart->bottomAxis());
    Axis *left = chart->leftAxis();
    left->setFixedRange(0.0, 1.0);
    left->setIncrement(0.25);
    left->setLabelSeparation(5);
    leftTicks(left, QStringLiteral("allele frequencies"));

    Series1 = chart->addLineSeries(QStringLiteral("Series1"), QStringLiteral("p[1]"),
                                   kAllele1Colour, PenStyle::Solid);
    Series2 = chart->addLineSeries(QStringLiteral("Series2"), QStringLiteral("p[2]"),
                                   kAllele2Colour, PenStyle::Dashed);
    Series6 = chart->addLineSeries(QStringLiteral("Series6"), QStringLiteral("p[3]"),
                                   kAllele3Colour, PenStyle::Dashed);
    Series9 = chart->addPointSeries(QStringLiteral("Series9"), QStringLiteral("FirstPoint"),
                                    Qt::yellow, MarkerShape::Diamond, 2, Qt::white, false);
    equilibriumLevels = morva::addEquilibriumLevels(chart, 3, QStringLiteral("stable equilibrium"));
}

void TSelDi3Form::buildFitnessChart()
{
    Chart *chart = SelDi3Chart2;
    chartLook(chart, QStringLiteral("                    Fitnesses"), kLegendWidthFitnesses);
    timeAxis(chart->bottomAxis());
    Axis *left = chart->leftAxis();
    left->setAutomatic();
    left->setLabelSeparation(25);
    leftTicks(left, QStringLiteral("fitnesses"));

    FastLineSeries1 = chart->addLineSeries(QStringLiteral("FastLineSeries1"),
                                           QStringLiteral("W[1]"), kAllele1Colour,
                                           PenStyle::Solid);
    FastLineSeries2 = chart->addLineSeries(QStringLiteral("FastLineSeries2"),
                                           QStringLiteral("W[2]"), kAllele2Colour,
                                           PenStyle::Dashed);
    Series7 = chart->addLineSeries(QStringLiteral("Series7"), QStringLiteral("W[3]"),
                                   kAllele3Colour, PenStyle::Dashed);
    Series3 = chart->addLineSeries(QStringLiteral("Series3"), QStringLiteral("Wmed"), Qt::black,
                                   PenStyle::Solid);
    Series8 = chart->addPointSeries(QStringLiteral("Series8"), QStringLiteral("FirstPoint"),
                                    Qt::yellow, MarkerShape::Diamond, 2, Qt::white, false);
}

void TSelDi3Form::buildSimplexPage()
{
    using morva::chart::SimplexChart;
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    QPalette sheetPalette = TabSheet3->palette();
    sheetPalette.setColor(QPalette::Window, kChartPanelColour);
    TabSheet3->setPalette(sheetPalette);
    TabSheet3->setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(TabSheet3);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->setSpacing(2);
    SelDi3Simplex = new SimplexChart(TabSheet3);
    SelDi3Simplex->setObjectName(QStringLiteral("SelDi3Simplex"));
    SelDi3Simplex->setBackgroundColor(kChartPanelColour);
    SelDi3Simplex->setVertexLabels(QStringLiteral("A1"), QStringLiteral("A2"),
                                   QStringLiteral("A3"));
    SelDi3Simplex->setFieldLabel(QStringLiteral("Wmed"));
    watchPictureForExport(SelDi3Simplex);
    layout->addWidget(SelDi3Simplex, 1);
    SelDi3ArrowsCheckBox = new QCheckBox(QStringLiteral("Show change arrows"), TabSheet3);
    SelDi3ArrowsCheckBox->setObjectName(QStringLiteral("SelDi3ArrowsCheckBox"));
    SelDi3ArrowsCheckBox->setStatusTip(
        QStringLiteral("Arrows of the change in one generation across the triangle"));
    SelDi3ArrowsCheckBox->setContentsMargins(8, 0, 0, 0);
    layout->addWidget(SelDi3ArrowsCheckBox, 0, Qt::AlignLeft);
    SelDiOutGraphPageControl->addTab(TabSheet3, QStringLiteral("Simplex"));

    connect(SelDi3Simplex, &SimplexChart::pointerMoved, this,
            morva::guardedSlot([this](double p1, double p2, double p3) {
                SelDi3SimplexMouseMove(p1, p2, p3);
            }));
    connect(SelDi3ArrowsCheckBox, &QCheckBox::toggled, this,
            morva::guardedSlot([this](bool on) { SelDi3Simplex->setArrowsVisible(on); }));
}

// The grid's designed attributes: centred text in its own font. The selected
// cell keeps the grid's default highlight.
void TSelDi3Form::designGrid()
{
    TStringAlignGrid *grid = SelDi3StringAlignGrid;
    grid->setAlignment(alCenter);
    setPixelSize(grid, kGridPixels);
}

void TSelDi3Form::connectHandlers()
{
    using morva::guardedSlot;
    connect(SelDi3Freq1RealSpinEdit, &KesSpinEditBase::OnDblClick, this,
            guardedSlot([this] { SelDi3Freq1RealSpinEditDblClick(); }));
    connect(SelDi3Freq2RealSpinEdit, &KesSpinEditBase::OnDblClick, this,
            guardedSlot([this] { SelDi3Freq2RealSpinEditDblClick(); }));
    connect(SelDi3Freq3RealSpinEdit, &KesSpinEditBase::OnDblClick, this,
            guardedSlot([this] { SelDi3Freq3RealSpinEditDblClick(); }));
    connect(SelNgKesSpinEdit, &KesSpinEditBase::OnChange, this,
            guardedSlot([this] { SelNgKesSpinEditChange(); }));
    connect(SelNgKesSpinEdit, &KesSpinEditBase::OnKeyDown, this,
            guardedSlot([this](int key, Qt::KeyboardModifiers modifiers) {
                SelNgKesSpinEditKeyDown(key, modifiers);
            }));
}

// Tab visits A1A1, A1A2, A2A2, then A1A3, A2A3, A3A3, then the number of
// generations.
void TSelDi3Form::orderFitnessTabs()
{
    const QWidget *chain[] = {SelDi3Fit11RealSpinEdit, SelDi3Fit12RealSpinEdit,
                              SelDi3Fit22RealSpinEdit, SelDi3Fit13RealSpinEdit,
                              SelDi3Fit23RealSpinEdit, SelDi3Fit33RealSpinEdit,
                              SelNgKesSpinEdit};
    for (std::size_t i = 1; i < std::size(chain); ++i)
        QWidget::setTabOrder(const_cast<QWidget *>(chain[i - 1]),
                             const_cast<QWidget *>(chain[i]));
}

// --- handlers ---

void TSelDi3Form::FormShow()
{
    // The input panel is rebuilt out of sight and shown once, complete.
    InputPanel->hide();
    ModelForm::FormShow();
    orderFitnessTabs();
    InputPanel->show();
}

void TSelDi3Form::prepareGrid()
{
    TStringAlignGrid *grid = SelDi3StringAlignGrid;
    grid->columnFont(1)->setColor(kAllele1Colour);
    grid->columnFont(2)->setColor(kAllele2Colour);
    grid->columnFont(3)->setColor(kAllele3Colour);
    grid->setCell(0, 0, QStringLiteral(" time"));
    grid->setCell(1, 0, QStringLiteral(" p[1]"));
    grid->setCell(2, 0, QStringLiteral(" p[2]"));
    grid->setCell(3, 0, QStringLiteral(" p[3]"));
    grid->setCell(4, 0, QStringLiteral(" Wmed"));
}

void TSelDi3Form::SelDi3Freq1RealSpinEditDblClick()
{
    applyFrequencyRule(SelDi3Freq1RealSpinEdit,
                       {SelDi3Freq2RealSpinEdit, SelDi3Freq3RealSpinEdit}, kDoubleClickMessage);
}

// The group box promises the rule for every frequency field, so A2 follows it
// too.
void TSelDi3Form::SelDi3Freq2RealSpinEditDblClick()
{
    applyFrequencyRule(SelDi3Freq2RealSpinEdit,
                       {SelDi3Freq1RealSpinEdit, SelDi3Freq3RealSpinEdit}, kDoubleClickA2Message);
}

void TSelDi3Form::SelDi3Freq3RealSpinEditDblClick()
{
    applyFrequencyRule(SelDi3Freq3RealSpinEdit,
                       {SelDi3Freq1RealSpinEdit, SelDi3Freq2RealSpinEdit}, kDoubleClickMessage);
}

void TSelDi3Form::SelNgKesSpinEditChange()
{
    // A new number of generations takes effect at the next run.
}

void TSelDi3Form::SelNgKesSpinEditKeyDown(int key, Qt::KeyboardModifiers)
{
    if (isEnterKey(key))
        startRun();
}

bool TSelDi3Form::readFrequencies()
{
    using namespace morva;
    SelInitFreqs[1] = SelDi3Freq1RealSpinEdit->value();
    SelInitFreqs[2] = SelDi3Freq2RealSpinEdit->value();
    SelInitFreqs[3] = SelDi3Freq3RealSpinEdit->value();
    const long double sum = SelInitFreqs[1] + SelInitFreqs[2] + SelInitFreqs[3];
    if (std::fabs(sum - 1.0L) > kSumTolerance) {
        showError(kSumMessage);
        return false;
    }
    return true;
}

bool TSelDi3Form::readFitnesses()
{
    using namespace morva;
    const TKesRealSpinEdit *fields[] = {SelDi3Fit11RealSpinEdit, SelDi3Fit12RealSpinEdit,
                                        SelDi3Fit13RealSpinEdit, SelDi3Fit22RealSpinEdit,
                                        SelDi3Fit23RealSpinEdit, SelDi3Fit33RealSpinEdit};
    bool allZero = true;
    int element = 1;
    for (const TKesRealSpinEdit *field : fields) {
        SelFit[element] = field->value();
        allZero = allZero && SelFit[element] == 0.0L;
        ++element;
    }
    if (allZero) {
        showError(kFitnessMessage);
        return false;
    }
    return true;
}

int TSelDi3Form::typedGenerations() const
{
    const QString text = SelNgKesSpinEdit->text();
    return text.isEmpty() ? 0 : morva::text::textToInteger(text);
}

void TSelDi3Form::SelRunBtnClick()
{
    using namespace morva;
    if (!readFrequencies() || !readFitnesses())
        return;
    const int generations = typedGenerations();
    if (generations < 1 || generations > kMaxGenerations) {
        showError(kGenerationsMessage);
        return;
    }
    SelNg = generations;
    SelTrajectory(kAlleles, SelFit, toUInt16Checked(SelNg), SelInitFreqs, SelTimes, SelFreqs,
                  SelAlleleFit, SelWmed);
    showResults();
}

void TSelDi3Form::SelCancelBtnClick()
{
    cancelModel();
}

void TSelDi3Form::OutputGraphPanelEnter()
{
    using namespace morva;
    const int ng = SelNg;
    const auto t = [](int g) { return static_cast<long double>(SelTimes[g]); };

    clearSeries(SelDi3Chart1);
    for (int i = 1; i <= 3; ++i)
        add(Series9, t(0), SelFreqs[0][i]);
    for (int g = 0; g <= ng; ++g) {
        add(Series1, t(g), SelFreqs[g][1]);
        add(Series2, t(g), SelFreqs[g][2]);
        add(Series6, t(g), SelFreqs[g][3]);
    }
    // A stable equilibrium with every allele present: where the frequencies
    // level off.
    const EquilibriumSet equilibria = selectionEquilibria3(SelFit);
    fillEquilibriumLevels(equilibriumLevels, interiorOfKind(equilibria, Stability::Stable), t(0),
                          t(ng));
    SelDi3Chart1->commit();

    clearSeries(SelDi3Chart2);
    for (int i = 1; i <= 3; ++i)
        add(Series8, t(0), SelAlleleFit[0][i]);
    add(Series8, t(0), SelWmed[0]);
    for (int g = 0; g <= ng; ++g) {
        add(FastLineSeries1, t(g), SelAlleleFit[g][1]);
        add(FastLineSeries2, t(g), SelAlleleFit[g][2]);
        add(Series7, t(g), SelAlleleFit[g][3]);
        add(Series3, t(g), SelWmed[g]);
    }
    SelDi3Chart2->commit();

    fillSimplex();
}

// The page shows the run's fitnesses: Wmed over the triangle, the change of
// one generation as arrows, and the run itself.
void TSelDi3Form::fillSimplex()
{
    using namespace morva;
    using chart::Barycentric;
    using chart::SimplexChart;
    const int ng = SelNg;
    // An entry beyond the arrays is a range error before the page changes.
    (void)SelFreqs[ng];
    m_simplexFitness = SelFit;
    const TGenotypeFitness w = SelFit;
    SelDi3Simplex->setField([w](double p1, double p2, double p3) {
        return static_cast<double>(SelMeanFitness3(alleles(p1, p2, p3), w));
    });
    SelDi3Simplex->setChangeField(
        [w](double p1, double p2, double p3) {
            const TAlleleVector p = alleles(p1, p2, p3);
            Extended wmed = 0;
            TAlleleVector fitness;
            TAlleleVector next;
            SelStep(kAlleles, w, p, wmed, fitness, next);
            const Barycentric from = barycentric(p);
            const Barycentric to = barycentric(next);
            return Barycentric{to[0] - from[0], to[1] - from[1], to[2] - from[2]};
        },
        kArrowPointsPerSide);

    SimplexChart::Polyline run;
    for (int g = 0; g <= ng; ++g)
        run.points.append(barycentric(SelFreqs[g]));
    run.color = kTrajectoryColour;
    run.width = 1.6;
    run.markerStep = kSimplexMarkerStep;
    run.stepMarker = {SimplexChart::Glyph::Circle, 2.5, kTrajectoryColour, kTrajectoryColour};
    run.startMarker = SimplexChart::MarkerStyle{SimplexChart::Glyph::Diamond, 4.0,
                                                kTrajectoryColour, Qt::yellow};
    run.legend = QStringLiteral("trajectory, dots every 10 generations");
    run.startLegend = QStringLiteral("start");
    SelDi3Simplex->clearPolylines();
    SelDi3Simplex->addPolyline(run);
    SelDi3Simplex->clearMarkers();
    // Stability on the whole triangle: an edge point counts as stable only
    // when it also resists the missing allele.
    for (const Equilibrium &e : selectionEquilibria3(w).points)
        markSimplexEquilibrium(e.p, e.kind == Stability::Stable);
}

void TSelDi3Form::markSimplexEquilibrium(const morva::TAlleleVector &p, bool stable)
{
    using morva::chart::SimplexChart;
    SimplexChart::Marker marker;
    marker.at = barycentric(p);
    marker.style = {SimplexChart::Glyph::Circle, 5.0, Qt::black,
                    stable ? QColor(Qt::black) : QColor()};
    marker.legend = stable ? QStringLiteral("stable equilibrium")
                           : QStringLiteral("unstable equilibrium");
    SelDi3Simplex->addMarker(marker);
}

void TSelDi3Form::SelDi3SimplexMouseMove(double p1, double p2, double p3)
{
    using namespace morva;
    const Extended wmed = SelMeanFitness3(alleles(p1, p2, p3), m_simplexFitness);
    setHint(SelDi3Simplex, QStringLiteral(" p[1]= ") + simplexReadoutNumber(p1) +
                               QStringLiteral("  p[2]= ") + simplexReadoutNumber(p2) +
                               QStringLiteral("  p[3]= ") + simplexReadoutNumber(p3) +
                               QStringLiteral("   Wmed= ") + simplexReadoutNumber(wmed));
}

QStringList TSelDi3Form::equilibriumLines() const
{
    return morva::equilibriumLines(morva::selectionEquilibria3(morva::SelFit), true);
}

void TSelDi3Form::OutputNumbersPanelEnter()
{
    using namespace morva;
    const int ng = SelNg;
    // An entry beyond the arrays is a range error before the grid grows.
    (void)SelTimes[ng];
    TStringAlignGrid *grid = SelDi3StringAlignGrid;
    grid->setRowCount(checkedAdd(ng, 2));
    for (int g = 0; g <= ng; ++g) {
        const int row = g + 1;
        grid->setCell(0, row, timeText(g, SelTimes[g]));
        grid->setCell(1, row, gridNumber(SelFreqs[g][1]));
        grid->setCell(2, row, gridNumber(SelFreqs[g][2]));
        grid->setCell(3, row, gridNumber(SelFreqs[g][3]));
        grid->setCell(4, row, gridNumber(SelWmed[g]));
    }
    grid->show();
}

// The run for export: every generation's frequencies, allele fitnesses and
// mean fitness.
morva::RunTable TSelDi3Form::runTable() const
{
    using namespace morva;
    RunTable table;
    table.fileStem = QStringLiteral("selection-3-alleles");
    table.inputs = {
        {QStringLiteral("A1 frequency"), fieldText(SelDi3Freq1RealSpinEdit)},
        {QStringLiteral("A2 frequency"), fieldText(SelDi3Freq2RealSpinEdit)},
        {QStringLiteral("A3 frequency"), fieldText(SelDi3Freq3RealSpinEdit)},
        {QStringLiteral("A1A1 fitness"), fieldText(SelDi3Fit11RealSpinEdit)},
        {QStringLiteral("A1A2 fitness"), fieldText(SelDi3Fit12RealSpinEdit)},
        {QStringLiteral("A1A3 fitness"), fieldText(SelDi3Fit13RealSpinEdit)},
        {QStringLiteral("A2A2 fitness"), fieldText(SelDi3Fit22RealSpinEdit)},
        {QStringLiteral("A2A3 fitness"), fieldText(SelDi3Fit23RealSpinEdit)},
        {QStringLiteral("A3A3 fitness"), fieldText(SelDi3Fit33RealSpinEdit)},
        {QStringLiteral("generations"), fieldText(SelNgKesSpinEdit)},
    };
    table.notes = equilibriumLines();
    table.header = {QStringLiteral("time"), QStringLiteral("p[1]"), QStringLiteral("p[2]"),
                    QStringLiteral("p[3]"), QStringLiteral("W[1]"), QStringLiteral("W[2]"),
                    QStringLiteral("W[3]"), QStringLiteral("Wmed")};
    table.values.reserve(static_cast<std::size_t>(SelNg + 1) * 8);
    for (int g = 0; g <= SelNg; ++g) {
        table.appendRow({static_cast<long double>(SelTimes[g]), SelFreqs[g][1], SelFreqs[g][2],
                         SelFreqs[g][3], SelAlleleFit[g][1], SelAlleleFit[g][2],
                         SelAlleleFit[g][3], SelWmed[g]});
    }
    return table;
}
