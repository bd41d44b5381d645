// What every model window does, tested once as a table over the catalogue:
// a model joins this table by being in the catalogue.
//
// State: the program started, the window opened from its leaf in the tree.
// Action / Expected, one test function each:
// - open: the window the catalogue names opens; Help > About this model
//   shows its page under its tree path;
// - Run with the defaults: no message, every chart page has points, the grid
//   has rows, and the export table (named by the catalogue's file stem) has
//   the grid's rows and columns, each value the one the grid's text rounds;
//   a second Run gives the same bits;
// - a field that is not a number: Run refuses, names the field, runs nothing;
// - Cancel: the window is freed and the tree takes input again;
// - zoom: a rubber band over the middle of each chart gives axes spanning
//   that part, labels separated (on the triangle: that part as large as the
//   whole); Esc returns to the axes' own ranges; a new
//   Run shows the whole chart unless the chart keeps its zoom;
// - classroom size: at 200 % every font, designed place and size, grid row
//   and chart line of the window doubles; back at 100 % every designed
//   place is as it was.

#include "controls/Aligrid.h"
#include "controls/Chart.h"
#include "controls/KesSpinEdits1.h"
#include "controls/SimplexChart.h"
#include "models/Catalogue.h"
#include "models/frame/RunExport.h"
#include "models/frame/RunTable.h"
#include "models/frame/ViewScale.h"
#include "tests/support/ChartItems.h"
#include "shell/ModelHelp.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/ModelDriver.h"

#include <QAction>
#include <QChartView>
#include <QGroupBox>
#include <QTabWidget>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>

#include <cmath>
#include <cstring>
#include <memory>

using namespace morva;

namespace {

const CatalogueRow &rowOf(const QString &id)
{
    const CatalogueRow *row = catalogueRow(id);
    if (!row)
        qFatal("no catalogue row %s", qPrintable(id));
    return *row;
}

// Opens the model by its tree path, as a user clicks it.
ModelForm *openModel(const CatalogueRow &row)
{
    return test::openFromTree(row.leaf());
}

// The first field a user can type into, in tab order.
KesSpinEditBase *firstTypedField(ModelForm *window)
{
    for (QWidget *w = window->inputPanel()->nextInFocusChain(); w && w != window->inputPanel();
         w = w->nextInFocusChain()) {
        auto *field = qobject_cast<KesSpinEditBase *>(w);
        if (field && field->isVisible() && field->isEnabled() && !field->isReadOnly()
            && window->inputPanel()->isAncestorOf(field))
            return field;
    }
    return nullptr;
}

bool sameBits(long double a, long double b)
{
    // Only the 80 value bits count: the padding of a long double is not part
    // of its value.
    return std::memcmp(&a, &b, 10) == 0;
}

// Half a unit in the last place the text shows: "0.500" -> 0.0005,
// "1.23E-04" -> 0.005E-04; 0 for a whole number.
double halfUnitOf(const QString &text)
{
    const int e = text.indexOf(QLatin1Char('E'), 0, Qt::CaseInsensitive);
    const QString mantissa = e < 0 ? text : text.left(e);
    const int point = mantissa.indexOf(QLatin1Char('.'));
    const int decimals = point < 0 ? 0 : int(mantissa.size()) - point - 1;
    const double exponent = e < 0 ? 0 : text.mid(e + 1).toDouble();
    return 0.5 * std::pow(10.0, exponent - decimals);
}

} // namespace

class TestContract : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void openExplains_data() { test::addRowPerModel(); }
    void openExplains();
    void defaultRunFillsAndRepeats_data() { test::addRowPerModel(); }
    void defaultRunFillsAndRepeats();
    void fieldNotANumberRefusesRun_data() { test::addRowPerModel(); }
    void fieldNotANumberRefusesRun();
    void cancelHandsBack_data() { test::addRowPerModel(); }
    void cancelHandsBack();
    void rubberBandZoomsAndResets_data() { test::addRowPerModel(); }
    void rubberBandZoomsAndResets();
    void classroomSizeScalesAndReturns_data() { test::addRowPerModel(); }
    void classroomSizeScalesAndReturns();

private:
    test::ModelSession m_session;
};

void TestContract::init()
{
    QVERIFY(m_session.start());
}

