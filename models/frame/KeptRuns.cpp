#include "models/frame/KeptRuns.h"

#include "controls/Chart.h"

#include <QLineF>
#include <QSet>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace morva {

namespace {

// Dash patterns (in pen widths) that tell the kept runs apart: as many as
// runs are kept, handed out in turn, so the runs kept at one time never
// share one.
const std::array<QList<qreal>, KeptRuns::kMost> kPatterns = {{
    {6, 4},
    {2, 3},
    {9, 3, 2, 3},
    {14, 5},
    {9, 3, 2, 3, 2, 3},
    {4, 2},
    {18, 4, 4, 4},
    {3, 7},
}};

// The legend sample of a kept run: its dash pattern in a neutral grey.
const QColor kLegendColour(90, 90, 90);
constexpr double kSimplexKeptWidth = 1.0;
constexpr int kLabelDifferences = 3;

// The distance in pixels from `p` to the segment from `a` to `b`.
double segmentDistance(const QPointF &p, const QPointF &a, const QPointF &b)
{
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double t = length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0)
                                 : 0.0;
    return QLineF(p, a + t * ab).length();
}

// Whether any segment of a polyline through `pixels` passes within `reach`.
template <class ToPixel>
bool passesNear(const QList<QPointF> &points, const QPointF &p, double reach, ToPixel toPixel)
{
    std::optional<QPointF> last;
    for (const QPointF &value : points) {
        const QPointF at = toPixel(value);
        if (last && segmentDistance(p, *last, at) <= reach)
            return true;
        last = at;
    }
    return false;
}

// A series draws a run when it has a line to draw: points at two times or
// more (the start markers stand at one), and, for markers, an entry in the
// legend.
bool drawsRun(const chart::Series *series)
{
    if (series->kind() == chart::SeriesKind::Points && !series->inLegend())
        return false;
    // A band is a distribution, not a line of the run: its copy would zigzag.
    if (series->isBand())
        return false;
    const QList<QPointF> &points = series->points();
    return points.size() >= 2 && points.constFirst().x() != points.constLast().x();
}

} // namespace

QString KeptRuns::label(const Inputs &kept, const Inputs &current)
{
    QStringList differences;
    for (const auto &[name, text] : kept) {
        const auto same = std::find_if(current.begin(), current.end(), [&](const auto &input) {
            return input.first == name;
        });
        if (same == current.end() || same->second != text)
            differences << name + QLatin1Char(' ') + text;
    }
    if (differences.isEmpty())
        return QStringLiteral("kept: same inputs");
    const qsizetype more = differences.size() - kLabelDifferences;
    if (more > 0) {
        differences.resize(kLabelDifferences);
        return QStringLiteral("kept: ") + differences.join(QStringLiteral(", "))
               + QStringLiteral(" and %1 more").arg(more);
    }
    return QStringLiteral("kept: ") + differences.join(QStringLiteral(", "));
}

void KeptRuns::keep(const std::vector<Page> &pages, const Inputs &inputs,
                    const QMap<QString, QString> &texts)
{
    if (count() == kMost) {
        erase(m_runs.front());
        m_runs.pop_front();
    }
    Run run;
    run.inputs = inputs;
    run.texts = texts;
    run.label = label(inputs, inputs);
    run.dashes = kPatterns[std::size_t(m_nextPattern)];
    m_nextPattern = (m_nextPattern + 1) % kMost;
    m_runs.push_back(std::move(run));
    draw(m_runs.back(), pages);
}

void KeptRuns::draw(Run &run, const std::vector<Page> &pages)
{
    // "Kept3_Series1": the copy of Series1 in the third run kept.
    const QString stem = QStringLiteral("Kept%1_").arg(++m_made);
    for (const Page &page : pages) {
        if (page.chart) {
            const std::size_t first = run.lines.size();
            for (const chart::Series *series : page.series) {
                if (!drawsRun(series))
                    continue;
                chart::Series *copy =
                    page.chart->addKeptLineSeries(stem + series->name(), series->color(), run.dashes);
                for (const QPointF &p : series->points())
                    copy->addPoint(p.x(), p.y());
                run.lines.push_back({page.chart, copy});
            }
            if (run.lines.size() > first) {
                run.lines.push_back({page.chart, page.chart->addLegendEntry(
                                                     stem + QStringLiteral("Legend"), run.label,
                                                     kLegendColour, run.dashes)});
            }
        }
        if (page.simplex) {
            for (int i = 0; i < page.simplex->polylineCount(); ++i) {
                chart::SimplexChart::Polyline line = page.simplex->polyline(i);
                if (!line.dashes.isEmpty() || line.points.size() < 2)
                    continue;
                line.width = kSimplexKeptWidth;
                line.dashes = run.dashes;
                line.markerStep = 0;
                line.startMarker.reset();
                line.legend = run.label;
                line.startLegend.clear();
                run.polylines.emplace_back(page.simplex, std::move(line));
            }
            restoreSimplex(page.simplex);
        }
    }
    commit(run);
}

