#include "controls/Aligrid.h"

#include "platform/Hint.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr int kLineWidth = 1;
constexpr int kMaxDrawnChars = 254;

// A growable list whose slots are empty or hold one entry. Reading outside
// the list gives no entry; storing grows it with empty slots.
template <class T>
class SlotList {
public:
    const T *at(int index) const
    {
        if (index < 0 || index >= size() || !m_slots[std::size_t(index)])
            return nullptr;
        return &*m_slots[std::size_t(index)];
    }
    T *at(int index)
    {
        return const_cast<T *>(std::as_const(*this).at(index));
    }
    // Stores `value` at `index` and hands back what was there.
    std::optional<T> put(int index, T value)
    {
        if (index < 0)
            return std::nullopt;
        growTo(index + 1);
        return std::exchange(m_slots[std::size_t(index)], std::optional<T>(std::move(value)));
    }
    // Takes the slot at `from` out and inserts it at `to`, growing the list
    // with empty slots first where it is too short.
    void move(int from, int to)
    {
        if (from < 0 || to < 0)
            return;
        growTo(from + 1);
        std::optional<T> slot = std::move(m_slots[std::size_t(from)]);
        m_slots.erase(m_slots.begin() + from);
        growTo(to);
        m_slots.insert(m_slots.begin() + to, std::move(slot));
    }
    int size() const { return int(m_slots.size()); }
    void growTo(int count)
    {
        if (size() < count)
            m_slots.resize(std::size_t(count));
    }

private:
    std::vector<std::optional<T>> m_slots;
};

// A table by column whose slots hold row lists.
template <class T>
class CellTable {
public:
    const T *at(int col, int row) const
    {
        const SlotList<T> *rows = m_cols.at(col);
        return rows ? rows->at(row) : nullptr;
    }
    std::optional<T> put(int col, int row, T value)
    {
        if (col < 0 || row < 0)
            return std::nullopt;
        return rowList(col).put(row, std::move(value));
    }
    void moveColumn(int from, int to) { m_cols.move(from, to); }
    void moveRow(int from, int to)
    {
        for (int col = 0; col < m_cols.size(); ++col)
            rowList(col).move(from, to);
    }

private:
    SlotList<T> &rowList(int col)
    {
        if (!m_cols.at(col))
            m_cols.put(col, SlotList<T>());
        return *m_cols.at(col);
    }

    SlotList<SlotList<T>> m_cols;
};

template <class T>
const T *firstOf(const T *a, const T *b, const T *c)
{
    return a ? a : (b ? b : c);
}

TMyFont *fontAt(const SlotList<TMyFont *> &list, int index)
{
    TMyFont *const *font = list.at(index);
    return font ? *font : nullptr;
}

TMyFont *fontAt(const CellTable<TMyFont *> &table, int col, int row)
{
    TMyFont *const *font = table.at(col, row);
    return font ? *font : nullptr;
}

Qt::Alignment qtAlignment(TMyAlign alignment)
{
    switch (alignment) {
    case alLeft:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case alCenter:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case alRight:
        break;
    }
    return Qt::AlignRight | Qt::AlignVCenter;
}

} // namespace

// ---------------------------------------------------------------------------
// TMyFont

TMyFont::TMyFont(QObject *parent) : QObject(parent) {}

void TMyFont::setFont(const QFont &font)
{
    assign(font, m_color);
}

void TMyFont::setColor(const QColor &color)
{
    assign(m_font, color);
}

void TMyFont::assign(const QFont &font, const QColor &color)
{
    if (font == m_font && color == m_color)
        return;
    m_font = font;
    m_color = color;
    m_changed = true;
    emit fontChanged();
}

// ---------------------------------------------------------------------------
// TNewInplaceEdit

TNewInplaceEdit::TNewInplaceEdit(QWidget *parent) : QLineEdit(parent)
{
    setFrame(false);
    setAlignment(qtAlignment(m_cellAlignment));
}

void TNewInplaceEdit::setCellAlignment(TMyAlign alignment)
{
    if (alignment == m_cellAlignment)
        return;
    m_cellAlignment = alignment;
    setAlignment(qtAlignment(alignment));
    selectAll();
}

void TNewInplaceEdit::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit editAccepted();
        break;
    case Qt::Key_Escape:
        emit editCancelled();
        break;
    default:
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TNewInplaceEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (isVisible() && event->reason() != Qt::PopupFocusReason
        && event->reason() != Qt::ActiveWindowFocusReason)
        emit editAccepted();
}

