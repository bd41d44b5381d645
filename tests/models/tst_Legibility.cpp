// What the user reads in every model window, for the default and the largest
// run of each, at three frame sizes, and at the classroom size of 200 % in
// the largest. State: the program started at the row's classroom size, the frame at
// the row's size, the window opened from the tree. Action: the row's run.
// Expected: every grid cell's text, in the cell's real font, fits its column
// with the cell padding and the columns lie whole inside the numbers panel;
// on every chart page the labels drawn are the ones chosen, none is elided or
// cut off, no two texts overlap, and neighbouring labels keep their axis'
// label separation; every point marker stands whole; every legend entry's
// text is drawn whole; every input field shows the text of either of its
// limits whole; Cancel can be scrolled to whole, inside the frame.

#include "controls/Aligrid.h"
#include "controls/Chart.h"
#include "controls/KesSpinEdits1.h"
#include "models/Catalogue.h"
#include "shell/PGFrame.h"
#include "tests/support/ChartItems.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/ModelDriver.h"

#include <QFontMetrics>
#include <QImage>
#include <QLegend>
#include <QLegendMarker>
#include <QMdiArea>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextDocument>
#include <QXYSeries>
#include <QStackedWidget>
#include <QTabWidget>

#include <algorithm>
#include <cstdlib>
#include <memory>

using namespace morva;