void TestContract::cleanup()
{
    const QStringList left = m_session.finish();
    QVERIFY2(left.isEmpty(), qPrintable(QStringLiteral("unexpected message box(es): ") + left.join(u'|')));
}

void TestContract::openExplains()
{
    QFETCH(QString, id);
    const CatalogueRow &row = rowOf(id);
    ModelForm *window = openModel(row);
    QVERIFY2(window, qPrintable(row.leaf() + QStringLiteral(" did not open")));
    QCOMPARE(window->objectName(), row.windowName);
    QCOMPARE(catalogueRowOfWindow(window), &row);

    QAction *help = shell::PGMainFrameForm->ModelHelpItem;
    QVERIFY(help->isEnabled());
    help->trigger();
    auto *dialog = shell::PGMainFrameForm->findChild<shell::ModelHelpDialog *>();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    QVERIFY2(dialog->windowTitle().contains(row.leaf()), qPrintable(dialog->windowTitle()));
    QVERIFY(dialog->browser()->toPlainText().contains(QStringLiteral("Each generation")));
    dialog->close();
}

void TestContract::defaultRunFillsAndRepeats()
{
    QFETCH(QString, id);
    ModelForm *window = openModel(rowOf(id));
    QVERIFY(window);
    QTest::mouseClick(window->runButton(), Qt::LeftButton);
    MORVA_VERIFY_NO_MESSAGE(m_session.desktop());
    QVERIFY(window->hasResults());

    for (const ChartPage &page : window->chartPages()) {
        const auto *chart = qobject_cast<const chart::Chart *>(page.chart);
        if (!chart)
            continue; // a page the window draws itself (the simplex)
        int points = 0;
        for (int i = 0; i < chart->seriesCount(); ++i)
            points += int(chart->series(i)->points().size());
        QVERIFY2(points > 0, qPrintable(page.title + QStringLiteral(" has no points")));
    }

    const TStringAlignGrid *grid = window->grid();
    const RunTable first = window->results();
    QCOMPARE(first.fileStem, rowOf(id).fileStem);
    QVERIFY(grid->rowCount() > 2);
    QCOMPARE(first.rowCount(), grid->rowCount() - 1);
    // Each grid column the export also has: the export's value is the one
    // the grid's text rounds.
    int matched = 0;
    for (int col = 0; col < grid->colCount(); ++col) {
        const int column = int(first.header.indexOf(grid->cell(col, 0).trimmed()));
        if (column < 0)
            continue;
        ++matched;
        for (int row = 1; row < grid->rowCount(); ++row) {
            const QString text = grid->cell(col, row).trimmed();
            bool isNumber = false;
            double shown = text.toDouble(&isNumber);
            double slack = halfUnitOf(text) * (1 + 1e-9) + 1e-300;
            // A share of the replicates reads "11 of 20".
            static const QRegularExpression count(QStringLiteral("^(\\d+) of (\\d+)$"));
            if (const QRegularExpressionMatch m = count.match(text); m.hasMatch()) {
                isNumber = true;
                shown = m.captured(1).toDouble() / m.captured(2).toDouble();
                slack = 1e-15;
            }
            const long double value = first.at(row - 1, column);
            if (!isNumber) {
                QVERIFY2(std::isnan(value) || text.isEmpty(),
                         qPrintable(QStringLiteral("%1 row %2: \"%3\"").arg(first.header[column]).arg(row).arg(text)));
                continue;
            }
            QVERIFY2(std::fabs(double(value) - shown) <= slack,
                     qPrintable(QStringLiteral("%1 row %2: grid %3, export %4")
                                    .arg(first.header[column]).arg(row).arg(text)
                                    .arg(double(value), 0, 'g', 21)));
        }
    }
    QVERIFY2(matched >= 2, qPrintable(first.header.join(QLatin1Char(','))));

    const QStringList texts = test::gridTexts(grid);
    QTest::mouseClick(window->runButton(), Qt::LeftButton);
    MORVA_VERIFY_NO_MESSAGE(m_session.desktop());
    QCOMPARE(test::gridTexts(grid), texts);
    const RunTable &again = window->results();
    QCOMPARE(again.values.size(), first.values.size());
    for (std::size_t i = 0; i < first.values.size(); ++i)
        QVERIFY2(sameBits(again.values[i], first.values[i]) || (std::isnan(again.values[i]) && std::isnan(first.values[i])),
                 qPrintable(QStringLiteral("value %1 differs").arg(i)));
}