// ---------------------------------------------------------------------------
// TStringAlignGrid

class TStringAlignGrid::Private {
public:
    int colCount = 5;
    int rowCount = 5;
    int fixedCols = 1;
    int fixedRows = 1;
    int defaultColWidth = 64;
    int defaultRowHeight = 24;
    std::vector<int> colWidths = std::vector<int>(5, 64);
    // The widths set by setColWidth / setDefaultColWidth; fitting never
    // narrows a column below its entry here.
    std::vector<int> designedWidths = std::vector<int>(5, 64);
    // Cell texts, row by row: (col, row) at row * colCount + col.
    std::vector<QString> texts = std::vector<QString>(25);

    int currentCol = 1;
    int currentRow = 1;

    TMyAlign alignment = alLeft;
    bool showCellHints = true;
    QColor selectedCellColor;
    QColor selectedFontColor = QColor(255, 255, 255);
    QColor color;
    bool editable = false;
    TNewInplaceEdit *editor = nullptr;
    int hintCol = -1;
    int hintRow = -1;

    CellTable<TMyAlign> alignCell;
    SlotList<TMyAlign> alignCol;
    SlotList<TMyAlign> alignRow;
    SlotList<TMyAlign> fixedAlignCol;
    SlotList<TMyAlign> fixedAlignRow;
    CellTable<QColor> colorCell;
    SlotList<QColor> colorCol;
    SlotList<QColor> colorRow;
    SlotList<QColor> colorFixedCol;
    SlotList<QColor> colorFixedRow;
    CellTable<QString> hintCell;
    CellTable<TMyFont *> fontCell;
    SlotList<TMyFont *> fontCol;
    SlotList<TMyFont *> fontRow;
    SlotList<TMyFont *> fontFixedCol;
    SlotList<TMyFont *> fontFixedRow;

    bool validCell(int col, int row) const
    {
        return col >= 0 && row >= 0 && col < colCount && row < rowCount;
    }
    bool isFixed(int col, int row) const { return col < fixedCols || row < fixedRows; }
    std::size_t textIndex(int col, int row) const
    {
        return std::size_t(row) * std::size_t(colCount) + std::size_t(col);
    }
    int rowStride() const { return defaultRowHeight + kLineWidth; }
    int colStride(int col) const { return colWidths[std::size_t(col)] + kLineWidth; }
    int fixedWidth() const
    {
        int width = 0;
        for (int c = 0; c < fixedCols; ++c)
            width += colStride(c);
        return width;
    }
    int fixedHeight() const { return fixedRows * rowStride(); }

    const TMyFont *fontEntry(int col, int row) const
    {
        const bool fixed = isFixed(col, row);
        if (TMyFont *font = fontAt(fontCell, col, row))
            return font;
        if (TMyFont *font = fontAt(fixed ? fontFixedCol : fontCol, col))
            return font;
        return fontAt(fixed ? fontFixedRow : fontRow, row);
    }
};

TStringAlignGrid::TStringAlignGrid(QWidget *parent)
    : QAbstractScrollArea(parent), d(new Private)
{
    d->selectedCellColor = palette().color(QPalette::Highlight);
    d->color = palette().color(QPalette::Base);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);
}

TStringAlignGrid::~TStringAlignGrid()
{
    // The font objects are children of the grid and go with it.
    delete d;
}

// --- counts and sizes -------------------------------------------------------

int TStringAlignGrid::colCount() const
{
    return d->colCount;
}

void TStringAlignGrid::setColCount(int count)
{
    count = std::max(count, 1);
    if (count == d->colCount)
        return;
    std::vector<QString> texts(std::size_t(count) * std::size_t(d->rowCount));
    const int keep = std::min(count, d->colCount);
    for (int row = 0; row < d->rowCount; ++row)
        for (int col = 0; col < keep; ++col)
            texts[std::size_t(row) * std::size_t(count) + std::size_t(col)] =
                std::move(d->texts[d->textIndex(col, row)]);
    d->texts = std::move(texts);
    d->colWidths.resize(std::size_t(count), d->defaultColWidth);
    d->designedWidths.resize(std::size_t(count), d->defaultColWidth);
    d->colCount = count;
    d->fixedCols = std::min(d->fixedCols, count - 1);
    d->currentCol = std::clamp(d->currentCol, d->fixedCols, count - 1);
    updateScrollRanges();
}

