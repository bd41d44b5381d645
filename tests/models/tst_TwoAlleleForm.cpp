// The 2-allele windows with selection and one more force (mutation,
// migration) driven as a user drives them: defaults run, typed inputs
// checked in order, the stored generations of long runs in the grid and
// on the charts, the equilibria drawn and written, the double click, Enter
// and Cancel. Each table row names the window; State / Action / Expected in
// each test's comment.

#include "controls/KesSpinEdits1.h"
#include "models/windows/SelMig2.h"
#include "models/windows/SelMut2.h"
#include "platform/Hint.h"
#include "tests/support/ModelHarness.h"

#include <QLabel>

#include <memory>

using morva::TwoAlleleForm;
using morva::chart::Series;

namespace {

enum Window { Mutation, Migration };

struct Harness : morva::test::ModelHarness<TwoAlleleForm> {
    explicit Harness(int window) : ModelHarness(QSize(1000, 760), false)
    {
        if (window == Mutation)
            open<TSelMut2Form>();
        else
            open<TSelMig2Form>();
    }
    QString prefix() const { return qobject_cast<TSelMut2Form *>(form) ? "SelMut2" : "SelMig2"; }
    KesSpinEditBase *field(const QString &name) const
    {
        const QString full = name.startsWith('.') ? prefix() + name.mid(1) : name;
        return form->findChild<KesSpinEditBase *>(full);
    }
    void type(const QString &name, const QString &text) const
    {
        typeInto(field(name), text);
        if (text.isEmpty())
            QTest::keyClick(field(name), Qt::Key_Backspace);
    }
    int points(int page, const char *series) const
    {
        return form->series(page, QLatin1String(series))->count();
    }
};

} // namespace

class TestTwoAlleleForm : public QObject {
    Q_OBJECT
private slots:
    void cleanup();

    void defaultRun_data();
    void defaultRun();
    void tabOrder_data();
    void tabOrder();
    void checks_data();
    void checks();
    void storedGenerations_data();
    void storedGenerations();
    void markerReadout();
    void doubleClickEnterCancel_data();
    void doubleClickEnterCancel();

private:
    void open(int window);
    std::unique_ptr<Harness> h;
};

void TestTwoAlleleForm::open(int window)
{
    h.reset();
    h = std::make_unique<Harness>(window);
    MORVA_SHOW_ACTIVE(&h->main);
}

// The window and its fake desktop go first, whatever failed: a fake desktop
// left behind would let the next test's boxes reach the real one.
void TestTwoAlleleForm::cleanup()
{
    const QStringList left = h ? h->fixture.desktop.messageTexts() : QStringList();
    h.reset();
    QVERIFY2(left.isEmpty(), qPrintable("unexpected message box(es): " + left.join(" | ")));
}

// Action: Run with the defaults. Expected: a row per generation; the first
// rows; the last row at the stable equilibrium the note gives; the series'
// points; the markers.
void TestTwoAlleleForm::defaultRun_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("firstRows");
    QTest::addColumn<QStringList>("lastRow");
    QTest::addColumn<QString>("note");
    QTest::addColumn<int>("stable");
    QTest::addColumn<int>("unstable");

    // u = 5e-3, s = 0.2, recessive: q^ = sqrt(u / s) = 0.158113883 exactly
    // for selection then mutation.
    QTest::newRow("mutation")
        << int(Mutation) << 502
        << QStringList{" 0", "0.60000", "0.40000", "0.96800", " 1", "0.61674", "0.38326",
                       "0.97062"}
        << QStringList{" 500", "0.84189", "0.15811", "0.99500"}
        << "Equilibria of p[1]: 0 unstable, 0.8418861 stable.  Balance p[2]^ = 0.1581139; "
           "by sqrt(u / s): 0.1581139."
        << 1 << 1;
    QTest::newRow("migration")
        << int(Migration) << 202
        << QStringList{" 0", "0.60000", "0.40000", "0.87880", " 1", "0.57883", "0.42117",
                       "0.88295"}
        << QStringList{" 200", "0.15835", "0.84165", "0.96536"}
        << "Equilibria of p[1]: 0.1583520 stable." << 1 << 0;
}

