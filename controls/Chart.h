#ifndef MORVA_CONTROLS_CHART_H
#define MORVA_CONTROLS_CHART_H

// The chart adapter over Qt Charts: an ordered list of line and point series,
// a bottom and a left axis with label pictures, a legend at the top, and the
// pixel-to-value lookup the readouts need. Points are collected by addPoint()
// and handed to Qt Charts in one replace() by commit(): appending point by
// point to a series inside a chart is quadratic. Axis labels stand at round
// steps, thinned for the plotting area's real size so that neighbours keep
// the axis' label separation.
//
// Plain line series are for many thin lines at once: the adapter draws their
// points itself, one polyline each under the other series, so that a refill
// costs no more than storing the points (Qt Charts builds an outline of
// every line it holds, about half a millisecond per thousand points). One
// shown in the legend keeps an empty Qt Charts series of the same pen for its
// entry; the others have none.
//
// Point markers are drawn by the adapter too, above the plot and clipped to
// it grown by the largest marker, so that a marker on the plot's edge (a
// frequency of 0 or 1) stands whole; its Qt Charts series holds the points
// and the legend entry but draws nothing.
//
// Zoom: a rectangle dragged over the plot (Qt Charts' rubber band), the
// wheel around the pointer; a double-click or Esc returns to the axes' own
// ranges. A zoomed axis shows the range chosen through the same label logic
// (round steps, thinned to keep the separation), so everything mapped from
// the axes' ranges (readouts, markers, plain lines) follows.
//
// Scale: line widths, markers and label gaps grow with setScale(); texts
// follow the widget's font.

#include <QColor>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>

class QChart;
class QChartView;
class QPainter;
class QPen;
class QXYSeries;

namespace morva::chart {

enum class SeriesKind { Line, Points };
enum class PenStyle { Solid, Dashed, Dotted };
enum class MarkerShape { Circle, Diamond };

class Chart;

class Series {
public:
    SeriesKind kind() const;
    QString name() const;  // the object name, e.g. "Series1"
    QString title() const;
    QColor color() const;
    PenStyle penStyle() const;
    MarkerShape marker() const;
    int markerHalfSize() const;
    QColor fillColor() const;
    bool inLegend() const;
    int lineWidth() const;
    // Drawn by the adapter (addPlainLineSeries, addBandSeries), not by Qt Charts.
    bool isPlain() const;
    // A filled band (addBandSeries).
    bool isBand() const;
    // A line of an earlier run (addKeptLineSeries).
    bool isKept() const;
    // The legend shows the new title at once.
    void setTitle(const QString &title);

    // Both collect: the chart shows the change after Chart::commit().
    void clear();
    void addPoint(double x, double y);
    int count() const;
    QPointF point(int index) const;
    const QList<QPointF> &points() const;

private:
    friend class Chart;
    Series() = default;
    struct Data;
    Data *d = nullptr;
};

class Axis {
public:
    void setAutomatic();
    void setFixedRange(double minimum, double maximum);
    bool isAutomatic() const;
    void setIncrement(double increment);
    double increment() const;
    void setLabelPicture(const QString &picture);
    QString labelPicture() const;
    void setTitle(const QString &title);
    QString title() const;
    // False while the chart is too small to draw the title whole: it is then
    // left out rather than cut short or drawn under the labels.
    bool titleShown() const;
    void setTickLength(int length);
    void setMinorTicks(int count, int length);
    void setDashedTicks(bool dashed);
    // The least gap in pixels between two neighbouring labels' rectangles:
    // labels are thinned to a larger round step until it holds over the
    // plotting area's real length.
    void setLabelSeparation(int pixels);
    int labelSeparation() const;

    // The current range (after the last commit for an automatic axis): an
    // automatic axis runs from the data's minimum to its maximum.
    double minimum() const;
    double maximum() const;
    // The label texts currently shown, in order.
    QStringList labels() const;

private:
    friend class Chart;
    Axis() = default;
    struct Data;
    Data *d = nullptr;
};

class Chart : public QWidget {
    Q_OBJECT
public:
    explicit Chart(QWidget *parent = nullptr);
    ~Chart() override;