int TStringAlignGrid::rowCount() const
{
    return d->rowCount;
}

void TStringAlignGrid::setRowCount(int count)
{
    count = std::max(count, 1);
    if (count == d->rowCount)
        return;
    // Row by row storage: rows come and go at the end.
    d->texts.resize(std::size_t(count) * std::size_t(d->colCount));
    d->rowCount = count;
    d->fixedRows = std::min(d->fixedRows, count - 1);
    d->currentRow = std::clamp(d->currentRow, d->fixedRows, count - 1);
    updateScrollRanges();
}

int TStringAlignGrid::fixedCols() const
{
    return d->fixedCols;
}

void TStringAlignGrid::setFixedCols(int count)
{
    d->fixedCols = std::clamp(count, 0, d->colCount - 1);
    resetToTopLeft();
}

int TStringAlignGrid::fixedRows() const
{
    return d->fixedRows;
}

void TStringAlignGrid::setFixedRows(int count)
{
    d->fixedRows = std::clamp(count, 0, d->rowCount - 1);
    resetToTopLeft();
}

// New fixed counts start over at the first non-fixed cell, unscrolled.
void TStringAlignGrid::resetToTopLeft()
{
    d->currentCol = d->fixedCols;
    d->currentRow = d->fixedRows;
    updateScrollRanges();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

int TStringAlignGrid::defaultColWidth() const
{
    return d->defaultColWidth;
}

void TStringAlignGrid::setDefaultColWidth(int width)
{
    d->defaultColWidth = std::max(width, 0);
    std::fill(d->colWidths.begin(), d->colWidths.end(), d->defaultColWidth);
    std::fill(d->designedWidths.begin(), d->designedWidths.end(), d->defaultColWidth);
    updateScrollRanges();
}

int TStringAlignGrid::defaultRowHeight() const
{
    return d->defaultRowHeight;
}

void TStringAlignGrid::setDefaultRowHeight(int height)
{
    d->defaultRowHeight = std::max(height, 0);
    updateScrollRanges();
}

int TStringAlignGrid::colWidth(int col) const
{
    if (col < 0 || col >= d->colCount)
        return 0;
    return d->colWidths[std::size_t(col)];
}

void TStringAlignGrid::setColWidth(int col, int width)
{
    if (col < 0 || col >= d->colCount)
        return;
    d->colWidths[std::size_t(col)] = std::max(width, 0);
    d->designedWidths[std::size_t(col)] = d->colWidths[std::size_t(col)];
    updateScrollRanges();
}

namespace {

// The widest text in one font, for fitting a column: texts are compared by
// the sum of their characters' advances, each looked up once (measuring
// every text as a whole costs some microseconds a cell), and the widest is
// then measured as a whole.
class ColumnMeasure {
public:
    explicit ColumnMeasure(const QFont &font) : m_font(font), m_metrics(font)
    {
        m_advances.fill(-1);
    }

    void add(const QString &text)
    {
        const double width = estimate(text);
        if (width > m_widest) {
            m_widest = width;
            m_widestText = text;
        }
    }
    // The widest text's width in whole pixels (0 when none was added).
    int widest() const
    {
        if (m_widestText.isEmpty())
            return 0;
        return QFontMetrics(m_font).horizontalAdvance(m_widestText);
    }

private:
    double estimate(const QString &text)
    {
        double sum = 0;
        for (const QChar c : text) {
            if (c.unicode() >= m_advances.size())
                return m_metrics.horizontalAdvance(text);
            double &advance = m_advances[c.unicode()];
            if (advance < 0)
                advance = m_metrics.horizontalAdvance(c);
            sum += advance;
        }
        return sum;
    }

    QFont m_font;
    QFontMetricsF m_metrics;
    std::array<double, 256> m_advances;
    double m_widest = 0;
    QString m_widestText;
};

} // namespace

void TStringAlignGrid::fitColumnsToTexts()
{
    bool changed = false;
    for (int col = 0; col < d->colCount; ++col) {
        // Cells share a few font entries (column, row, a handful of cells);
        // one measure per entry met.
        std::vector<std::pair<const TMyFont *, ColumnMeasure>> measures;
        ColumnMeasure *measure = nullptr;
        const TMyFont *measureEntry = nullptr;
        for (int row = 0; row < d->rowCount; ++row) {
            const QString &text = d->texts[d->textIndex(col, row)];
            if (text.isEmpty())
                continue;
            const TMyFont *entry = d->fontEntry(col, row);
            if (!measure || entry != measureEntry) {
                auto found = std::find_if(measures.begin(), measures.end(),
                                          [entry](const auto &m) { return m.first == entry; });
                if (found == measures.end()) {
                    measures.emplace_back(entry, ColumnMeasure(entry ? entry->font() : font()));
                    found = measures.end() - 1;
                }
                measure = &found->second;
                measureEntry = entry;
            }
            measure->add(text.size() > kMaxDrawnChars ? text.left(kMaxDrawnChars) : text);
        }
        int widest = 0;
        for (const auto &m : measures)
            widest = std::max(widest, m.second.widest());
        const int width = std::max(d->designedWidths[std::size_t(col)],
                                   widest > 0 ? widest + cellPadding() : 0);
        if (width != d->colWidths[std::size_t(col)]) {
            d->colWidths[std::size_t(col)] = width;
            changed = true;
        }
    }
    if (changed)
        updateScrollRanges();
}

int TStringAlignGrid::topRow() const
{
    return d->fixedRows + verticalScrollBar()->value();
}

void TStringAlignGrid::setTopRow(int row)
{
    verticalScrollBar()->setValue(row - d->fixedRows);
}

int TStringAlignGrid::leftCol() const
{
    return d->fixedCols + horizontalScrollBar()->value();
}

bool TStringAlignGrid::isFixedCell(int col, int row) const
{
    return d->isFixed(col, row);
}

// --- texts ------------------------------------------------------------------

QString TStringAlignGrid::cell(int col, int row) const
{
    if (!d->validCell(col, row))
        return QString();
    return d->texts[d->textIndex(col, row)];
}

void TStringAlignGrid::setCell(int col, int row, const QString &text)
{
    if (!d->validCell(col, row))
        return;
    QString &slot = d->texts[d->textIndex(col, row)];
    if (slot == text)
        return;
    slot = text;
    // Only a cell on screen needs a repaint; Qt merges the requests.
    if (!cellRect(col, row).isNull())
        viewport()->update();
}

// --- properties -------------------------------------------------------------

TMyAlign TStringAlignGrid::alignment() const
{
    return d->alignment;
}

void TStringAlignGrid::setAlignment(TMyAlign alignment)
{
    d->alignment = alignment;
    viewport()->update();
}

bool TStringAlignGrid::showCellHints() const
{
    return d->showCellHints;
}

void TStringAlignGrid::setShowCellHints(bool show)
{
    d->showCellHints = show;
}

QColor TStringAlignGrid::selectedCellColor() const
{
    return d->selectedCellColor;
}

void TStringAlignGrid::setSelectedCellColor(const QColor &color)
{
    d->selectedCellColor = color;
    viewport()->update();
}

QColor TStringAlignGrid::selectedFontColor() const
{
    return d->selectedFontColor;
}

void TStringAlignGrid::setSelectedFontColor(const QColor &color)
{
    d->selectedFontColor = color;
    viewport()->update();
}

QColor TStringAlignGrid::color() const
{
    return d->color;
}

void TStringAlignGrid::setColor(const QColor &color)
{
    d->color = color;
    viewport()->update();
}

bool TStringAlignGrid::editable() const
{
    return d->editable;
}

void TStringAlignGrid::setEditable(bool editable)
{
    d->editable = editable;
    if (!editable && d->editor && d->editor->isVisible())
        closeEditor(false);
}

TNewInplaceEdit *TStringAlignGrid::inplaceEditor() const
{
    return d->editor;
}

// --- attribute tables -------------------------------------------------------

void TStringAlignGrid::setAlignCell(int col, int row, TMyAlign alignment)
{
    d->alignCell.put(col, row, alignment);
    viewport()->update();
}

void TStringAlignGrid::setAlignCol(int col, TMyAlign alignment)
{
    d->alignCol.put(col, alignment);
    viewport()->update();
}

void TStringAlignGrid::setAlignRow(int row, TMyAlign alignment)
{
    d->alignRow.put(row, alignment);
    viewport()->update();
}

void TStringAlignGrid::setFixedAlignCol(int col, TMyAlign alignment)
{
    d->fixedAlignCol.put(col, alignment);
    viewport()->update();
}

void TStringAlignGrid::setFixedAlignRow(int row, TMyAlign alignment)
{
    d->fixedAlignRow.put(row, alignment);
    viewport()->update();
}

void TStringAlignGrid::setColorCell(int col, int row, const QColor &color)
{
    d->colorCell.put(col, row, color);
    viewport()->update();
}

void TStringAlignGrid::setColorCol(int col, const QColor &color)
{
    d->colorCol.put(col, color);
    viewport()->update();
}

void TStringAlignGrid::setColorRow(int row, const QColor &color)
{
    d->colorRow.put(row, color);
    viewport()->update();
}

void TStringAlignGrid::setColorFixedCol(int col, const QColor &color)
{
    d->colorFixedCol.put(col, color);
    viewport()->update();
}

void TStringAlignGrid::setColorFixedRow(int row, const QColor &color)
{
    d->colorFixedRow.put(row, color);
    viewport()->update();
}

void TStringAlignGrid::setHintCell(int col, int row, const QString &hint)
{
    d->hintCell.put(col, row, hint);
}

QString TStringAlignGrid::hintCell(int col, int row) const
{
    const QString *hint = d->hintCell.at(col, row);
    return hint ? *hint : QString();
}

// --- fonts ------------------------------------------------------------------

namespace {

// A new grid font holding the grid's font and text colour, repainting the
// grid on every change.
TMyFont *newGridFont(TStringAlignGrid *grid)
{
    auto *font = new TMyFont(grid);
    font->assign(grid->font(), grid->palette().color(QPalette::Text));
    QObject::connect(font, &TMyFont::fontChanged, grid->viewport(),
                     qOverload<>(&QWidget::update));
    return font;
}

TMyFont *fontOf(TStringAlignGrid *grid, SlotList<TMyFont *> &list, int index)
{
    if (index < 0)
        return nullptr;
    if (TMyFont *font = fontAt(list, index))
        return font;
    TMyFont *font = newGridFont(grid);
    list.put(index, font);
    return font;
}

} // namespace

TMyFont *TStringAlignGrid::columnFont(int col)
{
    return fontOf(this, d->fontCol, col);
}

TMyFont *TStringAlignGrid::cellFont(int col, int row)
{
    if (col < 0 || row < 0)
        return nullptr;
    if (TMyFont *font = fontAt(d->fontCell, col, row))
        return font;
    TMyFont *font = newGridFont(this);
    d->fontCell.put(col, row, font);
    return font;
}

TMyFont *TStringAlignGrid::rowFont(int row)
{
    return fontOf(this, d->fontRow, row);
}

TMyFont *TStringAlignGrid::fixedColumnFont(int col)
{
    return fontOf(this, d->fontFixedCol, col);
}

TMyFont *TStringAlignGrid::fixedRowFont(int row)
{
    return fontOf(this, d->fontFixedRow, row);
}

// --- effective attributes ---------------------------------------------------

TMyAlign TStringAlignGrid::effectiveAlignment(int col, int row) const
{
    const bool fixed = d->isFixed(col, row);
    const TMyAlign *found = firstOf(d->alignCell.at(col, row),
                                    (fixed ? d->fixedAlignCol : d->alignCol).at(col),
                                    (fixed ? d->fixedAlignRow : d->alignRow).at(row));
    return found ? *found : d->alignment;
}

QColor TStringAlignGrid::effectiveColor(int col, int row) const
{
    const bool fixed = d->isFixed(col, row);
    const QColor *found = firstOf(d->colorCell.at(col, row),
                                  (fixed ? d->colorFixedCol : d->colorCol).at(col),
                                  (fixed ? d->colorFixedRow : d->colorRow).at(row));
    if (found)
        return *found;
    return fixed ? palette().color(QPalette::Button) : d->color;
}

QFont TStringAlignGrid::effectiveFont(int col, int row) const
{
    const TMyFont *entry = d->fontEntry(col, row);
    return entry ? entry->font() : font();
}

QColor TStringAlignGrid::effectiveFontColor(int col, int row) const
{
    const TMyFont *entry = d->fontEntry(col, row);
    return entry ? entry->color() : palette().color(QPalette::Text);
}

int TStringAlignGrid::textX(TMyAlign alignment, int left, int right, int textWidth)
{
    switch (alignment) {
    case alCenter:
        return left + (right - left - textWidth) / 2 - 1;
    case alRight:
        return right - textWidth - 4;
    case alLeft:
        break;
    }
    return left;
}

// --- current cell and geometry ----------------------------------------------

int TStringAlignGrid::col() const
{
    return d->currentCol;
}

int TStringAlignGrid::row() const
{
    return d->currentRow;
}

void TStringAlignGrid::setCurrentCell(int col, int row)
{
    if (!d->validCell(col, row) || d->isFixed(col, row))
        return;
    if (d->editor && d->editor->isVisible())
        closeEditor(true);
    d->currentCol = col;
    d->currentRow = row;
    // Scroll the cell into view.
    const int visibleRows =
        std::max(1, (viewport()->height() - d->fixedHeight()) / d->rowStride());
    if (row < topRow())
        setTopRow(row);
    else if (row >= topRow() + visibleRows)
        setTopRow(row - visibleRows + 1);
    if (col < leftCol()) {
        horizontalScrollBar()->setValue(col - d->fixedCols);
    } else {
        while (leftCol() < col) {
            const QRect rect = cellRect(col, row);
            if (!rect.isNull() && rect.x() + rect.width() <= viewport()->width())
                break;
            const int before = horizontalScrollBar()->value();
            horizontalScrollBar()->setValue(before + 1);
            if (horizontalScrollBar()->value() == before)
                break;
        }
    }
    viewport()->update();
}

QRect TStringAlignGrid::cellRect(int col, int row) const
{
    if (!d->validCell(col, row))
        return QRect();
    int x = 0;
    if (col < d->fixedCols) {
        for (int c = 0; c < col; ++c)
            x += d->colStride(c);
    } else {
        if (col < leftCol())
            return QRect();
        x = d->fixedWidth();
        for (int c = leftCol(); c < col; ++c)
            x += d->colStride(c);
    }
    int y = 0;
    if (row < d->fixedRows) {
        y = row * d->rowStride();
    } else {
        if (row < topRow())
            return QRect();
        y = d->fixedHeight() + (row - topRow()) * d->rowStride();
    }
    if (x >= viewport()->width() || y >= viewport()->height())
        return QRect();
    return QRect(x, y, d->colWidths[std::size_t(col)], d->defaultRowHeight);
}

bool TStringAlignGrid::mouseToCell(const QPoint &pos, int *col, int *row) const
{
    if (pos.x() < 0 || pos.y() < 0)
        return false;
    // A grid line belongs to the cell before it.
    int foundCol = -1;
    int x = 0;
    for (int c = 0; c < d->colCount && foundCol < 0; ++c) {
        if (c >= d->fixedCols && c < leftCol())
            continue;
        if (pos.x() < x + d->colStride(c))
            foundCol = c;
        x += d->colStride(c);
    }
    int foundRow = -1;
    const int fixedHeight = d->fixedHeight();
    if (pos.y() < fixedHeight)
        foundRow = pos.y() / d->rowStride();
    else
        foundRow = topRow() + (pos.y() - fixedHeight) / d->rowStride();
    if (foundCol < 0 || foundRow >= d->rowCount)
        return false;
    if (col)
        *col = foundCol;
    if (row)
        *row = foundRow;
    return true;
}

// --- moving columns and rows ------------------------------------------------

void TStringAlignGrid::moveColumn(int from, int to)
{
    if (from < 0 || to < 0 || from >= d->colCount || to >= d->colCount || from == to)
        return;
    for (int row = 0; row < d->rowCount; ++row) {
        auto first = d->texts.begin() + std::ptrdiff_t(d->textIndex(0, row));
        if (from < to)
            std::rotate(first + from, first + from + 1, first + to + 1);
        else
            std::rotate(first + to, first + from, first + from + 1);
    }
    for (std::vector<int> *widths : {&d->colWidths, &d->designedWidths}) {
        const int width = (*widths)[std::size_t(from)];
        widths->erase(widths->begin() + from);
        widths->insert(widths->begin() + to, width);
    }

    d->alignCol.move(from, to);
    d->fixedAlignCol.move(from, to);
    d->colorCol.move(from, to);
    d->colorFixedCol.move(from, to);
    d->fontCol.move(from, to);
    d->fontFixedCol.move(from, to);
    d->alignCell.moveColumn(from, to);
    d->colorCell.moveColumn(from, to);
    d->fontCell.moveColumn(from, to);
    d->hintCell.moveColumn(from, to);
    updateScrollRanges();
}

void TStringAlignGrid::moveRow(int from, int to)
{
    if (from < 0 || to < 0 || from >= d->rowCount || to >= d->rowCount || from == to)
        return;
    const auto cols = std::ptrdiff_t(d->colCount);
    auto first = d->texts.begin();
    if (from < to)
        std::rotate(first + from * cols, first + (from + 1) * cols, first + (to + 1) * cols);
    else
        std::rotate(first + to * cols, first + from * cols, first + (from + 1) * cols);

    d->alignRow.move(from, to);
    d->fixedAlignRow.move(from, to);
    d->colorRow.move(from, to);
    d->colorFixedRow.move(from, to);
    d->fontRow.move(from, to);
    d->fontFixedRow.move(from, to);
    d->alignCell.moveRow(from, to);
    d->colorCell.moveRow(from, to);
    d->fontCell.moveRow(from, to);
    d->hintCell.moveRow(from, to);
    viewport()->update();
}

// --- painting ---------------------------------------------------------------

void TStringAlignGrid::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Window));
    const QColor fixedLine = palette().color(QPalette::Dark);
    const QColor line = palette().color(QPalette::Midlight);
    const int right = viewport()->width();
    const int bottom = viewport()->height();

    auto paintRow = [&](int row) {
        for (int col = 0; col < d->colCount; ++col) {
            if (col >= d->fixedCols && col < leftCol())
                continue;
            const QRect rect = cellRect(col, row);
            if (rect.isNull())
                break;
            const bool fixed = d->isFixed(col, row);
            const bool selected = !fixed && col == d->currentCol && row == d->currentRow;
            const QFont font = effectiveFont(col, row);
            painter.setFont(font);
            const QColor back = selected ? d->selectedCellColor : effectiveColor(col, row);
            const QColor fore = selected ? d->selectedFontColor : effectiveFontColor(col, row);
            painter.fillRect(rect, back);
            const QString text = d->texts[d->textIndex(col, row)].left(kMaxDrawnChars);
            if (!text.isEmpty()) {
                const QFontMetrics metrics(font);
                const int x = textX(effectiveAlignment(col, row), rect.left(),
                                    rect.left() + rect.width(), metrics.horizontalAdvance(text));
                painter.save();
                painter.setClipRect(rect);
                painter.setPen(fore);
                painter.drawText(x + 2, rect.top() + 2 + metrics.ascent(), text);
                painter.restore();
            }
            // Grid lines on the right and the bottom of the cell.
            painter.fillRect(rect.left() + rect.width(), rect.top(), kLineWidth,
                             rect.height() + kLineWidth, fixed ? fixedLine : line);
            painter.fillRect(rect.left(), rect.top() + rect.height(), rect.width(), kLineWidth,
                             fixed ? fixedLine : line);
            if (rect.left() + rect.width() >= right)
                break;
        }
    };
    for (int row = 0; row < d->fixedRows; ++row)
        paintRow(row);
    for (int row = topRow(); row < d->rowCount; ++row) {
        if (d->fixedHeight() + (row - topRow()) * d->rowStride() >= bottom)
            break;
        paintRow(row);
    }
    if (hasFocus()) {
        const QRect current = cellRect(d->currentCol, d->currentRow);
        if (!current.isNull()) {
            painter.setPen(QPen(d->selectedFontColor, 1, Qt::DotLine));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(current.adjusted(0, 0, -1, -1));
        }
    }
}

