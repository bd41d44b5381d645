// The windows of partial selfing, a sex-linked locus and linkage between two
// loci, opened from the choice tree and driven as a user drives them: the
// defaults run and Cancel; typed runs read in the grid and in the chart
// readouts (the closed-form cases, "-" where F or r^2 is undefined); the
// checks in order; the double click. Each table row names the window;
// State / Action / Expected in each test's comment.

#include "controls/KesSpinEdits1.h"
#include "models/frame/DescribedForm.h"
#include "models/windows/Inbreed.h"
#include "models/windows/LinkDis.h"
#include "models/frame/RunTable.h"
#include "models/frame/TimeCourse.h"
#include "tests/support/ModelDriver.h"
#include "tests/support/ModelHarness.h"

#include <QLabel>
#include <QTabWidget>

#include <cmath>
#include <memory>

using namespace morva;
using morva::test::kLinkageLeaf;
using morva::test::kPartialSelfingLeaf;
using morva::test::kSexLinkedLeaf;

namespace {

const QString kNg = timecourse::kGenerationsField;

} // namespace

class TestTimeCourse : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void defaultRunAndCancel_data();
    void defaultRunAndCancel();
    void typedRun_data();
    void typedRun();
    void checks_data();
    void checks();
    void doubleClick_data();
    void doubleClick();
    void exportedTable_data();
    void exportedTable();

private:
    bool open(const QString &leaf);
    // Types each text of {field, text, field, text...} over its field.
    void type(const QStringList &typed) const;
    QStringList row(int r) const;
    QStringList column(int c, int count) const;

    std::unique_ptr<test::GuiFixture> m_fixture;
    QPointer<DescribedForm> m_form;
};

void TestTimeCourse::init()
{
    m_fixture = std::make_unique<test::GuiFixture>();
    QVERIFY(test::startShell());
}

void TestTimeCourse::cleanup()
{
    test::stopShell();
    const QStringList left = m_fixture->desktop.messageTexts();
    m_fixture.reset();
    QVERIFY2(left.isEmpty(), qPrintable("unexpected message box(es): " + left.join(" | ")));
}

bool TestTimeCourse::open(const QString &leaf)
{
    m_form = qobject_cast<DescribedForm *>(test::openFromTree(leaf));
    return m_form && QTest::qWaitFor([this] { return m_form->runButton()->isVisible(); });
}

void TestTimeCourse::type(const QStringList &typed) const
{
    for (qsizetype i = 0; i + 1 < typed.size(); i += 2) {
        auto *field = m_form->findChild<KesSpinEditBase *>(typed[i]);
        QVERIFY2(field, qPrintable(typed[i]));
        test::ModelHarness<DescribedForm>::typeInto(field, typed[i + 1]);
        if (typed[i + 1].isEmpty())
            QTest::keyClick(field, Qt::Key_Backspace);
    }
}

QStringList TestTimeCourse::row(int r) const
{
    QStringList texts;
    for (int c = 0; c < m_form->grid()->colCount(); ++c)
        texts << m_form->grid()->cell(c, r);
    return texts;
}

QStringList TestTimeCourse::column(int c, int count) const
{
    QStringList texts;
    for (int r = 1; r <= count; ++r)
        texts << m_form->grid()->cell(c, r);
    return texts;
}

