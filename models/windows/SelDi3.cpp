#include "models/windows/SelDi3.h"

#include "arith/CheckedInt.h"
#include "arith/Equilibria.h"
#include "arith/PgMathSe.h"
#include "controls/Aligrid.h"
#include "controls/KesSpinEdits1.h"
#include "controls/SimplexChart.h"
#include "models/frame/EquilibriumMarks.h"
#include "models/frame/HouseStyle.h"
#include "platform/Application.h"
#include "platform/Hint.h"
#include "platform/NumberText.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineF>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>
#include <cstddef>
#include <iterator>
#include <utility>

QPointer<TSelDi3Form> SelDi3Form;

using namespace morva;
using namespace morva::form;
using chart::MarkerShape;
using chart::PenStyle;

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

using style::kAllele1Colour;
using style::kAllele2Colour;
const QColor kAllele3Colour(0, 0, 128);
using style::kWallColour;
const QColor kChartPanelColour(232, 236, 232);

using style::kSumTolerance;
constexpr std::uint16_t kAlleles = 3;

// Pixel sizes of the designed fonts.
constexpr int kFrequencyFieldPixels = 11;
constexpr int kFieldPixels = 12;
constexpr int kGridPixels = 12;

// Placement of the fields: one every 30 pixels from the top of their box.
QPoint fieldPos(int row) { return {75, 18 + row * 30}; }
QPoint labelPos(int row) { return {30, 20 + row * 30}; }

ChartSpec page(const char *sheet, const char *title, const char *chart, const char *hiddenTitle,
               int legendWidth)
{
    ChartSpec c;
    c.sheetName = QLatin1String(sheet);
    c.title = QLatin1String(title);
    c.chartName = QLatin1String(chart);
    c.leftWallColor = kWallColour;
    c.panelColor = kChartPanelColour;
    c.legendWidth = legendWidth;
    c.hiddenTitle = QLatin1String(hiddenTitle);
    // The time axis both charts share; the left axes' common ticks: length
    // 5, no minor ticks (their length 4).
    c.bottom = {.picture = QStringLiteral("##0"), .title = QStringLiteral("time (generations)"),
                .separation = 35, .minorLength = 0};
    c.left.picture = QStringLiteral("0.00");
    c.left.tickLength = 5;
    c.left.minorLength = 4;
    return c;
}

Value t(int g) { return SelTimes[g]; }

// The time column: the number of leading blanks goes by the row's
// generation, not by the width of the number.
QString timeText(Value time)
{
    const int generation = static_cast<int>(time);
    const int blanks = generation < 10 ? 5 : generation < 100 ? 4 : 3;
    return QString(blanks, QLatin1Char(' ')) + text::formatInteger(generation);
}

QString gridNumber(Value value)
{
    return QLatin1Char(' ') + text::formatFixed(value, 4, 3);
}

// --- the simplex page ---

const QColor kTrajectoryColour(45, 45, 45);
constexpr int kSimplexMarkerStep = 10;
// How near an equilibrium's marker, in pixels, the pointer reads it.
constexpr double kSimplexMarkerReach = 7.0;
constexpr int kArrowPointsPerSide = 15;

TAlleleVector alleles(double p1, double p2, double p3)
{
    TAlleleVector p;
    p[1] = p1;
    p[2] = p2;
    p[3] = p3;
    return p;
}

chart::Barycentric barycentric(const TAlleleVector &p)
{
    return {static_cast<double>(p[1]), static_cast<double>(p[2]), static_cast<double>(p[3])};
}

QString simplexReadoutNumber(long double value)
{
    return text::formatFixed(value, 5, 3);
}

} // namespace