// --- scrolling --------------------------------------------------------------

void TStringAlignGrid::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRanges();
}

void TStringAlignGrid::updateScrollRanges()
{
    const int rowStride = std::max(1, d->rowStride());
    const int visibleRows = std::max(1, (viewport()->height() - d->fixedHeight()) / rowStride);
    const int scrollRows = d->rowCount - d->fixedRows;
    verticalScrollBar()->setRange(0, std::max(0, scrollRows - visibleRows));
    verticalScrollBar()->setPageStep(visibleRows);

    // The columns that fit at the right end decide how far one may scroll.
    const int available = viewport()->width() - d->fixedWidth();
    int fitting = 0;
    int used = 0;
    for (int c = d->colCount - 1; c >= d->fixedCols; --c) {
        used += d->colStride(c);
        if (used > available)
            break;
        ++fitting;
    }
    const int scrollCols = d->colCount - d->fixedCols;
    horizontalScrollBar()->setRange(0, std::max(0, scrollCols - std::max(1, fitting)));
    horizontalScrollBar()->setPageStep(std::max(1, fitting));
    viewport()->update();
}

void TStringAlignGrid::scrollContentsBy(int, int)
{
    if (d->editor && d->editor->isVisible())
        closeEditor(true);
    viewport()->update();
}