// State: the window opened from its leaf. Action: Run with the defaults,
// then Cancel. Expected: a header and a row per generation; the first two
// and the last rows; the series' points (dotted levels: two); the note;
// Cancel frees the window and gives the tree back.
void TestTimeCourse::defaultRunAndCancel_data()
{
    QTest::addColumn<QString>("leaf");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<QStringList>("firstRows");
    QTest::addColumn<QStringList>("lastRow");
    QTest::addColumn<QStringList>("points");  // page:series=count
    QTest::addColumn<QString>("note");

    // H_t = 0.32 + 0.16 / 4^t, F_t = 1 - H_t / 0.48.
    QTest::newRow("partial selfing")
        << kPartialSelfingLeaf << "InbreedForm"
        << QStringList{" time", " P", " H", " Q", " F"}
        << QStringList{" 0", "0.36000", "0.48000", "0.16000", "0.00000",
                       " 1", "0.42000", "0.36000", "0.22000", "0.25000"}
        << QStringList{" 10", "0.44000", "0.32000", "0.24000", "0.33333"}
        << QStringList{"0:SeriesP=11", "0:SeriesQ=11", "0:HardyWeinbergH=2", "1:SeriesF=11",
                       "1:EquilibriumF=2"}
        << "p = 0.6 stays.  Equilibrium: F^ = s / (2 - s) = 0.3333333;  P^ = 0.44, H^ = 0.32, "
           "Q^ = 0.24.";
    // pf - pm = (-1/2)^t; pf = 2/3 + (pf - pm) / 3, pm = 2/3 - 2 (pf - pm) / 3.
    QTest::newRow("sex-linked locus")
        << kSexLinkedLeaf << "SexLinkForm"
        << QStringList{" time", " pf", " pm", " pf - pm", " p"}
        << QStringList{" 0", "1.00000", "0.00000", "1.000E+00", "0.66667",
                       " 1", "0.50000", "1.00000", "-5.000E-01", "0.66667"}
        << QStringList{" 15", "0.66666", "0.66669", "-3.052E-05", "0.66667"}
        << QStringList{"0:SeriesFemales=16", "0:SeriesMales=16", "0:LimitLine=2",
                       "1:SeriesDifference=16", "1:ZeroLine=2"}
        << "Limit of pf and pm: (2 pf + pm) / 3 = 0.6666667, which never changes.  pf - pm "
           "halves and changes sign every generation.";
    // D_t = 0.08 0.9^t; AB = 0.42 + D, Ab = 0.18 - D, aB = 0.28 - D, ab = 0.12 + D;
    // r^2 = D^2 / 0.0504.
    QTest::newRow("linkage")
        << kLinkageLeaf << "LinkDisForm"
        << QStringList{" time", " AB", " Ab", " aB", " ab", " D", " r^2"}
        << QStringList{" 0", "0.50000", "0.10000", "0.20000", "0.20000", "8.000E-02", "0.12698",
                       " 1", "0.49200", "0.10800", "0.20800", "0.19200", "7.200E-02", "0.10286"}
        << QStringList{" 50", "0.42041", "0.17959", "0.27959", "0.12041", "4.123E-04",
                       "0.00000"}
        << QStringList{"0:SeriesAB=51", "0:Seriesab=51", "0:EquilibriumaB=2", "1:SeriesD=51",
                       "1:ExpectedD=51"}
        << "pA = 0.6, pB = 0.7 stay.  Dotted, linkage equilibrium: AB^ = 0.42, Ab^ = 0.18, "
           "aB^ = 0.28, ab^ = 0.12.  D0 = 0.08.";
}

void TestTimeCourse::defaultRunAndCancel()
{
    QFETCH(QString, leaf);
    QFETCH(QString, window);
    QFETCH(QStringList, header);
    QFETCH(QStringList, firstRows);
    QFETCH(QStringList, lastRow);
    QFETCH(QStringList, points);
    QFETCH(QString, note);

    QVERIFY(open(leaf));
    QCOMPARE(m_form->objectName(), window);
    QVERIFY(!m_form->grid()->isVisible());
    QTest::mouseClick(m_form->runButton(), Qt::LeftButton);
    QVERIFY(m_form->grid()->isVisible());
    const int rows = m_form->grid()->rowCount();
    QCOMPARE(firstRows.size(), 2 * m_form->grid()->colCount());
    QCOMPARE(row(0), header);
    QCOMPARE(row(1) + row(2), firstRows);
    QCOMPARE(row(rows - 1), lastRow);
    // Every text fits its column, and every column the grid.
    TStringAlignGrid *grid = m_form->grid();
    int columns = 0;
    for (int c = 0; c < grid->colCount(); ++c) {
        for (const QString &text : {firstRows[c], firstRows[c + grid->colCount()], lastRow[c]})
            QVERIFY2(grid->fontMetrics().horizontalAdvance(text) + 4 <= grid->colWidth(c),
                     qPrintable(text));
        columns += grid->colWidth(c);
    }
    QVERIFY(grid->width() >= columns);
    for (const QString &entry : points) {
        const int page = entry.section(':', 0, 0).toInt();
        const QString name = entry.section(':', 1).section('=', 0, 0);
        chart::Series *series = m_form->series(page, name);
        QVERIFY2(series, qPrintable(entry));
        QCOMPARE(QStringLiteral("%1:%2=%3").arg(page).arg(name).arg(series->count()), entry);
    }
    QCOMPARE(m_form->noteLabel()->text(), note);

    QVERIFY(test::cancelAndWait(m_form));
    QVERIFY(shell::PGChoiceForm->isEnabled());
    QVERIFY(!test::openModelWindow());
}

