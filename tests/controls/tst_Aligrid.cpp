// The aligned string grid: effective attributes, text placement, font
// accessors, moves that carry attributes, selected-cell colours, geometry,
// cell hints and the in-place editor. Each case reads State / Action /
// Expected in its row or function name.

#include "controls/Aligrid.h"
#include "tests/support/GuiFixture.h"

#include <QFontMetrics>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <memory>

using morva::test::GuiFixture;

Q_DECLARE_METATYPE(TMyAlign)

namespace {

const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 128);

// The model windows' shape: no fixed column, one fixed header row, 60 x 18
// cells.
void shapeLikeModelGrid(TStringAlignGrid &grid, int cols, int rows)
{
    grid.setColCount(cols);
    grid.setRowCount(rows);
    grid.setFixedCols(0);
    grid.setFixedRows(1);
    grid.setDefaultColWidth(60);
    grid.setDefaultRowHeight(18);
    grid.setAlignment(alCenter);
}

// Whether any pixel of `rect` in `image` has exactly `color`.
bool containsColor(const QImage &image, const QRect &rect, const QColor &color)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixelColor(x, y) == color)
                return true;
    return false;
}

} // namespace

class TestAligrid : public QObject {
    Q_OBJECT
private slots:
    void init() { m_fixture = std::make_unique<GuiFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void defaultsWithoutTables_data();
    void defaultsWithoutTables();
    void lookupOrder_data();
    void lookupOrder();
    void columnFontSparesTheHeader();
    void cellFontBeatsColumnFontThere();
    void textX_data();
    void textX();
    void fontAccessorKeepsOneObjectAndGrows();
    void fontChangeSetsChangedFlagOnlyOnChange();
    void moveColumnCarriesEveryAttribute();
    void moveRowCarriesEveryAttribute();
    void selectedCellColours_data();
    void selectedCellColours();
    void mouseToCell_data();
    void mouseToCell();
    void keysMoveAndScrollTheCurrentCell();
    void bigFillKeepsEveryText();
    void columnsFitTheirTexts_data();
    void columnsFitTheirTexts();
    void cellHintsFollowThePointer();
    void inplaceEditorOnlyWhenEditable();

private:
    std::unique_ptr<GuiFixture> m_fixture;
};

void TestAligrid::defaultsWithoutTables_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("fixed");

    QTest::newRow("header cell (1, 0)") << 1 << 0 << true;
    QTest::newRow("fixed column cell (0, 2)") << 0 << 2 << true;
    QTest::newRow("data cell (2, 3)") << 2 << 3 << false;
}

// A centred grid with one fixed row and column and no tables: every cell
// centred, fixed cells on the button face, the others on the grid's colour.
void TestAligrid::defaultsWithoutTables()
{
    QFETCH(int, col);
    QFETCH(int, row);
    QFETCH(bool, fixed);
    TStringAlignGrid grid;
    grid.setAlignment(alCenter);

    QCOMPARE(grid.isFixedCell(col, row), fixed);
    QCOMPARE(grid.effectiveAlignment(col, row), alCenter);
    QCOMPARE(grid.effectiveColor(col, row),
             fixed ? grid.palette().color(QPalette::Button) : grid.color());
    QCOMPARE(grid.effectiveFont(col, row), grid.font());
    QCOMPARE(grid.effectiveFontColor(col, row), grid.palette().color(QPalette::Text));
}

void TestAligrid::lookupOrder_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::addColumn<TMyAlign>("expected");

    // Tables: cell (2, 2) left; column 2 right; row 3 left; fixed column 2
    // left; fixed row 0 right; default centre.
    QTest::newRow("cell entry beats column") << 2 << 2 << alLeft;
    QTest::newRow("column beats row") << 2 << 3 << alRight;
    QTest::newRow("row beats default") << 1 << 3 << alLeft;
    QTest::newRow("header takes fixed column before fixed row") << 2 << 0 << alLeft;
    QTest::newRow("header takes fixed row, not row 0's default") << 1 << 0 << alRight;
    QTest::newRow("fixed column cell takes default") << 0 << 2 << alCenter;
    QTest::newRow("nothing: default") << 1 << 1 << alCenter;
    QTest::newRow("outside every list: default") << 40 << 400 << alCenter;
}

