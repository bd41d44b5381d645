#include "controls/SimplexChart.h"

#include "platform/NumberText.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QPolygonF>
#include <QRubberBand>
#include <QWheelEvent>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_map>
#include <vector>

namespace morva::chart {

namespace {

// Height of the unit triangle: vertex 0 at (0.5, 0), vertex 1 at (0, H),
// vertex 2 at (1, H), y growing downwards as on the screen.
const double kUnitHeight = std::sqrt(3.0) / 2.0;
const QPointF kUnitVertex[3] = {{0.5, 0.0}, {0.0, kUnitHeight}, {1.0, kUnitHeight}};

constexpr int kMaxBands = 64;
constexpr double kLabelGap = 5.0;
constexpr double kBarWidth = 14.0;
constexpr double kBarGap = 22.0;
constexpr double kTickLength = 4.0;
constexpr double kArrowSpan = 0.9;
constexpr double kLegendInset = 4.0;
constexpr double kLegendSample = 24.0;
// Trajectory points closer than this (pixels) to the last one drawn are
// skipped: a run that settles piles hundreds of points onto one pixel.
constexpr double kPolylineResolution = 0.5;
const QColor kGridColour(168, 168, 168);
const QColor kIsolineColour(250, 250, 250);
const QColor kFrameColour(40, 40, 40);
// Share of white mixed into the colour scale, so that lines and markers drawn
// over the bands stay legible.
constexpr double kLighten = 0.45;

// A perceptually uniform sequential scale (viridis) at 0, 0.1, ..., 1.
constexpr std::array<std::array<int, 3>, 11> kScale{{{68, 1, 84},
                                                     {72, 36, 117},
                                                     {65, 68, 135},
                                                     {53, 95, 141},
                                                     {42, 120, 142},
                                                     {33, 145, 140},
                                                     {34, 168, 132},
                                                     {68, 191, 112},
                                                     {122, 209, 81},
                                                     {189, 223, 38},
                                                     {253, 231, 37}}};

QColor scaleColour(double t)
{
    t = std::clamp(t, 0.0, 1.0) * (kScale.size() - 1);
    const auto lower = std::min<std::size_t>(static_cast<std::size_t>(t), kScale.size() - 2);
    const double f = t - static_cast<double>(lower);
    int rgb[3];
    for (int c = 0; c < 3; ++c) {
        const double mixed = kScale[lower][c] * (1.0 - f) + kScale[lower + 1][c] * f;
        rgb[c] = static_cast<int>(std::lround(mixed * (1.0 - kLighten) + 255.0 * kLighten));
    }
    return QColor(rgb[0], rgb[1], rgb[2]);
}

QPointF unitPoint(double p0, double p1, double p2)
{
    return kUnitVertex[0] * p0 + kUnitVertex[1] * p1 + kUnitVertex[2] * p2;
}

// The lattice with m + 1 points a side: point (i, j) is (i/m, j/m, (m-i-j)/m)
// for i + j <= m, stored row by row of i.
int latticeIndex(int m, int i, int j)
{
    return i * (m + 1) - i * (i - 1) / 2 + j;
}

// The sampling lattice with m + 1 points a side, its cells and its border,
// every cycle in one turning sense (positive signed area on the unit
// triangle), so that a region traced with its inside on one side fills
// correctly with the nonzero rule.
struct Lattice {
    int m = 0;
    std::vector<double> values;    // by latticeIndex
    std::vector<QPointF> points;   // on the unit triangle
    std::vector<std::array<int, 3>> cells;
    std::vector<int> border;       // lattice indices round the triangle
    std::vector<int> borderPlace;  // per lattice index: place in `border`, or -1
};

double turning(const QPointF &a, const QPointF &b, const QPointF &c)
{
    return (b.x() - a.x()) * (c.y() - a.y()) - (b.y() - a.y()) * (c.x() - a.x());
}

Lattice makeLattice(int m, const QList<double> &samples)
{
    Lattice lattice;
    lattice.m = m;
    // A sample that is no finite number counts as the least finite one, so
    // the regions stay closed.
    double least = std::numeric_limits<double>::infinity();
    for (double v : samples) {
        if (std::isfinite(v))
            least = std::min(least, v);
    }
    for (int i = 0; i <= m; ++i) {
        for (int j = 0; j <= m - i; ++j) {
            const double v = samples.at(latticeIndex(m, i, j));
            lattice.values.push_back(std::isfinite(v) ? v : least);
            lattice.points.push_back(unitPoint(double(i) / m, double(j) / m,
                                               double(m - i - j) / m));
        }
    }
    const auto cell = [&](int a, int b, int c) {
        if (turning(lattice.points[a], lattice.points[b], lattice.points[c]) < 0)
            std::swap(b, c);
        lattice.cells.push_back({a, b, c});
    };
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j < m - i; ++j) {
            cell(latticeIndex(m, i, j), latticeIndex(m, i + 1, j), latticeIndex(m, i, j + 1));
            if (i + j + 2 <= m)
                cell(latticeIndex(m, i + 1, j), latticeIndex(m, i + 1, j + 1),
                     latticeIndex(m, i, j + 1));
        }
    }
    // Side p[0] = 0 (i = 0), then p[2] = 0 (i + j = m), then p[1] = 0 (j = 0).
    for (int j = 0; j < m; ++j)
        lattice.border.push_back(latticeIndex(m, 0, j));
    for (int i = 0; i < m; ++i)
        lattice.border.push_back(latticeIndex(m, i, m - i));
    for (int i = m; i > 0; --i)
        lattice.border.push_back(latticeIndex(m, i, 0));
    const QPointF &b0 = lattice.points[lattice.border[0]];
    const QPointF &b1 = lattice.points[lattice.border[m]];
    const QPointF &b2 = lattice.points[lattice.border[2 * m]];
    if (turning(b0, b1, b2) < 0)
        std::reverse(lattice.border.begin(), lattice.border.end());
    lattice.borderPlace.assign(lattice.points.size(), -1);
    for (std::size_t k = 0; k < lattice.border.size(); ++k)
        lattice.borderPlace[lattice.border[k]] = static_cast<int>(k);
    return lattice;
}

