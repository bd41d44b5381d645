#ifndef MORVA_MODELS_MODELDESCRIPTION_H
#define MORVA_MODELS_MODELDESCRIPTION_H

// What a model window is, as data: its input group boxes and fields, the
// double-click completion groups, the checks a run makes in order, the run
// itself, the chart pages with their axes, series, readouts and equilibria,
// the grid columns, a line of notes under the charts and the table export
// writes. DescribedForm builds the window from it and does the rest
// (construction, tab order, refills, readouts, column hints, Cancel, export).
//
// Fields and labels are placed either where the description says, or by the
// automatic layout: BoxSpec::row() puts a label and its fields on the box's
// next row (one row every 30 pixels), the labels of the box in one column,
// everything centred in the box.

#include "arith/Equilibria.h"
#include "controls/Chart.h"
#include "models/frame/ModelForm.h"
#include "models/frame/RunTable.h"

#include <QColor>
#include <QPoint>
#include <QPointF>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class KesSpinEditBase;
class TStringAlignGrid;

namespace morva::form {

using Value = long double;

// A label beside a field (or on its own). Without a place the automatic
// layout puts it before its field.
struct LabelSpec {
    QString name;
    QString text;
    std::optional<QPoint> pos;
    int pixelSize = 13;
};

// A real or integer spin edit; or a plain text field (with a pattern its
// text must match while typed), or a push button, standing among them.
struct FieldSpec {
    enum class Kind { Real, Integer, Text, Button };
    Kind kind = Kind::Real;
    QString name;
    QString text;                     // a text field's text, a button's caption
    QString pattern;                  // a text field's: what its text may be
    std::function<void()> clicked;    // a button's action
    Value value = 0;
    Value minimum = 0;
    Value maximum = 1;
    Value increment = 0.01L;
    std::optional<FieldPlace> place;  // none: the automatic layout's
    QSize size{55, 22};               // the automatic layout's field size
    LabelSpec label;                  // none while its text is empty
    QColor textColor;                 // invalid: the palette's
    int pixelSize = 0;                // 0: the input panel's font
    bool readOnly = false;
    bool runsOnEnter = false;         // Enter in the field runs the model
    bool ownTextCheck = false;        // the run reads its text itself, not the frame
    QString userName;                 // the name messages give the field
    QString hint;                     // its own hint; else its box's
    QString exponent;                 // a mantissa's exponent field
    int row = -1;                     // the automatic layout's row

    FieldSpec &colored(const QColor &color) { textColor = color; return *this; }
    FieldSpec &named(const QString &text) { userName = text; return *this; }
    FieldSpec &hinted(const QString &text) { hint = text; return *this; }
    FieldSpec &at(QPoint pos, QSize fieldSize) { place = FieldPlace{pos, fieldSize}; return *this; }
    FieldSpec &sized(QSize fieldSize) { size = fieldSize; return *this; }
    FieldSpec &pixels(int pixels) { pixelSize = pixels; return *this; }
    FieldSpec &labelled(LabelSpec spec) { label = std::move(spec); return *this; }
    FieldSpec &locked() { readOnly = true; return *this; }
    FieldSpec &runOnEnter() { runsOnEnter = true; return *this; }
    FieldSpec &checksOwnText() { ownTextCheck = true; return *this; }
};

// A real field of [minimum, maximum] stepping by `increment`.
FieldSpec real(const QString &name, Value value, Value minimum = 0, Value maximum = 1,
                    Value increment = 0.01L);
// A 32-bit integer field.
FieldSpec integer(const QString &name, std::int32_t value, std::int32_t minimum,
                   std::int32_t maximum, std::int32_t increment = 1);
// A text field whose text must match the regular expression `pattern` while
// it is typed. Enter and Esc in it act as in the spin edits: Esc does
// nothing, Enter runs when the field runs on Enter.
FieldSpec lineField(const QString &name, const QString &text, const QString &pattern);
// A push button that calls `clicked` (under the error guard).
FieldSpec pushButton(const QString &name, const QString &caption, std::function<void()> clicked);

// A group box of the input panel: in the frequencies or the parameters slot
// (below the earlier boxes of the slot), or the frame's NgGroupBox.
struct BoxSpec {
    enum class Slot { Frequencies, Parameters, Generations };
    Slot slot = Slot::Parameters;
    QString name;
    QString caption;
    QString hint;
    int height = 0;                   // 0: 20 + 30 per automatic row
    std::vector<FieldSpec> fields;    // in tab order
    std::vector<LabelSpec> labels;    // labels of no field
    int rows = 0;