TSelDi3Form::TSelDi3Form(std::function<void()> handBack, QWidget *parent)
    : DescribedForm(describe(this), std::move(handBack), parent)
{
    MORVA_BIND(InputPanel);
    MORVA_BIND(SelDi3FreqGroupBox);
    MORVA_BIND(SelDi3Freq1Label);
    MORVA_BIND(SelDi3Freq2Label);
    MORVA_BIND(SelDi3Freq3Label);
    MORVA_BIND(SelDi3Freq1RealSpinEdit);
    MORVA_BIND(SelDi3Freq2RealSpinEdit);
    MORVA_BIND(SelDi3Freq3RealSpinEdit);
    MORVA_BIND(SelDi3FitGroupBox);
    MORVA_BIND(SelDi3Fit11Label);
    MORVA_BIND(SelDi3Fit12Label);
    MORVA_BIND(SelDi3Fit13Label);
    MORVA_BIND(SelDi3Fit22Label);
    MORVA_BIND(SelDi3Fit23Label);
    MORVA_BIND(SelDi3Fit33Label);
    MORVA_BIND(SelDi3Fit11RealSpinEdit);
    MORVA_BIND(SelDi3Fit12RealSpinEdit);
    MORVA_BIND(SelDi3Fit13RealSpinEdit);
    MORVA_BIND(SelDi3Fit22RealSpinEdit);
    MORVA_BIND(SelDi3Fit23RealSpinEdit);
    MORVA_BIND(SelDi3Fit33RealSpinEdit);
    MORVA_BIND(NgGroupBox);
    MORVA_BIND(SelNgKesSpinEdit);
    MORVA_BIND(SelRunBtn);
    MORVA_BIND(SelCancelBtn);
    MORVA_BIND(SelDiOutGraphPageControl);
    MORVA_BIND(TabSheet1);
    MORVA_BIND(TabSheet2);
    MORVA_BIND(SelDi3Chart1);
    MORVA_BIND(SelDi3Chart2);
    MORVA_BIND(SelDi3StringAlignGrid);
    MORVA_BIND(Series1);
    MORVA_BIND(Series2);
    MORVA_BIND(Series6);
    MORVA_BIND(Series9);
    MORVA_BIND(FastLineSeries1);
    MORVA_BIND(FastLineSeries2);
    MORVA_BIND(Series7);
    MORVA_BIND(Series3);
    MORVA_BIND(Series8);
    equilibriumLevels = levels(0);
    // The designed active page; FormShow turns to the first one.
    SelDiOutGraphPageControl->setCurrentWidget(TabSheet2);
    buildSimplexPage();
    SelDi3Form = this;
}

