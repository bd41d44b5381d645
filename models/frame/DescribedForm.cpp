#include "models/frame/DescribedForm.h"

#include "arith/CheckedInt.h"
#include "arith/Errors.h"
#include "arith/Power.h"
#include "controls/Aligrid.h"
#include "controls/Chart.h"
#include "controls/KesSpinEdits1.h"
#include "controls/SimplexChart.h"
#include "models/Catalogue.h"
#include "models/frame/RunExport.h"
#include "models/frame/RunTable.h"
#include "platform/Application.h"
#include "platform/Hint.h"
#include "platform/NumberText.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScopeGuard>

#include <algorithm>
#include <cmath>
#include <limits>

namespace morva {

using namespace form;

namespace {

// The automatic layout: one row every 30 pixels from the box's top, a gap
// between the label column and the fields and between a row's fields.
constexpr int kFirstRowTop = 18;
constexpr int kRowStep = 30;
constexpr int kLabelGap = 6;
constexpr int kInlineGap = 4;
constexpr int kInlineLabelPixels = 11;
constexpr int kRunBelowBoxes = 25;
// A marker answers the pointer within this many pixels.
constexpr int kMarkerReach = 5;

int boxHeight(const BoxSpec &spec)
{
    return spec.height > 0 ? spec.height : 20 + kRowStep * spec.rows;
}

void setPixelSize(QWidget *widget, int pixels)
{
    QFont font = widget->font();
    font.setPixelSize(pixels);
    widget->setFont(font);
}

void applyAxis(chart::Axis *axis, const AxisSpec &spec)
{
    if (spec.automatic)
        axis->setAutomatic();
    else
        axis->setFixedRange(spec.minimum, spec.maximum);
    axis->setIncrement(spec.increment);
    axis->setLabelPicture(spec.picture);
    axis->setTitle(spec.title);
    axis->setLabelSeparation(spec.separation);
    axis->setTickLength(spec.tickLength);
    axis->setMinorTicks(spec.minorCount, spec.minorLength);
    axis->setDashedTicks(spec.dashedTicks);
}

// The busy pointer while it lives, restored however the scope ends.
class BusyPointer {
public:
    BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;
};

chart::Series *addSeries(chart::Chart *chart, const SeriesSpec &s)
{
    if (s.kind == chart::SeriesKind::Line && s.band)
        return chart->addBandSeries(s.name, s.title, s.color, s.inLegend);
    if (s.kind == chart::SeriesKind::Line && s.plain)
        return chart->addPlainLineSeries(s.name, s.title, s.color, s.inLegend);
    if (s.kind == chart::SeriesKind::Line)
        return chart->addLineSeries(s.name, s.title, s.color, s.pen, s.inLegend, s.width);
    return chart->addPointSeries(s.name, s.title, s.color, s.marker, s.halfSize, s.fill,
                                 s.inLegend);
}

} // namespace

// --- description helpers ---

namespace form {

FieldSpec real(const QString &name, Value value, Value minimum, Value maximum,
                    Value increment)
{
    FieldSpec f;
    f.name = name;
    f.value = value;
    f.minimum = minimum;
    f.maximum = maximum;
    f.increment = increment;
    return f;
}

FieldSpec integer(const QString &name, std::int32_t value, std::int32_t minimum,
                   std::int32_t maximum, std::int32_t increment)
{
    FieldSpec f = real(name, value, minimum, maximum, increment);
    f.kind = FieldSpec::Kind::Integer;
    f.size = QSize(65, 22);
    return f;
}

FieldSpec lineField(const QString &name, const QString &text, const QString &pattern)
{
    FieldSpec f;
    f.kind = FieldSpec::Kind::Text;
    f.name = name;
    f.text = text;
    f.pattern = pattern;
    f.size = QSize(140, 22);
    return f;
}

FieldSpec pushButton(const QString &name, const QString &caption, std::function<void()> clicked)
{
    FieldSpec f;
    f.kind = FieldSpec::Kind::Button;
    f.name = name;
    f.text = caption;
    f.clicked = std::move(clicked);
    f.size = QSize(ModelForm::kButtonWidth, ModelForm::kButtonHeight);
    return f;
}

BoxSpec &BoxSpec::row(const QString &label, std::vector<FieldSpec> rowFields)
{
    for (std::size_t i = 0; i < rowFields.size(); ++i) {
        FieldSpec &f = rowFields[i];
        f.row = rows;
        if (i == 0 && !label.isEmpty())
            f.label.text = label;
        if (!f.label.text.isEmpty() && f.label.name.isEmpty())
            f.label.name = f.name + QStringLiteral("Label");
        fields.push_back(std::move(f));
    }
    ++rows;
    return *this;
}

BoxSpec &BoxSpec::scaledRow(const QString &label, FieldSpec mantissa, const QString &timesName,
                            FieldSpec exponent)
{
    mantissa.size = QSize(52, 22);
    exponent.size = QSize(40, 22);
    exponent.label = LabelSpec{timesName, QStringLiteral("x10^"), std::nullopt,
                               kInlineLabelPixels};
    // The row is full: its label in the small font too.
    mantissa.label = LabelSpec{QString(), label, std::nullopt, kInlineLabelPixels};
    mantissa.exponent = exponent.name;
    return row(QString(), {std::move(mantissa), std::move(exponent)});
}

BoxSpec &BoxSpec::add(FieldSpec field)
{
    fields.push_back(std::move(field));
    return *this;
}

BoxSpec frequencyBox(const QString &name, const QString &caption, const QString &hint)
{
    BoxSpec b;
    b.slot = BoxSpec::Slot::Frequencies;
    b.name = name;
    b.caption = caption;
    b.hint = hint;
    return b;
}

BoxSpec parameterBox(const QString &name, const QString &caption, const QString &hint)
{
    BoxSpec b = frequencyBox(name, caption, hint);
    b.slot = BoxSpec::Slot::Parameters;
    return b;
}

BoxSpec generationsBox()
{
    BoxSpec b;
    b.slot = BoxSpec::Slot::Generations;
    return b;
}

SumGroup sumGroup(const QStringList &fields, const QString &message)
{
    SumGroup g;
    for (const QString &field : fields)
        g.members.emplace_back(field, message);
    return g;
}

void Plot::add(Value x, Value y)
{
    m_series->addPoint(static_cast<double>(x), static_cast<double>(y));
}

void Plot::level(Value y, Value x0, Value x1)
{
    add(x0, y);
    add(x1, y);
}

SeriesSpec lineSeries(const QString &name, const QString &title, const QColor &color,
                      chart::PenStyle pen, std::function<void(Plot &)> points, bool inLegend)
{
    SeriesSpec s;
    s.name = name;
    s.title = title;
    s.color = color;
    s.pen = pen;
    s.points = std::move(points);
    s.inLegend = inLegend;
    return s;
}

SeriesSpec plainLineSeries(const QString &name, const QString &title, const QColor &color,
                           std::function<void(Plot &)> points, bool inLegend)
{
    SeriesSpec s = lineSeries(name, title, color, chart::PenStyle::Solid, std::move(points),
                              inLegend);
    s.plain = true;
    return s;
}

SeriesSpec pointSeries(const QString &name, const QString &title, const QColor &color,
                       chart::MarkerShape marker, int halfSize, const QColor &fill,
                       std::function<void(Plot &)> points, bool inLegend)
{
    SeriesSpec s = lineSeries(name, title, color, chart::PenStyle::Solid, std::move(points),
                              inLegend);
    s.kind = chart::SeriesKind::Points;
    s.marker = marker;
    s.halfSize = halfSize;
    s.fill = fill;
    return s;
}

} // namespace form

// --- the window ---

ModelFormSettings DescribedForm::settingsFor(const ModelDescription &d)
{
    ModelFormSettings s = d.settings;
    s.gridColumns = int(d.grid.columns.size());
    if (d.runPos) {
        s.runPos = *d.runPos;
        return s;
    }
    // Below the stack: three spacers, the boxes a spacer apart within their
    // slot, NgGroupBox.
    int top = 3 * s.spacerHeight + s.ngBoxHeight;
    int inSlot[2] = {0, 0};
    for (const BoxSpec &box : d.boxes) {
        if (box.slot == BoxSpec::Slot::Generations)
            continue;
        int &count = inSlot[box.slot == BoxSpec::Slot::Frequencies ? 0 : 1];
        top += boxHeight(box) + (count++ > 0 ? s.spacerHeight : 0);
    }
    const int panelClient = s.inputPanelWidth - 2;
    s.runPos = QPoint((panelClient - kButtonWidth) / 2, top + kRunBelowBoxes);
    return s;
}

DescribedForm::DescribedForm(ModelDescription description, std::function<void()> handBack,
                             QWidget *parent)
    : ModelForm(settingsFor(description), std::move(handBack), parent)
    , m_description(std::move(description))
{
    setObjectName(m_description.objectName);
    for (const BoxSpec &box : m_description.boxes)
        buildBox(box);
    for (const SumGroup &group : m_description.sumGroups)
        connectSumGroup(group);
    for (const ChartSpec &page : m_description.pages)
        buildPage(page);
    designGrid();
    if (m_description.note)
        buildNote();
    resolveGenerations();
    // Each kept run is named by what differs from the run in front.
    connect(this, &ModelForm::resultsChanged, this, guardedSlot([this] {
                if (hasResults())
                    m_kept.relabel(results().inputs);
            }));
}

DescribedForm::~DescribedForm() = default;

void DescribedForm::buildBox(const BoxSpec &spec)
{
    QGroupBox *box = ngGroupBox();
    if (spec.slot != BoxSpec::Slot::Generations) {
        const InputSlot slot = spec.slot == BoxSpec::Slot::Frequencies ? InputSlot::Frequencies
                                                                        : InputSlot::Parameters;
        box = addGroupBox(slot, spec.name, spec.caption, spec.hint, boxHeight(spec));
    }
    // Each row's widgets left to right, for the automatic layout.
    std::vector<std::vector<QWidget *>> rows(std::size_t(spec.rows));
    std::vector<QWidget *> rowLabels(std::size_t(spec.rows), nullptr);
    for (const FieldSpec &f : spec.fields) {
        QLabel *label = nullptr;
        if (!f.label.text.isEmpty())
            label = addLabel(box, f.label.name, f.label.text, f.label.pos.value_or(QPoint()),
                             f.label.pixelSize);
        QWidget *field = buildField(box, f);
        if (f.row < 0)
            continue;
        auto &row = rows.at(std::size_t(f.row));
        if (label && row.empty() && !rowLabels[std::size_t(f.row)])
            rowLabels[std::size_t(f.row)] = label;
        else if (label)
            row.push_back(label);
        row.push_back(field);
    }
    for (const LabelSpec &l : spec.labels)
        addLabel(box, l.name, l.text, l.pos.value_or(QPoint()), l.pixelSize);

    // The automatic layout: the row labels in one column, the rows centred
    // in the box together.
    int labelColumn = 0;
    int widest = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (rowLabels[r])
            labelColumn = std::max(labelColumn, rowLabels[r]->width());
        int width = 0;
        for (QWidget *w : rows[r])
            width += w->width() + (width > 0 ? kInlineGap : 0);
        widest = std::max(widest, width);
    }
    const int gap = labelColumn > 0 ? kLabelGap : 0;
    const int boxWidth = m_description.settings.inputPanelWidth - 2;
    const int left = std::max(kInlineGap, (boxWidth - labelColumn - gap - widest) / 2);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int top = kFirstRowTop + kRowStep * int(r);
        const auto centred = [top](QWidget *w, int height) {
            return top + (height - w->height()) / 2;
        };
        const int rowHeight = rows[r].empty() ? 22 : rows[r].front()->height();
        if (QWidget *label = rowLabels[r])
            label->move(left, centred(label, rowHeight));
        int x = left + labelColumn + gap;
        for (QWidget *w : rows[r]) {
            w->move(x, qobject_cast<QLabel *>(w) ? centred(w, rowHeight) : top);
            x += w->width() + kInlineGap;
        }
    }
}

