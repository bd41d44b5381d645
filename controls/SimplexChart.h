#ifndef MORVA_CONTROLS_SIMPLEXCHART_H
#define MORVA_CONTROLS_SIMPLEXCHART_H

// A chart of a three-part composition on an equilateral triangle (a 2-simplex)
// drawn with QPainter. A point is given by its barycentric coordinates
// (p[0], p[1], p[2]), each in [0, 1], summing to 1; vertex i is the point where
// p[i] = 1. Vertex 0 is the apex, vertex 1 the lower left corner, vertex 2 the
// lower right one.
//
// It shows, bottom to top: a scalar field over the triangle as filled
// contours (marching triangles over a triangular lattice, piecewise linear
// between the lattice points) with a colour bar, grid lines at every 0.1 of
// each coordinate, the triangle and its vertex labels, optional arrows of a
// change field, polylines with markers every so many points, single point
// markers (filled or hollow) and a small legend. It knows nothing of what the
// coordinates mean.
//
// The field layer (everything up to the vertex labels and the colour bar) is
// rasterised once per size and field and reused by every repaint; render()
// draws everything as vectors on any paint device (an image, a printer, an SVG
// generator).

#include <QColor>
#include <QImage>
#include <QLineF>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QFontMetricsF;
class QPaintDevice;
class QRubberBand;

namespace morva::chart {

// Barycentric coordinates of a point of the triangle.
using Barycentric = std::array<double, 3>;

class SimplexChart : public QWidget {
    Q_OBJECT
public:
    // A scalar over the triangle, called with p[0], p[1], p[2].
    using ScalarField = std::function<double(double, double, double)>;
    // The change of one step at a point, as a difference of barycentric
    // coordinates (its elements sum to 0).
    using ChangeField = std::function<Barycentric(double, double, double)>;
    // Text of a value on the colour bar.
    using ValueText = std::function<QString(double)>;

    enum class Glyph { Circle, Diamond, Square };

    struct MarkerStyle {
        Glyph glyph = Glyph::Circle;
        double radius = 4.0;          // pixels
        QColor outline = Qt::black;
        // Interior; an invalid colour leaves the marker hollow.
        QColor fill = Qt::black;
    };

    struct Marker {
        Barycentric at{};
        MarkerStyle style;
        QString legend;  // shown in the legend when not empty
    };

    struct Polyline {
        QList<Barycentric> points;
        QColor color = Qt::black;
        double width = 1.5;  // pixels
        // A dash pattern (QPen's, in widths); empty: a solid line.
        QList<qreal> dashes;
        // A marker on every markerStep-th point (0, markerStep, 2 markerStep,
        // ...) except point 0; none when 0. A marker closer than
        // markerGap pixels to the last one drawn (or to the start marker)
        // is left out, so markers never crowd where the line slows down.
        int markerStep = 0;
        double markerGap = 12.0;
        MarkerStyle stepMarker;
        // A marker on point 0.
        std::optional<MarkerStyle> startMarker;
        QString legend;       // the line with its step marker
        QString startLegend;  // the start marker
    };

    explicit SimplexChart(QWidget *parent = nullptr);
    ~SimplexChart() override;

    void setVertexLabels(const QString &label0, const QString &label1, const QString &label2);
    QString vertexLabel(int vertex) const;

    // Samples `field` on the triangular lattice with `pointsPerSide` points
    // on each side (at least 2) and contours it in levelCount() bands
    // between its least and greatest sampled value. Throws what the field
    // throws, leaving the chart without a field.
    void setField(const ScalarField &field, int pointsPerSide = 61);
    void clearField();
    bool hasField() const;
    // The title of the colour bar.
    void setFieldLabel(const QString &label);
    QString fieldLabel() const;
    // Number of colour bands (1 to 64; 11 unless set).
    void setLevelCount(int bands);
    int levelCount() const;
    // The band boundaries, ascending: levelCount() + 1 values from the least
    // to the greatest sampled value; empty without a field, a single value
    // for a constant field.
    QList<double> levels() const;
    // The colour of band `band` (0 is the lowest).
    QColor bandColor(int band) const;
    // The text of the colour bar's values; by default fixed notation with the
    // user's decimal separator and as many decimals as the range needs.
    void setValueText(ValueText text);
    // The isolines of boundary `level` (1 .. levelCount() - 1), segment by
    // segment, in this widget's pixels.
    QList<QLineF> isolineSegments(int level) const;

    // Arrows of `change` at the points of the lattice with `pointsPerSide`
    // points a side. Their lengths grow with the square root of the change,
    // the longest spanning 0.9 of the lattice step, so slow regions keep a
    // visible direction. Throws what the field throws.
    void setChangeField(const ChangeField &change, int pointsPerSide = 15);
    void clearChangeField();
    void setArrowsVisible(bool visible);
    bool arrowsVisible() const;
    // Lattice points and their changes (zero changes included).
    QList<Barycentric> arrowPoints() const;
    QList<Barycentric> arrowChanges() const;