namespace {

// A generation field and what it is set to: typed where the user types,
// set where the field is read-only (the user steps it with its buttons).
struct Field {
    const char *name;
    int value;
};

// Where a chart stands, for the failure messages.
QString place(const QString &leaf, const QString &chart)
{
    return leaf + QStringLiteral(" ") + chart;
}

QStringList gridFaults(const ModelForm *window)
{
    QStringList faults;
    const TStringAlignGrid *grid = window->grid();
    for (int col = 0; col < grid->colCount(); ++col) {
        const int width = grid->colWidth(col);
        for (int row = 0; row < grid->rowCount(); ++row) {
            const QString text = grid->cell(col, row);
            const int needed = QFontMetrics(grid->effectiveFont(col, row)).horizontalAdvance(text)
                               + TStringAlignGrid::cellPadding();
            if (needed > width)
                faults << QStringLiteral("cell (%1, %2) \"%3\" needs %4, column %5")
                              .arg(col)
                              .arg(row)
                              .arg(text)
                              .arg(needed)
                              .arg(width);
        }
    }
    // Each column whole in the grid's view at one of its scroll positions.
    QScrollBar *bar = grid->horizontalScrollBar();
    const int scrolled = bar->value();
    QList<bool> whole(grid->colCount(), false);
    for (int at = bar->minimum(); at <= bar->maximum(); ++at) {
        bar->setValue(at);
        for (int col = 0; col < grid->colCount(); ++col) {
            const QRect header = grid->cellRect(col, 0);
            whole[col] = whole[col]
                         || (!header.isNull() && header.right() < grid->viewport()->width());
        }
    }
    bar->setValue(scrolled);
    for (int col = 0; col < grid->colCount(); ++col) {
        if (!whole[col])
            faults << QStringLiteral("column %1 not whole in the grid's view").arg(col);
    }
    const QRect placed = grid->geometry();
    if (placed.left() < 0 || placed.right() >= window->outputNumbersPanel()->width())
        faults << QStringLiteral("grid at %1..%2 outside the panel of width %3")
                      .arg(placed.left())
                      .arg(placed.right())
                      .arg(window->outputNumbersPanel()->width());
    return faults;
}

// A value's pixel in the chart, as the adapter maps it.
QPoint pixelOf(const chart::Chart *chart, QPointF p)
{
    const QRect plot = chart->plotRect();
    const auto *bottom = chart->bottomAxis();
    const auto *left = chart->leftAxis();
    return {plot.left()
                + qRound((p.x() - bottom->minimum()) * plot.width()
                         / (bottom->maximum() - bottom->minimum())),
            plot.bottom() + 1
                - qRound((p.y() - left->minimum()) * plot.height()
                         / (left->maximum() - left->minimum()))};
}

// Whether a point series after `index` draws a marker over part of the one
// at `centre`.
bool coveredLater(const chart::Chart *chart, int index, QPoint centre)
{
    const int half = chart->series(index)->markerHalfSize();
    for (int j = index + 1; j < chart->seriesCount(); ++j) {
        const chart::Series *later = chart->series(j);
        if (later->kind() != chart::SeriesKind::Points)
            continue;
        for (const QPointF &p : later->points()) {
            const QPoint other = pixelOf(chart, p);
            if (std::abs(other.x() - centre.x()) <= half + later->markerHalfSize()
                && std::abs(other.y() - centre.y()) <= half + later->markerHalfSize())
                return true;
        }
    }
    return false;
}

// The rectangle of the pixels that change where `series` draws a marker at
// `centre`: the chart drawn with and without the series' points.
QRect drawnMarker(const QImage &with, const QImage &without, QPoint centre, int reach)
{
    QRect changed;
    for (int y = centre.y() - reach; y <= centre.y() + reach; ++y) {
        for (int x = centre.x() - reach; x <= centre.x() + reach; ++x) {
            if (with.valid(x, y) && with.pixel(x, y) != without.pixel(x, y))
                changed |= QRect(x, y, 1, 1);
        }
    }
    return changed;
}

// Each marker of the chart's point series drawn as large on either side of
// its centre as across its width: no part of it cut off. Markers drawn
// white on white (an invisible start point) and markers partly under a
// later series' marker (an equilibrium marked over the observed values
// beside it) are left out.
QStringList markerFaults(chart::Chart *chart)
{
    QStringList faults;
    const QImage with = chart->grab().toImage();
    for (int i = 0; i < chart->seriesCount(); ++i) {
        const chart::Series *series = chart->series(i);
        if (series->kind() != chart::SeriesKind::Points || series->count() == 0
            || (series->color() == Qt::white && series->fillColor() == Qt::white))
            continue;
        QXYSeries *shown = nullptr;
        for (QAbstractSeries *candidate : chart->qchart()->series()) {
            if (candidate->objectName() == series->name())
                shown = qobject_cast<QXYSeries *>(candidate);
        }
        if (!shown)
            continue;
        const QList<QPointF> points = shown->points();
        shown->clear();
        const QImage without = chart->grab().toImage();
        shown->replace(points);
        const int half = series->markerHalfSize();
        for (const QPointF &p : points) {
            const QPoint centre = pixelOf(chart, p);
            if (coveredLater(chart, i, centre))
                continue;
            const QRect drawn = drawnMarker(with, without, centre, half + 3);
            // Anti-aliasing may leave the outermost pixel of a side unchanged.
            if (drawn.width() < 2 * half || drawn.height() < 2 * half)
                faults << QStringLiteral("%1: marker at (%2, %3) drawn %4 x %5, not %6 across")
                              .arg(chart->objectName())
                              .arg(p.x())
                              .arg(p.y())
                              .arg(drawn.width())
                              .arg(drawn.height())
                              .arg(2 * half + 1);
        }
    }
    return faults;
}

// Every entry shown in the legend has its whole text drawn (on one line or
// more).
QStringList legendFaults(const chart::Chart &chart)
{
    QStringList faults;
    QStringList drawn;
    for (const test::ShownText &shown : test::chartTexts(chart).all)
        drawn << shown.text.simplified();
    for (QLegendMarker *marker : chart.qchart()->legend()->markers()) {
        if (!marker->isVisible())
            continue;
        QTextDocument label;
        label.setHtml(marker->label());
        const QString text = label.toPlainText().simplified();
        if (!drawn.contains(text))
            faults << QStringLiteral("%1: legend \"%2\" not drawn whole (drawn: %3)")
                          .arg(chart.objectName(), text, drawn.join(u'|'));
    }
    return faults;
}

// Where the edit's cursor stands, as drawn.
int cursorX(KesSpinEditBase *field, int position)
{
    field->setCursorPosition(position);
    field->repaint(); // the edit scrolls its text when it paints
    return field->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
}

// Each field written at either limit: its text runs from the start of the
// text area to the cursor at its end without scrolling, left of the spin
// button.
QStringList fieldFaults(const ModelForm *window)
{
    QStringList faults;
    for (KesSpinEditBase *field : window->findChildren<KesSpinEditBase *>()) {
        if (!field->isVisible())
            continue;
        const QString kept = field->text();
        for (const QString &text : field->limitTexts()) {
            field->setText(text);
            const int start = cursorX(field, 0);
            const int end = cursorX(field, int(text.size()));
            const int advance = QFontMetrics(field->font()).horizontalAdvance(text);
            if (std::abs(end - start - advance) > 1 || end > field->spinButton()->x())
                faults << QStringLiteral("field %1 shows \"%2\" cut (%3..%4 for %5)")
                              .arg(field->objectName(), text)
                              .arg(start)
                              .arg(end)
                              .arg(advance);
        }
        field->setText(kept);
    }
    return faults;
}

} // namespace