QWidget *DescribedForm::buildOther(QWidget *box, const FieldSpec &f)
{
    const FieldPlace place = f.place.value_or(FieldPlace{QPoint(), f.size});
    QWidget *widget = nullptr;
    if (f.kind == FieldSpec::Kind::Text) {
        auto *field = new QLineEdit(f.text, box);
        field->setValidator(new QRegularExpressionValidator(QRegularExpression(f.pattern), field));
        field->installEventFilter(this);
        m_lineEdits.insert(field, f.runsOnEnter);
        if (f.textColor.isValid()) {
            QPalette palette = field->palette();
            palette.setColor(QPalette::Text, f.textColor);
            field->setPalette(palette);
        }
        field->setReadOnly(f.readOnly);
        widget = field;
    } else {
        auto *button = new QPushButton(f.text, box);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, guardedSlot(f.clicked));
        widget = button;
    }
    widget->setObjectName(f.name);
    widget->setGeometry(QRect(place.pos, place.size));
    if (f.pixelSize > 0)
        setPixelSize(widget, f.pixelSize);
    if (!f.userName.isEmpty())
        widget->setAccessibleName(f.userName);
    if (!f.hint.isEmpty())
        widget->setStatusTip(f.hint);
    m_others.insert(f.name, widget);
    return widget;
}

