#ifndef MORVA_MODELS_FRAME_KEPTRUNS_H
#define MORVA_MODELS_FRAME_KEPTRUNS_H

// Earlier runs of a window kept for comparison: a copy of the points of every
// line that draws the run (on each chart page and on the simplex), drawn in
// the run's colours, thinner and dashed, under the current run; at most
// kMost of them, the oldest going first. Each run keeps its inputs as the
// fields showed them; its legend entry names what differs from the current
// run's inputs ("kept: A2A2 fitness 0.500", "kept: same inputs"), and so does
// a readout over one of its lines. Each kept run has a dash pattern of its
// own among those kept.

#include "controls/SimplexChart.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

namespace morva {

namespace chart {
class Chart;
class Series;
}

class KeptRuns {
public:
    static constexpr int kMost = 8;
    // An input's name and its text, in the export's order.
    using Inputs = QList<QPair<QString, QString>>;

    // A page that draws the run: a chart with the series of the run (not
    // its equilibria), or a simplex chart whose every line is the run's.
    struct Page {
        chart::Chart *chart = nullptr;
        QList<const chart::Series *> series;
        chart::SimplexChart *simplex = nullptr;
    };

    KeptRuns() = default;
    KeptRuns(const KeptRuns &) = delete;
    KeptRuns &operator=(const KeptRuns &) = delete;

    // Keeps the run the pages show now, with its inputs (by name, and each
    // field's text by the field's object name); the charts show it at once.
    void keep(const std::vector<Page> &pages, const Inputs &inputs,
              const QMap<QString, QString> &texts);
    void clear();
    int count() const { return int(m_runs.size()); }

    // Names each kept run in the legends by what differs from `current`.
    void relabel(const Inputs &current);
    // Whether a chart series is a kept run's line.
    static bool isKeptLine(const chart::Series *series);
    // Puts the kept lines under the current run's on a simplex chart the
    // window has just refilled.
    void restoreSimplex(chart::SimplexChart *simplex) const;
    // The legend text of the kept run with a line within kReach pixels of
    // `pos` (the chart's pixels; the newest run first); empty when none is.
    QString runNear(const chart::Chart *chart, const QPoint &pos) const;
    QString runNear(const chart::SimplexChart *simplex, const QPointF &pixel) const;
    static constexpr double kReach = 4.0;

    // The kept runs' field texts by field name, oldest first: what re-creates
    // each of them.
    QList<QMap<QString, QString>> keptInputs() const;
    // One line per kept run, oldest first: "kept run 1 (kept: A2A2 fitness
    // 0.500): A1 frequency 0.100, ..." for the export's comment lines.
    QStringList exportLines() const;

    // "kept: " and what differs between `kept` and `current` ("name text"
    // for each, at most three, then "and N more"); "kept: same inputs".
    static QString label(const Inputs &kept, const Inputs &current);

private:
    struct Line {
        QPointer<chart::Chart> chart;
        chart::Series *series = nullptr;  // owned by the chart
    };
    struct Run {
        Inputs inputs;
        QMap<QString, QString> texts;
        QString label;
        QList<qreal> dashes;
        std::vector<Line> lines;     // the copies, each chart's legend entry last
        std::vector<std::pair<QPointer<chart::SimplexChart>, chart::SimplexChart::Polyline>>
            polylines;
    };
    void draw(Run &run, const std::vector<Page> &pages);
    void erase(Run &run);
    static void commit(const Run &run);

    std::deque<Run> m_runs;
    int m_nextPattern = 0;
    int m_made = 0;
};

} // namespace morva

#endif