Q_DECLARE_METATYPE(Field)

class TestLegibility : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void everyTextReadsWhole_data();
    void everyTextReadsWhole();

private:
    test::ModelSession m_session;
};

void TestLegibility::init()
{
    QVERIFY(m_session.start());
}

void TestLegibility::cleanup()
{
    const QStringList left = m_session.finish();
    QVERIFY2(left.isEmpty(), qPrintable(QStringLiteral("unexpected message box(es): ") + left.join(u'|')));
}

void TestLegibility::everyTextReadsWhole_data()
{
    QTest::addColumn<QString>("leaf");
    QTest::addColumn<QList<Field>>("fields");
    QTest::addColumn<QString>("lastTime"); // the grid's last generation; empty: any
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<int>("percent"); // the classroom size

    struct Run {
        const char *name;
        QString id;   // the catalogue's
        QList<Field> fields;
        QString lastTime;
    };
    QList<Run> runs{
        {"2 alleles, default", "selection-2-alleles", {}, "30"},
        {"2 alleles, 300 generations", "selection-2-alleles", {{"SelNgKesSpinEdit", 300}}, "300"},
        {"3 alleles, default", "selection-3-alleles", {}, "50"},
        {"3 alleles, 37 generations", "selection-3-alleles", {{"SelNgKesSpinEdit", 37}}, "37"},
        {"3 alleles, 1000 generations",
         "selection-3-alleles",
         {{"SelNgKesSpinEdit", 1000}},
         "1000"},
        {"mutation, default", "mutation-2-alleles", {}, "5000000"},
        {"mutation, 2 x 10^9 generations",
         "mutation-2-alleles",
         {{"NgKesSpinEdit", 20}, {"NgPowerSpinEdit", 8}},
         "2000000000"},
        {"selection with mutation, default", "selection-mutation", {}, "500"},
        {"selection with mutation, 10^6 generations",
         "selection-mutation",
         {{"SelNgKesSpinEdit", 1000000}},
         "1000000"},
        {"selection with migration, 10^6 generations",
         "selection-migration",
         {{"SelNgKesSpinEdit", 1000000}},
         "1000000"},
        {"partial selfing, 1000 generations",
         "partial-selfing",
         {{"SelNgKesSpinEdit", 1000}},
         "1000"},
        {"sex-linked locus, default", "sex-linked-locus", {}, "15"},
        {"sex-linked locus, 1000 generations",
         "sex-linked-locus",
         {{"SelNgKesSpinEdit", 1000}},
         "1000"},
        {"linkage, 1000 generations", "linkage-2-loci", {{"SelNgKesSpinEdit", 1000}}, "1000"},
        {"drift, default", "drift", {}, "200"},
        {"drift, 200 replicates x 10000 generations",
         "drift",
         {{"DriftReplicatesKesSpinEdit", 200}, {"SelNgKesSpinEdit", 10000}},
         "10000"},
    };
    // Every model of the catalogue runs, with its defaults when no row above
    // names it.
    for (const CatalogueRow &row : modelCatalogue()) {
        const bool named = std::any_of(runs.begin(), runs.end(),
                                       [&row](const Run &run) { return run.id == row.id; });
        if (!named)
            runs.append({nullptr, row.id, {}, QString()});
    }
    for (const QSize frame : {QSize(640, 480), QSize(800, 600), QSize(1600, 1000)}) {
        for (const Run &run : runs)
            QTest::addRow("%s at %dx%d",
                          run.name ? run.name : qPrintable(run.id + QStringLiteral(", default")),
                          frame.width(), frame.height())
                << catalogueRow(run.id)->leaf() << run.fields << run.lastTime << frame << 100;
    }
    for (const Run &run : runs)
        QTest::addRow("%s at 1600x1000, 200 %%",
                      run.name ? run.name : qPrintable(run.id + QStringLiteral(", default")))
            << catalogueRow(run.id)->leaf() << run.fields << run.lastTime << QSize(1600, 1000)
            << 200;
}

