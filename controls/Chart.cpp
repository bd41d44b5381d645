#include "controls/Chart.h"

#include "platform/Application.h"
#include "platform/NumberText.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QGraphicsScene>
#include <QFontMetrics>
#include <QGraphicsItem>
#include <QGraphicsLayout>
#include <QGraphicsTextItem>
#include <QFontInfo>
#include <QLegend>
#include <QLegendMarker>
#include <QPointer>
#include <QLineSeries>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QRubberBand>
#include <QWheelEvent>
#include <QKeyEvent>
#include <QScatterSeries>
#include <QScopedValueRollback>
#include <QSet>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>
#include <cmath>
#include <functional>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

namespace morva::chart {

namespace {

constexpr int kTargetIntervals = 5;
constexpr std::size_t kFewestLabels = 3;
constexpr int kMaxLabels = 100;
constexpr QChar kZeroWidthSpace(0x200B);
// What Qt Charts' text item for a label adds to its text's advance and line
// height: its margins on both sides.
constexpr double kLabelMargins = 2;
// Qt Charts' gaps between an axis' labels and the plotting area, and on
// either side of its title.
constexpr double kLabelPadding = 5;
constexpr double kTitlePadding = 2;

// Whether labels at multiples of `step` are written exactly by a picture
// with that resolution (0: any step).
bool writableStep(double step, double resolution)
{
    if (resolution <= 0)
        return true;
    const double ratio = step / resolution;
    return ratio >= 1 - 1e-9 && std::abs(ratio - std::round(ratio)) < 1e-6;
}

// 1, 2, 2.5 or 5 times a power of ten, at least `rough`, that the picture
// writes exactly.
double niceStep(double rough, double resolution)
{
    if (!(rough > 0) || !std::isfinite(rough))
        rough = resolution > 0 ? resolution : 1.0;
    double power = std::pow(10.0, std::floor(std::log10(rough)));
    while (std::isfinite(power)) {
        for (const double factor : {1.0, 2.0, 2.5, 5.0}) {
            const double step = factor * power;
            if (step >= rough * (1 - 1e-9) && writableStep(step, resolution))
                return step;
        }
        power *= 10;
    }
    return rough;
}

// The largest of those steps below `step` that the picture writes; 0 when
// there is none.
double smallerNiceStep(double step, double resolution)
{
    double power = std::pow(10.0, std::floor(std::log10(step)));
    for (int decades = 0; decades < 3 && power > 0; ++decades, power /= 10) {
        for (const double factor : {5.0, 2.5, 2.0, 1.0}) {
            const double smaller = factor * power;
            if (smaller < step * (1 - 1e-9) && writableStep(smaller, resolution))
                return smaller;
        }
    }
    return 0;
}

// The smallest step a fixed-decimals picture can tell apart ("0.00": 0.01,
// "##0": 1); 0 for exponent pictures.
double pictureResolution(const QString &picture)
{
    if (picture.contains(QLatin1Char('E'), Qt::CaseInsensitive))
        return 0.0;
    const qsizetype point = picture.indexOf(QLatin1Char('.'));
    const qsizetype decimals = point < 0 ? 0 : picture.size() - point - 1;
    return std::pow(10.0, -double(decimals));
}

Qt::PenStyle qtPenStyle(PenStyle style)
{
    switch (style) {
    case PenStyle::Dashed:
        return Qt::DashLine;
    case PenStyle::Dotted:
        return Qt::DotLine;
    case PenStyle::Solid:
        break;
    }
    return Qt::SolidLine;
}

// A point marker: a circle or a diamond 2 * halfSize + 1 pixels across,
// outlined in the series colour and filled.
QImage markerImage(MarkerShape shape, int halfSize, const QColor &color, const QColor &fill)
{
    const int half = std::max(halfSize, 1);
    const int size = 2 * half + 1;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, 1));
    painter.setBrush(fill);
    const QRectF box(0.5, 0.5, size - 1, size - 1);
    if (shape == MarkerShape::Diamond) {
        const QPointF centre = box.center();
        painter.drawPolygon(QPolygonF{QPointF(centre.x(), box.top()),
                                      QPointF(box.right(), centre.y()),
                                      QPointF(centre.x(), box.bottom()),
                                      QPointF(box.left(), centre.y())});
    } else {
        painter.drawEllipse(box);
    }
    return image;
}

// Just above the axes and below Qt Charts' own series (z 3 and 4 in the
// chart).
constexpr double kPlainLinesZ = 3.5;
// The pen width of a kept line of an earlier run.
constexpr double kKeptLineWidth = 0.8;
// Clipped to the plotting area grown by this much on every side, so that a
// line along its edge (a frequency of 0 or 1 on a fixed axis) stays whole.
constexpr double kPlainLinesMargin = 2;
// Point markers: over the axes and every line (z 4 and 5), below the
// legend.
constexpr double kMarkersZ = 6;

// An item that covers the plotting area grown by a margin on every side and
// paints through the chart's function, clipped to that area: the adapter
// draws the plain line series and the point markers with it.
class PlotLayerItem : public QGraphicsItem {
public:
    PlotLayerItem(QGraphicsItem *parent, double z, std::function<void(QPainter *)> paint)
        : QGraphicsItem(parent), m_paint(std::move(paint))
    {
        setZValue(z);
        setFlag(ItemClipsToShape);
    }
    QRectF boundingRect() const override { return m_area; }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        m_paint(painter);
    }
    void setArea(const QRectF &plotArea, double margin)
    {
        const QRectF area = plotArea.adjusted(-margin, -margin, margin, margin);
        if (area != m_area) {
            prepareGeometryChange();
            m_area = area;
        }
        update();
    }

private:
    std::function<void(QPainter *)> m_paint;
    QRectF m_area;
};

} // namespace

// ---------------------------------------------------------------------------
// Series

struct Series::Data {
    SeriesKind kind = SeriesKind::Line;
    QString name;
    QString title;
    QColor color;
    PenStyle penStyle = PenStyle::Solid;
    MarkerShape marker = MarkerShape::Circle;
    int markerHalfSize = 0;
    QColor fillColor;
    bool inLegend = true;
    int lineWidth = 1;
    // As given; the sizes above are these at the chart's scale.
    int designedHalfSize = 0;
    int designedLineWidth = 1;
    bool plain = false;
    bool band = false;
    bool kept = false;
    QList<qreal> dashes;
    QImage markerImage; // a point series' marker
    // Kept in ascending x; equal x in the order added.
    QList<QPointF> points;
    QXYSeries *series = nullptr; // owned by the chart
};

SeriesKind Series::kind() const { return d->kind; }
QString Series::name() const { return d->name; }
QString Series::title() const { return d->title; }
QColor Series::color() const { return d->color; }
PenStyle Series::penStyle() const { return d->penStyle; }
MarkerShape Series::marker() const { return d->marker; }
int Series::markerHalfSize() const { return d->markerHalfSize; }
QColor Series::fillColor() const { return d->fillColor; }
bool Series::inLegend() const { return d->inLegend; }
int Series::lineWidth() const { return d->lineWidth; }
bool Series::isPlain() const { return d->plain; }
bool Series::isBand() const { return d->band; }
bool Series::isKept() const { return d->kept; }