// Action: typed inputs, Run, the pointer over a generation of a chart.
// Expected: the first texts of one grid column; the readout of that
// generation, with "-" for an undefined quantity.
void TestTimeCourse::typedRun_data()
{
    QTest::addColumn<QString>("leaf");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("generation");
    QTest::addColumn<QString>("readout");

    const QString P = "InbreedPRealSpinEdit", H = "InbreedHRealSpinEdit",
                  Q = "InbreedQRealSpinEdit", s = "SelfRateRealSpinEdit";
    QTest::newRow("selfing, s = 0: Hardy-Weinberg from generation 1")
        << kPartialSelfingLeaf << QStringList{P, "0.5", H, "0.2", Q, "0.3", s, "0"} << 2
        << QStringList{"0.20000", "0.48000", "0.48000"} << 1 << 1
        << " t= 1   F= 0.00000   F^= 0.00000";
    QTest::newRow("selfing, s = 1: H halves")
        << kPartialSelfingLeaf << QStringList{P, "0.2", H, "0.8", Q, "0", s, "1"} << 2
        << QStringList{"0.80000", "0.40000", "0.20000", "0.10000"} << 0 << 2
        << " t= 2   P= 0.50000   H= 0.20000   Q= 0.30000";
    QTest::newRow("selfing, at equilibrium: F stays")
        << kPartialSelfingLeaf << QStringList{P, "0.36", H, "0.48", Q, "0.16", s, "0"} << 4
        << QStringList{"0.00000", "0.00000"} << 1 << 9 << " t= 9   F= 0.00000   F^= 0.00000";
    QTest::newRow("selfing, A2 absent: F undefined")
        << kPartialSelfingLeaf << QStringList{P, "1", H, "0", Q, "0"} << 4
        << QStringList{"-", "-"} << 1 << 1 << " t= 1   F= -";
    QTest::newRow("sex-linked, pf = pm: no difference")
        << kSexLinkedLeaf << QStringList{"FemFreqRealSpinEdit", "0.3", "MaleFreqRealSpinEdit", "0.3"}
        << 3 << QStringList{"0.000E+00", "0.000E+00"} << 1 << 2 << " t= 2   pf - pm= 0.000E+00";
    QTest::newRow("linkage, r = 0.5: D halves")
        << kLinkageLeaf << QStringList{"RecRateRealSpinEdit", "0.5"} << 5
        << QStringList{"8.000E-02", "4.000E-02", "2.000E-02", "1.000E-02"} << 1 << 1
        << " t= 1   D= 4.000E-02   D0 (1 - r)^t= 4.000E-02   r^2= 0.03175";
    QTest::newRow("linkage, r = 0: D stays")
        << kLinkageLeaf << QStringList{"RecRateRealSpinEdit", "0"} << 5
        << QStringList{"8.000E-02", "8.000E-02"} << 0 << 4
        << " t= 4   AB= 0.50000   Ab= 0.10000   aB= 0.20000   ab= 0.20000";
    QTest::newRow("linkage, a absent: r^2 undefined")
        << kLinkageLeaf
        << QStringList{"GameteABRealSpinEdit", "0.5", "GameteAbRealSpinEdit", "0.5",
                       "GameteaBRealSpinEdit", "0", "GameteabRealSpinEdit", "0"}
        << 6 << QStringList{"-", "-"} << 1 << 1
        << " t= 1   D= 0.000E+00   D0 (1 - r)^t= 0.000E+00   r^2= -";
}