// Where a level crosses the lattice edge u-v (one end below it, the other
// at or above it).
struct Crossing {
    std::uint64_t edge = 0;
    QPointF at;
    int borderEdge = -1;  // place of the edge on the border, or -1 inside
};

Crossing crossing(const Lattice &lattice, int u, int v, double level)
{
    // Computed from the lower index, so both cells of an edge get the same
    // point.
    const int lo = std::min(u, v);
    const int hi = std::max(u, v);
    const double t = (level - lattice.values[lo]) / (lattice.values[hi] - lattice.values[lo]);
    Crossing c;
    c.edge = std::uint64_t(lo) * lattice.points.size() + std::uint64_t(hi);
    c.at = lattice.points[lo] + (lattice.points[hi] - lattice.points[lo]) * t;
    const int pu = lattice.borderPlace[u];
    const int pv = lattice.borderPlace[v];
    const int n = static_cast<int>(lattice.border.size());
    if (pu >= 0 && pv >= 0) {
        if ((pu + 1) % n == pv)
            c.borderEdge = pu;
        else if ((pv + 1) % n == pu)
            c.borderEdge = pv;
    }
    return c;
}

// The region where the field is at least `level` (marching triangles: the
// field is linear over a cell, so the level cuts a cell along one straight
// segment) and the level's isolines. Each cut segment is directed with the
// region on its positive side; the segments link edge to edge into closed
// loops or into chains from border to border, and a chain continues along
// the border, through the corners inside the region, to the next chain.
void traceLevel(const Lattice &lattice, double level, QPainterPath &region,
                QList<QPolygonF> &isolines)
{
    struct Segment {
        Crossing from;
        Crossing to;
    };
    std::vector<Segment> segments;
    std::unordered_map<std::uint64_t, int> startingAt;
    for (const auto &cell : lattice.cells) {
        bool in[3];
        for (int e = 0; e < 3; ++e)
            in[e] = lattice.values[cell[e]] >= level;
        if (in[0] == in[1] && in[1] == in[2])
            continue;
        Segment s;
        for (int e = 0; e < 3; ++e) {
            const int a = cell[e];
            const int b = cell[(e + 1) % 3];
            if (in[e] && !in[(e + 1) % 3])
                s.from = crossing(lattice, a, b, level);
            else if (!in[e] && in[(e + 1) % 3])
                s.to = crossing(lattice, a, b, level);
        }
        startingAt.emplace(s.from.edge, static_cast<int>(segments.size()));
        segments.push_back(s);
    }

    // Follows the segments from `first` to the border or back to `first`.
    std::vector<bool> used(segments.size(), false);
    const auto follow = [&](int first, QPolygonF &line) {
        int k = first;
        line.append(segments[k].from.at);
        for (std::size_t steps = 0; steps <= segments.size(); ++steps) {
            used[k] = true;
            line.append(segments[k].to.at);
            if (segments[k].to.borderEdge >= 0)
                return segments[k].to.borderEdge;
            const auto next = startingAt.find(segments[k].to.edge);
            if (next == startingAt.end() || next->second == first || used[next->second])
                return -1;
            k = next->second;
        }
        return -1;
    };

    struct Chain {
        QPolygonF line;
        int endEdge = -1;
    };
    const int n = static_cast<int>(lattice.border.size());
    std::vector<Chain> chains;
    std::vector<int> chainStartingOn(n, -1);
    for (std::size_t k = 0; k < segments.size(); ++k) {
        if (segments[k].from.borderEdge < 0)
            continue;
        Chain chain;
        chain.endEdge = follow(static_cast<int>(k), chain.line);
        chainStartingOn[segments[k].from.borderEdge] = static_cast<int>(chains.size());
        isolines.append(chain.line);
        chains.push_back(std::move(chain));
    }
    for (std::size_t k = 0; k < segments.size(); ++k) {
        if (used[k])
            continue;
        QPolygonF loop;
        follow(static_cast<int>(k), loop);
        isolines.append(loop);
        region.addPolygon(loop);
        region.closeSubpath();
    }

    std::vector<bool> placed(chains.size(), false);
    for (std::size_t first = 0; first < chains.size(); ++first) {
        if (placed[first])
            continue;
        QPolygonF outline;
        std::size_t c = first;
        for (std::size_t guard = 0; guard <= chains.size() && !placed[c]; ++guard) {
            placed[c] = true;
            outline += chains[c].line;
            const int end = chains[c].endEdge;
            if (end < 0)
                break;
            int next = -1;
            for (int k = (end + 1) % n, steps = 0; steps < n && next < 0; k = (k + 1) % n, ++steps) {
                outline.append(lattice.points[lattice.border[k]]);
                next = chainStartingOn[k];
            }
            if (next < 0)
                break;
            c = static_cast<std::size_t>(next);
        }
        region.addPolygon(outline);
        region.closeSubpath();
    }
    if (chains.empty() && lattice.values[lattice.border[0]] >= level) {
        QPolygonF whole;
        for (int k : lattice.border)
            whole.append(lattice.points[k]);
        region.addPolygon(whole);
        region.closeSubpath();
    }
}