void TestAligrid::lookupOrder()
{
    QFETCH(int, col);
    QFETCH(int, row);
    QFETCH(TMyAlign, expected);
    TStringAlignGrid grid;
    grid.setAlignment(alCenter);
    grid.setAlignCell(2, 2, alLeft);
    grid.setAlignCol(2, alRight);
    grid.setAlignRow(3, alLeft);
    grid.setFixedAlignCol(2, alLeft);
    grid.setFixedAlignRow(0, alRight);
    QCOMPARE(grid.effectiveAlignment(col, row), expected);
}

// A column font for column 1 only: the header (1, 0) keeps the grid's font,
// the data cells take the column font.
void TestAligrid::columnFontSparesTheHeader()
{
    TStringAlignGrid grid;
    shapeLikeModelGrid(grid, 4, 5);
    QFont bold = grid.font();
    bold.setBold(true);
    TMyFont *column = grid.columnFont(1);
    column->setColor(kGreen);
    column->setFont(bold);

    QCOMPARE(grid.effectiveFontColor(1, 0), grid.palette().color(QPalette::Text));
    QCOMPARE(grid.effectiveFont(1, 0), grid.font());
    for (int row = 1; row < 5; ++row) {
        QCOMPARE(grid.effectiveFontColor(1, row), kGreen);
        QCOMPARE(grid.effectiveFont(1, row), bold);
    }
    QCOMPARE(grid.effectiveFontColor(2, 1), grid.palette().color(QPalette::Text));
}

void TestAligrid::cellFontBeatsColumnFontThere()
{
    TStringAlignGrid grid;
    shapeLikeModelGrid(grid, 4, 5);
    grid.columnFont(2)->setColor(kGreen);
    grid.cellFont(2, 1)->setColor(kRed);
    grid.cellFont(2, 0)->setColor(Qt::black);

    QCOMPARE(grid.effectiveFontColor(2, 1), kRed);
    QCOMPARE(grid.effectiveFontColor(2, 2), kGreen);
    QCOMPARE(grid.effectiveFontColor(2, 0), QColor(Qt::black));
}

void TestAligrid::textX_data()
{
    QTest::addColumn<TMyAlign>("alignment");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("expected");

    // The text is drawn 2 pixels further right.
    QTest::newRow("centre 30 in 100..161 (drawn at 116)") << alCenter << 100 << 161 << 30 << 114;
    QTest::newRow("right 30 in 100..161 (drawn at 129)") << alRight << 100 << 161 << 30 << 127;
    QTest::newRow("left 30 in 100..161 (drawn at 102)") << alLeft << 100 << 161 << 30 << 100;
    // Division truncates toward zero when the text is wider than the cell.
    QTest::newRow("centre 65 in 0..60") << alCenter << 0 << 60 << 65 << -3;
}

void TestAligrid::textX()
{
    QFETCH(TMyAlign, alignment);
    QFETCH(int, left);
    QFETCH(int, right);
    QFETCH(int, width);
    QFETCH(int, expected);
    QCOMPARE(TStringAlignGrid::textX(alignment, left, right, width), expected);
}

void TestAligrid::fontAccessorKeepsOneObjectAndGrows()
{
    TStringAlignGrid grid;
    grid.setColCount(3);
    TMyFont *first = grid.columnFont(1);
    QVERIFY(first);
    QCOMPARE(grid.columnFont(1), first);
    QCOMPARE(first->parent(), &grid);
    QCOMPARE(first->font(), grid.font());

    // Beyond the column count: created and kept all the same.
    TMyFont *fifth = grid.columnFont(5);
    QVERIFY(fifth && fifth != first);
    QCOMPARE(grid.columnFont(5), fifth);
    fifth->setColor(kRed);
    QCOMPARE(grid.effectiveFontColor(5, 1), kRed);
    QCOMPARE(grid.effectiveFontColor(4, 1), grid.palette().color(QPalette::Text));

    QCOMPARE(grid.columnFont(-1), nullptr);
    QCOMPARE(grid.cellFont(0, -1), nullptr);
}

void TestAligrid::fontChangeSetsChangedFlagOnlyOnChange()
{
    TStringAlignGrid grid;
    TMyFont *font = grid.cellFont(1, 1);
    QSignalSpy changes(font, &TMyFont::fontChanged);
    const bool createdChanged = font->changed();

    font->setColor(font->color());
    QCOMPARE(changes.count(), 0);
    QCOMPARE(font->changed(), createdChanged);

    font->setColor(kGreen);
    QCOMPARE(changes.count(), 1);
    QVERIFY(font->changed());
}