void TestTwoAlleleForm::defaultRun()
{
    QFETCH(int, window);
    QFETCH(int, rows);
    QFETCH(QStringList, firstRows);
    QFETCH(QStringList, lastRow);
    QFETCH(QString, note);
    QFETCH(int, stable);
    QFETCH(int, unstable);

    open(window);
    QVERIFY(!h->outputsShown());
    h->clickRun();
    QVERIFY(h->outputsShown());
    QCOMPARE(h->grid()->rowCount(), rows);
    QCOMPARE(h->row(0), (QStringList{" time", " p[1]", " p[2]", " Wmed"}));
    QCOMPARE(h->row(1) + h->row(2), firstRows);
    QCOMPARE(h->row(rows - 1), lastRow);
    QCOMPARE(h->form->noteLabel()->text(), note);
    QCOMPARE(h->points(0, "Series1"), rows - 1);
    QCOMPARE(h->points(0, "Series6"), 2);
    QCOMPARE(h->points(0, "EquilibriumLevel1"), 2);
    QCOMPARE(h->points(0, "EquilibriumLevel2"), 2);
    QCOMPARE(h->points(1, "CurveTotal"), 501);
    QCOMPARE(h->points(1, "Series5"), rows - 2);
    QCOMPARE(h->points(1, "Series7"), 1);
    QCOMPARE(h->points(1, "StableEquilibria"), stable);
    QCOMPARE(h->points(1, "UnstableEquilibria"), unstable);
    QCOMPARE(h->points(2, "Series3"), rows - 1);
}

// Action: Tab from the first field. Expected: the four boxes top to bottom,
// Run, Cancel.
void TestTwoAlleleForm::tabOrder_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<QStringList>("order");

    const QStringList selection{"Freq1RealSpinEdit", "Freq2RealSpinEdit", "Fit11RealSpinEdit",
                                "Fit12RealSpinEdit", "Fit22RealSpinEdit"};
    QStringList mutation;
    QStringList migration;
    for (const QString &name : selection) {
        mutation << "SelMut2" + name;
        migration << "SelMig2" + name;
    }
    mutation << "MutRate12RealSpinEdit" << "MutRate12PowerSpinEdit" << "MutRate21RealSpinEdit"
             << "MutRate21PowerSpinEdit";
    migration << "ContFreqRealSpinEdit" << "MigRateRealSpinEdit";
    for (QStringList *order : {&mutation, &migration})
        *order << "SelNgKesSpinEdit" << "SelRunBtn" << "SelCancelBtn";
    QTest::newRow("mutation") << int(Mutation) << mutation;
    QTest::newRow("migration") << int(Migration) << migration;
}

void TestTwoAlleleForm::tabOrder()
{
    QFETCH(int, window);
    QFETCH(QStringList, order);

    open(window);
    QStringList visited{QApplication::focusWidget()->objectName()};
    while (visited.size() < order.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, order);
}

// State: after a run, fields typed over. Action: Enter in the generations
// field. Expected: the message of the first check that fails; earlier
// results stay.
void TestTwoAlleleForm::checks_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<QStringList>("typed");  // field, text, field, text...
    QTest::addColumn<QString>("message");

    for (const int window : {Mutation, Migration}) {
        const char *tag = window == Mutation ? "mutation" : "migration";
        const auto row = [tag](const char *what) -> QTestData & {
            return QTest::addRow("%s: %s", tag, what);
        };
        row("sum 1.1") << window << QStringList{".Freq1RealSpinEdit", "0.7"}
                       << TwoAlleleForm::kSumMessage;
        row("sum first, then generations")
            << window << QStringList{".Freq2RealSpinEdit", "0.3", "SelNgKesSpinEdit", "0"}
            << TwoAlleleForm::kSumMessage;
        row("fitnesses all 0")
            << window
            << QStringList{".Fit11RealSpinEdit", "0", ".Fit12RealSpinEdit", "0",
                           ".Fit22RealSpinEdit", "0"}
            << TwoAlleleForm::kFitnessMessage;
        row("0 generations") << window << QStringList{"SelNgKesSpinEdit", "0"}
                             << TwoAlleleForm::kGenerationsMessage;
        row("no generations") << window << QStringList{"SelNgKesSpinEdit", ""}
                              << "Number of generations: \"\" is not a whole number";
        row("1000001 generations") << window << QStringList{"SelNgKesSpinEdit", "1000001"}
                                   << TwoAlleleForm::kGenerationsMessage;
        row("1000000 generations") << window << QStringList{"SelNgKesSpinEdit", "1000000"}
                                   << QString();
    }
}