ModelDescription TSelDi3Form::describe(TSelDi3Form *self)
{
    ModelDescription d;
    d.objectName = QStringLiteral("SelDi3Form");
    ModelFormSettings &s = d.settings;
    s.caption = QStringLiteral(" MORVA - Natural Selection: Diploid population, 3 alleles");
    s.spacerHeight = 2;
    s.ngBoxHeight = 50;
    s.scrollRange = QSize(580, 500);
    s.gridName = QStringLiteral("SelDi3StringAlignGrid");
    s.gridWidthAddend = 5;
    d.runPos = QPoint(46, 400);

    // --- inputs ---
    BoxSpec frequencies = frequencyBox(
        QStringLiteral("SelDi3FreqGroupBox"), QStringLiteral("Allele frequencies "),
        QStringLiteral("Set initial genotype frequencies.  Double click any frequency to set it "
                       "to one minus all the others"));
    frequencies.height = 110;
    const QColor colours[] = {kAllele1Colour, kAllele2Colour, kAllele3Colour};
    const long double starts[] = {0.1L, 0.4L, 0.5L};
    for (int row = 0; row < 3; ++row) {
        const int allele = row + 1;
        frequencies.add(real(QStringLiteral("SelDi3Freq%1RealSpinEdit").arg(allele), starts[row])
                            .at(fieldPos(row), QSize(55, 22))
                            .colored(colours[row])
                            .pixels(kFrequencyFieldPixels)
                            .named(QStringLiteral("A%1 frequency").arg(allele))
                            .labelled({QStringLiteral("SelDi3Freq%1Label").arg(allele),
                                       QStringLiteral("A%1:").arg(allele), labelPos(row)}));
    }
    BoxSpec fitnesses = parameterBox(QStringLiteral("SelDi3FitGroupBox"),
                                     QStringLiteral(" Fitnesses "),
                                     QStringLiteral("Set genotype fitnesses"));
    fitnesses.height = 200;
    // Created in tab order, which visits the three fields of the 2-allele
    // model (A1A1, A1A2, A2A2) before the others; the screen order is by
    // genotype.
    const struct {
        const char *genotype;  // also the digits of the names
        int screenRow;
        long double value;
    } designs[] = {{"11", 0, 0.8L}, {"12", 1, 1.0L}, {"22", 3, 0.7L},
                   {"13", 2, 1.2L}, {"23", 4, 1.0L}, {"33", 5, 0.9L}};
    for (const auto &f : designs) {
        const QString digits = QLatin1String(f.genotype);
        const QString genotype = QStringLiteral("A%1A%2").arg(digits.at(0)).arg(digits.at(1));
        fitnesses.add(real(QStringLiteral("SelDi3Fit%1RealSpinEdit").arg(digits), f.value, 0, 2)
                          .at(fieldPos(f.screenRow), QSize(55, 24))
                          .pixels(kFieldPixels)
                          .named(genotype + QStringLiteral(" fitness"))
                          .labelled({QStringLiteral("SelDi3Fit%1Label").arg(digits),
                                     genotype + QLatin1Char(':'), labelPos(f.screenRow)}));
    }
    // Run reads the typed number itself and reports text that is no
    // integer with the conversion error.
    BoxSpec generations = generationsBox().add(integer(QStringLiteral("SelNgKesSpinEdit"), 50,
                                                       1, 300, 5)
                                                   .at({50, 17}, {65, 24})
                                                   .pixels(kFieldPixels)
                                                   .runOnEnter()
                                                   .checksOwnText()
                                                   .named(QStringLiteral("Number of generations")));
    d.boxes = {frequencies, fitnesses, generations};
    // The typed number may pass the field's arrows' limit.
    d.generations = GenerationsSpec{QStringLiteral("SelNgKesSpinEdit"), QString(),
                                    kMaxGenerations};
    // The group box promises the rule for every frequency field, so A2
    // follows it too, in its own words.
    d.sumGroups = {{{{QStringLiteral("SelDi3Freq1RealSpinEdit"), kDoubleClickMessage},
                     {QStringLiteral("SelDi3Freq2RealSpinEdit"), kDoubleClickA2Message},
                     {QStringLiteral("SelDi3Freq3RealSpinEdit"), kDoubleClickMessage}}}};

    // --- checks and run: the inputs go into the selection state as read ---
    d.checks = {
        {[self] {
             SelInitFreqs[1] = self->SelDi3Freq1RealSpinEdit->value();
             SelInitFreqs[2] = self->SelDi3Freq2RealSpinEdit->value();
             SelInitFreqs[3] = self->SelDi3Freq3RealSpinEdit->value();
             const long double sum = SelInitFreqs[1] + SelInitFreqs[2] + SelInitFreqs[3];
             return std::fabs(sum - 1.0L) <= kSumTolerance;
         },
         kSumMessage},
        {[self] {
             const TKesRealSpinEdit *fields[] = {
                 self->SelDi3Fit11RealSpinEdit, self->SelDi3Fit12RealSpinEdit,
                 self->SelDi3Fit13RealSpinEdit, self->SelDi3Fit22RealSpinEdit,
                 self->SelDi3Fit23RealSpinEdit, self->SelDi3Fit33RealSpinEdit};
             bool allZero = true;
             int element = 1;
             for (const TKesRealSpinEdit *field : fields) {
                 SelFit[element] = field->value();
                 allZero = allZero && SelFit[element] == 0.0L;
                 ++element;
             }
             return !allZero;
         },
         kFitnessMessage},
        {[self] {
             const int generations = self->typedGenerations();
             return generations >= 1 && generations <= kMaxGenerations;
         },
         kGenerationsMessage},
    };
    d.run = [self] {
        SelNg = self->typedGenerations();
        SelTrajectory(kAlleles, SelFit, toUInt16Checked(SelNg), SelInitFreqs, SelTimes, SelFreqs,
                      SelAlleleFit, SelWmed);
    };
    d.equilibria = [] { return selectionEquilibria3(SelFit); };

    // --- charts: fills from the selection state ---
    const auto overTime = [](auto value) {
        return [value](Plot &p) {
            for (int g = 0; g <= SelNg; ++g)
                p.add(t(g), value(g));
        };
    };
    const auto freq = [](int i) { return [i](int g) { return SelFreqs[g][i]; }; };
    const auto fit = [](int i) { return [i](int g) { return SelAlleleFit[g][i]; }; };
    const auto wmed = [](int g) { return SelWmed[g]; };

    ChartSpec freqs = page("TabSheet1", "Allele freqs vs time", "SelDi3Chart1",
                           "                Allele frequencies", 80);
    freqs.left.automatic = false;
    freqs.left.increment = 0.25;
    freqs.left.separation = 5;
    freqs.left.title = QStringLiteral("allele frequencies");
    freqs.series = {
        lineSeries("Series1", "p[1]", kAllele1Colour, PenStyle::Solid, overTime(freq(1))),
        lineSeries("Series2", "p[2]", kAllele2Colour, PenStyle::Dashed, overTime(freq(2))),
        lineSeries("Series6", "p[3]", kAllele3Colour, PenStyle::Dashed, overTime(freq(3))),
        pointSeries("Series9", "FirstPoint", Qt::yellow, MarkerShape::Diamond, 2, Qt::white,
                    [](Plot &p) {
                        for (int i = 1; i <= 3; ++i)
                            p.add(t(0), SelFreqs[0][i]);
                    },
                    false),
    };
    // A stable equilibrium with every allele present: where the frequencies
    // level off.
    freqs.levels = LevelSpec{
        3, QStringLiteral("stable equilibrium"),
        [](const EquilibriumSet &set) { return interiorOfKind(set, Stability::Stable); },
        [] { return std::pair<double, double>(t(0), t(SelNg)); }};

    ChartSpec fitness = page("TabSheet2", "Fitnesses vs time", "SelDi3Chart2",
                             "                    Fitnesses", 55);
    fitness.left.separation = 25;
    fitness.left.title = QStringLiteral("fitnesses");
    fitness.series = {
        lineSeries("FastLineSeries1", "W[1]", kAllele1Colour, PenStyle::Solid, overTime(fit(1))),
        lineSeries("FastLineSeries2", "W[2]", kAllele2Colour, PenStyle::Dashed,
                   overTime(fit(2))),
        lineSeries("Series7", "W[3]", kAllele3Colour, PenStyle::Dashed, overTime(fit(3))),
        lineSeries("Series3", "Wmed", Qt::black, PenStyle::Solid, overTime(wmed)),
        pointSeries("Series8", "FirstPoint", Qt::yellow, MarkerShape::Diamond, 2, Qt::white,
                    [](Plot &p) {
                        for (int i = 1; i <= 3; ++i)
                            p.add(t(0), SelAlleleFit[0][i]);
                        p.add(t(0), SelWmed[0]);
                    },
                    false),
    };
    d.pages = {freqs, fitness};

    // --- grid: centred text in its own font; the selected cell keeps the
    // grid's default highlight ---
    d.grid.fontPixels = kGridPixels;
    d.grid.columns = {
        {QStringLiteral(" time"), QString(), QColor(), [](int row) { return t(row); }, timeText},
        {QStringLiteral(" p[1]"), QString(), kAllele1Colour, freq(1), gridNumber},
        {QStringLiteral(" p[2]"), QString(), kAllele2Colour, freq(2), gridNumber},
        {QStringLiteral(" p[3]"), QString(), kAllele3Colour, freq(3), gridNumber},
        {QStringLiteral(" Wmed"), QString(), QColor(), wmed, gridNumber},
    };
    // An entry beyond the arrays is a range error before the grid grows.
    d.grid.rows = [] {
        (void)SelTimes[SelNg];
        return checkedAdd(SelNg, 1);
    };

    // --- export: every generation's frequencies, allele fitnesses and mean
    // fitness ---
    ExportSpec &x = d.exports;
    for (const char *name : {"Freq1", "Freq2", "Freq3"})
        x.inputs.emplace_back(QStringLiteral("A%1 frequency").arg(QLatin1String(name).back()),
                              QStringLiteral("SelDi3%1RealSpinEdit").arg(QLatin1String(name)));
    for (const char *digits : {"11", "12", "13", "22", "23", "33"})
        x.inputs.emplace_back(QStringLiteral("A%1A%2 fitness").arg(digits[0]).arg(digits[1]),
                              QStringLiteral("SelDi3Fit%1RealSpinEdit").arg(QLatin1String(digits)));
    x.inputs.emplace_back(QStringLiteral("generations"), QStringLiteral("SelNgKesSpinEdit"));
    x.columns = {{"time", [](int g) { return t(g); }},
                 {"p[1]", freq(1)}, {"p[2]", freq(2)}, {"p[3]", freq(3)},
                 {"W[1]", fit(1)}, {"W[2]", fit(2)}, {"W[3]", fit(3)},
                 {"Wmed", wmed}};
    x.rows = [] { return SelNg + 1; };
    x.notes = [self] { return self->equilibriumLines(); };
    return d;
}