double legendRowHeight(const QFontMetricsF &metrics)
{
    return std::max(metrics.height(), 12.0);
}

void drawGlyph(QPainter &painter, const QPointF &at, const SimplexChart::MarkerStyle &style)
{
    QPen pen(style.outline, style.fill.isValid() ? 1.0 : 1.6);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(style.fill.isValid() ? QBrush(style.fill) : QBrush(Qt::NoBrush));
    const double r = style.radius;
    switch (style.glyph) {
    case SimplexChart::Glyph::Circle:
        painter.drawEllipse(at, r, r);
        break;
    case SimplexChart::Glyph::Diamond: {
        const double d = r * 1.3;
        const QPointF points[4] = {at + QPointF(0, -d), at + QPointF(d, 0), at + QPointF(0, d),
                                   at + QPointF(-d, 0)};
        painter.drawPolygon(points, 4);
        break;
    }
    case SimplexChart::Glyph::Square:
        painter.drawRect(QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r));
        break;
    }
}

} // namespace

// Where everything goes at one size: the triangle is the unit triangle scaled
// by `side` and moved to `origin`.
struct SimplexChart::Layout {
    QSizeF size;
    QPointF origin;
    double side = 0.0;
    double lineHeight = 0.0;
    QRectF bar;     // the colour bar; empty without a field
    QRectF legend;  // empty without legend entries
    QRectF view;    // zoomed: the whole triangle's box, where the part shown is drawn

    QPointF map(const QPointF &unit) const { return origin + unit * side; }
    QPointF toPixel(const Barycentric &p) const { return map(unitPoint(p[0], p[1], p[2])); }
    QPointF vertex(int v) const { return map(kUnitVertex[v]); }
    bool drawable() const { return side >= 2.0; }
};

// The contours on the unit triangle: the lowest band fills the triangle and
// each higher band is painted over it as the region above its lower level, so
// neighbouring bands meet without a seam.
struct SimplexChart::Contours {
    QPolygonF triangle;
    QList<QPainterPath> regions;         // entry l - 1: at least level l
    QList<QList<QPolygonF>> isolines;    // entry l - 1: level l
};