void TestAligrid::moveColumnCarriesEveryAttribute()
{
    TStringAlignGrid grid;
    shapeLikeModelGrid(grid, 5, 4);
    grid.setCell(1, 2, QStringLiteral("one"));
    grid.setCell(2, 2, QStringLiteral("two"));
    grid.columnFont(1)->setColor(kGreen);
    grid.setAlignCol(1, alRight);
    grid.setColorCol(1, kYellow);
    grid.setAlignCell(1, 2, alLeft);
    grid.setColorCell(1, 3, kRed);
    grid.cellFont(1, 0)->setColor(kRed);
    grid.setHintCell(1, 2, QStringLiteral("hint of one"));
    grid.setColWidth(1, 33);

    grid.moveColumn(1, 3);

    QCOMPARE(grid.cell(3, 2), QStringLiteral("one"));
    QCOMPARE(grid.cell(1, 2), QStringLiteral("two"));
    QCOMPARE(grid.colWidth(3), 33);
    QCOMPARE(grid.effectiveFontColor(3, 1), kGreen);
    QCOMPARE(grid.effectiveAlignment(3, 1), alRight);
    QCOMPARE(grid.effectiveColor(3, 1), kYellow);
    QCOMPARE(grid.effectiveAlignment(3, 2), alLeft);
    QCOMPARE(grid.effectiveColor(3, 3), kRed);
    QCOMPARE(grid.effectiveFontColor(3, 0), kRed);
    QCOMPARE(grid.hintCell(3, 2), QStringLiteral("hint of one"));
    // The column that was at 2 now sits at 1, without the moved attributes.
    QCOMPARE(grid.effectiveAlignment(1, 1), alCenter);
    QCOMPARE(grid.effectiveColor(1, 1), grid.color());
    QCOMPARE(grid.hintCell(1, 2), QString());
}

void TestAligrid::moveRowCarriesEveryAttribute()
{
    TStringAlignGrid grid;
    shapeLikeModelGrid(grid, 3, 6);
    grid.setCell(0, 4, QStringLiteral("four"));
    grid.rowFont(4)->setColor(kGreen);
    grid.setAlignRow(4, alLeft);
    grid.setColorRow(4, kYellow);
    grid.setAlignCell(2, 4, alRight);
    grid.setHintCell(1, 4, QStringLiteral("hint of four"));

    grid.moveRow(4, 1);

    QCOMPARE(grid.cell(0, 1), QStringLiteral("four"));
    QCOMPARE(grid.effectiveFontColor(0, 1), kGreen);
    QCOMPARE(grid.effectiveAlignment(0, 1), alLeft);
    QCOMPARE(grid.effectiveColor(0, 1), kYellow);
    QCOMPARE(grid.effectiveAlignment(2, 1), alRight);
    QCOMPARE(grid.hintCell(1, 1), QStringLiteral("hint of four"));
    QCOMPARE(grid.effectiveAlignment(0, 4), alCenter);
}

void TestAligrid::selectedCellColours_data()
{
    QTest::addColumn<bool>("windowColours");
    QTest::newRow("default: white on the highlight") << false;
    QTest::newRow("window colours: like any other cell") << true;
}

void TestAligrid::selectedCellColours()
{
    QFETCH(bool, windowColours);
    TStringAlignGrid grid;
    shapeLikeModelGrid(grid, 3, 5);
    grid.resize(240, 150);
    if (windowColours) {
        grid.setSelectedCellColor(grid.palette().color(QPalette::Base));
        grid.setSelectedFontColor(grid.palette().color(QPalette::Text));
    }
    for (int row = 1; row < 5; ++row)
        for (int col = 0; col < 3; ++col)
            grid.setCell(col, row, QStringLiteral("8888"));
    grid.setCurrentCell(1, 2);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    const QImage image = grid.viewport()->grab().toImage();
    const QRect selected = grid.cellRect(1, 2);
    const QRect other = grid.cellRect(1, 3);
    const QColor back = windowColours ? grid.palette().color(QPalette::Base)
                                      : grid.palette().color(QPalette::Highlight);
    const QColor fore = windowColours ? grid.palette().color(QPalette::Text) : QColor(Qt::white);
    QCOMPARE(image.pixelColor(selected.topLeft() + QPoint(1, 1)), back);
    QVERIFY(containsColor(image, selected, fore));
    QCOMPARE(image.pixelColor(other.topLeft() + QPoint(1, 1)), grid.color());
    QVERIFY(containsColor(image, other, grid.palette().color(QPalette::Text)));
    QCOMPARE(image.pixelColor(grid.cellRect(1, 0).topLeft() + QPoint(1, 1)),
             grid.palette().color(QPalette::Button));
}