void TestContract::fieldNotANumberRefusesRun()
{
    QFETCH(QString, id);
    ModelForm *window = openModel(rowOf(id));
    QVERIFY(window);
    KesSpinEditBase *field = firstTypedField(window);
    QVERIFY(field);
    field->setText(QStringLiteral("x1"));
    QTest::mouseClick(window->runButton(), Qt::LeftButton);
    QCOMPARE(m_session.desktop().messages.size(), 1);
    const QString message = m_session.desktop().messages.takeFirst().text;
    QVERIFY2(message.contains(ModelForm::fieldName(field)), qPrintable(message));
    QVERIFY(!window->hasResults());
}

void TestContract::cancelHandsBack()
{
    QFETCH(QString, id);
    ModelForm *window = openModel(rowOf(id));
    QVERIFY(window);
    QVERIFY(!shell::PGChoiceForm->isEnabled());
    QVERIFY(test::cancelAndWait(window));
    QVERIFY(!test::openModelWindow());
    QVERIFY(shell::PGChoiceForm->isEnabled());
    QVERIFY(!shell::PGMainFrameForm->ModelHelpItem->isEnabled());
}

namespace {

// The chart's axes as minimum and maximum of each.
QList<double> axesOf(const chart::Chart *chart)
{
    return {chart->bottomAxis()->minimum(), chart->bottomAxis()->maximum(),
            chart->leftAxis()->minimum(), chart->leftAxis()->maximum()};
}

// Drags Qt Charts' rubber band from `from` to `to` (chart pixels).
void dragBand(chart::Chart *chart, QPoint from, QPoint to)
{
    QWidget *viewport = chart->view()->viewport();
    const QPoint offset = viewport->mapFrom(chart, QPoint(0, 0));
    QTest::mousePress(viewport, Qt::LeftButton, {}, from + offset);
    QTest::mouseMove(viewport, to + offset);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to + offset);
}

// The triangle: a band around its middle point shows that part as large as
// the whole triangle was, the band's centre now at the middle of the whole
// triangle's box; Esc shows it whole.
bool simplexZoomsAndResets(chart::SimplexChart *simplex)
{
    if (!QTest::qWaitForWindowExposed(simplex) || simplex->triangleSide() < 100)
        return false;
    const double side = simplex->triangleSide();
    const QPointF boxCentre((simplex->vertexPixel(1).x() + simplex->vertexPixel(2).x()) / 2,
                            (simplex->vertexPixel(0).y() + simplex->vertexPixel(1).y()) / 2);
    const QPoint centre = simplex->toPixel({1.0 / 3, 1.0 / 3, 1.0 / 3}).toPoint();
    const QRect band(centre - QPoint(30, 20), centre + QPoint(30, 20));
    const chart::Barycentric inBand = simplex->toBarycentric(QRectF(band).center());
    QTest::mousePress(simplex, Qt::LeftButton, {}, band.topLeft());
    QTest::mouseMove(simplex, band.bottomRight());
    QTest::mouseRelease(simplex, Qt::LeftButton, {}, band.bottomRight());
    const QPointF now = simplex->toPixel(inBand);
    const bool zoomed = simplex->isZoomed() && simplex->triangleSide() > 4 * side
                        && QLineF(now, boxCentre).length() < 1.0;
    QTest::keyClick(simplex, Qt::Key_Escape);
    return zoomed && !simplex->isZoomed() && simplex->triangleSide() == side;
}

} // namespace