QWidget *DescribedForm::buildField(QWidget *box, const FieldSpec &f)
{
    if (f.kind == FieldSpec::Kind::Text || f.kind == FieldSpec::Kind::Button)
        return buildOther(box, f);
    const FieldPlace place = f.place.value_or(FieldPlace{QPoint(), f.size});
    KesSpinEditBase *field = nullptr;
    if (f.kind == FieldSpec::Kind::Real) {
        field = addRealField(box, f.name, place, f.value, f.minimum, f.maximum, f.increment,
                             f.textColor);
    } else {
        const auto whole = [](Value v) { return static_cast<std::int32_t>(v); };
        field = addIntField(box, f.name, place, whole(f.value), whole(f.minimum),
                            whole(f.maximum), whole(f.increment));
    }
    if (f.pixelSize > 0)
        setPixelSize(field, f.pixelSize);
    // A designed width is a minimum: the field shows its largest value whole.
    field->growToShowLimits();
    if (f.readOnly)
        field->setReadOnly(true);
    if (!f.userName.isEmpty())
        field->setAccessibleName(f.userName);
    if (!f.hint.isEmpty())
        field->setStatusTip(f.hint);
    if (f.ownTextCheck)
        leaveTextCheckToModel(field);
    if (f.runsOnEnter) {
        connect(field, &KesSpinEditBase::OnKeyDown, this,
                guardedSlot([this](int key, Qt::KeyboardModifiers) {
                    if (isEnterKey(key))
                        startRun();
                }));
    }
    m_fields.insert(f.name, field);
    return field;
}