    int addPolyline(const Polyline &polyline);
    int polylineCount() const;
    const Polyline &polyline(int index) const;
    void clearPolylines();
    // Indices of the points of polyline `index` that carry a step marker at
    // this widget's size.
    QList<int> stepMarkerIndices(int index) const;

    void addMarker(const Marker &marker);
    QList<Marker> markers() const;
    void clearMarkers();

    // Background around and inside the triangle (white unless set).
    void setBackgroundColor(const QColor &color);

    // --- geometry at this widget's size ---
    QPointF toPixel(const Barycentric &p) const;
    // The coordinates of a pixel; negative outside the triangle.
    Barycentric toBarycentric(const QPointF &pixel) const;
    QPointF vertexPixel(int vertex) const;
    double triangleSide() const;

    // Draws the whole chart at `size` (in the device's logical pixels) with
    // `painter`, as vectors, from the painter's current origin.
    using QWidget::render;
    void render(QPainter &painter, const QSize &size) const;
    // The same, laid out at `target`'s size and drawn into `target`.
    void paintInto(QPainter &painter, const QRectF &target) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Zoom: a rectangle dragged with the left button shows that part of the
    // triangle as large as the whole; the wheel zooms around the pointer;
    // a double-click or Esc shows the whole triangle again. The zoom is a
    // scale and a centre on the unit triangle, so a picture drawn at another
    // size shows the same part.
    bool isZoomed() const { return m_zoomScale > 1.0; }
    double zoomScale() const { return m_zoomScale; }
    // Shows the part of the triangle under `pixels` (widget pixels now).
    void zoomTo(const QRectF &pixels);
    // Zooms by `factor` keeping the point under `pixel` where it is; back
    // to the whole triangle where that would show less than it.
    void zoomAround(const QPointF &pixel, double factor);
    void resetZoom();
    // Whether a new run keeps the zoom (off: it shows the whole triangle).
    bool keepsZoomOnRun() const { return m_keepZoom; }
    void setKeepsZoomOnRun(bool keep) { m_keepZoom = keep; }

signals:
    // The pointer moved over the triangle (or within a pixel of it, pulled
    // onto it): its barycentric coordinates. Nothing is emitted elsewhere.
    void pointerMoved(double p0, double p1, double p2);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Layout;
    struct Contours;

    Layout layoutFor(const QSizeF &size, const QPaintDevice *device) const;
    void applyZoom(Layout &layout) const;
    const Layout &currentLayout() const;
    void buildContours();
    void invalidate();
    void overlaysChanged();

    void drawFieldLayer(QPainter &painter, const Layout &layout) const;
    void drawContours(QPainter &painter, const Layout &layout) const;
    void drawGrid(QPainter &painter, const Layout &layout) const;
    void drawFrame(QPainter &painter, const Layout &layout) const;
    void drawColourBar(QPainter &painter, const Layout &layout) const;
    void drawOverlays(QPainter &painter, const Layout &layout) const;
    void drawArrows(QPainter &painter, const Layout &layout) const;
    void drawPolyline(QPainter &painter, const Layout &layout, const Polyline &line) const;
    struct LegendEntry {
        QString text;
        const Polyline *line = nullptr;
        MarkerStyle style;
    };
    QList<LegendEntry> legendEntries() const;
    QSizeF legendSize(const QFontMetricsF &metrics) const;
    void drawLegend(QPainter &painter, const Layout &layout) const;
    QList<int> stepMarkers(const Layout &layout, const Polyline &line) const;
    QString valueText(double value) const;

    QString m_labels[3];
    QString m_fieldLabel;
    int m_bands = 11;
    ValueText m_valueText;
    QColor m_background = Qt::white;

    // Lattice samples and the contours made from them.
    int m_fieldSide = 0;
    QList<double> m_samples;
    QList<double> m_levels;
    std::unique_ptr<Contours> m_contours;

    QList<Barycentric> m_arrowPoints;
    QList<Barycentric> m_arrowChanges;
    int m_arrowSide = 0;
    bool m_arrowsVisible = false;

    QList<Polyline> m_polylines;
    QList<Marker> m_markers;
    QSizeF m_legendSize;

    // The zoom: the triangle `m_zoomScale` times as large, the unit point
    // `m_zoomCentre` at the middle of the triangle's whole-view box.
    double m_zoomScale = 1.0;
    QPointF m_zoomCentre;
    bool m_keepZoom = false;
    QRubberBand *m_band = nullptr;
    QPoint m_bandStart;

    // The rasterised field layer and the layout it was drawn for.
    mutable std::unique_ptr<Layout> m_layout;
    QImage m_fieldImage;
    bool m_fieldImageValid = false;
};

} // namespace morva::chart

#endif