void TestTimeCourse::typedRun()
{
    QFETCH(QString, leaf);
    QFETCH(QStringList, typed);
    QFETCH(int, column);
    QFETCH(QStringList, cells);
    QFETCH(int, page);
    QFETCH(int, generation);
    QFETCH(QString, readout);

    QVERIFY(open(leaf));
    type(typed);
    QTest::mouseClick(m_form->runButton(), Qt::LeftButton);
    QVERIFY(m_form->grid()->isVisible());
    QCOMPARE(this->column(column, int(cells.size())), cells);

    m_form->pageControl()->setCurrentIndex(page);
    chart::Chart *chart = m_form->chart(page);
    const auto x = test::findPixel(chart, true, [generation](double v) {
        return v >= generation - 0.3;
    });
    QVERIFY(x);
    test::hoverAt(chart, QPoint(*x, chart->plotRect().center().y()));
    QCOMPARE(chart->statusTip(), readout);
}

// State: after a default run, fields typed over. Action: Enter in the
// generations field. Expected: the message of the first check that fails,
// the earlier results kept; or, with every check passed, a new run.
void TestTimeCourse::checks_data()
{
    QTest::addColumn<QString>("leaf");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("message");

    const QString &generations = timecourse::kGenerationsMessage;
    QTest::newRow("selfing, P + H + Q = 1.1")
        << kPartialSelfingLeaf << QStringList{"InbreedPRealSpinEdit", "0.46"}
        << TInbreedForm::kSumMessage;
    QTest::newRow("selfing, the sum before the generations")
        << kPartialSelfingLeaf << QStringList{"InbreedQRealSpinEdit", "0", kNg, "0"}
        << TInbreedForm::kSumMessage;
    QTest::newRow("selfing, 0 generations") << kPartialSelfingLeaf << QStringList{kNg, "0"}
                                            << generations;
    // An empty field is no number: the frame's check speaks before the model's.
    QTest::newRow("sex-linked, no generations")
        << kSexLinkedLeaf << QStringList{kNg, ""}
        << QStringLiteral("number of generations: \"\" is not a whole number");
    QTest::newRow("sex-linked, 1001 generations") << kSexLinkedLeaf << QStringList{kNg, "1001"}
                                                  << generations;
    QTest::newRow("linkage, AB + Ab + aB + ab = 0.9")
        << kLinkageLeaf << QStringList{"GameteabRealSpinEdit", "0.1"} << TLinkDisForm::kSumMessage;
    QTest::newRow("linkage, 1000 generations") << kLinkageLeaf << QStringList{kNg, "1000"}
                                               << QString();
}

void TestTimeCourse::checks()
{
    QFETCH(QString, leaf);
    QFETCH(QStringList, typed);
    QFETCH(QString, message);

    QVERIFY(open(leaf));
    QTest::mouseClick(m_form->runButton(), Qt::LeftButton);
    const QStringList before = row(m_form->grid()->rowCount() - 1);
    type(typed);
    // Enter, not a click on Run, which would settle the typed text first.
    QTest::keyClick(m_form->intField(kNg), Qt::Key_Return);
    if (message.isEmpty()) {
        QCOMPARE(m_form->grid()->cell(0, m_form->grid()->rowCount() - 1), QStringLiteral(" 1000"));
        return;
    }
    MORVA_TAKE_MESSAGE(m_fixture->desktop, message);
    QCOMPARE(row(m_form->grid()->rowCount() - 1), before);
}

// Action: a double click on the last frequency after the others are typed.
// Expected: it becomes one minus the others; or, when they exceed 1, the
// message and no change.
void TestTimeCourse::doubleClick_data()
{
    QTest::addColumn<QString>("leaf");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");

    QTest::newRow("selfing, Q := 1 - P - H")
        << kPartialSelfingLeaf
        << QStringList{"InbreedPRealSpinEdit", "0.5", "InbreedHRealSpinEdit", "0.3"}
        << "InbreedQRealSpinEdit" << "0.200" << QString();
    QTest::newRow("selfing, P + H over 1")
        << kPartialSelfingLeaf
        << QStringList{"InbreedPRealSpinEdit", "0.8", "InbreedHRealSpinEdit", "0.5"}
        << "InbreedQRealSpinEdit" << "0.160" << TInbreedForm::kDoubleClickMessage;
    QTest::newRow("linkage, AB := 1 - Ab - aB - ab")
        << kLinkageLeaf << QStringList{"GameteAbRealSpinEdit", "0.25"} << "GameteABRealSpinEdit"
        << "0.350" << QString();
}