void Series::setTitle(const QString &title)
{
    d->title = title;
    if (d->series)
        d->series->setName(title);
}

// The plotted points stay until commit() replaces them in one go: emptying
// the plotted series first would make Qt Charts drop and rebuild its point
// items.
void Series::clear()
{
    d->points.clear();
}

void Series::addPoint(double x, double y)
{
    const QPointF point(x, y);
    if (d->points.isEmpty() || d->points.constLast().x() <= x) {
        d->points.append(point);
        return;
    }
    const auto at = std::upper_bound(d->points.begin(), d->points.end(), x,
                                     [](double value, const QPointF &p) { return value < p.x(); });
    d->points.insert(at, point);
}

int Series::count() const
{
    return int(d->points.size());
}

QPointF Series::point(int index) const
{
    return d->points.value(index);
}

const QList<QPointF> &Series::points() const
{
    return d->points;
}

// ---------------------------------------------------------------------------
// Axis

struct Axis::Data {
    QCategoryAxis *axis = nullptr; // owned by the chart
    Qt::Orientation orientation = Qt::Horizontal;
    bool automatic = true;
    double fixedMinimum = 0;
    double fixedMaximum = 1;
    double increment = 0;
    QString picture = QStringLiteral("0.00");
    QString title;
    bool titleShown = true;
    int tickLength = 4;
    int minorTickCount = 0;
    int minorTickLength = 2;
    bool dashedTicks = false;
    int labelSeparation = 10;
    // The plotting area's length along this axis in pixels; 0 until the
    // chart is laid out (labels are then not thinned).
    double extent = 0;

    // A zoomed range, shown instead of the fixed or automatic one.
    bool zoomed = false;
    double zoomMinimum = 0;
    double zoomMaximum = 1;
    // Label gaps grow with the chart's scale.
    double sizeScale = 1;

    // The committed data's extent on this axis.
    bool hasData = false;
    double dataMinimum = 0;
    double dataMaximum = 0;

    // Lays out both axes' labels again (the chart's layOutLabels()).
    std::function<void()> relayout;

    struct Label {
        double value;
        QString text;
    };

    // What is shown.
    double minimum = 0;
    double maximum = 1;
    double step = 1; // between labels
    std::vector<Label> chosen;
    QStringList labels;
    QStringList categories;

    double stepFor(double low, double high) const;
    void computeRange();
    // The least span a zoom shows: room for two labels of the picture.
    double leastZoomSpan(double centre) const;
    std::vector<Label> labelsAt(double labelStep) const;
    QSizeF textSize(const QString &text) const;
    QSizeF labelSize(const QString &text) const;
    double labelLength(const QString &text) const;
    bool keepsSeparation(const std::vector<Label> &candidates) const;
    std::vector<Label> thinnedLabels();
    bool titleFits(double along, double across) const;
    // Whether the visibility changed.
    bool showTitle(bool shown);
    // The range and the labels for it, kept in `chosen`.
    void choose();
    // Hands the range and the chosen labels to Qt Charts.
    void publish();
    void changed() { relayout(); }
};

// The increment where one is set; otherwise (and in a zoom too narrow for
// it) a round step of about a fifth
// of the range, or the next smaller one where that leaves fewer than three
// labels inside the range (a span from the data rarely starts and ends on
// a step). The range must be set.
double Axis::Data::stepFor(double low, double high) const
{
    // A zoomed range keeps the increment only while it leaves enough labels.
    if (increment > 0 && (high - low) / increment <= kMaxLabels
        && (!zoomed || labelsAt(increment).size() >= kFewestLabels))
        return increment;
    const double resolution = pictureResolution(picture);
    const double step = niceStep((high - low) / kTargetIntervals, resolution);
    if (labelsAt(step).size() >= kFewestLabels)
        return step;
    const double smaller = smallerNiceStep(step, resolution);
    return smaller > 0 ? smaller : step;
}

// A fixed axis shows its range; an automatic one runs from the data's
// minimum to its maximum. Only a span too narrow for the picture to put a
// label inside (0.991 .. 0.999 at "0.00") is widened to whole steps.
void Axis::Data::computeRange()
{
    if (zoomed) {
        minimum = zoomMinimum;
        maximum = zoomMaximum;
        step = stepFor(minimum, maximum);
        return;
    }
    if (!automatic) {
        minimum = fixedMinimum;
        maximum = fixedMaximum;
        step = stepFor(minimum, maximum);
        return;
    }
    double low = hasData ? dataMinimum : 0.0;
    double high = hasData ? dataMaximum : 1.0;
    if (low == high) {
        // A single value stands in the middle of a range the picture can
        // label: at least one of its steps on either side.
        const double pad =
            std::max(low == 0 ? 1.0 : std::abs(low) * 0.1, pictureResolution(picture));
        low -= pad;
        high += pad;
    }
    minimum = low;
    maximum = high;
    step = stepFor(low, high);
    if (labelsAt(step).empty()) {
        minimum = std::floor(low / step + 1e-9) * step;
        maximum = std::ceil(high / step - 1e-9) * step;
    }
}

double Axis::Data::leastZoomSpan(double centre) const
{
    const double resolution = pictureResolution(picture);
    if (resolution > 0)
        return 2 * resolution;
    // Exponent pictures write three significant digits.
    return std::max(std::abs(centre) * 0.02, 1e-300);
}

// The multiples of `labelStep` inside the range with their texts.
std::vector<Axis::Data::Label> Axis::Data::labelsAt(double labelStep) const
{
    std::vector<Label> found;
    if (!(maximum > minimum) || !(labelStep > 0))
        return found;
    const double first = std::ceil(minimum / labelStep - 1e-9);
    const double last = std::floor(maximum / labelStep + 1e-9);
    for (double k = first; k <= last && found.size() <= std::size_t(kMaxLabels); ++k) {
        double value = k * labelStep;
        if (std::abs(value) < labelStep * 1e-9)
            value = 0; // no "-0" from rounding noise
        value = std::clamp(value, minimum, maximum);
        found.push_back({value, text::formatPicture(value, picture)});
    }
    return found;
}

// A label's text in the axis' label font: its advance and line height.
QSizeF Axis::Data::textSize(const QString &text) const
{
    const QFontMetricsF metrics(axis->labelsFont());
    return QSizeF(metrics.horizontalAdvance(text), metrics.height());
}

// A label's rectangle as Qt Charts lays it out: the text with the text
// item's margins around it.
QSizeF Axis::Data::labelSize(const QString &text) const
{
    return textSize(text) + QSizeF(kLabelMargins, kLabelMargins);
}

// Its length along the axis, in whole pixels.
double Axis::Data::labelLength(const QString &text) const
{
    const QSizeF size = labelSize(text);
    return std::ceil(orientation == Qt::Horizontal ? size.width() : size.height());
}

// Whether neighbouring labels, each centred on its value, leave at least
// the separation between their rectangles.
bool Axis::Data::keepsSeparation(const std::vector<Label> &candidates) const
{
    const double scale = extent / (maximum - minimum);
    for (std::size_t i = 1; i < candidates.size(); ++i) {
        const double distance = (candidates[i].value - candidates[i - 1].value) * scale;
        const double halves =
            (labelLength(candidates[i].text) + labelLength(candidates[i - 1].text)) / 2;
        if (distance - halves < labelSeparation * sizeScale)
            return false;
    }
    return true;
}