void DescribedForm::connectSumGroup(const SumGroup &group)
{
    for (const auto &[name, message] : group.members) {
        auto *field = realField(name);
        QList<const TKesRealSpinEdit *> others;
        for (const auto &member : group.members) {
            if (member.first != name)
                others.append(realField(member.first));
        }
        connect(field, &KesSpinEditBase::OnDblClick, this,
                guardedSlot([this, field, others, message = message] {
                    applyFrequencyRule(field, others, message);
                }));
    }
}

void DescribedForm::buildPage(const ChartSpec &spec)
{
    Page page;
    page.chart = addChartPage(spec.sheetName, spec.title, spec.chartName);
    chart::Chart *c = page.chart;
    c->setBackColor(spec.backColor);
    if (spec.leftWallColor.isValid())
        c->setLeftWallColor(spec.leftWallColor);
    c->setPanelColor(spec.panelColor.isValid() ? spec.panelColor
                                               : palette().color(QPalette::Base));
    c->setLegendSampleWidth(spec.legendWidth);
    if (!spec.hiddenTitle.isEmpty())
        c->setHiddenTitle(spec.hiddenTitle);
    if (spec.crossHair)
        c->setCrossHairCursor(true);
    applyAxis(c->bottomAxis(), spec.bottom);
    applyAxis(c->leftAxis(), spec.left);
    for (const SeriesSpec &s : spec.series)
        page.series.push_back(addSeries(c, s));
    if (spec.levels)
        page.levels = addEquilibriumLevels(c, spec.levels->alleles, spec.levels->title);
    if (spec.markers)
        page.marks = addEquilibriumMarkers(c, spec.markers->unstableInLegend);
    if (spec.finish)
        spec.finish(c);
    const std::size_t index = m_pages.size();
    connect(c, &chart::Chart::OnMouseMove, this,
            guardedSlot([this, index](const QPoint &pos) { chartMouseMove(index, pos); }));
    m_pages.push_back(std::move(page));
}

void DescribedForm::designGrid()
{
    TStringAlignGrid *g = grid();
    const GridSpec &spec = m_description.grid;
    g->setAlignment(alCenter);
    if (spec.fontPixels > 0)
        setPixelSize(g, spec.fontPixels);
    for (std::size_t c = 0; c < spec.columns.size(); ++c) {
        if (spec.columns[c].alignRight)
            g->setAlignCol(int(c), alRight);
    }
    if (spec.design)
        spec.design(g);
    const bool hinted = std::any_of(spec.columns.begin(), spec.columns.end(),
                                    [](const ColumnSpec &c) { return !c.hint.isEmpty(); });
    if (hinted) {
        connect(g, &TStringAlignGrid::OnMouseMove, this,
                guardedSlot([this](Qt::KeyboardModifiers, const QPoint &pos) {
                    gridMouseMove(pos);
                }));
    }
}

