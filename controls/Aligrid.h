#ifndef MORVA_CONTROLS_ALIGRID_H
#define MORVA_CONTROLS_ALIGRID_H

// A string grid whose cells carry their own alignment, colour and font, by
// cell, by column and by row, with separate column and row settings for the
// fixed cells, colours for the selected cell and per-cell hints. Cells are
// addressed (column, row); row 0 .. fixedRows()-1 and column 0 ..
// fixedCols()-1 are fixed and do not scroll.

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QLineEdit>
#include <QObject>
#include <QString>

#include <cstdint>

enum TMyAlign : std::uint8_t { alRight = 0, alLeft = 1, alCenter = 2 };

// A grid font: a font and a text colour, with a changed flag set by every
// change. The grid owns it and repaints when it changes.
class TMyFont : public QObject {
    Q_OBJECT
public:
    explicit TMyFont(QObject *parent = nullptr);

    QFont font() const { return m_font; }
    void setFont(const QFont &font);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    // Takes font and colour from another; counts as a change only when it
    // alters this one.
    void assign(const QFont &font, const QColor &color);
    bool changed() const { return m_changed; }

signals:
    void fontChanged();

private:
    QFont m_font;
    QColor m_color;
    bool m_changed = false;
};

// The grid's in-place cell editor: a single-line edit showing the cell's
// effective alignment, font and colour. Enter accepts, Esc cancels, leaving
// it accepts.
class TNewInplaceEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TNewInplaceEdit(QWidget *parent = nullptr);

    TMyAlign cellAlignment() const { return m_cellAlignment; }
    // A new alignment is stored, applied and all text selected.
    void setCellAlignment(TMyAlign alignment);

signals:
    void editAccepted();
    void editCancelled();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    TMyAlign m_cellAlignment = alRight;
};

class TStringAlignGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TStringAlignGrid(QWidget *parent = nullptr);
    ~TStringAlignGrid() override;

    int colCount() const;
    void setColCount(int count);
    int rowCount() const;
    void setRowCount(int count);
    int fixedCols() const;
    void setFixedCols(int count);
    int fixedRows() const;
    void setFixedRows(int count);
    int defaultColWidth() const;
    void setDefaultColWidth(int width);
    int defaultRowHeight() const;
    void setDefaultRowHeight(int height);
    // Column widths; setting the default width resets every column to it.
    // Both set the column's designed width, below which fitting never goes.
    int colWidth(int col) const;
    void setColWidth(int col, int width);
    // Widens each column whose widest text, in its cells' effective fonts,
    // plus cellPadding() does not fit; a column whose texts fit goes back to
    // its designed width. One pass over the cells: call it after a refill,
    // never per cell.
    void fitColumnsToTexts();
    // What a cell needs besides its text's advance to show it whole: the
    // text's inset on each side.
    static constexpr int cellPadding() { return 4; }
    // The first non-fixed row and column shown (scrolling).
    int topRow() const;
    void setTopRow(int row);
    int leftCol() const;
    bool isFixedCell(int col, int row) const;

    QString cell(int col, int row) const;
    void setCell(int col, int row, const QString &text);

    TMyAlign alignment() const;
    void setAlignment(TMyAlign alignment);
    bool showCellHints() const;
    void setShowCellHints(bool show);
    QColor selectedCellColor() const;
    void setSelectedCellColor(const QColor &color);
    QColor selectedFontColor() const;
    void setSelectedFontColor(const QColor &color);
    // The cell colour of non-fixed cells without an entry (the grid's Color).
    QColor color() const;
    void setColor(const QColor &color);
    // Whether F2 or typing opens the in-place editor on the current cell
    // (off by default).
    bool editable() const;
    void setEditable(bool editable);
    // The in-place editor; nullptr until first opened.
    TNewInplaceEdit *inplaceEditor() const;

    // Attribute tables (fixed* apply to fixed cells, the others to non-fixed
    // cells; cell entries apply to both).
    void setAlignCell(int col, int row, TMyAlign alignment);
    void setAlignCol(int col, TMyAlign alignment);
    void setAlignRow(int row, TMyAlign alignment);
    void setFixedAlignCol(int col, TMyAlign alignment);
    void setFixedAlignRow(int row, TMyAlign alignment);
    void setColorCell(int col, int row, const QColor &color);
    void setColorCol(int col, const QColor &color);
    void setColorRow(int row, const QColor &color);
    void setColorFixedCol(int col, const QColor &color);
    void setColorFixedRow(int row, const QColor &color);
    void setHintCell(int col, int row, const QString &hint);
    QString hintCell(int col, int row) const;

    // The font object of a column / cell / row, created from the grid's font
    // on first use and kept by the grid; change it in place, never free it.
    // A negative index gives nullptr.
    TMyFont *columnFont(int col);
    TMyFont *cellFont(int col, int row);
    TMyFont *rowFont(int row);
    TMyFont *fixedColumnFont(int col);
    TMyFont *fixedRowFont(int row);

    // Effective attributes of a cell (cell entry, then column, then row, then
    // the default).
    TMyAlign effectiveAlignment(int col, int row) const;
    QColor effectiveColor(int col, int row) const;
    QFont effectiveFont(int col, int row) const;
    QColor effectiveFontColor(int col, int row) const;
    // Where a text of pixel width `textWidth` is drawn in a cell spanning
    // [left, right): the x of its first pixel.
    static int textX(TMyAlign alignment, int left, int right, int textWidth);

    // The selected (current) cell.
    int col() const;
    int row() const;
    void setCurrentCell(int col, int row);

    // Viewport coordinates to cell; false outside the cells.
    bool mouseToCell(const QPoint &pos, int *col, int *row) const;
    // The cell's rectangle in viewport coordinates.
    QRect cellRect(int col, int row) const;

    // Moves a column or row with its texts and every attribute.
    void moveColumn(int from, int to);
    void moveRow(int from, int to);

signals:
    // The pointer moved over the grid (viewport coordinates).
    void OnMouseMove(Qt::KeyboardModifiers modifiers, const QPoint &pos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void openEditor(const QString &text, bool selectAll);
    void closeEditor(bool accept);
    void updateHintCell(const QPoint &pos);
    void updateScrollRanges();
    void resetToTopLeft();

    class Private;
    Private *d;
};

#endif