// The labels at the range's step, or at the next larger round step that the
// picture writes, until neighbours keep the separation over the plotting
// area's real length.
std::vector<Axis::Data::Label> Axis::Data::thinnedLabels()
{
    std::vector<Label> shown = labelsAt(step);
    if (extent <= 0)
        return shown;
    const double resolution = pictureResolution(picture);
    while (shown.size() > 1 && !keepsSeparation(shown)) {
        const double wider = niceStep(step * (1 + 1e-6), resolution);
        if (!(wider > step) || !std::isfinite(wider))
            break;
        std::vector<Label> fewer = labelsAt(wider);
        if (fewer.empty()) {
            // No multiple of the larger step falls inside: one label of the
            // last step is all the axis has room for.
            shown.resize(1);
            break;
        }
        step = wider;
        shown = std::move(fewer);
    }
    return shown;
}

// Whether the title stands whole in `along` pixels of the plotting area's
// length and, beside the chosen labels, in the `across` pixels the axis has
// from the plotting area to the chart's margin. Texts are measured as Qt
// Charts lays them out, with the text items' margins.
bool Axis::Data::titleFits(double along, double across) const
{
    if (title.isEmpty())
        return true;
    const QFontMetricsF metrics(axis->titleFont());
    if (std::ceil(metrics.horizontalAdvance(title)) + kLabelMargins > along)
        return false;
    double labelsDepth = 0;
    for (const Label &label : chosen) {
        const QSizeF size = labelSize(label.text);
        labelsDepth =
            std::max(labelsDepth, orientation == Qt::Vertical ? size.width() : size.height());
    }
    const double titleDepth = metrics.height() + kLabelMargins + 2 * kTitlePadding;
    return labelsDepth + kLabelPadding + titleDepth <= across;
}

bool Axis::Data::showTitle(bool shown)
{
    if (titleShown == shown)
        return false;
    titleShown = shown;
    axis->setTitleVisible(shown);
    return true;
}

void Axis::Data::choose()
{
    computeRange();
    chosen = thinnedLabels();
}

void Axis::Data::publish()
{
    QStringList shown;
    QStringList unique;
    QSet<QString> used;
    for (const Label &label : chosen) {
        // The category axis needs distinct labels: repeated texts get
        // invisible suffixes.
        QString key = label.text;
        while (used.contains(key))
            key += kZeroWidthSpace;
        used.insert(key);
        shown.append(label.text);
        unique.append(key);
    }
    axis->setRange(minimum, maximum);
    if (unique == categories)
        return;
    for (const QString &old : std::as_const(categories))
        axis->remove(old);
    axis->setStartValue(minimum);
    for (std::size_t i = 0; i < chosen.size(); ++i)
        axis->append(unique.at(qsizetype(i)), chosen[i].value);
    labels = shown;
    categories = unique;
}

void Axis::setAutomatic()
{
    d->automatic = true;
    d->changed();
}

void Axis::setFixedRange(double minimum, double maximum)
{
    d->automatic = false;
    d->fixedMinimum = minimum;
    d->fixedMaximum = maximum;
    d->changed();
}

bool Axis::isAutomatic() const { return d->automatic; }

void Axis::setIncrement(double increment)
{
    d->increment = increment;
    d->changed();
}

double Axis::increment() const { return d->increment; }

void Axis::setLabelPicture(const QString &picture)
{
    d->picture = picture;
    d->changed();
}

QString Axis::labelPicture() const { return d->picture; }

void Axis::setTitle(const QString &title)
{
    d->title = title;
    d->axis->setTitleText(title);
}

QString Axis::title() const { return d->title; }

bool Axis::titleShown() const { return d->titleShown; }

// Qt Charts draws ticks of its own fixed length in the axis pen; the category
// axis draws no minor ticks. The settings are kept for whoever reads them.
void Axis::setTickLength(int length) { d->tickLength = length; }

void Axis::setMinorTicks(int count, int length)
{
    d->minorTickCount = count;
    d->minorTickLength = length;
}

void Axis::setDashedTicks(bool dashed) { d->dashedTicks = dashed; }

void Axis::setLabelSeparation(int pixels)
{
    d->labelSeparation = std::max(pixels, 0);
    d->changed();
}

int Axis::labelSeparation() const { return d->labelSeparation; }

double Axis::minimum() const { return d->minimum; }
double Axis::maximum() const { return d->maximum; }
QStringList Axis::labels() const { return d->labels; }

// ---------------------------------------------------------------------------
// Chart

struct Chart::Private {
    QChart *chart = nullptr;
    QChartView *view = nullptr;
    std::vector<std::unique_ptr<Series>> series;
    std::unique_ptr<Axis> bottom;
    std::unique_ptr<Axis> left;
    QString hiddenTitle;
    QColor leftWallColor;
    int legendSampleWidth = 25;
    bool crossHair = false;
    PlotLayerItem *plainLines = nullptr; // a child of the chart, made with the first plain series
    PlotLayerItem *markers = nullptr;    // a child of the chart, made with the first point series
    bool layingOut = false;
    bool layOutAgain = false;
    QSizeF titlesSize; // the chart size the titles' visibility was decided for
    QSizeF legendSize; // the chart size the legend's place was decided for
    bool legendMoved = false; // moved from the top to the right by fitLegend()
    // Its entries' texts and fonts as they were before fitLegend() broke
    // them onto two lines and made them smaller.
    struct Entry {
        QPointer<QLegendMarker> marker;
        QString label;
        QFont font;
    };
    QList<Entry> unfitted;
    // Wrapped by wrapLegend(): detached across the top, its rows kept clear
    // by the chart's top margin.
    bool legendWrapped = false;
    Qt::Alignment legendHome = Qt::AlignTop;
    bool keepZoomOnRun = false;
    double scale = 1;
};

namespace {

QCategoryAxis *newAxis()
{
    auto *axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    // Label pictures are short and exact: never elide them ("10000...").
    axis->setTruncateLabels(false);
    axis->setGridLineVisible(false);
    axis->setMinorGridLineVisible(false);
    axis->setLinePen(QPen(Qt::black, 1));
    axis->setLabelsBrush(Qt::black);
    axis->setTitleBrush(Qt::black);
    return axis;
}

} // namespace