SimplexChart::SimplexChart(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    // A click gives the chart the keys, so that Esc can undo a zoom.
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

SimplexChart::~SimplexChart() = default;

// --- contents ---

void SimplexChart::setVertexLabels(const QString &label0, const QString &label1,
                                   const QString &label2)
{
    m_labels[0] = label0;
    m_labels[1] = label1;
    m_labels[2] = label2;
    invalidate();
}

QString SimplexChart::vertexLabel(int vertex) const
{
    return vertex >= 0 && vertex < 3 ? m_labels[vertex] : QString();
}

void SimplexChart::setField(const ScalarField &field, int pointsPerSide)
{
    clearField();
    const int m = std::max(pointsPerSide, 2) - 1;
    QList<double> samples;
    samples.reserve((m + 1) * (m + 2) / 2);
    for (int i = 0; i <= m; ++i) {
        for (int j = 0; j <= m - i; ++j)
            samples.append(field(double(i) / m, double(j) / m, double(m - i - j) / m));
    }
    m_samples = std::move(samples);
    m_fieldSide = m + 1;
    buildContours();
}

// Levels evenly between the least and the greatest finite sample, and the
// region above each inner level with its isolines.
void SimplexChart::buildContours()
{
    m_levels.clear();
    m_contours.reset();
    invalidate();
    const int m = m_fieldSide - 1;
    if (m < 1)
        return;
    double least = std::numeric_limits<double>::infinity();
    double greatest = -least;
    for (double v : std::as_const(m_samples)) {
        if (std::isfinite(v)) {
            least = std::min(least, v);
            greatest = std::max(greatest, v);
        }
    }
    if (least > greatest)
        return;
    const double spread = greatest - least;
    if (spread <= 1e-12 * std::max(1.0, std::fabs(greatest))) {
        m_levels = {least};
    } else {
        for (int k = 0; k < m_bands; ++k)
            m_levels.append(least + spread * k / m_bands);
        m_levels.append(greatest);
    }

    auto contours = std::make_unique<Contours>();
    const Lattice lattice = makeLattice(m, m_samples);
    contours->triangle = QPolygonF({kUnitVertex[0], kUnitVertex[1], kUnitVertex[2]});
    for (qsizetype l = 1; l + 1 < m_levels.size(); ++l) {
        QPainterPath region;
        region.setFillRule(Qt::WindingFill);
        QList<QPolygonF> lines;
        traceLevel(lattice, m_levels.at(l), region, lines);
        contours->regions.append(region);
        contours->isolines.append(lines);
    }
    m_contours = std::move(contours);
    invalidate();
}

void SimplexChart::clearField()
{
    m_samples.clear();
    m_levels.clear();
    m_contours.reset();
    m_fieldSide = 0;
    invalidate();
}

bool SimplexChart::hasField() const
{
    return m_contours != nullptr;
}

void SimplexChart::setFieldLabel(const QString &label)
{
    m_fieldLabel = label;
    invalidate();
}

QString SimplexChart::fieldLabel() const
{
    return m_fieldLabel;
}

void SimplexChart::setLevelCount(int bands)
{
    m_bands = std::clamp(bands, 1, kMaxBands);
    buildContours();
}

int SimplexChart::levelCount() const
{
    return m_bands;
}

QList<double> SimplexChart::levels() const
{
    return m_levels;
}

QColor SimplexChart::bandColor(int band) const
{
    const int bands = std::max<int>(1, m_levels.size() - 1);
    if (bands == 1)
        return scaleColour(0.5);
    return scaleColour((band + 0.5) / bands);
}

void SimplexChart::setValueText(ValueText text)
{
    m_valueText = std::move(text);
    invalidate();
}

QString SimplexChart::valueText(double value) const
{
    if (m_valueText)
        return m_valueText(value);
    const double spread = m_levels.size() > 1 ? m_levels.last() - m_levels.first()
                                              : std::fabs(value);
    const int decimals =
        spread > 0 ? std::clamp(static_cast<int>(std::ceil(-std::log10(spread))) + 2, 1, 8) : 3;
    return text::formatFixed(value, 15, decimals);
}

QList<QLineF> SimplexChart::isolineSegments(int level) const
{
    QList<QLineF> segments;
    if (!m_contours || level < 1 || level > m_contours->isolines.size())
        return segments;
    const Layout &layout = currentLayout();
    for (const QPolygonF &line : m_contours->isolines.at(level - 1)) {
        for (qsizetype k = 1; k < line.size(); ++k)
            segments.append(QLineF(layout.map(line.at(k - 1)), layout.map(line.at(k))));
    }
    return segments;
}

void SimplexChart::setChangeField(const ChangeField &change, int pointsPerSide)
{
    clearChangeField();
    const int m = std::max(pointsPerSide, 2) - 1;
    QList<Barycentric> points;
    QList<Barycentric> changes;
    for (int i = 0; i <= m; ++i) {
        for (int j = 0; j <= m - i; ++j) {
            const Barycentric p{double(i) / m, double(j) / m, double(m - i - j) / m};
            changes.append(change(p[0], p[1], p[2]));
            points.append(p);
        }
    }
    m_arrowPoints = std::move(points);
    m_arrowChanges = std::move(changes);
    m_arrowSide = m + 1;
    overlaysChanged();
}

void SimplexChart::clearChangeField()
{
    m_arrowPoints.clear();
    m_arrowChanges.clear();
    m_arrowSide = 0;
    overlaysChanged();
}

void SimplexChart::setArrowsVisible(bool visible)
{
    m_arrowsVisible = visible;
    overlaysChanged();
}

bool SimplexChart::arrowsVisible() const
{
    return m_arrowsVisible;
}

QList<Barycentric> SimplexChart::arrowPoints() const
{
    return m_arrowPoints;
}

QList<Barycentric> SimplexChart::arrowChanges() const
{
    return m_arrowChanges;
}

int SimplexChart::addPolyline(const Polyline &polyline)
{
    m_polylines.append(polyline);
    overlaysChanged();
    return m_polylines.size() - 1;
}

int SimplexChart::polylineCount() const
{
    return m_polylines.size();
}

const SimplexChart::Polyline &SimplexChart::polyline(int index) const
{
    return m_polylines.at(index);
}

void SimplexChart::clearPolylines()
{
    m_polylines.clear();
    overlaysChanged();
}

QList<int> SimplexChart::stepMarkerIndices(int index) const
{
    return stepMarkers(currentLayout(), m_polylines.at(index));
}

void SimplexChart::addMarker(const Marker &marker)
{
    m_markers.append(marker);
    overlaysChanged();
}

QList<SimplexChart::Marker> SimplexChart::markers() const
{
    return m_markers;
}

void SimplexChart::clearMarkers()
{
    m_markers.clear();
    overlaysChanged();
}

void SimplexChart::setBackgroundColor(const QColor &color)
{
    m_background = color;
    invalidate();
}

// --- geometry ---

SimplexChart::Layout SimplexChart::layoutFor(const QSizeF &size, const QPaintDevice *device) const
{
    QFont labelFont = font();
    labelFont.setBold(true);
    const QFontMetricsF labels(labelFont, device);
    const QFontMetricsF metrics(font(), device);

    Layout layout;
    layout.size = size;
    layout.lineHeight = metrics.height();
    double labelWidth = 0.0;
    for (const QString &label : m_labels)
        labelWidth = std::max(labelWidth, labels.horizontalAdvance(label));
    double barBlock = 0.0;
    if (m_contours) {
        double textWidth = metrics.horizontalAdvance(m_fieldLabel);
        for (double level : m_levels)
            textWidth = std::max(textWidth, kBarWidth + kTickLength + 3 +
                                                metrics.horizontalAdvance(valueText(level)));
        barBlock = kBarGap + textWidth;
    }
    const double sideMargin = labelWidth / 2 + 2 * kLabelGap;
    const double labelBand = labels.height() + 2 * kLabelGap;

    // The triangle as large as the room below `reserved` allows, centred
    // with the colour bar beside it.
    const auto place = [&](double reserved) {
        const double top = labelBand + reserved;
        const double roomWidth = size.width() - 2 * sideMargin - barBlock;
        const double roomHeight = size.height() - top - labelBand;
        layout.side = std::max(0.0, std::min(roomWidth, roomHeight / kUnitHeight));
        const double height = layout.side * kUnitHeight;
        const double left = (size.width() - layout.side - barBlock) / 2;
        layout.origin = QPointF(left, top + (roomHeight - height) / 2);
        layout.bar = QRectF();
        if (m_contours) {
            const double barHeight = std::clamp(height * 0.55, 3 * layout.lineHeight, 260.0);
            const double barTop =
                layout.origin.y() + (height - barHeight) / 2 + layout.lineHeight / 2;
            layout.bar = QRectF(left + layout.side + kBarGap, barTop, kBarWidth, barHeight);
        }
    };
    place(0.0);

    // The legend goes into a top corner where it covers neither the
    // triangle with its top label nor the colour bar; failing both, the
    // triangle moves down below it.
    const QSizeF legend = legendSize(metrics);
    if (legend.isEmpty()) {
        applyZoom(layout);
        return layout;
    }
    const auto covers = [&](const QRectF &box) {
        QPainterPath triangle;
        triangle.addPolygon(QPolygonF({layout.vertex(0), layout.vertex(1), layout.vertex(2)}));
        const QRectF apexLabel(layout.vertex(0).x() - labelWidth / 2,
                               layout.vertex(0).y() - labelBand, labelWidth, labelBand);
        const QRectF barBlockRect(layout.bar.left(), layout.bar.top() - 2 * layout.lineHeight,
                                  barBlock, layout.bar.height() + 3 * layout.lineHeight);
        return triangle.intersects(box) || apexLabel.intersects(box) ||
               (!layout.bar.isEmpty() && barBlockRect.intersects(box));
    };
    const QRectF topLeft(QPointF(kLegendInset, kLegendInset), legend);
    const QRectF topRight(QPointF(size.width() - kLegendInset - legend.width(), kLegendInset),
                          legend);
    if (!covers(topLeft)) {
        layout.legend = topLeft;
    } else if (!covers(topRight)) {
        layout.legend = topRight;
    } else {
        place(legend.height() + kLegendInset);
        layout.legend = topLeft;
    }
    applyZoom(layout);
    return layout;
}

void SimplexChart::applyZoom(Layout &layout) const
{
    if (!isZoomed() || layout.side <= 0)
        return;
    layout.view = QRectF(layout.origin, QSizeF(layout.side, layout.side * kUnitHeight));
    layout.side *= m_zoomScale;
    layout.origin = layout.view.center() - m_zoomCentre * layout.side;
}

void SimplexChart::zoomTo(const QRectF &pixels)
{
    const Layout &now = currentLayout();
    if (now.side <= 0 || pixels.width() < 1 || pixels.height() < 1)
        return;
    const QSizeF whole = now.view.isEmpty() ? QSizeF(now.side, now.side * kUnitHeight)
                                            : now.view.size();
    const double factor =
        std::min(whole.width() / pixels.width(), whole.height() / pixels.height());
    m_zoomCentre = (pixels.center() - now.origin) / now.side;
    m_zoomScale = std::max(1.0, m_zoomScale * factor);
    invalidate();
}

void SimplexChart::zoomAround(const QPointF &pixel, double factor)
{
    const Layout &now = currentLayout();
    if (now.side <= 0)
        return;
    const double scale = m_zoomScale * factor;
    if (scale <= 1.0) {
        resetZoom();
        return;
    }
    const QRectF whole = now.view.isEmpty()
                             ? QRectF(now.origin, QSizeF(now.side, now.side * kUnitHeight))
                             : now.view;
    const QPointF unit = (pixel - now.origin) / now.side;
    const double side = now.side * factor;
    const QPointF origin = pixel - unit * side;
    m_zoomCentre = (whole.center() - origin) / side;
    m_zoomScale = scale;
    invalidate();
}

void SimplexChart::resetZoom()
{
    if (!isZoomed())
        return;
    m_zoomScale = 1.0;
    m_zoomCentre = QPointF();
    invalidate();
}

const SimplexChart::Layout &SimplexChart::currentLayout() const
{
    if (!m_layout || m_layout->size != QSizeF(size()))
        m_layout = std::make_unique<Layout>(layoutFor(QSizeF(size()), this));
    return *m_layout;
}

QPointF SimplexChart::toPixel(const Barycentric &p) const
{
    return currentLayout().toPixel(p);
}

Barycentric SimplexChart::toBarycentric(const QPointF &pixel) const
{
    const Layout &layout = currentLayout();
    if (layout.side <= 0)
        return {0, 0, 0};
    const QPointF unit = (pixel - layout.origin) / layout.side;
    const double p0 = 1.0 - unit.y() / kUnitHeight;
    const double p2 = unit.x() - 0.5 * p0;
    return {p0, 1.0 - p0 - p2, p2};
}

QPointF SimplexChart::vertexPixel(int vertex) const
{
    return currentLayout().vertex(std::clamp(vertex, 0, 2));
}

double SimplexChart::triangleSide() const
{
    return currentLayout().side;
}

QSize SimplexChart::sizeHint() const
{
    return {420, 360};
}

QSize SimplexChart::minimumSizeHint() const
{
    return {160, 140};
}

// --- drawing ---

void SimplexChart::render(QPainter &painter, const QSize &size) const
{
    const Layout layout = layoutFor(QSizeF(size), painter.device());
    painter.save();
    painter.setFont(font());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), m_background);
    drawFieldLayer(painter, layout);
    drawOverlays(painter, layout);
    painter.restore();
}