// --- the simplex page ---

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
    DescribedForm::FormShow();
    orderFitnessTabs();
    InputPanel->show();
}

int TSelDi3Form::typedGenerations() const
{
    const QString text = SelNgKesSpinEdit->text();
    return text.isEmpty() ? 0 : morva::text::textToInteger(text);
}

void TSelDi3Form::OutputGraphPanelEnter()
{
    DescribedForm::OutputGraphPanelEnter();
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
    m_simplexEquilibria = selectionEquilibria3(w).points;
    for (const Equilibrium &e : m_simplexEquilibria)
        markSimplexEquilibrium(e);
}

// The markers of the 2-allele charts: filled circles for approached, hollow
// for left, a filled diamond for one-sided, a hollow diamond for a point of
// mean fitness 0 that populations leave, grey for neutral.
void TSelDi3Form::markSimplexEquilibrium(const morva::Equilibrium &e)
{
    using morva::chart::SimplexChart;
    using morva::Stability;
    SimplexChart::Marker marker;
    marker.at = barycentric(e.p);
    marker.style = {SimplexChart::Glyph::Circle, 5.0, Qt::black, QColor(Qt::black)};
    if (morva::isApproached(e.kind)) {
        marker.legend = QStringLiteral("stable equilibrium");
    } else if (e.kind == Stability::OneSided) {
        marker.style.glyph = SimplexChart::Glyph::Diamond;
        marker.legend = QStringLiteral("one-sided equilibrium");
    } else if (e.kind == Stability::Neutral) {
        marker.style.fill = QColor(160, 160, 160);
        marker.legend = QStringLiteral("neutral equilibrium");
    } else if (e.zeroMeanFitness) {
        marker.style.glyph = SimplexChart::Glyph::Diamond;
        marker.style.fill = QColor();
        marker.legend = QStringLiteral("left, Wmed= 0");
    } else {
        marker.style.fill = QColor();
        marker.legend = QStringLiteral("unstable equilibrium");
    }
    SelDi3Simplex->addMarker(marker);
}