Chart::Chart(QWidget *parent) : QWidget(parent), d(new Private)
{
    d->chart = new QChart;
    d->chart->setBackgroundRoundness(0);
    d->chart->setMargins(QMargins(4, kTopMargin, kRightMargin, 4));
    d->chart->legend()->setAlignment(Qt::AlignTop);
    d->chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    d->chart->setPlotAreaBackgroundVisible(true);
    d->chart->setPlotAreaBackgroundBrush(Qt::white);

    d->view = new QChartView(d->chart, this); // the view owns the chart
    d->view->setFrameShape(QFrame::NoFrame);
    d->view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    d->view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    d->view->viewport()->setMouseTracking(true);
    d->view->viewport()->installEventFilter(this);
    // The rubber band is Qt Charts'; the zoom it asks for is the adapter's
    // (zoomEvent), so that the axes keep their label logic.
    d->view->setRubberBand(QChartView::RectangleRubberBand);
    d->view->installEventFilter(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(d->view);

    for (auto [slot, alignment] : {std::pair{&d->bottom, Qt::AlignBottom},
                                   std::pair{&d->left, Qt::AlignLeft}}) {
        slot->reset(new Axis);
        (*slot)->d = new Axis::Data;
        (*slot)->d->axis = newAxis();
        (*slot)->d->orientation = alignment == Qt::AlignBottom ? Qt::Horizontal : Qt::Vertical;
        (*slot)->d->relayout = [this] { layOutLabels(); };
        d->chart->addAxis((*slot)->d->axis, alignment);
    }
    applyFont();
    // Every new plotting area (a resize, a new layout) thins the labels
    // afresh for the room there is.
    connect(d->chart, &QChart::plotAreaChanged, this,
            guardedSlot([this](const QRectF &area) { fitLabelsToPlotArea(area); }));
    connect(d->chart, &QChart::plotAreaChanged, this, [this] { updateLayers(); });
}

Chart::~Chart()
{
    // The Qt Charts objects go with the view; the adapter's own data here.
    // Nothing of the chart may reach the adapter once its data is gone.
    disconnect(d->chart, nullptr, this, nullptr);
    for (auto &series : d->series)
        delete series->d;
    delete d->bottom->d;
    delete d->left->d;
    delete d;
}

// Puts a Qt Charts series (if any) into the chart on both axes and wraps it.
Series *Chart::adoptSeries(QXYSeries *qseries, SeriesKind kind, const QString &name,
                           const QString &title, const QColor &color, bool inLegend)
{
    if (qseries) {
        qseries->setObjectName(name);
        qseries->setName(title);
        d->chart->addSeries(qseries);
        qseries->attachAxis(d->bottom->d->axis);
        qseries->attachAxis(d->left->d->axis);
    }
    auto *series = new Series;
    series->d = new Series::Data;
    series->d->kind = kind;
    series->d->name = name;
    series->d->title = title;
    series->d->color = color;
    series->d->inLegend = inLegend;
    series->d->series = qseries;
    d->series.emplace_back(series);
    applyLegendFlags();
    return series;
}

Series *Chart::addLineSeries(const QString &name, const QString &title, const QColor &color,
                             PenStyle style, bool inLegend, int width)
{
    auto *line = new QLineSeries;
    line->setPen(QPen(color, width, qtPenStyle(style)));
    Series *series = adoptSeries(line, SeriesKind::Line, name, title, color, inLegend);
    series->d->penStyle = style;
    series->d->lineWidth = width;
    series->d->designedLineWidth = width;
    if (d->scale != 1)
        applyScale();
    return series;
}

Series *Chart::addPlainLineSeries(const QString &name, const QString &title,
                                  const QColor &color, bool inLegend)
{
    // Only a legend entry needs a Qt Charts series.
    Series *series = inLegend ? addLineSeries(name, title, color, PenStyle::Solid)
                              : adoptSeries(nullptr, SeriesKind::Line, name, title, color, false);
    series->d->plain = true;
    if (!d->plainLines) {
        d->plainLines = new PlotLayerItem(d->chart, kPlainLinesZ, [this](QPainter *painter) {
            paintPlainLines(painter);
        });
        updateLayers();
    }
    return series;
}

Series *Chart::addBandSeries(const QString &name, const QString &title, const QColor &color,
                             bool inLegend)
{
    constexpr int kLegendWidth = 8;
    Series *series = addPlainLineSeries(name, title, color, false);
    if (inLegend) {
        // The legend's entry: an empty Qt Charts line, thick, of the colour.
        auto *line = new QLineSeries;
        line->setPen(QPen(color, kLegendWidth));
        line->setObjectName(name);
        line->setName(title);
        d->chart->addSeries(line);
        line->attachAxis(d->bottom->d->axis);
        line->attachAxis(d->left->d->axis);
        series->d->series = line;
        series->d->inLegend = true;
        applyLegendFlags();
    }
    series->d->band = true;
    return series;
}

void Chart::updateLayers()
{
    const QRectF area = d->chart->plotArea();
    // A zoomed plot cuts what lies beyond it, as Qt Charts cuts its series.
    const bool zoomed = isZoomed();
    if (d->plainLines)
        d->plainLines->setArea(area, zoomed ? 0 : kPlainLinesMargin);
    if (d->markers) {
        // Room for the largest marker centred on the area's edge.
        int half = 0;
        for (const auto &series : d->series) {
            if (series->d->kind == SeriesKind::Points)
                half = std::max(half, series->d->markerHalfSize);
        }
        d->markers->setArea(area, zoomed ? 0 : half + 1);
    }
}

namespace {

// Axis values to chart pixels, linearly onto the plotting area, as Qt Charts
// maps its own series.
struct PlotMap {
    QRectF area;
    double xMinimum, yMinimum, xScale, yScale;

    QPointF operator()(QPointF value) const
    {
        return {area.left() + (value.x() - xMinimum) * xScale,
                area.bottom() - (value.y() - yMinimum) * yScale};
    }
};

// None while the plotting area or an axis range is empty.
std::optional<PlotMap> plotMapOf(const QRectF &area, double xMinimum, double xMaximum,
                                        double yMinimum, double yMaximum)
{
    const double xSpan = xMaximum - xMinimum;
    const double ySpan = yMaximum - yMinimum;
    if (area.isEmpty() || !(xSpan > 0) || !(ySpan > 0))
        return std::nullopt;
    return PlotMap{area, xMinimum, yMinimum, area.width() / xSpan, area.height() / ySpan};
}

} // namespace

// Every point series' markers, in the order the series were added, centred
// on their points, mapped as paintPlainLines() maps.
void Chart::paintMarkers(QPainter *painter) const
{
    const auto map = plotMapOf(d->chart->plotArea(), d->bottom->d->minimum,
                               d->bottom->d->maximum, d->left->d->minimum, d->left->d->maximum);
    if (!map)
        return;
    for (const auto &series : d->series) {
        const Series::Data *data = series->d;
        if (data->kind != SeriesKind::Points)
            continue;
        const QSizeF size = data->markerImage.size();
        const QPointF centre(size.width() / 2, size.height() / 2);
        for (const QPointF &point : data->series->points())
            painter->drawImage(QRectF((*map)(point) - centre, size), data->markerImage);
    }
}

// Each plain series with two points or more as one polyline, the kept
// lines of earlier runs first (under everything), then the others, each in
// the order the series were added, mapped linearly from the axes' ranges
// onto the plotting area as Qt Charts maps its own.
void Chart::paintPlainLines(QPainter *painter) const
{
    const auto map = plotMapOf(d->chart->plotArea(), d->bottom->d->minimum,
                               d->bottom->d->maximum, d->left->d->minimum, d->left->d->maximum);
    if (!map)
        return;
    // Bands first, each between its lower points (even places) forward and
    // its upper points (odd places) back.
    for (const auto &series : d->series) {
        const QList<QPointF> &points = series->d->points;
        if (!series->d->band || points.size() < 4)
            continue;
        const qsizetype pairs = points.size() / 2;
        QPolygonF band(2 * pairs);
        for (qsizetype i = 0; i < pairs; ++i) {
            band[i] = (*map)(points[2 * i]);
            band[2 * pairs - 1 - i] = (*map)(points[2 * i + 1]);
        }
        painter->setPen(Qt::NoPen);
        painter->setBrush(series->d->color);
        painter->drawPolygon(band);
    }
    painter->setBrush(Qt::NoBrush);
    QPolygonF line;
    for (const bool kept : {true, false}) {
        for (const auto &series : d->series) {
            const QList<QPointF> &points = series->d->points;
            if (!series->d->plain || series->d->band || series->d->kept != kept
                || points.size() < 2)
                continue;
            line.resize(points.size());
            for (qsizetype i = 0; i < points.size(); ++i)
                line[i] = (*map)(points[i]);
            painter->setPen(linePen(*series->d));
            painter->setRenderHint(QPainter::Antialiasing, kept);
            painter->drawPolyline(line);
        }
    }
    painter->setRenderHint(QPainter::Antialiasing, false);
}

// A kept line: the run's colour, thinner than the current run's one-pixel
// lines (drawn smoothed), in its dash pattern.
QPen Chart::linePen(const Series::Data &data) const
{
    if (!data.kept)
        return QPen(data.color, std::max(1, qRound(d->scale)));
    QPen pen(data.color, kKeptLineWidth * d->scale);
    pen.setDashPattern(data.dashes);
    return pen;
}

Series *Chart::addKeptLineSeries(const QString &name, const QColor &color,
                                 const QList<qreal> &dashes)
{
    Series *series = addPlainLineSeries(name, QString(), color, false);
    series->d->kept = true;
    series->d->dashes = dashes;
    return series;
}

Series *Chart::addLegendEntry(const QString &name, const QString &title, const QColor &color,
                              const QList<qreal> &dashes)
{
    Series *series = addLineSeries(name, title, color, PenStyle::Dashed);
    QPen pen(color, 1);
    pen.setDashPattern(dashes);
    series->d->series->setPen(pen);
    series->d->dashes = dashes;
    return series;
}

void Chart::removeSeries(Series *series)
{
    const auto at = std::find_if(d->series.begin(), d->series.end(),
                                 [series](const auto &s) { return s.get() == series; });
    if (at == d->series.end())
        return;
    if (QXYSeries *qseries = series->d->series) {
        d->chart->removeSeries(qseries);
        delete qseries;
    }
    delete series->d;
    d->series.erase(at);
    if (d->plainLines)
        d->plainLines->update();
}

Series *Chart::addPointSeries(const QString &name, const QString &title, const QColor &color,
                              MarkerShape shape, int halfSize, const QColor &fillColor,
                              bool inLegend)
{
    auto *points = new QScatterSeries;
    points->setMarkerShape(shape == MarkerShape::Diamond
                               ? QScatterSeries::MarkerShapeRotatedRectangle
                               : QScatterSeries::MarkerShapeCircle);
    points->setMarkerSize(2 * halfSize + 1);
    points->setColor(fillColor);
    points->setBorderColor(color);
    points->setPen(QPen(color, 1));
    // Markers drawn from one image, not one graphics item per point: a
    // thousand items cost tens of milliseconds per repaint.
    const QImage image = markerImage(shape, halfSize, color, fillColor);
    points->setLightMarker(image);
    // Qt Charts clips its markers to the plotting area, cutting those on its
    // edge: the series stands in the legend while the adapter draws its
    // markers whole, above the plot.
    points->setOpacity(0);
    Series *series = adoptSeries(points, SeriesKind::Points, name, title, color, inLegend);
    series->d->markerImage = image;
    series->d->marker = shape;
    series->d->markerHalfSize = halfSize;
    series->d->designedHalfSize = halfSize;
    series->d->fillColor = fillColor;
    if (!d->markers) {
        d->markers = new PlotLayerItem(d->chart, kMarkersZ, [this](QPainter *painter) {
            paintMarkers(painter);
        });
    }
    if (d->scale != 1)
        applyScale();
    updateLayers();
    return series;
}

// Legend markers are made per series; hide those of series kept out.
void Chart::applyLegendFlags()
{
    for (const auto &series : d->series) {
        if (!series->d->series)
            continue;
        for (QLegendMarker *marker : d->chart->legend()->markers(series->d->series))
            marker->setVisible(series->d->inLegend);
    }
}

int Chart::seriesCount() const
{
    return int(d->series.size());
}

Series *Chart::series(int index) const
{
    if (index < 0 || index >= seriesCount())
        return nullptr;
    return d->series[std::size_t(index)].get();
}

Series *Chart::seriesByName(const QString &name) const
{
    for (const auto &series : d->series) {
        if (series->d->name == name)
            return series.get();
    }
    return nullptr;
}

Axis *Chart::bottomAxis() const { return d->bottom.get(); }
Axis *Chart::leftAxis() const { return d->left.get(); }

void Chart::setBackColor(const QColor &color)
{
    d->chart->setPlotAreaBackgroundBrush(color);
}

// A flat chart shows no walls but the back one (the plotting area); the left
// wall's colour is kept only.
void Chart::setLeftWallColor(const QColor &color)
{
    d->leftWallColor = color;
}

void Chart::setPanelColor(const QColor &color)
{
    d->chart->setBackgroundBrush(color);
    d->view->setBackgroundBrush(color);
}

// Qt Charts sizes its legend samples from the font; the width is kept only.
void Chart::setLegendSampleWidth(int width) { d->legendSampleWidth = width; }
int Chart::legendSampleWidth() const { return d->legendSampleWidth; }

void Chart::setHiddenTitle(const QString &title) { d->hiddenTitle = title; }
QString Chart::hiddenTitle() const { return d->hiddenTitle; }

void Chart::setCrossHairCursor(bool on)
{
    d->crossHair = on;
    d->view->viewport()->setCursor(on ? Qt::CrossCursor : Qt::ArrowCursor);
}

bool Chart::crossHairCursor() const { return d->crossHair; }

// The axes take their ranges before the series their points. A range change
// makes Qt Charts map every plotted point again, so where a range changes the
// line series are emptied first and their new points are mapped only once
// (point series keep theirs: emptying them rebuilds their marker items,
// which costs more than the mapping).
void Chart::commit()
{
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    bool any = false;
    for (const auto &series : d->series) {
        for (const QPointF &p : std::as_const(series->d->points)) {
            if (!any) {
                xMin = xMax = p.x();
                yMin = yMax = p.y();
                any = true;
                continue;
            }
            xMin = std::min(xMin, p.x());
            xMax = std::max(xMax, p.x());
            yMin = std::min(yMin, p.y());
            yMax = std::max(yMax, p.y());
        }
    }
    bool rangeChanges = false;
    for (auto [axis, low, high] : {std::tuple{d->bottom.get(), xMin, xMax},
                                   std::tuple{d->left.get(), yMin, yMax}}) {
        Axis::Data *data = axis->d;
        data->hasData = any;
        data->dataMinimum = low;
        data->dataMaximum = high;
        const double minimum = data->minimum;
        const double maximum = data->maximum;
        data->computeRange();
        rangeChanges = rangeChanges || data->minimum != minimum || data->maximum != maximum;
    }
    // A plain series' Qt Charts series, if it has one, stays empty.
    if (rangeChanges) {
        for (const auto &series : d->series) {
            if (series->d->kind == SeriesKind::Line && !series->d->plain)
                series->d->series->clear();
        }
    }
    const QStringList bottomLabels = d->bottom->d->labels;
    const QStringList leftLabels = d->left->d->labels;
    layOutLabels();
    // New labels may leave room for a title left out before: the layout
    // they bring decides again. The same labels leave the decision made for
    // this size standing (trying a title that cannot fit again lays the
    // chart out twice, each time mapping and outlining every line anew).
    if (d->bottom->d->labels != bottomLabels || d->left->d->labels != leftLabels)
        d->titlesSize = QSizeF();
    for (const auto &series : d->series) {
        if (!series->d->plain)
            series->d->series->replace(series->d->points);
    }
    updateLayers();
}

// Whether Qt Charts cut a legend entry's text short ("stable equilibri...")
// or left it out.
bool Chart::legendElided() const
{
    QList<QGraphicsItem *> items = d->chart->legend()->childItems();
    while (!items.isEmpty()) {
        QGraphicsItem *item = items.takeLast();
        items << item->childItems();
        if (item->type() != QGraphicsTextItem::Type || !item->isVisible())
            continue;
        const QString text = static_cast<QGraphicsTextItem *>(item)->toPlainText();
        // With no room even for "x..." the text is left out altogether.
        if (text.isEmpty() || text.endsWith(QStringLiteral("..."))
            || text.endsWith(QChar(0x2026)))
            return true;
    }
    return false;
}

namespace {

// The smallest text a legend is made to fit with.
constexpr int kLegendLeastPixels = 8;

// The legend text on two lines, broken at the blank or after the hyphen that
// makes the longer line shortest; unchanged when it has no such place or is
// on two lines already.
QString brokenInTwo(const QString &text)
{
    const QString lineBreak = QStringLiteral("<br>");
    if (text.contains(lineBreak))
        return text;
    qsizetype best = -1;
    qsizetype bestLonger = text.size();
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char(' ') && c != QLatin1Char('-'))
            continue;
        const qsizetype first = c == QLatin1Char(' ') ? i : i + 1;
        const qsizetype longer = std::max(first, text.size() - i - 1);
        if (i > 0 && longer < bestLonger) {
            best = i;
            bestLonger = longer;
        }
    }
    if (best < 0)
        return text;
    QString broken = text;
    if (broken.at(best) == QLatin1Char(' '))
        broken.replace(best, 1, lineBreak);
    else
        broken.insert(best + 1, lineBreak);
    return broken;
}

} // namespace