void DescribedForm::buildNote()
{
    // The line stands in the chart area's bottom margin, grown to the
    // description's lines of text so that a long note wraps rather than
    // being cut off.
    auto *margin = outputGraphPanel()->findChild<QWidget *>(QStringLiteral("OutputGraphPanelBot"));
    auto *layout = new QHBoxLayout(margin);
    layout->setContentsMargins(kMargin, 0, kMargin, 0);
    m_note = new QLabel(margin);
    m_note->setObjectName(QStringLiteral("NoteLabel"));
    m_note->setWordWrap(true);
    layout->addWidget(m_note);
    margin->setFixedHeight(std::max(
        kMargin, m_description.noteLines * m_note->fontMetrics().lineSpacing() + 4));
}

// --- field values ---

TKesRealSpinEdit *DescribedForm::realField(const QString &name) const
{
    return qobject_cast<TKesRealSpinEdit *>(m_fields.value(name));
}

TKesSpinEdit *DescribedForm::intField(const QString &name) const
{
    return qobject_cast<TKesSpinEdit *>(m_fields.value(name));
}

QLineEdit *DescribedForm::lineEdit(const QString &name) const
{
    return qobject_cast<QLineEdit *>(m_others.value(name));
}

QPushButton *DescribedForm::button(const QString &name) const
{
    return qobject_cast<QPushButton *>(m_others.value(name));
}

chart::Chart *DescribedForm::chart(int page) const
{
    return page >= 0 && std::size_t(page) < m_pages.size() ? m_pages[std::size_t(page)].chart
                                                           : nullptr;
}

chart::Series *DescribedForm::series(int page, const QString &name) const
{
    chart::Chart *c = chart(page);
    return c ? c->seriesByName(name) : nullptr;
}

void DescribedForm::bindControl(chart::Series *&member, const QString &name) const
{
    member = nullptr;
    for (const Page &page : m_pages) {
        if ((member = page.chart->seriesByName(name)))
            return;
    }
}

long double DescribedForm::settled(const QString &name) const
{
    if (const TKesRealSpinEdit *real = realField(name))
        return real->ClampValue(real->value());
    const TKesSpinEdit *integer = intField(name);
    if (!integer)
        throw ERangeError();
    return integer->ClampValue(integer->value());
}

long double DescribedForm::scaled(const QString &mantissa, const QString &exponent) const
{
    const long double power = Power(10.0L, settled(exponent));
    return settled(mantissa) * power;
}

std::int32_t DescribedForm::typedInteger(const QString &name) const
{
    const QString text = m_fields.value(name)->text();
    return text.isEmpty() ? 0 : text::textToInteger(text);
}

// --- run and refills ---

void DescribedForm::runDescribed()
{
    for (const Check &check : m_description.checks) {
        if (!check.passes()) {
            showError(check.message);
            return;
        }
    }
    std::optional<BusyPointer> busy;
    if (m_description.busyPointer)
        busy.emplace();
    m_description.run();
    // As the run read them: showing the results may settle a field.
    LastRun run{inputTexts(), generationsTyped().value_or(0)};
    showResults();
    if (hasResults())
        m_lastRun = std::move(run);
}

// Enter and Esc in a text field: taken by the field as a spin edit takes
// them; Enter runs when the field runs on Enter.
bool DescribedForm::textFieldKey(QLineEdit *field, int key)
{
    if (key == Qt::Key_Escape)
        return true;
    if (!isEnterKey(key))
        return false;
    if (m_lineEdits.value(field))
        guarded([this] { startRun(); });
    return true;
}

bool DescribedForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *field = qobject_cast<QLineEdit *>(watched);
        if (field && m_lineEdits.contains(field)
            && textFieldKey(field, static_cast<QKeyEvent *>(event)->key()))
            return true;
    }
    return ModelForm::eventFilter(watched, event);
}

void DescribedForm::prepareGrid()
{
    TStringAlignGrid *g = grid();
    const GridSpec &spec = m_description.grid;
    if (spec.prepare)
        spec.prepare(g);
    for (std::size_t c = 0; c < spec.columns.size(); ++c) {
        const ColumnSpec &column = spec.columns[c];
        if (column.color.isValid())
            g->columnFont(int(c))->setColor(column.color);
        g->setCell(int(c), 0, column.header);
    }
}

void DescribedForm::OutputNumbersPanelEnter()
{
    const GridSpec &spec = m_description.grid;
    const int rows = spec.rows();
    TStringAlignGrid *g = grid();
    g->setRowCount(checkedAdd(rows, 1));
    for (int r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c < spec.columns.size(); ++c) {
            const ColumnSpec &column = spec.columns[c];
            const bool known = !column.defined || column.defined(r);
            g->setCell(int(c), r + 1, known ? column.format(column.value(r)) : kUndefinedText);
        }
    }
    g->show();
}