void TestAligrid::mouseToCell_data()
{
    QTest::addColumn<int>("topRow");
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<bool>("inside");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");

    // Cells 60 x 18 with 1-pixel lines: column c starts at 61 c, row r at 19 r.
    QTest::newRow("origin") << 1 << QPoint(0, 0) << true << 0 << 0;
    QTest::newRow("line after column 0 belongs to it") << 1 << QPoint(60, 5) << true << 0 << 0;
    QTest::newRow("first pixel of column 1") << 1 << QPoint(61, 19) << true << 1 << 1;
    QTest::newRow("last column") << 1 << QPoint(182, 40) << true << 2 << 2;
    QTest::newRow("right of the last column") << 1 << QPoint(183, 40) << false << -1 << -1;
    QTest::newRow("scrolled: header stays") << 11 << QPoint(5, 5) << true << 0 << 0;
    QTest::newRow("scrolled: first data row") << 11 << QPoint(5, 19) << true << 0 << 11;
    QTest::newRow("negative") << 1 << QPoint(-1, 5) << false << -1 << -1;
}

void TestAligrid::mouseToCell()
{
    QFETCH(int, topRow);
    QFETCH(QPoint, pos);
    QFETCH(bool, inside);
    QFETCH(int, col);
    QFETCH(int, row);
    TStringAlignGrid grid;
    shapeLikeModelGrid(grid, 3, 100);
    grid.resize(260, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.setTopRow(topRow);
    QCOMPARE(grid.topRow(), topRow);

    int foundCol = -1;
    int foundRow = -1;
    QCOMPARE(grid.mouseToCell(pos, &foundCol, &foundRow), inside);
    QCOMPARE(foundCol, col);
    QCOMPARE(foundRow, row);
    if (inside)
        QVERIFY(grid.cellRect(col, row).adjusted(0, 0, 1, 1).contains(pos));
}

void TestAligrid::keysMoveAndScrollTheCurrentCell()
{
    TStringAlignGrid grid;
    shapeLikeModelGrid(grid, 3, 200);
    grid.resize(260, 200);
    MORVA_SHOW_ACTIVE(&grid);
    grid.setFocus();
    QCOMPARE(grid.col(), 0);
    QCOMPARE(grid.row(), 1);

    QTest::keyClick(&grid, Qt::Key_Up); // the header row cannot be current
    QCOMPARE(grid.row(), 1);
    QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(grid.col(), 2);
    QCOMPARE(grid.row(), 199);
    QVERIFY(!grid.cellRect(2, 199).isNull());
    QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(grid.row(), 1);
    QCOMPARE(grid.topRow(), 1);
}

void TestAligrid::bigFillKeepsEveryText()
{
    TStringAlignGrid grid;
    shapeLikeModelGrid(grid, 5, 2);
    grid.setCell(2, 0, QStringLiteral(" p[2]"));
    grid.setRowCount(1002);
    for (int row = 1; row < 1002; ++row)
        for (int col = 0; col < 5; ++col)
            grid.setCell(col, row, QString::number(row * 10 + col));
    QCOMPARE(grid.cell(2, 0), QStringLiteral(" p[2]"));
    QCOMPARE(grid.cell(4, 1001), QStringLiteral("10014"));
    QCOMPARE(grid.cell(5, 1), QString());

    // Shrinking drops the rows at the end only.
    grid.setRowCount(3);
    QCOMPARE(grid.cell(0, 2), QStringLiteral("20"));
    grid.setRowCount(4);
    QCOMPARE(grid.cell(0, 3), QString());
}

// State: a model-shaped grid, column 1 designed 60 wide, its texts written
// (a cell's own font where given). Action: fit the columns. Expected: the
// column exactly as wide as its widest text in that text's font plus the
// padding, never below 60; the other columns keep 60; after a refill with
// short texts the column is back at 60.
void TestAligrid::columnsFitTheirTexts_data()
{
    QTest::addColumn<QStringList>("texts"); // rows 0.. of column 1
    QTest::addColumn<int>("bigCellRow");    // a cell with a 20-pixel font, or -1
    QTest::addColumn<bool>("grows");

    QTest::newRow("short texts keep the designed width")
        << QStringList{" p[1]", "0.60000", "1.00000"} << -1 << false;
    QTest::newRow("10-digit times widen it")
        << QStringList{" time", " 1200000000", " 2000000000", " 40000000"} << -1 << true;
    QTest::newRow("a cell's larger font counts")
        << QStringList{" p[1]", "0.60000", "0.40000"} << 2 << true;
    QTest::newRow("the header counts") << QStringList{" a header wider than data", "1"} << -1
                                       << true;
}

void TestAligrid::columnsFitTheirTexts()
{
    QFETCH(QStringList, texts);
    QFETCH(int, bigCellRow);
    QFETCH(bool, grows);
    TStringAlignGrid grid;
    shapeLikeModelGrid(grid, 3, int(texts.size()));
    if (bigCellRow >= 0) {
        QFont big = grid.font();
        big.setPixelSize(20);
        grid.cellFont(1, bigCellRow)->setFont(big);
    }
    int widest = 0;
    for (int row = 0; row < texts.size(); ++row) {
        grid.setCell(1, row, texts.at(row));
        grid.setCell(2, row, QStringLiteral("1"));
        widest = std::max(widest, QFontMetrics(grid.effectiveFont(1, row))
                                      .horizontalAdvance(texts.at(row)));
    }
    grid.fitColumnsToTexts();

    const int needed = widest + TStringAlignGrid::cellPadding();
    QCOMPARE(grid.colWidth(1) > 60, grows);
    QCOMPARE(grid.colWidth(1), std::max(60, needed));
    QCOMPARE(grid.colWidth(0), 60);
    QCOMPARE(grid.colWidth(2), 60);

    for (int row = 0; row < texts.size(); ++row)
        grid.setCell(1, row, QStringLiteral("1"));
    grid.fitColumnsToTexts();
    QCOMPARE(grid.colWidth(1), 60);
}

void TestAligrid::cellHintsFollowThePointer()
{
    TStringAlignGrid grid;
    shapeLikeModelGrid(grid, 3, 5);
    grid.resize(260, 150);
    grid.setHintCell(1, 1, QStringLiteral("cell hint"));
    MORVA_SHOW_ACTIVE(&grid);
    QSignalSpy moves(&grid, &TStringAlignGrid::OnMouseMove);

    const QPoint inHintCell = grid.cellRect(1, 1).center();
    morva::test::hoverAt(grid.viewport(), inHintCell);
    QCOMPARE(grid.statusTip(), QStringLiteral("cell hint"));
    QVERIFY(!moves.isEmpty());
    QCOMPARE(moves.last().at(1).toPoint(), inHintCell);

    morva::test::hoverAt(grid.viewport(), grid.cellRect(2, 1).center());
    QCOMPARE(grid.statusTip(), QString());

    grid.setShowCellHints(false);
    morva::test::hoverAt(grid.viewport(), inHintCell);
    QCOMPARE(grid.statusTip(), QString());
}

void TestAligrid::inplaceEditorOnlyWhenEditable()
{
    TStringAlignGrid grid;
    shapeLikeModelGrid(grid, 3, 5);
    grid.resize(260, 150);
    grid.setAlignCol(1, alRight);
    grid.setCell(1, 2, QStringLiteral("old"));
    MORVA_SHOW_ACTIVE(&grid);
    grid.setFocus();
    grid.setCurrentCell(1, 2);

    QTest::keyClick(&grid, Qt::Key_F2);
    QCOMPARE(grid.inplaceEditor(), nullptr);

    grid.setEditable(true);
    QTest::keyClick(&grid, Qt::Key_F2);
    TNewInplaceEdit *editor = grid.inplaceEditor();
    QVERIFY(editor && editor->isVisible());
    QCOMPARE(editor->text(), QStringLiteral("old"));
    QCOMPARE(editor->cellAlignment(), alRight);
    QTest::keyClicks(editor, QStringLiteral("new"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(grid.cell(1, 2), QStringLiteral("new"));
    QVERIFY(!editor->isVisible());

    QTest::keyClicks(&grid, QStringLiteral("x"));
    QVERIFY(editor->isVisible());
    QTest::keyClick(editor, Qt::Key_Escape);
    QCOMPARE(grid.cell(1, 2), QStringLiteral("new"));
}

QTEST_MAIN(TestAligrid)
#include "tst_Aligrid.moc"