// A legend at the top puts its entries in one row and cuts their texts short
// when the row is wider than the chart: it then moves to the right of the
// plot, where the entries stand one below the other; where Qt Charts still
// cuts them there (it gives a side legend at most 40 % of the chart), each
// text goes on two lines, and then, in a chart smaller than the window was
// designed for, the texts get smaller a pixel at a time (down to
// kLegendLeastPixels); failing that, the entries stand in rows across the
// top (wrapLegend). A legend the window placed beside the plot starts
// there. A new chart size tries the window's place again, with the texts as
// they were.
void Chart::fitLegend()
{
    QLegend *legend = d->chart->legend();
    const QSizeF size = d->chart->size();
    if (size != d->legendSize) {
        d->legendSize = size;
        for (const Private::Entry &entry : std::as_const(d->unfitted)) {
            if (entry.marker) {
                entry.marker->setLabel(entry.label);
                entry.marker->setFont(entry.font);
            }
        }
        d->unfitted.clear();
        if (d->legendWrapped || d->legendMoved) {
            unwrapLegend();
            d->legendMoved = false;
            legend->setAlignment(d->legendHome);
            return; // the layout that follows decides
        }
    }
    // Where the window placed the legend: at the top, or beside the plot.
    if (!d->legendMoved && !d->legendWrapped)
        d->legendHome = legend->alignment();
    if (d->legendWrapped || !legendElided())
        return;
    if (legend->alignment() == Qt::AlignTop) {
        d->legendMoved = true;
        legend->setAlignment(Qt::AlignRight);
        return;
    }
    if (legend->alignment() != Qt::AlignRight)
        return;
    if (d->unfitted.isEmpty()) {
        for (QLegendMarker *marker : legend->markers()) {
            d->unfitted.append({marker, marker->label(), marker->font()});
            marker->setLabel(brokenInTwo(marker->label()));
        }
    } else {
        bool smaller = false;
        for (const Private::Entry &entry : std::as_const(d->unfitted)) {
            QFont font = entry.marker ? entry.marker->font() : QFont();
            const int pixels = QFontInfo(font).pixelSize();
            if (!entry.marker || pixels <= qRound(kLegendLeastPixels * d->scale))
                continue;
            font.setPixelSize(pixels - 1);
            entry.marker->setFont(font);
            smaller = true;
        }
        if (!smaller) {
            wrapLegend();
            return;
        }
    }
    // A new text or font alone does not lay the entries out again.
    legend->setAlignment(Qt::AlignLeft);
    legend->setAlignment(Qt::AlignRight);
}

