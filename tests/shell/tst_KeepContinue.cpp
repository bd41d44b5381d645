// Kept runs and Continue, as every model window has them: one table over the
// catalogue's rows (a model joins by being in the catalogue).
//
// State: the program started, the window opened from its leaf, one Run.
// - keep, change the generations, Run: every kept line holds the first run's
//   points bit for bit and is drawn among the kept lines (under the others);
//   the simplex's kept line stands before the current one; the legend names
//   the changed input with the first run's text, and so does the readout
//   over a kept line; Copy lists the kept run's inputs in a comment line; a
//   kept run is made again from its texts; nine keeps leave eight; Clear
//   removes them all;
// - Continue with no run before it is Run; Continue by m after Run n: the
//   export text (inputs, notes, every value) and every series point equal
//   those of Run n + m; the field shows m again;
// - Continue past the most generations: one message naming the most, no run.

#include "controls/Chart.h"
#include "controls/KesSpinEdits1.h"
#include "controls/SimplexChart.h"
#include "models/Catalogue.h"
#include "models/frame/DescribedForm.h"
#include "models/frame/RunExport.h"
#include "models/frame/RunTable.h"
#include "platform/NumberText.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/ModelDriver.h"
#include "tests/support/ModelHarness.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include <memory>

using namespace morva;

namespace {

DescribedForm *openRow(const QString &id)
{
    return qobject_cast<DescribedForm *>(test::openFromTree(catalogueRow(id)->leaf()));
}

QList<chart::Chart *> charts(const ModelForm *window)
{
    QList<chart::Chart *> list;
    for (const ChartPage &page : window->chartPages()) {
        if (auto *c = qobject_cast<chart::Chart *>(page.chart))
            list << c;
    }
    return list;
}

QList<chart::SimplexChart *> simplexes(const ModelForm *window)
{
    QList<chart::SimplexChart *> list;
    for (const ChartPage &page : window->chartPages()) {
        if (auto *s = qobject_cast<chart::SimplexChart *>(page.chart))
            list << s;
    }
    return list;
}

// Every series' points by chart and series name, kept lines left out; the
// simplex lines after them.
QMap<QString, QList<QPointF>> currentPoints(const ModelForm *window)
{
    QMap<QString, QList<QPointF>> points;
    for (const chart::Chart *c : charts(window)) {
        for (int i = 0; i < c->seriesCount(); ++i) {
            if (!c->series(i)->isKept())
                points.insert(c->objectName() + QLatin1Char('/') + c->series(i)->name(),
                              c->series(i)->points());
        }
    }
    for (const chart::SimplexChart *s : simplexes(window)) {
        for (int i = 0; i < s->polylineCount(); ++i) {
            QList<QPointF> line;
            for (const chart::Barycentric &p : s->polyline(i).points)
                line << QPointF(p[0], p[1]);
            points.insert(s->objectName() + QString::number(i), line);
        }
    }
    return points;
}

// The legend texts of kept runs on a chart.
QStringList keptLegends(const chart::Chart *c)
{
    QStringList titles;
    for (int i = 0; i < c->seriesCount(); ++i) {
        if (c->series(i)->title().startsWith(QStringLiteral("kept: ")))
            titles << c->series(i)->title();
    }
    return titles;
}

int keptLineCount(const ModelForm *window)
{
    int count = 0;
    for (const chart::Chart *c : charts(window)) {
        for (int i = 0; i < c->seriesCount(); ++i)
            count += c->series(i)->isKept() ? 1 : 0;
    }
    for (const chart::SimplexChart *s : simplexes(window)) {
        for (int i = 0; i < s->polylineCount(); ++i)
            count += s->polyline(i).dashes.isEmpty() ? 0 : 1;
    }
    return count;
}

TKesSpinEdit *generationsField(const DescribedForm *window)
{
    return window->intField(window->generationsSpec().field);
}

} // namespace

class TestKeepContinue : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void keptRunsStayBehindNamed_data() { test::addRowPerModel(); }
    void keptRunsStayBehindNamed();
    void continueIsOneLongerRun_data() { test::addRowPerModel(); }
    void continueIsOneLongerRun();
    void continuePastTheMostRefuses_data() { test::addRowPerModel(); }
    void continuePastTheMostRefuses();

private:
    test::ModelSession m_session;
};

void TestKeepContinue::init()
{
    QVERIFY(m_session.start());
}

void TestKeepContinue::cleanup()
{
    const QStringList left = m_session.finish();
    QVERIFY2(left.isEmpty(), qPrintable(QStringLiteral("unexpected message box(es): ") + left.join(u'|')));
}