void DescribedForm::OutputGraphPanelEnter()
{
    if (m_description.equilibria)
        m_equilibria = m_description.equilibria();
    for (std::size_t i = 0; i < m_pages.size(); ++i)
        fillPage(i);
    if (m_note)
        m_note->setText(m_description.note());
}

void DescribedForm::fillPage(std::size_t index)
{
    Page &page = m_pages[index];
    const ChartSpec &spec = m_description.pages[index];
    for (int i = 0; i < page.chart->seriesCount(); ++i) {
        if (!KeptRuns::isKeptLine(page.chart->series(i)))
            page.chart->series(i)->clear();
    }
    for (std::size_t i = 0; i < spec.series.size(); ++i) {
        if (spec.series[i].points) {
            Plot plot(page.series[i]);
            spec.series[i].points(plot);
        }
    }
    if (spec.levels) {
        const auto [from, to] = spec.levels->span();
        fillEquilibriumLevels(page.levels, spec.levels->at(m_equilibria), from, to);
    }
    if (spec.markers)
        page.places = fillEquilibriumMarkers(page.marks, m_equilibria.points, spec.markers->place);
    page.chart->commit();
}

// --- readouts and hints ---

void DescribedForm::chartMouseMove(std::size_t index, const QPoint &pos)
{
    const Page &page = m_pages[index];
    const ChartSpec &spec = m_description.pages[index];
    if (spec.markers && markerReadout(page.chart, pos, page.places, [this, &spec](int i) {
            return spec.markers->readout(m_equilibria.points[std::size_t(i)]);
        }))
        return;
    // Over a kept run's line: the readout names that run.
    if (const QString kept = m_kept.runNear(page.chart, pos); !kept.isEmpty()) {
        chartReadout(page.chart, pos, [&spec, &kept](Value x, Value y) {
            return spec.readout ? spec.readout(x, y) + QStringLiteral("   ") + kept : kept;
        });
        return;
    }
    if (spec.readout)
        chartReadout(page.chart, pos, spec.readout);
    else if (page.chart->statusTip().startsWith(QStringLiteral("kept: ")))
        setHint(page.chart, QString());  // no readout of its own: only over a kept line
}

void DescribedForm::gridMouseMove(const QPoint &pos)
{
    QStringList hints;
    for (const ColumnSpec &column : m_description.grid.columns)
        hints << column.hint;
    gridColumnHint(pos, hints);
}

// --- export ---

namespace {

// A table of some of a run's generations says which, and can be had with
// every one.
void describeSample(const ExportSpec &spec, const std::vector<std::int32_t> &generations,
                    RunTable &table)
{
    const bool sample = !generations.empty() && generations.front() == 0
                        && std::int64_t(generations.back()) + 1 != std::int64_t(generations.size());
    if (!sample)
        return;
    table.generationsShown = generationsShownText(generations);
    if (spec.everyGeneration && generations.back() <= kEveryGenerationMost)
        table.everyGeneration = spec.everyGeneration();
}

} // namespace