// The last resort of a chart too narrow for its legend beside the plot: the
// entries, each on one line in its own font, stand in rows across the top
// (a detached Qt Charts legend wraps them in its given width), and the
// chart's top margin keeps those rows clear of the plot.
void Chart::wrapLegend()
{
    QLegend *legend = d->chart->legend();
    for (const Private::Entry &entry : std::as_const(d->unfitted)) {
        if (entry.marker) {
            entry.marker->setLabel(entry.label);
            entry.marker->setFont(entry.font);
        }
    }
    d->unfitted.clear();
    d->legendMoved = false;
    d->legendWrapped = true;
    legend->setAlignment(Qt::AlignTop);
    legend->detachFromChart();
    const QMargins margins = d->chart->margins();
    const QSizeF size = d->chart->size();
    const QRectF across(margins.left(), margins.top(),
                        size.width() - margins.left() - margins.right(), size.height() / 2);
    legend->setGeometry(across);
    legend->layout()->setGeometry(QRectF(QPointF(0, 0), across.size()));
    // The rows the entries took.
    QRectF rows;
    for (QGraphicsItem *child : legend->childItems()) {
        if (child->isVisible())
            rows |= child->mapRectToParent(child->childrenBoundingRect());
    }
    const double height = std::ceil(std::max(rows.bottom(), 0.0)) + kLabelPadding;
    legend->setGeometry(QRectF(across.topLeft(), QSizeF(across.width(), height)));
    legend->layout()->setGeometry(QRectF(QPointF(0, 0), legend->size()));
    d->chart->setMargins(margins + QMargins(0, int(height), 0, 0));
}

void Chart::unwrapLegend()
{
    if (!d->legendWrapped)
        return;
    d->legendWrapped = false;
    const QMargins margins = d->chart->margins();
    d->chart->setMargins(QMargins(margins.left(), edgeMargin(), margins.right(), margins.bottom()));
    d->chart->legend()->attachToChart();
}