// --- mouse, keys, hints -----------------------------------------------------

void TStringAlignGrid::updateHintCell(const QPoint &pos)
{
    int col = -1;
    int row = -1;
    const bool inside = mouseToCell(pos, &col, &row);
    if (d->hintCol >= 0 && d->hintRow >= 0 && (!inside || col != d->hintCol || row != d->hintRow)) {
        d->hintCol = -1;
        d->hintRow = -1;
        morva::setHint(this, QString());
    }
    if (!d->showCellHints || !inside || (col == d->hintCol && row == d->hintRow))
        return;
    if (const QString *hint = d->hintCell.at(col, row)) {
        d->hintCol = col;
        d->hintRow = row;
        morva::setHint(this, *hint);
    }
}

void TStringAlignGrid::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    updateHintCell(pos);
    emit OnMouseMove(event->modifiers(), pos);
}

void TStringAlignGrid::mousePressEvent(QMouseEvent *event)
{
    int col = -1;
    int row = -1;
    if (event->button() == Qt::LeftButton
        && mouseToCell(event->position().toPoint(), &col, &row))
        setCurrentCell(col, row);
    event->accept();
}

void TStringAlignGrid::keyPressEvent(QKeyEvent *event)
{
    const int page = std::max(1, verticalScrollBar()->pageStep());
    int col = d->currentCol;
    int row = d->currentRow;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    case Qt::Key_Left: --col; break;
    case Qt::Key_Right: ++col; break;
    case Qt::Key_PageUp: row -= page; break;
    case Qt::Key_PageDown: row += page; break;
    case Qt::Key_Home:
        col = d->fixedCols;
        if (ctrl)
            row = d->fixedRows;
        break;
    case Qt::Key_End:
        col = d->colCount - 1;
        if (ctrl)
            row = d->rowCount - 1;
        break;
    case Qt::Key_F2:
        if (d->editable)
            openEditor(cell(col, row), true);
        return;
    default:
        if (d->editable && !event->text().isEmpty() && event->text().at(0).isPrint() && !ctrl) {
            openEditor(event->text(), false);
            return;
        }
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    setCurrentCell(std::clamp(col, d->fixedCols, d->colCount - 1),
                   std::clamp(row, d->fixedRows, d->rowCount - 1));
    event->accept();
}