RunTable DescribedForm::runTable() const
{
    const ExportSpec &spec = m_description.exports;
    RunTable table;
    table.fileStem = spec.fileStem;
    if (table.fileStem.isEmpty()) {
        if (const CatalogueRow *row = catalogueRowOfWindow(this))
            table.fileStem = row->fileStem;
    }
    if (table.fileStem.isEmpty())
        return table;
    const auto edit = [this](const QString &name) -> const QLineEdit * {
        const QLineEdit *field = m_fields.value(name);
        return field ? field : lineEdit(name);
    };
    std::vector<ExportSpec::Input> inputs = spec.inputs;
    if (inputs.empty()) {
        QStringList exponents;
        for (const BoxSpec &box : m_description.boxes) {
            for (const FieldSpec &f : box.fields) {
                if (exponents.contains(f.name))
                    continue;
                exponents << f.exponent;
                if (const KesSpinEditBase *field = m_fields.value(f.name))
                    inputs.push_back({fieldName(field), f.name, f.exponent});
                else if (const QLineEdit *text = lineEdit(f.name))
                    inputs.push_back({text->accessibleName().isEmpty() ? f.name
                                                                       : text->accessibleName(),
                                      f.name});
            }
        }
    }
    for (const ExportSpec::Input &input : inputs) {
        QString value = fieldText(edit(input.field));
        if (!input.exponent.isEmpty())
            value += QStringLiteral("x10^") + fieldText(edit(input.exponent));
        table.inputs.append({input.name, value});
    }
    // Asked before the charts' refill: the equilibria of this run afresh.
    if (spec.notes)
        table.notes = spec.notes();
    else if (m_description.equilibria)
        table.notes = equilibriumLines(m_description.equilibria(), false);
    else if (m_description.note)
        table.notes = QStringList{m_description.note()};

    std::vector<std::pair<QString, std::function<Value(int)>>> columns = spec.columns;
    if (columns.empty()) {
        for (const ColumnSpec &c : m_description.grid.columns) {
            if (!c.defined) {
                columns.emplace_back(c.header.trimmed(), c.value);
                continue;
            }
            // A row the grid shows undefined ("-") exports NaN; its value is
            // never asked for.
            columns.emplace_back(c.header.trimmed(), [c](int row) {
                return c.defined(row) ? c.value(row) : std::numeric_limits<Value>::quiet_NaN();
            });
        }
    }
    const int rows = spec.rows ? spec.rows() : m_description.grid.rows();
    for (const auto &column : columns)
        table.header << column.first;
    table.values.reserve(std::size_t(rows) * columns.size());
    for (int r = 0; r < rows; ++r) {
        for (const auto &column : columns)
            table.values.push_back(column.second(r));
    }
    if (spec.generations)
        describeSample(spec, spec.generations(), table);
    return table;
}

} // namespace morva

// --- kept runs and Continue ---