// Both axes at once: the corner where they meet needs both. A change that
// arrives while the labels are being handed over lays them out once more
// afterwards.
void Chart::layOutLabels()
{
    if (d->layingOut) {
        d->layOutAgain = true;
        return;
    }
    const QScopedValueRollback<bool> busy(d->layingOut, true);
    Axis::Data *bottom = d->bottom->d;
    Axis::Data *left = d->left->d;
    do {
        d->layOutAgain = false;
        bottom->choose();
        left->choose();
        if (cornerLabelsClash() && !left->chosen.empty())
            left->chosen.erase(left->chosen.begin());
        bottom->publish();
        left->publish();
        fitRightMargin();
    } while (d->layOutAgain);
}

// Qt Charts sets axis labels off the plotting area by a fixed padding: the
// bottom labels' texts start 5 pixels below it, the left labels' texts end 5
// pixels left of it. The bottom axis' first label, centred on its value,
// reaches left of the plotting area when it stands near the left end; the
// left axis' lowest label reaches below it when it stands near the bottom.
// Whether the two texts would meet (within a pixel, for Qt's rounding of
// label positions).
bool Chart::cornerLabelsClash() const
{
    constexpr double kBottomTextsTop = 5;
    constexpr double kLeftTextsRight = -5;
    constexpr double kRounding = 1;
    const Axis::Data *bottom = d->bottom->d;
    const Axis::Data *left = d->left->d;
    if (bottom->chosen.empty() || left->chosen.empty() || bottom->extent <= 0
        || left->extent <= 0)
        return false;
    const Axis::Data::Label &first = bottom->chosen.front();
    const double x = (first.value - bottom->minimum) * bottom->extent
                     / (bottom->maximum - bottom->minimum);
    const double reachLeft = x - bottom->textSize(first.text).width() / 2;
    const Axis::Data::Label &lowest = left->chosen.front();
    const double y = (lowest.value - left->minimum) * left->extent / (left->maximum - left->minimum);
    const double reachDown = left->textSize(lowest.text).height() / 2 - y;
    return reachLeft < kLeftTextsRight + kRounding && reachDown > kBottomTextsTop - kRounding;
}

// The chart's texts are written in the widget's font (the window's), titles
// in its bold face.
void Chart::applyFont()
{
    QFont bold = font();
    bold.setBold(true);
    for (Axis *axis : {d->bottom.get(), d->left.get()}) {
        axis->d->axis->setLabelsFont(font());
        axis->d->axis->setTitleFont(bold);
    }
    // The legend is fitted anew in the new font, from its texts as given.
    for (const Private::Entry &entry : std::as_const(d->unfitted)) {
        if (entry.marker)
            entry.marker->setLabel(entry.label);
    }
    d->unfitted.clear();
    d->legendSize = QSizeF();
    d->chart->legend()->setFont(font());
    layOutLabels();
}

void Chart::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        guarded([this] { applyFont(); });
}

void Chart::fitLabelsToPlotArea(const QRectF &area)
{
    fitTitles(area);
    Axis::Data *bottom = d->bottom->d;
    Axis::Data *left = d->left->d;
    if (bottom->extent == area.width() && left->extent == area.height())
        return;
    bottom->extent = area.width();
    left->extent = area.height();
    layOutLabels();
}

// An axis title without room to stand whole is left out: Qt Charts would
// cut it short ("genotype fre...") or, where it gives the axis less room
// than the labels and the title need side by side, draw the labels over it.
// The tab and the readouts still name the quantity. At a new chart size
// both titles are tried again; at one size titles are only ever left out,
// so that the layout settles.
void Chart::fitTitles(const QRectF &area)
{
    Axis::Data *bottom = d->bottom->d;
    Axis::Data *left = d->left->d;
    const QSizeF size = d->chart->size();
    if (size != d->titlesSize) {
        d->titlesSize = size;
        const bool bottomChanged = bottom->showTitle(true);
        if (left->showTitle(true) || bottomChanged)
            return; // the layout that follows decides
    }
    if (area.isEmpty())
        return; // not laid out yet
    const QRectF content = QRectF(QPointF(0, 0), size).marginsRemoved(d->chart->margins());
    if (left->titleShown && !left->titleFits(area.height(), area.left() - content.left()))
        left->showTitle(false);
    if (bottom->titleShown && !bottom->titleFits(area.width(), content.bottom() - area.bottom()))
        bottom->showTitle(false);
}

// A bottom label stands centred on its value, so one at the axis' right end
// reaches half its width beyond the plotting area; the chart's right margin
// leaves room for the text that stands there (the maximum's), so that no
// label is cut off by the chart's edge. The margin does not follow the
// labels actually chosen: they are chosen for the plotting area, which the
// margin sizes.
void Chart::fitRightMargin()
{
    const Axis::Data *bottom = d->bottom->d;
    const QFontMetrics metrics(bottom->axis->labelsFont());
    const int widest =
        metrics.horizontalAdvance(text::formatPicture(bottom->maximum, bottom->picture));
    QMargins margins = d->chart->margins();
    margins.setRight(std::max(kRightMargin, widest / 2 + 2));
    if (margins != d->chart->margins())
        d->chart->setMargins(margins);
}

QRect Chart::plotRect() const
{
    const QRectF area = d->chart->plotArea();
    if (area.isEmpty())
        return QRect();
    const QRectF scene = d->chart->mapRectToScene(area);
    const QRectF inView = d->view->viewportTransform().mapRect(scene);
    const QPoint offset = d->view->viewport()->mapTo(this, QPoint(0, 0));
    const QRectF here = inView.translated(offset);
    const QPoint topLeft(qRound(here.left()), qRound(here.top()));
    const QPoint bottomRight(qRound(here.right()) - 1, qRound(here.bottom()) - 1);
    return QRect(topLeft, bottomRight);
}

double Chart::bottomValueAt(int x) const
{
    const QRect plot = plotRect();
    if (plot.width() <= 0)
        return 0;
    const Axis::Data *axis = d->bottom->d;
    return axis->minimum + double(x - plot.left()) * (axis->maximum - axis->minimum) / plot.width();
}

double Chart::leftValueAt(int y) const
{
    const QRect plot = plotRect();
    if (plot.height() <= 0)
        return 0;
    const Axis::Data *axis = d->left->d;
    const int bottom = plot.top() + plot.height();
    return axis->minimum + double(bottom - y) * (axis->maximum - axis->minimum) / plot.height();
}