    // The next automatic row: `label`, then the fields left to right.
    BoxSpec &row(const QString &label, std::vector<FieldSpec> rowFields);
    // The next automatic row with a mantissa x 10^exponent pair: `label`, the
    // real mantissa, the small "x10^" label named `timesName`, the integer
    // exponent.
    BoxSpec &scaledRow(const QString &label, FieldSpec mantissa, const QString &timesName,
                       FieldSpec exponent);
    // A field at its own place.
    BoxSpec &add(FieldSpec field);
};

BoxSpec frequencyBox(const QString &name, const QString &caption, const QString &hint);
BoxSpec parameterBox(const QString &name, const QString &caption, const QString &hint);
BoxSpec generationsBox();

// Fields whose values must add up to 1: a double click on one sets it to one
// minus the others, or shows the member's message when they exceed 1.
struct SumGroup {
    std::vector<std::pair<QString, QString>> members;  // field name, message
};
SumGroup sumGroup(const QStringList &fields, const QString &message);

// A check of the inputs before a run: when `passes` is false the run stops
// with `message`.
struct Check {
    std::function<bool()> passes;
    QString message;
};

struct AxisSpec {
    bool automatic = true;
    double minimum = 0;
    double maximum = 1;
    double increment = 0;
    QString picture = QStringLiteral("0.00");
    QString title;
    int separation = 10;
    int tickLength = 4;
    int minorCount = 0;
    int minorLength = 2;
    bool dashedTicks = false;
};

// The time axis of a chart against generations: whole numbers, labels at
// least 35 pixels apart.
inline AxisSpec timeAxis()
{
    return {.picture = QStringLiteral("##0"), .title = QStringLiteral("time (generations)"),
            .separation = 35};
}

// An axis that spans the data, `picture` labels at least 25 pixels apart.
inline AxisSpec automaticAxis(const QString &picture, const QString &title)
{
    return {.picture = picture, .title = title, .separation = 25};
}

// Collects the points of one series at a refill.
class Plot {
public:
    explicit Plot(chart::Series *series) : m_series(series) {}
    void add(Value x, Value y);
    // The segment from (x0, y) to (x1, y).
    void level(Value y, Value x0, Value x1);

private:
    chart::Series *m_series;
};

struct SeriesSpec {
    chart::SeriesKind kind = chart::SeriesKind::Line;
    QString name;
    QString title;
    QColor color;
    chart::PenStyle pen = chart::PenStyle::Solid;
    chart::MarkerShape marker = chart::MarkerShape::Circle;
    int halfSize = 3;
    QColor fill = Qt::white;
    bool inLegend = true;
    int width = 1;                        // a line's, in pixels
    bool plain = false;                   // a thin line the chart adapter draws itself
    bool band = false;                    // a filled band (chart::Chart::addBandSeries)
    std::function<void(Plot &)> points;   // called at every refill
};

SeriesSpec lineSeries(const QString &name, const QString &title, const QColor &color,
                      chart::PenStyle pen, std::function<void(Plot &)> points,
                      bool inLegend = true);
// A solid line one pixel wide among many (chart::Chart::addPlainLineSeries).
SeriesSpec plainLineSeries(const QString &name, const QString &title, const QColor &color,
                           std::function<void(Plot &)> points, bool inLegend = true);
SeriesSpec pointSeries(const QString &name, const QString &title, const QColor &color,
                       chart::MarkerShape marker, int halfSize, const QColor &fill,
                       std::function<void(Plot &)> points, bool inLegend = true);

// The equilibria on a chart (models/frame/EquilibriumMarks.h): a marker for each
// one of the window's equilibria at `place`, filled when stable, hollow when
// unstable; the pointer over one reads `readout`.
struct MarkerSpec {
    std::function<QPointF(const Equilibrium &)> place;
    std::function<QString(const Equilibrium &)> readout;
    bool unstableInLegend = true;
};

// Dotted lines across a chart against time at the frequencies of one
// equilibrium (`at` picks it from the window's; nullptr: no lines), from
// the first to the last time of `span`.
struct LevelSpec {
    int alleles = 2;
    QString title;
    std::function<const Equilibrium *(const EquilibriumSet &)> at;
    std::function<std::pair<double, double>()> span;
};

struct ChartSpec {
    QString sheetName;
    QString title;       // the page's tab
    QString chartName;
    QColor backColor = Qt::white;
    QColor leftWallColor;
    QColor panelColor;   // invalid: the window colour of the palette
    int legendWidth = 25;
    QString hiddenTitle;
    bool crossHair = false;
    AxisSpec bottom;
    AxisSpec left;
    std::vector<SeriesSpec> series;
    // The status-bar readout at axis values (x, y) inside the plotting area.
    std::function<QString(Value x, Value y)> readout;
    // Equilibria, after the series: level lines, then markers.
    std::optional<LevelSpec> levels;
    std::optional<MarkerSpec> markers;
    // Anything the chart needs besides.
    std::function<void(chart::Chart *)> finish;
};

// What a grid cell or readout shows where a quantity is undefined.
inline const QString kUndefinedText = QStringLiteral("-");

// A grid column: header, hint, text colour, and its texts at each row.
struct ColumnSpec {
    QString header;
    QString hint;
    QColor color;                               // invalid: the grid's
    std::function<Value(int row)> value;        // row 0: the first after the header
    std::function<QString(Value)> format;
    bool alignRight = false;
    // None: every row has a value. Else a row where it is false shows
    // kUndefinedText and its value is never asked for.
    std::function<bool(int row)> defined = nullptr;
};

struct GridSpec {
    std::vector<ColumnSpec> columns;
    std::function<int()> rows;                       // rows below the header
    int fontPixels = 0;                              // 0: the panel's font
    std::function<void(TStringAlignGrid *)> design;  // once, when built
    std::function<void(TStringAlignGrid *)> prepare; // at every FormShow, before the header
};

// The run as a table for export (models/frame/RunTable.h).
struct ExportSpec {
    QString fileStem;       // empty: the catalogue's for the window; none there: no export
    // An input's name and field, with the exponent field of a mantissa x
    // 10^exponent pair ("1.000x10^-6"); none: every field under its
    // user-facing name (a text field under its user name), a pair as one,
    // buttons left out.
    struct Input {
        QString name;
        QString field;
        QString exponent = {};
    };
    std::vector<Input> inputs;
    // Header and value per row; none: the grid's columns and rows.
    std::vector<std::pair<QString, std::function<Value(int row)>>> columns;
    std::function<int()> rows;
    // None: the equilibria's lines, or without equilibria the window's note.
    std::function<QStringList()> notes;
    // The generation of each row, ascending from 0; none: the rows are no
    // run over generations. Where they leave generations out, the export
    // says which it holds, and offers `everyGeneration` for runs of up to
    // kEveryGenerationMost generations.
    std::function<std::vector<std::int32_t>()> generations;
    // The last run again with every generation, its rows in the export's
    // columns, each row the same bits as the table's row of its generation.
    // Asked when the run is kept: what it returns must hold that run's
    // inputs, not read the window later.
    std::function<RowSource()> everyGeneration;
};

// The longest run whose every generation Save As offers.
inline constexpr std::int32_t kEveryGenerationMost = 1000000;

// The number of generations a run makes, as Continue reads and writes it:
// its field, with its power-of-ten field where the number is mantissa x
// 10^exponent, and the most generations a run makes (0: the field's
// maximum).
struct GenerationsSpec {
    QString field;
    QString exponent = {};
    std::int64_t most = 0;
};

struct ModelDescription {
    QString objectName;
    ModelFormSettings settings;        // gridColumns follows the columns
    std::optional<QPoint> runPos;      // none: below NgGroupBox, centred
    std::vector<BoxSpec> boxes;        // frequency and parameter boxes, then generations
    std::vector<SumGroup> sumGroups;
    std::vector<Check> checks;         // in order
    std::function<void()> run;         // after the checks passed
    // The busy pointer from the checks passed until the results are shown
    // (for runs that may take longer than a tenth of a second).
    bool busyPointer = false;
    std::vector<ChartSpec> pages;
    GridSpec grid;
    // A line under the charts after a run (none: no line), with room for
    // noteLines lines of text.
    std::function<QString()> note;
    int noteLines = 2;
    // The equilibria the charts mark, computed at each refill of the charts.
    std::function<EquilibriumSet()> equilibria;
    ExportSpec exports;
    // None: the first integer field of the generations box.
    std::optional<GenerationsSpec> generations;
};

} // namespace morva::form

#endif