void TSelDi3Form::SelDi3SimplexMouseMove(double p1, double p2, double p3)
{
    using namespace morva;
    // Over an equilibrium's marker: its frequencies and mean fitness and how
    // populations beside it move, as on the 2-allele charts.
    const QPointF pointer = SelDi3Simplex->toPixel({p1, p2, p3});
    const Equilibrium *over = nullptr;
    for (const Equilibrium &e : m_simplexEquilibria) {
        if (QLineF(pointer, SelDi3Simplex->toPixel(barycentric(e.p))).length()
            <= kSimplexMarkerReach)
            over = &e;
    }
    const TAlleleVector p = over ? over->p : alleles(p1, p2, p3);
    const Extended wmed = SelMeanFitness3(p, m_simplexFitness);
    QString text = QStringLiteral(" p[1]= ") + simplexReadoutNumber(p[1]) +
                   QStringLiteral("  p[2]= ") + simplexReadoutNumber(p[2]) +
                   QStringLiteral("  p[3]= ") + simplexReadoutNumber(p[3]) +
                   QStringLiteral("   Wmed= ") + simplexReadoutNumber(wmed);
    if (over)
        text += QStringLiteral("   ") + equilibriumSummary(*over);
    else if (const QString kept = keptRunNear(SelDi3Simplex, pointer); !kept.isEmpty())
        text += QStringLiteral("   ") + kept;
    setHint(SelDi3Simplex, text);
}

QStringList TSelDi3Form::equilibriumLines() const
{
    return morva::equilibriumLines(morva::selectionEquilibria3(morva::SelFit), true);
}