namespace {

// Qt Charts lays out in posted events; the new plotting area may thin the
// labels or leave out a title, which lays out once more.
void settleLayout()
{
    constexpr int kPasses = 4;
    for (int pass = 0; pass < kPasses; ++pass)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

} // namespace

// The view sizes the chart only when the view itself is resized, so the
// chart keeps the page's size until it is given its own back.
void Chart::paintInto(QPainter &painter, const QRectF &target)
{
    const QSizeF shown = d->chart->size();
    d->chart->resize(target.size());
    settleLayout();
    d->chart->scene()->render(&painter, target, d->chart->sceneBoundingRect(),
                              Qt::IgnoreAspectRatio);
    d->chart->resize(shown);
    settleLayout();
}

// ---------------------------------------------------------------------------
// Zoom

namespace {

// Steps of the wheel: a notch shows 80 % of the span around the pointer.
constexpr double kWheelFactor = 0.8;
constexpr double kNotch = 120;
// A rubber band smaller than this (a click) zooms nowhere.
constexpr int kLeastBand = 4;

} // namespace

void Chart::zoomTo(const QRectF &values)
{
    const QRectF range = values.normalized();
    for (auto [axis, low, high] : {std::tuple{d->bottom.get(), range.left(), range.right()},
                                   std::tuple{d->left.get(), range.top(), range.bottom()}}) {
        Axis::Data *data = axis->d;
        const double centre = (low + high) / 2;
        const double least = data->leastZoomSpan(centre);
        if (!(high - low >= least)) {
            low = centre - least / 2;
            high = centre + least / 2;
        }
        data->zoomed = true;
        data->zoomMinimum = low;
        data->zoomMaximum = high;
    }
    // New labels may leave room for a title left out before.
    d->titlesSize = QSizeF();
    layOutLabels();
    updateLayers();
    emit zoomChanged();
}

void Chart::resetZoom()
{
    if (!isZoomed())
        return;
    d->bottom->d->zoomed = false;
    d->left->d->zoomed = false;
    d->titlesSize = QSizeF();
    layOutLabels();
    updateLayers();
    emit zoomChanged();
}

bool Chart::isZoomed() const
{
    return d->bottom->d->zoomed || d->left->d->zoomed;
}

// Each axis' span shrinks or grows by `factor` around the value under the
// pointer, never beyond the axis' own range.
void Chart::zoomAround(const QPoint &pos, double factor)
{
    if (!plotRect().contains(pos) || !(factor > 0))
        return;
    const QPointF at(bottomValueAt(pos.x()), leftValueAt(pos.y()));
    QRectF range;
    bool whole = true;
    for (Axis *axis : {d->bottom.get(), d->left.get()}) {
        Axis::Data *data = axis->d;
        const double value = axis == d->bottom.get() ? at.x() : at.y();
        double low = value - (value - data->minimum) * factor;
        double high = value + (data->maximum - value) * factor;
        // The axis' own range, as it stands unzoomed.
        const bool zoomed = data->zoomed;
        data->zoomed = false;
        data->computeRange();
        data->zoomed = zoomed;
        const double ownLow = data->minimum;
        const double ownHigh = data->maximum;
        if (high - low >= ownHigh - ownLow) {
            low = ownLow;
            high = ownHigh;
        } else {
            whole = false;
            const double shift = std::max(ownLow - low, 0.0) - std::max(high - ownHigh, 0.0);
            low += shift;
            high += shift;
        }
        if (axis == d->bottom.get()) {
            range.setLeft(low);
            range.setRight(high);
        } else {
            range.setTop(low);
            range.setBottom(high);
        }
    }
    if (whole)
        resetZoom();
    else
        zoomTo(range);
}

// The rubber band Qt Charts drew, in the viewport's pixels, as axis values.
// Whether there was one.
bool Chart::zoomToRubberBand()
{
    auto *band = d->view->findChild<QRubberBand *>();
    if (!band || !band->isVisible())
        return false;
    band->hide();
    QWidget *viewport = d->view->viewport();
    const QRect drawn(viewport->mapFromGlobal(band->mapToGlobal(QPoint(0, 0))), band->size());
    if (drawn.width() < kLeastBand || drawn.height() < kLeastBand)
        return true;
    const QRect here = drawn.translated(viewport->mapTo(this, QPoint(0, 0)));
    zoomTo(QRectF(QPointF(bottomValueAt(here.left()), leftValueAt(here.bottom() + 1)),
                  QPointF(bottomValueAt(here.right() + 1), leftValueAt(here.top())))
               .normalized());
    return true;
}

// Whether `event` (to the viewport or the view) zoomed: the rubber band let
// go, a wheel turned over the plot, a double-click or Esc back. A right
// button let go would make Qt Charts zoom out by itself: it is held back.
bool Chart::zoomEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        return mouse->button() == Qt::RightButton
               || (mouse->button() == Qt::LeftButton && zoomToRubberBand());
    }
    case QEvent::MouseButtonDblClick:
        resetZoom();
        return true;
    case QEvent::Wheel: {
        const auto *wheel = static_cast<QWheelEvent *>(event);
        const QPoint pos = d->view->viewport()->mapTo(this, wheel->position().toPoint());
        if (!plotRect().contains(pos) || wheel->angleDelta().y() == 0)
            return false;
        zoomAround(pos, std::pow(kWheelFactor, wheel->angleDelta().y() / kNotch));
        return true;
    }
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Escape || !isZoomed())
            return false;
        key->accept();
        if (event->type() == QEvent::KeyPress)
            resetZoom();
        return true;
    }
    default:
        return false;
    }
}

void Chart::setKeepsZoomOnRun(bool keep) { d->keepZoomOnRun = keep; }
bool Chart::keepsZoomOnRun() const { return d->keepZoomOnRun; }

// ---------------------------------------------------------------------------
// Scale

void Chart::setScale(double factor)
{
    if (!(factor > 0) || factor == d->scale)
        return;
    const int oldEdge = edgeMargin();
    d->scale = factor;
    d->bottom->d->sizeScale = factor;
    d->left->d->sizeScale = factor;
    // The edges leave room for the larger labels' halves that reach beyond
    // the plot (the top label of the left axis).
    const QMargins margins = d->chart->margins();
    const int wrapped = d->legendWrapped ? margins.top() - oldEdge : 0;
    d->chart->setMargins(QMargins(edgeMargin(), edgeMargin() + wrapped, margins.right(),
                                  edgeMargin()));
    applyScale();
    layOutLabels();
    updateLayers();
}

double Chart::scale() const { return d->scale; }

int Chart::edgeMargin() const
{
    return qRound(kTopMargin * d->scale);
}

void Chart::applyScale()
{
    const auto scaled = [this](int designed) { return std::max(1, qRound(designed * d->scale)); };
    for (const auto &series : d->series) {
        Series::Data *data = series->d;
        if (data->kind == SeriesKind::Points) {
            data->markerHalfSize = scaled(data->designedHalfSize);
            data->markerImage = markerImage(data->marker, data->markerHalfSize, data->color,
                                            data->fillColor);
            auto *points = static_cast<QScatterSeries *>(data->series);
            points->setMarkerSize(2 * data->markerHalfSize + 1);
            points->setLightMarker(data->markerImage);
        } else if (data->series) {
            data->lineWidth = scaled(data->designedLineWidth);
            QPen pen = data->series->pen();
            pen.setWidth(data->lineWidth);
            data->series->setPen(pen);
        }
    }
    if (d->markers)
        d->markers->update();
}

QChart *Chart::qchart() const { return d->chart; }
QChartView *Chart::view() const { return d->view; }

bool Chart::eventFilter(QObject *watched, QEvent *event)
{
    // The legend lays its entries out whenever Qt Charts sees fit; what it
    // shows is settled by the time the view paints.
    if (watched == d->view->viewport() && event->type() == QEvent::Paint)
        guarded([this] { fitLegend(); });
    if (watched == d->view->viewport() || watched == d->view) {
        bool zoomed = false;
        guarded([&] { zoomed = zoomEvent(event); });
        if (zoomed)
            return true;
    }
    if (watched == d->view->viewport() && event->type() == QEvent::MouseMove) {
        const auto *move = static_cast<QMouseEvent *>(event);
        emit OnMouseMove(d->view->viewport()->mapTo(this, move->position().toPoint()));
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace morva::chart