bool TStringAlignGrid::viewportEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Leave:
        updateHintCell(QPoint(-1, -1));
        break;
    case QEvent::ToolTip:
        return true; // hints never pop up
    default:
        break;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

// --- in-place editor --------------------------------------------------------

void TStringAlignGrid::openEditor(const QString &text, bool selectAll)
{
    const QRect rect = cellRect(d->currentCol, d->currentRow);
    if (rect.isNull())
        return;
    if (!d->editor) {
        d->editor = new TNewInplaceEdit(viewport());
        connect(d->editor, &TNewInplaceEdit::editAccepted, this, [this] { closeEditor(true); });
        connect(d->editor, &TNewInplaceEdit::editCancelled, this, [this] { closeEditor(false); });
    }
    TNewInplaceEdit *editor = d->editor;
    editor->setGeometry(rect);
    editor->setCellAlignment(effectiveAlignment(d->currentCol, d->currentRow));
    editor->setFont(effectiveFont(d->currentCol, d->currentRow));
    QPalette colours = editor->palette();
    colours.setColor(QPalette::Base, effectiveColor(d->currentCol, d->currentRow));
    colours.setColor(QPalette::Text, effectiveFontColor(d->currentCol, d->currentRow));
    editor->setPalette(colours);
    editor->setText(text);
    if (selectAll)
        editor->selectAll();
    else
        editor->deselect();
    editor->show();
    editor->setFocus(Qt::OtherFocusReason);
}

void TStringAlignGrid::closeEditor(bool accept)
{
    TNewInplaceEdit *editor = d->editor;
    if (!editor || !editor->isVisible())
        return;
    const bool hadFocus = editor->hasFocus();
    editor->hide();
    if (accept)
        setCell(d->currentCol, d->currentRow, editor->text());
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
}