void TestTimeCourse::doubleClick()
{
    QFETCH(QString, leaf);
    QFETCH(QStringList, typed);
    QFETCH(QString, target);
    QFETCH(QString, text);
    QFETCH(QString, message);

    QVERIFY(open(leaf));
    type(typed);
    auto *field = m_form->realField(target);
    QTest::mouseDClick(field, Qt::LeftButton);
    QCOMPARE(field->text(), text);
    if (!message.isEmpty())
        MORVA_TAKE_MESSAGE(m_fixture->desktop, message);
}

// Action: typed inputs, Run. Expected: the table kept for export has every
// input as shown, the note, the grid's columns, a row per generation with
// the values the grid rounds, and NaN where the grid shows "-".
void TestTimeCourse::exportedTable_data()
{
    QTest::addColumn<QString>("leaf");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("fileStem");
    QTest::addColumn<QStringList>("inputs");  // name=value

    QTest::newRow("partial selfing, A2 absent")
        << kPartialSelfingLeaf
        << QStringList{"InbreedPRealSpinEdit", "1", "InbreedHRealSpinEdit", "0",
                       "InbreedQRealSpinEdit", "0"}
        << "partial-selfing"
        << QStringList{"P=1", "H=0", "Q=0", "selfing rate=0.500", "number of generations=10"};
    QTest::newRow("sex-linked locus")
        << kSexLinkedLeaf << QStringList{kNg, "1000"} << "sex-linked-locus"
        << QStringList{"pf=1.000", "pm=0.000", "number of generations=1000"};
    QTest::newRow("linkage, a absent")
        << kLinkageLeaf
        << QStringList{"GameteABRealSpinEdit", "0.5", "GameteAbRealSpinEdit", "0.5",
                       "GameteaBRealSpinEdit", "0", "GameteabRealSpinEdit", "0"}
        << "linkage-2-loci"
        << QStringList{"AB frequency=0.5", "Ab frequency=0.5", "aB frequency=0", "ab frequency=0",
                       "recombination fraction=0.100",
                       "number of generations=50"};
}

void TestTimeCourse::exportedTable()
{
    QFETCH(QString, leaf);
    QFETCH(QStringList, typed);
    QFETCH(QString, fileStem);
    QFETCH(QStringList, inputs);

    QVERIFY(open(leaf));
    type(typed);
    QTest::mouseClick(m_form->runButton(), Qt::LeftButton);
    const RunTable &table = m_form->results();
    QCOMPARE(table.fileStem, fileStem);
    QStringList shown;
    for (const auto &[name, value] : table.inputs)
        shown << name + '=' + value;
    QCOMPARE(shown, inputs);
    QCOMPARE(table.notes, QStringList{m_form->noteLabel()->text()});
    TStringAlignGrid *grid = m_form->grid();
    QCOMPARE(table.columnCount(), grid->colCount());
    QCOMPARE(table.rowCount(), grid->rowCount() - 1);
    for (int c = 0; c < grid->colCount(); ++c) {
        QCOMPARE(table.header[c], grid->cell(c, 0).trimmed());
        for (int r : {0, table.rowCount() - 1}) {
            const QString cell = grid->cell(c, r + 1);
            const long double value = table.at(r, c);
            if (cell == QStringLiteral("-"))
                QVERIFY2(std::isnan(value), qPrintable(table.header[c]));
            else if (c > 0 && !cell.contains('E'))
                QCOMPARE(QString::number(double(value), 'f', 5), cell);
        }
    }
}

MORVA_GUI_TEST_MAIN(TestTimeCourse)
#include "tst_TimeCourse.moc"