void SimplexChart::paintInto(QPainter &painter, const QRectF &target) const
{
    painter.save();
    painter.translate(target.topLeft());
    render(painter, target.size().toSize());
    painter.restore();
}

void SimplexChart::paintEvent(QPaintEvent *)
{
    const Layout &layout = currentLayout();
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (!m_fieldImageValid || m_fieldImage.size() != pixels) {
        m_fieldImage = QImage(pixels, QImage::Format_RGB32);
        m_fieldImage.setDevicePixelRatio(ratio);
        m_fieldImage.fill(m_background);
        QPainter image(&m_fieldImage);
        image.setFont(font());
        image.setRenderHint(QPainter::Antialiasing);
        drawFieldLayer(image, layout);
        m_fieldImageValid = true;
    }
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), m_fieldImage);
    painter.setRenderHint(QPainter::Antialiasing);
    drawOverlays(painter, layout);
}

void SimplexChart::drawFieldLayer(QPainter &painter, const Layout &layout) const
{
    if (!layout.drawable())
        return;
    painter.save();
    if (!layout.view.isEmpty())
        painter.setClipRect(layout.view);
    drawContours(painter, layout);
    drawGrid(painter, layout);
    drawFrame(painter, layout);
    painter.restore();
    drawColourBar(painter, layout);
}