void TestContract::rubberBandZoomsAndResets()
{
    QFETCH(QString, id);
    ModelForm *window = openModel(rowOf(id));
    QVERIFY(window);
    QTest::mouseClick(window->runButton(), Qt::LeftButton);
    MORVA_VERIFY_NO_MESSAGE(m_session.desktop());
    QTabWidget *pages = window->pageControl();
    chart::Chart *first = nullptr;
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        auto *chart = pages->widget(page)->findChild<chart::Chart *>();
        if (auto *simplex = pages->widget(page)->findChild<chart::SimplexChart *>()) {
            QVERIFY(simplexZoomsAndResets(simplex));
            QVERIFY(window->isVisible());
        }
        if (!chart)
            continue;
        first = first ? first : chart;
        const QString where = pages->tabText(page);
        QTRY_VERIFY(chart->isVisible() && chart->plotRect().width() > 100);
        const QList<double> own = axesOf(chart);
        const QRect plot = chart->plotRect();
        const QPoint from = plot.topLeft() + QPoint(plot.width() / 4, plot.height() / 4);
        const QPoint to = plot.topLeft() + QPoint(plot.width() * 3 / 4, plot.height() * 3 / 4);
        const QList<double> wanted{chart->bottomValueAt(from.x()), chart->bottomValueAt(to.x()),
                                   chart->leftValueAt(to.y()), chart->leftValueAt(from.y())};
        dragBand(chart, from, to);
        QVERIFY2(chart->isZoomed(), qPrintable(where));
        const QList<double> zoomed = axesOf(chart);
        for (int i = 0; i < 4; ++i) {
            const double pixel = (own[i | 1] - own[i & 2]) / (i < 2 ? plot.width() : plot.height());
            QVERIFY2(qAbs(zoomed[i] - wanted[i]) <= 1.5 * pixel,
                     qPrintable(QStringLiteral("%1 axis end %2: %3, not %4")
                                    .arg(where).arg(i).arg(zoomed[i]).arg(wanted[i])));
        }
        QTRY_VERIFY2(test::labelsDrawn(*chart) && test::legibilityFaults(*chart).isEmpty(),
                     qPrintable(where + test::legibilityFaults(*chart).join(u'|')));
        QVERIFY(chart->bottomAxis()->labels().size() >= 2 && chart->leftAxis()->labels().size() >= 2);

        chart->view()->setFocus();
        QTest::keyClick(chart->view(), Qt::Key_Escape);
        QVERIFY(!chart->isZoomed());
        QCOMPARE(axesOf(chart), own);
        QVERIFY(window->isVisible()); // Esc went to the zoom, not to Cancel
    }
    QVERIFY(first);
    pages->setCurrentWidget(first->parentWidget());
    const QRect plot = first->plotRect();
    for (const bool keep : {true, false}) {
        dragBand(first, plot.topLeft() + QPoint(10, 10), plot.center());
        const QList<double> zoomed = axesOf(first);
        first->setKeepsZoomOnRun(keep);
        QTest::mouseClick(window->runButton(), Qt::LeftButton);
        QCOMPARE(first->isZoomed(), keep);
        if (keep)
            QCOMPARE(axesOf(first), zoomed);
    }
}

void TestContract::classroomSizeScalesAndReturns()
{
    QFETCH(QString, id);
    ModelForm *window = openModel(rowOf(id));
    QVERIFY(window);
    QTest::mouseClick(window->runButton(), Qt::LeftButton);
    MORVA_VERIFY_NO_MESSAGE(m_session.desktop());
    const QList<QWidget *> placed =
        window->inputPanel()->findChildren<QWidget *>(Qt::FindChildrenRecursively);
    QList<QRect> designed;
    for (const QWidget *w : placed)
        designed << w->geometry();
    const int fontPixels = window->inputPanel()->font().pixelSize();
    const int rowHeight = window->grid()->defaultRowHeight();

    shell::PGMainFrameForm->LargerTextItem->trigger();
    QCOMPARE(viewScalePercent(), 125);
    shell::PGMainFrameForm->setViewScale(200);
    QCOMPARE(window->inputPanel()->font().pixelSize(), 2 * fontPixels);
    QCOMPARE(window->grid()->defaultRowHeight(), 2 * rowHeight);
    QCOMPARE(window->runButton()->size(), 2 * QSize(ModelForm::kButtonWidth, ModelForm::kButtonHeight));
    for (const chart::Chart *chart : window->findChildren<chart::Chart *>())
        QCOMPARE(chart->scale(), 2.0);

    shell::PGMainFrameForm->NormalSizeItem->trigger();
    QCOMPARE(viewScalePercent(), 100);
    QCOMPARE(window->inputPanel()->font().pixelSize(), fontPixels);
    for (int i = 0; i < placed.size(); ++i) {
        if (qobject_cast<QGroupBox *>(placed[i]->parentWidget()))
            QVERIFY2(placed[i]->geometry() == designed[i], qPrintable(placed[i]->objectName()));
    }
}

MORVA_GUI_TEST_MAIN(TestContract)
#include "tst_Contract.moc"