    Series *addLineSeries(const QString &name, const QString &title, const QColor &color,
                          PenStyle style, bool inLegend = true, int width = 1);
    // A solid line one pixel wide that the adapter draws (see above).
    Series *addPlainLineSeries(const QString &name, const QString &title, const QColor &color,
                               bool inLegend = true);
    // A band the adapter fills in `color` (give it some transparency) behind
    // the plain lines: its points come in pairs at the same x, the lower edge
    // first, and the band runs between the lower and the upper edges. Its
    // legend entry is a thick line of the colour.
    Series *addBandSeries(const QString &name, const QString &title, const QColor &color,
                          bool inLegend = true);
    Series *addPointSeries(const QString &name, const QString &title, const QColor &color,
                           MarkerShape shape, int halfSize, const QColor &fillColor,
                           bool inLegend = true);
    // A line of an earlier run kept for comparison: drawn by the adapter
    // under every other series, thinner, in the dash pattern `dashes` (a
    // QPen's); no legend entry.
    Series *addKeptLineSeries(const QString &name, const QColor &color,
                              const QList<qreal> &dashes);
    // A legend entry of its own, its sample a line in `dashes`; it holds no
    // points.
    Series *addLegendEntry(const QString &name, const QString &title, const QColor &color,
                           const QList<qreal> &dashes);
    // Takes the series out of the chart and frees it; shown after commit().
    void removeSeries(Series *series);
    int seriesCount() const;
    Series *series(int index) const;
    Series *seriesByName(const QString &name) const;

    Axis *bottomAxis() const;
    Axis *leftAxis() const;

    void setBackColor(const QColor &color);      // the plotting area
    void setLeftWallColor(const QColor &color);
    void setPanelColor(const QColor &color);     // around the plotting area
    void setLegendSampleWidth(int width);
    int legendSampleWidth() const;
    void setHiddenTitle(const QString &title);   // kept, never shown
    QString hiddenTitle() const;
    // The cross-hair pointer of the readout charts.
    void setCrossHairCursor(bool on);
    bool crossHairCursor() const;

    // Hands every series' collected points to Qt Charts and recomputes the
    // automatic axes. Call after a refill.
    void commit();

    // The plotting rectangle in this widget's pixel coordinates.
    QRect plotRect() const;
    // Axis values at a pixel of this widget: linear between the axis' minimum
    // and maximum over the plotting rectangle; 0 for an empty extent.
    double bottomValueAt(int x) const;
    double leftValueAt(int y) const;

    // Shows the part of the plot between the values given: x from left to
    // right, y from top to bottom (a normalised rectangle in axis values).
    // A span too narrow for the label picture to write two labels is widened
    // around its centre.
    void zoomTo(const QRectF &values);
    // Zooms by `factor` (below 1: closer) around the pixel `pos` of this
    // widget; zooming out past the axes' own ranges returns to them.
    void zoomAround(const QPoint &pos, double factor);
    void resetZoom();
    bool isZoomed() const;
    // Whether a new run keeps the zoom (off unless set).
    void setKeepsZoomOnRun(bool keep);
    bool keepsZoomOnRun() const;

    // Line widths, marker sizes and label gaps as designed times `factor`.
    void setScale(double factor);
    double scale() const;

    // Draws the chart laid out at `target`'s size (in the painter's logical
    // pixels) into `target`, labels and legend placed for that room, then
    // lays it out at its own size again: a page gets a chart of its own
    // size, not a shrunk picture of the screen's.
    void paintInto(QPainter &painter, const QRectF &target);

    QChart *qchart() const;
    QChartView *view() const;

signals:
    // The pointer moved over the chart (this widget's coordinates).
    void OnMouseMove(const QPoint &pos);
    // Zoomed in, out or back to the axes' own ranges.
    void zoomChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    Series *adoptSeries(QXYSeries *qseries, SeriesKind kind, const QString &name,
                        const QString &title, const QColor &color, bool inLegend);
    void applyLegendFlags();
    void updateLayers();
    void paintPlainLines(QPainter *painter) const;
    QPen linePen(const Series::Data &data) const;
    void paintMarkers(QPainter *painter) const;
    void layOutLabels();
    bool cornerLabelsClash() const;
    void applyFont();
    void fitLabelsToPlotArea(const QRectF &area);
    void fitTitles(const QRectF &area);
    void fitRightMargin();
    bool legendElided() const;
    void fitLegend();
    void wrapLegend();
    void unwrapLegend();
    bool zoomEvent(QEvent *event);
    bool zoomToRubberBand();
    void applyScale();
    // The chart's margin at its left, top and bottom edges, at its scale.
    int edgeMargin() const;

    static constexpr int kRightMargin = 4;
    static constexpr int kTopMargin = 4;
    struct Private;
    Private *d;
};

} // namespace morva::chart

#endif