void TestKeepContinue::keptRunsStayBehindNamed()
{
    QFETCH(QString, id);
    DescribedForm *window = openRow(id);
    QVERIFY(window);
    QTest::mouseClick(window->runButton(), Qt::LeftButton);
    QVERIFY(window->hasResults());
    const QMap<QString, QList<QPointF>> first = currentPoints(window);
    const RunTable firstTable = window->results();
    window->keepRun();

    TKesSpinEdit *field = generationsField(window);
    QVERIFY(field);
    field->setText(QString::number(field->value() + 1));
    QTest::mouseClick(window->runButton(), Qt::LeftButton);
    MORVA_VERIFY_NO_MESSAGE(m_session.desktop());

    // Every kept line is a copy of its series in the first run.
    int kept = 0;
    for (const chart::Chart *c : charts(window)) {
        for (int i = 0; i < c->seriesCount(); ++i) {
            const chart::Series *s = c->series(i);
            if (!s->isKept())
                continue;
            ++kept;
            QVERIFY(s->isPlain());
            const QString original = s->name().section(QLatin1Char('_'), 1);
            QCOMPARE(s->points(), first.value(c->objectName() + QLatin1Char('/') + original));
        }
        if (keptLegends(c).isEmpty())
            continue;
        // The generations differ: the legend names them with the first run's text.
        QString name;
        for (const auto &[input, text] : firstTable.inputs) {
            if (!window->results().inputs.contains({input, text}))
                name = input + QLatin1Char(' ') + text;
        }
        QCOMPARE(keptLegends(c), QStringList{QStringLiteral("kept: ") + name});
    }
    for (const chart::SimplexChart *s : simplexes(window)) {
        QVERIFY(!s->polyline(0).dashes.isEmpty());
        QVERIFY(s->polyline(s->polylineCount() - 1).dashes.isEmpty());
        QCOMPARE(s->polyline(0).points.size(), first.value(s->objectName() + QStringLiteral("0")).size());
        ++kept;
    }
    QVERIFY(kept > 0);

    // The readout over the middle of a kept line on the page in front names
    // the kept run.
    for (chart::Chart *c : charts(window)) {
        for (int i = 0; c->isVisible() && i < c->seriesCount(); ++i) {
            const QList<QPointF> points = c->series(i)->points();
            if (!c->series(i)->isKept() || points.isEmpty())
                continue;
            const QPointF middle = points.at(points.size() / 2);
            const auto x = test::findPixel(c, true, [&](double v) { return v >= middle.x(); });
            const auto y = test::findPixel(c, false, [&](double v) { return v <= middle.y(); });
            QVERIFY(x && y);
            test::hoverAt(c, QPoint(*x, *y));
            QVERIFY2(c->statusTip().contains(QStringLiteral("kept: ")), qPrintable(c->statusTip()));
            break;
        }
    }

    window->copyResults();
    QVERIFY(QGuiApplication::clipboard()->text().contains(QStringLiteral("kept run 1 (kept: ")));

    // A kept run made again from its field texts: kept once more, the
    // fields as they were.
    const QString shown = field->text();
    QVERIFY(window->keepRunOf(window->keptInputs().constFirst()));
    QCOMPARE(window->keptRunCount(), 2);
    QCOMPARE(window->keptInputs().constLast(), window->keptInputs().constFirst());
    QCOMPARE(field->text(), shown);

    for (int k = 0; k < 9; ++k)
        window->keepRun();
    QCOMPARE(window->keptRunCount(), KeptRuns::kMost);
    for (const chart::Chart *c : charts(window))
        QVERIFY(keptLegends(c).isEmpty() || keptLegends(c).size() == KeptRuns::kMost);
    window->clearKeptRuns();
    QCOMPARE(window->keptRunCount(), 0);
    QCOMPARE(keptLineCount(window), 0);
}

void TestKeepContinue::continueIsOneLongerRun()
{
    QFETCH(QString, id);
    DescribedForm *window = openRow(id);
    QVERIFY(window);
    TKesSpinEdit *field = generationsField(window);
    const QString typed = field->text();
    // With no run before it, Continue is Run.
    QTest::mouseClick(window->continueButton(), Qt::LeftButton);
    const QString first = tableTsv(window->results());
    QTest::mouseClick(window->runButton(), Qt::LeftButton);
    QCOMPARE(tableTsv(window->results()), first);
    QTest::mouseClick(window->continueButton(), Qt::LeftButton);
    MORVA_VERIFY_NO_MESSAGE(m_session.desktop());
    QCOMPARE(field->text(), typed);
    const QString continued = tableTsv(window->results());
    const QStringList continuedGrid = test::gridTexts(window->grid());
    const QMap<QString, QList<QPointF>> continuedPoints = currentPoints(window);

    field->setText(QString::number(2 * field->value()));
    QTest::mouseClick(window->runButton(), Qt::LeftButton);
    MORVA_VERIFY_NO_MESSAGE(m_session.desktop());
    QCOMPARE(continued, tableTsv(window->results()));
    QCOMPARE(continuedGrid, test::gridTexts(window->grid()));
    QVERIFY(continuedPoints == currentPoints(window));
}

void TestKeepContinue::continuePastTheMostRefuses()
{
    QFETCH(QString, id);
    DescribedForm *window = openRow(id);
    QVERIFY(window);
    QTest::mouseClick(window->runButton(), Qt::LeftButton);
    const QString before = tableTsv(window->results());
    // With the first run's generations, past the most.
    const form::GenerationsSpec &spec = window->generationsSpec();
    TKesSpinEdit *exponent = window->intField(spec.exponent);
    generationsField(window)->setText(
        QString::number(exponent ? generationsField(window)->maxValue() : spec.most));
    if (exponent)
        exponent->setText(QString::number(exponent->maxValue()));
    QTest::mouseClick(window->continueButton(), Qt::LeftButton);
    QCOMPARE(m_session.desktop().messages.size(), 1);
    const QString message = m_session.desktop().messages.takeFirst().text;
    QVERIFY2(message.contains(QStringLiteral("at most ") + text::formatInteger(spec.most)),
             qPrintable(message));
    QCOMPARE(tableTsv(window->results()), before);
}

MORVA_GUI_TEST_MAIN(TestKeepContinue)
#include "tst_KeepContinue.moc"