void TestTwoAlleleForm::checks()
{
    QFETCH(int, window);
    QFETCH(QStringList, typed);
    QFETCH(QString, message);

    open(window);
    h->clickRun();
    const QString before = h->cell(1, 2);
    for (qsizetype i = 0; i + 1 < typed.size(); i += 2)
        h->type(typed[i], typed[i + 1]);
    // Enter, not a click on Run, which would settle the typed text first.
    QTest::keyClick(h->field("SelNgKesSpinEdit"), Qt::Key_Return);
    if (message.isEmpty())
        return;
    MORVA_TAKE_MESSAGE(h->fixture.desktop, message);
    QCOMPARE(h->cell(1, 2), before);
}

// Action: Run over `generations`. Expected: every generation up to 1000, at
// most 1001 more evenly spaced, the last included; observed changes only
// between generations one apart.
void TestTwoAlleleForm::storedGenerations_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<QString>("generations");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("times");  // rows 1000, 1001, 1002, 1003 and the last
    QTest::addColumn<int>("observed");

    QTest::newRow("mutation, 2001: every one")
        << int(Mutation) << "2001" << 2003
        << QStringList{" 999", " 1000", " 1001", " 1002", " 2001"} << 2001;
    QTest::newRow("mutation, 1000000")
        << int(Mutation) << "1000000" << 2003
        << QStringList{" 999", " 1000", " 1998", " 2996", " 1000000"} << 1000;
    QTest::newRow("migration, 2002")
        << int(Migration) << "2002" << 2003
        << QStringList{" 999", " 1000", " 1001", " 1002", " 2002"} << 2000;
}

void TestTwoAlleleForm::storedGenerations()
{
    QFETCH(int, window);
    QFETCH(QString, generations);
    QFETCH(int, rows);
    QFETCH(QStringList, times);
    QFETCH(int, observed);

    open(window);
    h->type("SelNgKesSpinEdit", generations);
    h->clickRun();
    QCOMPARE(h->grid()->rowCount(), rows);
    QCOMPARE((QStringList{h->cell(0, 1000), h->cell(0, 1001), h->cell(0, 1002), h->cell(0, 1003),
                          h->cell(0, rows - 1)}),
             times);
    QCOMPARE(h->points(0, "Series2"), rows - 1);
    QCOMPARE(h->points(1, "Series5"), observed);
}

// State: the mutation window after a run, the delta page shown. Action: the
// pointer over the stable marker, then away from it. Expected: the
// equilibrium with its stability and slope, then the plain readout.
void TestTwoAlleleForm::markerReadout()
{
    open(Mutation);
    h->clickRun();
    h->form->pageControl()->setCurrentIndex(1);
    morva::chart::Chart *chart = h->form->chart(1);
    const auto x = morva::test::findPixel(chart, true, [](double v) { return v >= 0.8418861; });
    const auto y = morva::test::findPixel(chart, false, [](double v) { return v <= 0; });
    QVERIFY(x && y);
    morva::test::hoverAt(chart, QPoint(*x, *y));
    QVERIFY2(chart->statusTip().startsWith(" p[1]= 0.8418861   stable equilibrium, slope= 0.9"),
             qPrintable(chart->statusTip()));
    morva::test::hoverAt(chart, QPoint(*x - 40, *y - 40));
    QVERIFY2(chart->statusTip().startsWith(" p[1]= 0."), qPrintable(chart->statusTip()));
    QVERIFY(chart->statusTip().contains("   delta-p[1]= "));
}

// Action: a double click on A2; Enter in the generations field; Cancel.
// Expected: A2 := 1 - A1; a run; the hand-back.
void TestTwoAlleleForm::doubleClickEnterCancel_data()
{
    QTest::addColumn<int>("window");
    QTest::newRow("mutation") << int(Mutation);
    QTest::newRow("migration") << int(Migration);
}

void TestTwoAlleleForm::doubleClickEnterCancel()
{
    QFETCH(int, window);

    open(window);
    h->type(".Freq1RealSpinEdit", "0.25");
    QTest::mouseDClick(h->field(".Freq2RealSpinEdit"), Qt::LeftButton);
    QCOMPARE(h->field(".Freq2RealSpinEdit")->text(), QStringLiteral("0.750"));

    QTest::keyClick(h->field("SelNgKesSpinEdit"), Qt::Key_Return);
    QVERIFY(h->outputsShown());
    QCOMPARE(h->cell(1, 1), QStringLiteral("0.25000"));

    QTest::mouseClick(h->form->cancelButton(), Qt::LeftButton);
    QCOMPARE(h->handBacks, 1);
    QVERIFY(h->closedAtHandBack);
}

MORVA_GUI_TEST_MAIN(TestTwoAlleleForm)
#include "tst_TwoAlleleForm.moc"