namespace morva {

std::vector<KeptRuns::Page> DescribedForm::keptPages() const
{
    std::vector<KeptRuns::Page> pages;
    for (const Page &page : m_pages) {
        KeptRuns::Page kept;
        kept.chart = page.chart;
        for (const chart::Series *series : page.series)
            kept.series << series;
        pages.push_back(kept);
    }
    for (const ChartPage &page : chartPages()) {
        if (auto *simplex = qobject_cast<chart::SimplexChart *>(page.chart))
            pages.push_back(KeptRuns::Page{nullptr, {}, simplex});
    }
    return pages;
}

void DescribedForm::keepRun()
{
    if (!hasResults())
        return;
    m_kept.keep(keptPages(), results().inputs, m_lastRun ? m_lastRun->texts : inputTexts());
    m_kept.relabel(results().inputs);
}

void DescribedForm::clearKeptRuns()
{
    m_kept.clear();
}

bool DescribedForm::keepRunOf(const QMap<QString, QString> &texts)
{
    const QMap<QString, QString> shown = inputTexts();
    const auto write = [this](const QMap<QString, QString> &values) {
        for (auto it = values.begin(); it != values.end(); ++it) {
            if (QLineEdit *field = m_fields.value(it.key()))
                field->setText(it.value());
            else if (QLineEdit *text = lineEdit(it.key()))
                text->setText(it.value());
        }
    };
    const auto restore = qScopeGuard([&] { write(shown); });
    write(texts);
    m_lastRun.reset();
    startRun();
    if (!m_lastRun)
        return false;
    keepRun();
    return true;
}

void DescribedForm::graphRefilled()
{
    for (const ChartPage &page : chartPages()) {
        if (auto *simplex = qobject_cast<chart::SimplexChart *>(page.chart))
            m_kept.restoreSimplex(simplex);
    }
}

QMap<QString, QString> DescribedForm::inputTexts() const
{
    QMap<QString, QString> texts;
    for (auto it = m_fields.begin(); it != m_fields.end(); ++it)
        texts.insert(it.key(), it.value()->text());
    for (auto it = m_lineEdits.begin(); it != m_lineEdits.end(); ++it)
        texts.insert(it.key()->objectName(), it.key()->text());
    return texts;
}

void DescribedForm::resolveGenerations()
{
    if (m_description.generations) {
        m_generations = *m_description.generations;
    } else {
        for (const BoxSpec &box : m_description.boxes) {
            if (box.slot != BoxSpec::Slot::Generations)
                continue;
            const auto integer = std::find_if(box.fields.begin(), box.fields.end(),
                                              [](const FieldSpec &f) {
                                                  return f.kind == FieldSpec::Kind::Integer;
                                              });
            if (integer != box.fields.end())
                m_generations = {integer->name, integer->exponent};
            break;
        }
    }
    if (m_generations.most > 0)
        return;
    const TKesSpinEdit *field = intField(m_generations.field);
    const TKesSpinEdit *exponent = intField(m_generations.exponent);
    m_generations.most = field ? field->maxValue() : 0;
    for (int i = 0; exponent && i < std::min(exponent->maxValue(), 9); ++i)
        m_generations.most *= 10;
}

std::optional<std::int64_t> DescribedForm::generationsTyped() const
{
    const TKesSpinEdit *field = intField(m_generations.field);
    if (!field)
        return std::nullopt;
    const std::optional<std::int32_t> count = text::tryTextToInteger(field->text());
    if (!count)
        return std::nullopt;
    const TKesSpinEdit *exponentField = intField(m_generations.exponent);
    if (!exponentField)
        return *count;
    const std::optional<std::int32_t> exponent = text::tryTextToInteger(exponentField->text());
    if (!exponent || *exponent < 0 || *exponent > 18)
        return std::nullopt;
    std::int64_t power = 1;
    for (int i = 0; i < *exponent; ++i)
        power *= 10;
    std::int64_t total = 0;
    if (__builtin_mul_overflow(std::int64_t(*count), power, &total))
        return std::nullopt;
    return total;
}

// The total into the generations field; a mantissa x 10^exponent pair takes
// the exponent typed, else the largest one, that leaves a whole mantissa
// within its field's limits. False when no pair of the fields' values makes the total.
bool DescribedForm::writeGenerations(std::int64_t total)
{
    TKesSpinEdit *field = intField(m_generations.field);
    TKesSpinEdit *exponentField = intField(m_generations.exponent);
    if (!field)
        return false;
    if (!exponentField) {
        field->setText(text::formatInteger(total));
        return true;
    }
    // The exponent typed first, so that the run reads as the user wrote it.
    QList<std::int32_t> exponents{exponentField->value()};
    for (std::int32_t e = std::min(exponentField->maxValue(), 18); e >= exponentField->minValue(); --e)
        exponents << e;
    for (const std::int32_t e : std::as_const(exponents)) {
        if (e < 0 || e > 18)
            continue;
        std::int64_t power = 1;
        for (int i = 0; i < e; ++i)
            power *= 10;
        const std::int64_t mantissa = total / power;
        if (total % power == 0 && mantissa >= field->minValue() && mantissa <= field->maxValue()) {
            field->setText(text::formatInteger(mantissa));
            exponentField->setText(text::formatInteger(e));
            return true;
        }
    }
    return false;
}

QMap<QString, QString> DescribedForm::textsButGenerations(QMap<QString, QString> texts) const
{
    texts.remove(m_generations.field);
    texts.remove(m_generations.exponent);
    return texts;
}

QString DescribedForm::continueLimitMessage(std::int64_t total, std::int64_t most)
{
    return QStringLiteral("Continue would make %1 generations in all: a run makes at most %2")
        .arg(text::formatInteger(total), text::formatInteger(most));
}

void DescribedForm::continueRun()
{
    const std::optional<std::int64_t> step = generationsTyped();
    if (!step || *step < 1) {
        // Run reports what is wrong with the number.
        startRun();
        return;
    }
    const bool sameInputs = m_lastRun
                            && textsButGenerations(inputTexts())
                                   == textsButGenerations(m_lastRun->texts);
    if (!sameInputs) {
        const QString why = m_lastRun
                                ? QStringLiteral("Continue: the inputs changed since the last "
                                                 "run, so this is a new run")
                                : QStringLiteral("Continue: no run to continue yet, so this is "
                                                 "a new run");
        startRun();
        HintTracker::instance()->announce(why);
        return;
    }
    const std::int64_t total = m_lastRun->generations + *step;
    if (total > m_generations.most) {
        showError(continueLimitMessage(total, m_generations.most));
        return;
    }
    TKesSpinEdit *field = intField(m_generations.field);
    TKesSpinEdit *exponentField = intField(m_generations.exponent);
    const QString typed = field->text();
    const QString typedExponent = exponentField ? exponentField->text() : QString();
    // The field shows what the user typed again, however the run ends.
    const auto restore = qScopeGuard([&] {
        field->setText(typed);
        if (exponentField)
            exponentField->setText(typedExponent);
    });
    if (!writeGenerations(total)) {
        showError(QStringLiteral("Continue cannot write %1 generations in the number of "
                                 "generations fields")
                      .arg(text::formatInteger(total)));
        return;
    }
    startRun();
    if (m_lastRun && m_lastRun->generations == total)
        HintTracker::instance()->announce(
            QStringLiteral("Continued to %1 generations").arg(text::formatInteger(total)));
}

} // namespace morva