void SimplexChart::drawContours(QPainter &painter, const Layout &layout) const
{
    if (!m_contours)
        return;
    painter.save();
    QTransform toPixels;
    toPixels.translate(layout.origin.x(), layout.origin.y());
    toPixels.scale(layout.side, layout.side);
    painter.setTransform(toPixels, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(bandColor(0));
    painter.drawPolygon(m_contours->triangle);
    for (qsizetype l = 0; l < m_contours->regions.size(); ++l)
        painter.fillPath(m_contours->regions.at(l), bandColor(int(l) + 1));
    // Opaque cosmetic lines: the raster engine draws them several times
    // faster than translucent or wider ones.
    QPen isoline(kIsolineColour, 1.0);
    isoline.setCosmetic(true);
    painter.setPen(isoline);
    painter.setBrush(Qt::NoBrush);
    for (const QList<QPolygonF> &lines : m_contours->isolines) {
        for (const QPolygonF &line : lines)
            painter.drawPolyline(line);
    }
    painter.restore();
}

void SimplexChart::drawGrid(QPainter &painter, const Layout &layout) const
{
    // Lines of constant p[i] = k / 10, each running between the two sides
    // that meet at vertex i.
    QList<QLineF> lines;
    for (int i = 0; i < 3; ++i) {
        const int j = (i + 1) % 3;
        const int k = (i + 2) % 3;
        for (int step = 1; step <= 9; ++step) {
            const double t = step / 10.0;
            Barycentric a{};
            Barycentric b{};
            a[i] = b[i] = t;
            a[j] = 1.0 - t;
            b[k] = 1.0 - t;
            lines.append(QLineF(layout.toPixel(a), layout.toPixel(b)));
        }
    }
    QPen pen(kGridColour, 1.0);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.drawLines(lines);
}

void SimplexChart::drawFrame(QPainter &painter, const Layout &layout) const
{
    const QPointF corners[3] = {layout.vertex(0), layout.vertex(1), layout.vertex(2)};
    QPen pen(kFrameColour, 1.0);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(corners, 3);

    QFont labelFont = painter.font();
    labelFont.setBold(true);
    painter.save();
    painter.setFont(labelFont);
    painter.setPen(QColor(20, 20, 20));
    const QFontMetricsF metrics(labelFont, painter.device());
    const double h = metrics.height();
    const double wide = layout.size.width();
    const QRectF apex(0, corners[0].y() - kLabelGap - h, wide, h);
    painter.drawText(apex.translated(corners[0].x() - wide / 2, 0), Qt::AlignCenter, m_labels[0]);
    for (int v = 1; v <= 2; ++v) {
        const QRectF below(corners[v].x() - wide / 2, corners[v].y() + kLabelGap, wide, h);
        painter.drawText(below, Qt::AlignCenter, m_labels[v]);
    }
    painter.restore();
}

void SimplexChart::drawColourBar(QPainter &painter, const Layout &layout) const
{
    if (!m_contours || layout.bar.isEmpty())
        return;
    const QRectF bar = layout.bar;
    const int bands = int(m_contours->regions.size()) + 1;
    const double step = bar.height() / bands;
    painter.setPen(Qt::NoPen);
    for (int k = 0; k < bands; ++k)
        painter.fillRect(QRectF(bar.left(), bar.bottom() - (k + 1) * step, bar.width(), step),
                         bandColor(k));
    painter.setPen(QPen(QColor(60, 60, 60), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(bar);

    const QFontMetricsF metrics(painter.font(), painter.device());
    const double h = metrics.height();
    painter.setPen(QColor(20, 20, 20));
    painter.drawText(QRectF(bar.left(), bar.top() - h - 4, layout.size.width(), h),
                     Qt::AlignLeft | Qt::AlignVCenter, m_fieldLabel);

    // The least, the middle and the greatest boundary carry their values; a
    // constant field shows its one value beside its one swatch.
    QList<int> labelled{0};
    if (m_levels.size() > 1) {
        if (bands >= 4)
            labelled.append(bands / 2);
        labelled.append(bands);
    }
    for (int l : std::as_const(labelled)) {
        const double y = m_levels.size() == 1 ? bar.center().y() : bar.bottom() - l * step;
        painter.drawLine(QPointF(bar.right(), y), QPointF(bar.right() + kTickLength, y));
        painter.drawText(QRectF(bar.right() + kTickLength + 3, y - h / 2, layout.size.width(), h),
                         Qt::AlignLeft | Qt::AlignVCenter, valueText(m_levels.at(l)));
    }
}

void SimplexChart::drawOverlays(QPainter &painter, const Layout &layout) const
{
    if (!layout.drawable())
        return;
    painter.save();
    if (!layout.view.isEmpty())
        painter.setClipRect(layout.view);
    if (m_arrowsVisible)
        drawArrows(painter, layout);
    for (const Polyline &line : m_polylines)
        drawPolyline(painter, layout, line);
    for (const Marker &marker : m_markers)
        drawGlyph(painter, layout.toPixel(marker.at), marker.style);
    painter.restore();
    drawLegend(painter, layout);
}

void SimplexChart::drawArrows(QPainter &painter, const Layout &layout) const
{
    if (m_arrowSide < 2)
        return;
    // Each change as a vector on the screen (the coordinates of a change sum
    // to 0, so the vertices' weights make a pure direction).
    QList<QPointF> vectors;
    double longest = 0.0;
    for (const Barycentric &d : m_arrowChanges) {
        const QPointF v = kUnitVertex[0] * d[0] + kUnitVertex[1] * d[1] + kUnitVertex[2] * d[2];
        const double length = std::hypot(v.x(), v.y());
        vectors.append(std::isfinite(length) ? v : QPointF());
        if (std::isfinite(length))
            longest = std::max(longest, length);
    }
    if (longest <= 0.0)
        return;
    const double span = kArrowSpan * layout.side / (m_arrowSide - 1);
    QList<QLineF> lines;
    for (int k = 0; k < m_arrowPoints.size(); ++k) {
        const QPointF v = vectors.at(k);
        const double length = std::hypot(v.x(), v.y());
        if (length <= longest * 1e-9)
            continue;
        const double drawn = span * std::sqrt(length / longest);
        const QPointF unit = v / length;
        const QPointF from = layout.toPixel(m_arrowPoints.at(k));
        const QPointF to = from + unit * drawn;
        lines.append(QLineF(from, to));
        const double head = std::min(5.0, 0.45 * drawn);
        const QPointF back = -unit * head;
        const QPointF across(-unit.y() * head * 0.5, unit.x() * head * 0.5);
        lines.append(QLineF(to, to + back + across));
        lines.append(QLineF(to, to + back - across));
    }
    QPen pen(QColor(25, 25, 70, 190), 1.0);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    painter.drawLines(lines);
}

QList<int> SimplexChart::stepMarkers(const Layout &layout, const Polyline &line) const
{
    QList<int> indices;
    if (line.markerStep <= 0 || line.points.isEmpty())
        return indices;
    QPointF last = layout.toPixel(line.points.first());
    for (int k = line.markerStep; k < line.points.size(); k += line.markerStep) {
        const QPointF at = layout.toPixel(line.points.at(k));
        if (std::hypot(at.x() - last.x(), at.y() - last.y()) < line.markerGap)
            continue;
        indices.append(k);
        last = at;
    }
    return indices;
}

void SimplexChart::drawPolyline(QPainter &painter, const Layout &layout,
                                const Polyline &line) const
{
    if (line.points.isEmpty())
        return;
    QPolygonF drawn;
    drawn.append(layout.toPixel(line.points.first()));
    for (qsizetype k = 1; k < line.points.size(); ++k) {
        const QPointF at = layout.toPixel(line.points.at(k));
        const QPointF step = at - drawn.last();
        if (std::hypot(step.x(), step.y()) >= kPolylineResolution || k + 1 == line.points.size())
            drawn.append(at);
    }
    QPen pen(line.color, line.width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    if (!line.dashes.isEmpty())
        pen.setDashPattern(line.dashes);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(drawn);
    for (int k : stepMarkers(layout, line))
        drawGlyph(painter, layout.toPixel(line.points.at(k)), line.stepMarker);
    if (line.startMarker)
        drawGlyph(painter, drawn.first(), *line.startMarker);
}

QList<SimplexChart::LegendEntry> SimplexChart::legendEntries() const
{
    QList<LegendEntry> entries;
    QSet<QString> seen;
    const auto add = [&](const LegendEntry &entry) {
        if (entry.text.isEmpty() || seen.contains(entry.text))
            return;
        seen.insert(entry.text);
        entries.append(entry);
    };
    for (const Polyline &line : m_polylines) {
        add({line.legend, &line, line.stepMarker});
        if (line.startMarker)
            add({line.startLegend, nullptr, *line.startMarker});
    }
    for (const Marker &marker : m_markers)
        add({marker.legend, nullptr, marker.style});
    return entries;
}

QSizeF SimplexChart::legendSize(const QFontMetricsF &metrics) const
{
    const QList<LegendEntry> entries = legendEntries();
    if (entries.isEmpty())
        return {};
    double width = 0.0;
    for (const LegendEntry &entry : entries)
        width = std::max(width, metrics.horizontalAdvance(entry.text));
    return {kLegendSample + 16 + width, entries.size() * legendRowHeight(metrics) + 6};
}

void SimplexChart::drawLegend(QPainter &painter, const Layout &layout) const
{
    if (layout.legend.isEmpty())
        return;
    const QRectF box = layout.legend;
    painter.setPen(QPen(QColor(160, 160, 160), 1.0));
    painter.setBrush(QColor(255, 255, 255, 215));
    painter.drawRect(box);

    const double h = legendRowHeight(QFontMetricsF(painter.font(), painter.device()));
    double y = box.top() + 3;
    for (const LegendEntry &entry : legendEntries()) {
        const QPointF mid(box.left() + 5 + kLegendSample / 2, y + h / 2);
        if (entry.line) {
            QPen pen(entry.line->color, entry.line->width);
            pen.setCapStyle(Qt::RoundCap);
            if (!entry.line->dashes.isEmpty())
                pen.setDashPattern(entry.line->dashes);
            painter.setPen(pen);
            painter.drawLine(QPointF(mid.x() - kLegendSample / 2, mid.y()),
                             QPointF(mid.x() + kLegendSample / 2, mid.y()));
            if (entry.line->markerStep > 0)
                drawGlyph(painter, mid, entry.style);
        } else {
            drawGlyph(painter, mid, entry.style);
        }
        painter.setPen(QColor(20, 20, 20));
        painter.drawText(QRectF(box.left() + 10 + kLegendSample, y, box.right(), h),
                         Qt::AlignLeft | Qt::AlignVCenter, entry.text);
        y += h;
    }
}

// --- events ---

void SimplexChart::resizeEvent(QResizeEvent *event)
{
    m_layout.reset();
    m_fieldImageValid = false;
    QWidget::resizeEvent(event);
}

void SimplexChart::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        invalidate();
    QWidget::changeEvent(event);
}

void SimplexChart::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_bandStart = event->position().toPoint();
    if (!m_band)
        m_band = new QRubberBand(QRubberBand::Rectangle, this);
    m_band->setGeometry(QRect(m_bandStart, QSize()));
    m_band->show();
}

void SimplexChart::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_band || !m_band->isVisible()) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_band->hide();
    const QRect dragged = QRect(m_bandStart, event->position().toPoint()).normalized();
    // A click, or a drag of a few pixels, is no rectangle.
    if (dragged.width() >= 4 && dragged.height() >= 4)
        zoomTo(dragged);
}