void TestLegibility::everyTextReadsWhole()
{
    QFETCH(QString, leaf);
    QFETCH(QList<Field>, fields);
    QFETCH(QString, lastTime);
    QFETCH(QSize, frame);
    QFETCH(int, percent);

    shell::PGMainFrameForm->setViewScale(percent);
    shell::PGMainFrameForm->resize(frame);
    QTRY_COMPARE(shell::PGMainFrameForm->size(), frame);
    ModelForm *window = test::openFromTree(leaf);
    QVERIFY(window);
    TKesSpinEdit *typedInto = nullptr;
    for (const Field &field : fields) {
        auto *edit = window->findChild<TKesSpinEdit *>(QLatin1String(field.name));
        QVERIFY2(edit, field.name);
        if (edit->isReadOnly()) {
            edit->setValue(field.value);
        } else {
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, QString::number(field.value));
            typedInto = edit;
        }
    }
    // Enter in a typed field runs with the text as typed (the 3-allele
    // window's 1000 generations lie beyond the field's stepping range).
    if (typedInto)
        QTest::keyClick(typedInto, Qt::Key_Return);
    else
        QTest::mouseClick(window->runButton(), Qt::LeftButton);
    MORVA_VERIFY_NO_MESSAGE(m_session.desktop());
    QTRY_VERIFY(window->grid()->isVisible());
    const TStringAlignGrid *grid = window->grid();
    if (!lastTime.isEmpty())
        QCOMPARE(grid->cell(0, grid->rowCount() - 1).trimmed(), lastTime);

    QStringList faults = gridFaults(window);
    QTabWidget *pages = window->pageControl();
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        const auto charts = pages->widget(page)->findChildren<chart::Chart *>();
        if (charts.isEmpty())
            continue;  // a page without axes (the simplex)
        QCOMPARE(charts.size(), 1);
        const chart::Chart *chart = charts.first();
        // The chart places its legend anew when it paints: every entry reads
        // whole (above the plot, beside it, on two lines there, smaller, or
        // in rows across the top).
        QTRY_VERIFY2(legendFaults(*chart).isEmpty(),
                     qPrintable(legendFaults(*chart).join(u' ')));
        QTRY_VERIFY2(chart->isVisible() && test::labelsDrawn(*chart),
                     qPrintable(place(leaf, test::legibilityFaults(*chart).join(" | "))));
        // A large frame leaves room for every axis title.
        if (frame.width() >= 1600)
            QVERIFY(chart->bottomAxis()->titleShown() && chart->leftAxis()->titleShown());
        // A legend wrapped across the top moves the plot on the next layout
        // pass: let the picture settle before reading what is wrong with it.
        const auto chartFaults = [&] {
            return test::legibilityFaults(*chart) + markerFaults(charts.first()) + legendFaults(*chart);
        };
        (void)QTest::qWaitFor([&] { return chartFaults().isEmpty(); }); // faults listed below
        for (const QString &fault : chartFaults())
            faults << place(leaf, fault);
    }
    faults << fieldFaults(window);
    // Cancel whole in the window's scrollable client, the window inside the
    // frame's client area.
    const QWidget *client = window->findChild<QScrollArea *>(QStringLiteral("ScrollArea"))->widget();
    const QRect cancel(window->cancelButton()->mapTo(client, QPoint(0, 0)),
                       window->cancelButton()->size());
    if (!client->rect().contains(cancel))
        faults << QStringLiteral("Cancel at %1,%2 beyond the client %3 x %4")
                      .arg(cancel.x())
                      .arg(cancel.y())
                      .arg(client->width())
                      .arg(client->height());
    const QWidget *area = shell::PGMainFrameForm->findChild<QMdiArea *>()->viewport();
    if (!area->rect().contains(window->geometry()))
        faults << QStringLiteral("window outside the frame's client area");
    for (const QString &fault : std::as_const(faults))
        qWarning().noquote() << fault;
    QVERIFY2(faults.isEmpty(), qPrintable(faults.value(0)));
    QVERIFY(test::cancelAndWait(window));
}

MORVA_GUI_TEST_MAIN(TestLegibility)
#include "tst_Legibility.moc"