// Each chart of the run once: the automatic axes take the kept lines in.
void KeptRuns::commit(const Run &run)
{
    QSet<chart::Chart *> done;
    for (const Line &line : run.lines) {
        if (line.chart && !done.contains(line.chart)) {
            done.insert(line.chart);
            line.chart->commit();
        }
    }
}

void KeptRuns::erase(Run &run)
{
    for (const Line &line : run.lines) {
        if (line.chart)
            line.chart->removeSeries(line.series);
    }
    commit(run);
    const auto polylines = std::move(run.polylines);
    run.polylines.clear();
    for (const auto &[simplex, line] : polylines) {
        if (simplex)
            restoreSimplex(simplex);
    }
}

void KeptRuns::clear()
{
    while (!m_runs.empty()) {
        Run run = std::move(m_runs.back());
        m_runs.pop_back();
        erase(run);
    }
    m_nextPattern = 0;
}

void KeptRuns::relabel(const Inputs &current)
{
    QSet<chart::SimplexChart *> simplexes;
    for (Run &run : m_runs) {
        run.label = label(run.inputs, current);
        for (const Line &line : run.lines) {
            if (line.chart && !line.series->isKept())
                line.series->setTitle(run.label);
        }
        for (auto &[simplex, line] : run.polylines) {
            line.legend = run.label;
            if (simplex)
                simplexes.insert(simplex);
        }
    }
    for (chart::SimplexChart *simplex : std::as_const(simplexes))
        restoreSimplex(simplex);
}

bool KeptRuns::isKeptLine(const chart::Series *series)
{
    return series->isKept();
}

void KeptRuns::restoreSimplex(chart::SimplexChart *simplex) const
{
    QList<chart::SimplexChart::Polyline> current;
    for (int i = 0; i < simplex->polylineCount(); ++i) {
        if (simplex->polyline(i).dashes.isEmpty())
            current << simplex->polyline(i);
    }
    simplex->clearPolylines();
    for (const Run &run : m_runs) {
        for (const auto &[chart, line] : run.polylines) {
            if (chart == simplex)
                simplex->addPolyline(line);
        }
    }
    for (const chart::SimplexChart::Polyline &line : std::as_const(current))
        simplex->addPolyline(line);
}

QString KeptRuns::runNear(const chart::Chart *chart, const QPoint &pos) const
{
    const QRectF area = chart->plotRect();
    const double x0 = chart->bottomAxis()->minimum();
    const double x1 = chart->bottomAxis()->maximum();
    const double y0 = chart->leftAxis()->minimum();
    const double y1 = chart->leftAxis()->maximum();
    if (area.isEmpty() || !(x1 > x0) || !(y1 > y0))
        return QString();
    const auto toPixel = [&](const QPointF &v) {
        return QPointF(area.left() + (v.x() - x0) * area.width() / (x1 - x0),
                       area.bottom() - (v.y() - y0) * area.height() / (y1 - y0));
    };
    for (auto run = m_runs.crbegin(); run != m_runs.crend(); ++run) {
        for (const Line &line : run->lines) {
            if (line.chart == chart && line.series->isKept()
                && passesNear(line.series->points(), QPointF(pos), kReach, toPixel))
                return run->label;
        }
    }
    return QString();
}

QString KeptRuns::runNear(const chart::SimplexChart *simplex, const QPointF &pixel) const
{
    for (auto run = m_runs.crbegin(); run != m_runs.crend(); ++run) {
        for (const auto &[chart, line] : run->polylines) {
            if (chart != simplex)
                continue;
            QList<QPointF> points;
            points.reserve(line.points.size());
            for (const chart::Barycentric &p : line.points)
                points << simplex->toPixel(p);
            if (passesNear(points, pixel, kReach, [](const QPointF &p) { return p; }))
                return run->label;
        }
    }
    return QString();
}

QList<QMap<QString, QString>> KeptRuns::keptInputs() const
{
    QList<QMap<QString, QString>> texts;
    for (const Run &run : m_runs)
        texts << run.texts;
    return texts;
}

QStringList KeptRuns::exportLines() const
{
    QStringList lines;
    int number = 0;
    for (const Run &run : m_runs) {
        QStringList inputs;
        for (const auto &[name, text] : run.inputs)
            inputs << name + QLatin1Char(' ') + text;
        lines << QStringLiteral("kept run %1 (%2): %3")
                     .arg(++number)
                     .arg(run.label, inputs.join(QStringLiteral(", ")));
    }
    return lines;
}

} // namespace morva