void SimplexChart::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        resetZoom();
    else
        QWidget::mouseDoubleClickEvent(event);
}

void SimplexChart::wheelEvent(QWheelEvent *event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0) {
        QWidget::wheelEvent(event);
        return;
    }
    zoomAround(event->position(), std::pow(1.25, steps));
    event->accept();
}

void SimplexChart::keyPressEvent(QKeyEvent *event)
{
    // Esc undoes a zoom; not zoomed, it is the window's (Cancel).
    if (event->key() == Qt::Key_Escape && isZoomed()) {
        resetZoom();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SimplexChart::mouseMoveEvent(QMouseEvent *event)
{
    QWidget::mouseMoveEvent(event);
    if (m_band && m_band->isVisible())
        m_band->setGeometry(QRect(m_bandStart, event->position().toPoint()).normalized());
    const Layout &layout = currentLayout();
    if (!layout.drawable())
        return;
    Barycentric p = toBarycentric(event->position());
    // A pixel that the triangle's border crosses counts as on the border.
    const double pixel = 1.0 / (layout.side * kUnitHeight);
    if (*std::min_element(p.begin(), p.end()) < -pixel)
        return;
    double sum = 0.0;
    for (double &c : p) {
        c = std::max(c, 0.0);
        sum += c;
    }
    for (double &c : p)
        c /= sum;
    emit pointerMoved(p[0], p[1], p[2]);
}

void SimplexChart::invalidate()
{
    m_layout.reset();
    m_fieldImageValid = false;
    update();
}

void SimplexChart::overlaysChanged()
{
    // A legend that changes size may move the triangle.
    const QSizeF legend = legendSize(QFontMetricsF(font(), this));
    if (legend != m_legendSize) {
        m_legendSize = legend;
        invalidate();
    } else {
        update();
    }
}

} // namespace morva::chart
