// A model window built from a description of its own: the automatic layout
// of three boxes and the generations box, the tab order and Run's place, the
// checks in order, the values read from fields, the grid, series, equilibrium
// markers and levels, readouts, hints, the note and the export table a run
// fills, Enter, the double click
// and Cancel. State / Action / Expected in each test's comment.

#include "arith/Errors.h"
#include "arith/PgMathMu.h"
#include "controls/KesSpinEdits1.h"
#include "models/frame/DescribedForm.h"
#include "models/frame/RunTable.h"
#include "platform/Hint.h"
#include "platform/NumberText.h"
#include "tests/support/ModelHarness.h"

#include <QGroupBox>
#include <QLabel>

#include <cmath>
#include <memory>
#include <optional>

using namespace morva::form;

namespace {

// The probe: x = 0..n with x^2 in the grid and on its chart; equilibria at
// (1, 1) stable and (3, 9) unstable.
class ProbeForm : public morva::DescribedForm {
public:
    explicit ProbeForm(std::function<void()> handBack)
        : DescribedForm(describe(this), std::move(handBack))
    {
    }
    int n = 0;
    int runs = 0;

private:
    static ModelDescription describe(ProbeForm *self)
    {
        ModelDescription d;
        d.objectName = QStringLiteral("ProbeForm");
        d.settings.caption = QStringLiteral(" probe");
        d.settings.inputPanelWidth = 230; // room for "10.000" whole in M
        d.settings.gridName = QStringLiteral("Grid");
        d.boxes = {
            frequencyBox("FreqBox", "Frequencies", "frequency hint")
                .row("A1:", {real("F1", 0.6L).named("A1 frequency")})
                .row("A2:", {real("F2", 0.4L)}),
            parameterBox("RateBox", "Rates", "rate hint")
                .scaledRow("A1->A2:", real("M", 1.5L, 0, 10), "Times",
                           integer("E", -3, -9, -1)),
            parameterBox("OtherBox", "Other", "").row("m:", {real("Mig", 0.1L)}),
            generationsBox().row("", {integer("Ng", 5, 1, 1000000, 10).runOnEnter()}),
        };
        d.sumGroups = {sumGroup({"F1", "F2"}, "sum!")};
        d.checks = {
            {[self] { return std::fabs(self->settled("F1") + self->settled("F2") - 1) < 1e-6L; },
             "must add"},
            {[self] { return self->typedInteger("Ng") <= 100; }, "too many"},
        };
        d.run = [self] {
            self->n = self->typedInteger("Ng");
            ++self->runs;
        };
        ChartSpec c;
        c.sheetName = "Sheet1";
        c.title = "x^2";
        c.chartName = "Chart1";
        c.series = {lineSeries("Line", "x^2", Qt::blue, morva::chart::PenStyle::Solid,
                               [self](Plot &p) {
                                   for (int x = 0; x <= self->n; ++x)
                                       p.add(x, x * x);
                               })};
        c.markers = MarkerSpec{
            [](const morva::Equilibrium &e) { return QPointF(e.p[1], e.p[1] * e.p[1]); },
            [](const morva::Equilibrium &e) { return e.p[1] < 2 ? "one" : "three"; }};
        c.levels = LevelSpec{1, "level",
                             [](const morva::EquilibriumSet &set) { return &set.points[0]; },
                             [self] { return std::pair<double, double>(0, self->n); }};
        c.readout = [](Value x, Value) { return x < 2 ? QString("left") : QString("right"); };
        d.pages = {c};
        const auto integer = [](Value v) { return morva::text::formatInteger(qint64(v)); };
        d.grid.columns = {
            {"time", "", QColor(), [](int r) { return Value(r); }, integer, true},
            {"x^2", "square", Qt::red, [](int r) { return Value(r) * r; }, integer},
        };
        d.grid.rows = [self] { return self->n + 1; };
        d.note = [self] { return QStringLiteral("runs: %1").arg(self->runs); };
        d.equilibria = [] {
            morva::EquilibriumSet set;
            for (const auto &[x, kind] : {std::pair{1, morva::Stability::Stable},
                                          std::pair{3, morva::Stability::Unstable}}) {
                morva::Equilibrium e;
                e.p[1] = x;
                e.kind = kind;
                set.points.push_back(e);
            }
            return set;
        };
        d.exports.fileStem = "probe";
        d.exports.notes = [] { return QStringList{"a note"}; };
        return d;
    }
};

using Harness = morva::test::ModelHarness<ProbeForm>;

// A run that takes the busy pointer and may fail; it records the pointer it
// ran under.
class BusyProbe : public morva::DescribedForm {
public:
    explicit BusyProbe(std::function<void()> handBack)
        : DescribedForm(describe(this), std::move(handBack))
    {
    }
    bool fail = false;
    std::optional<Qt::CursorShape> during;

private:
    static ModelDescription describe(BusyProbe *self)
    {
        ModelDescription d;
        d.objectName = QStringLiteral("BusyProbe");
        d.settings.gridName = QStringLiteral("Grid");
        d.boxes = {generationsBox().row("", {integer("Ng", 5, 1, 100)})};
        d.busyPointer = true;
        d.run = [self] {
            const QCursor *cursor = QGuiApplication::overrideCursor();
            self->during = cursor ? std::optional(cursor->shape()) : std::nullopt;
            if (self->fail)
                throw morva::ERangeError();
        };
        d.grid.columns = {{"n", "", QColor(), [](int) { return Value(1); },
                           [](Value) { return QStringLiteral("1"); }}};
        d.grid.rows = [] { return 1; };
        return d;
    }
};

TKesSpinEdit *ng(const Harness &h) { return h.form->intField("Ng"); }

} // namespace

class TestDescribedForm : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void automaticLayout();
    void tabOrderAndRunPlace();
    void checksInOrder_data();
    void checksInOrder();
    void fieldValues_data();
    void fieldValues();
    void runFillsGridSeriesAndNote();
    void readoutsAndHints_data();
    void readoutsAndHints();
    void enterAndDoubleClick();
    void cancelHidesAndHandsBack();
    void busyPointerDuringRun_data();
    void busyPointerDuringRun();

private:
    std::unique_ptr<Harness> h;
};

void TestDescribedForm::init()
{
    h.reset();
    h = std::make_unique<Harness>();
    MORVA_SHOW_ACTIVE(&h->main);
}

// The window and its fake desktop go first, whatever failed: a fake desktop
// left behind would let the next test's boxes reach the real one.
void TestDescribedForm::cleanup()
{
    const QStringList left = h ? h->fixture.desktop.messageTexts() : QStringList();
    h.reset();
    QVERIFY2(left.isEmpty(), qPrintable("unexpected message box(es): " + left.join(" | ")));
}

// State: shown. Expected: rows 30 apart from 18; the row labels in one
// column; a row left to right; each box's rows centred; automatic heights.
void TestDescribedForm::automaticLayout()
{
    const auto geometry = [this](const char *name) {
        return h->form->findChild<QWidget *>(QLatin1String(name))->geometry();
    };
    QCOMPARE(geometry("F1").top(), 18);
    QCOMPARE(geometry("F2").top(), 48);
    QCOMPARE(geometry("F1Label").left(), geometry("F2Label").left());
    QVERIFY(geometry("F1Label").right() < geometry("F1").left());
    QVERIFY(geometry("M").right() < geometry("Times").left());
    QVERIFY(geometry("Times").right() < geometry("E").left());
    const int boxWidth = h->find<QGroupBox>("RateBox")->width();
    QVERIFY(qAbs(geometry("MLabel").left() - (boxWidth - 1 - geometry("E").right())) <= 1);
    QCOMPARE(h->find<QGroupBox>("FreqBox")->height(), 80);
    QCOMPARE(h->find<QGroupBox>("RateBox")->height(), 50);
    QCOMPARE(h->find<QLabel>("MLabel")->text(), QStringLiteral("A1->A2:"));
    QCOMPARE(h->form->realField("F1")->accessibleName(), QStringLiteral("A1 frequency"));
}

// Action: Tab from the start. Expected: the boxes top to bottom, Run, Cancel;
// Run below NgGroupBox, Cancel inside the panel.
void TestDescribedForm::tabOrderAndRunPlace()
{
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, (QStringList{"F1", "F2", "M", "E", "Mig", "Ng", "SelRunBtn",
                                   "SelCancelBtn"}));
    const QRect ngBox = h->form->ngGroupBox()->geometry();
    QVERIFY(h->form->runButton()->geometry().top() > ngBox.bottom());
    QVERIFY(h->form->cancelButton()->geometry().bottom() < h->form->inputPanel()->height());
    QVERIFY(h->find<QGroupBox>("OtherBox")->geometry().top()
            > h->find<QGroupBox>("RateBox")->geometry().bottom());
}

// Action: Run with the texts. Expected: the first failing check's message
// and no run, or a run.
void TestDescribedForm::checksInOrder_data()
{
    QTest::addColumn<QString>("a1");
    QTest::addColumn<QString>("generations");
    QTest::addColumn<QString>("message");

    QTest::newRow("both fail: the first") << "0.7" << "500" << "must add";
    QTest::newRow("second fails") << "0.6" << "500" << "too many";
    QTest::newRow("pass") << "0.6" << "100" << "";
}

void TestDescribedForm::checksInOrder()
{
    QFETCH(QString, a1);
    QFETCH(QString, generations);
    QFETCH(QString, message);

    h->form->realField("F1")->setText(a1);
    ng(*h)->setText(generations);
    h->clickRun();
    QCOMPARE(h->form->runs, message.isEmpty() ? 1 : 0);
    QCOMPARE(h->outputsShown(), message.isEmpty());
    if (!message.isEmpty())
        MORVA_TAKE_MESSAGE(h->fixture.desktop, message);
}

// State: texts in the mantissa and exponent. Expected: mantissa x 10^exponent
// of the values clamped to the fields' limits, power first.
void TestDescribedForm::fieldValues_data()
{
    QTest::addColumn<QString>("mantissa");
    QTest::addColumn<QString>("exponent");
    QTest::addColumn<double>("mantissaValue");
    QTest::addColumn<int>("exponentValue");

    QTest::newRow("as shown") << "1.5" << "-3" << 1.5 << -3;
    QTest::newRow("beyond the limits") << "12" << "0" << 10.0 << -1;
    QTest::newRow("no number: the minimum") << "x" << "-20" << 0.0 << -9;
}

void TestDescribedForm::fieldValues()
{
    QFETCH(QString, mantissa);
    QFETCH(QString, exponent);
    QFETCH(double, mantissaValue);
    QFETCH(int, exponentValue);

    h->form->realField("M")->setText(mantissa);
    h->form->intField("E")->setText(exponent);
    const long double power = morva::Power(10.0L, exponentValue);
    QCOMPARE(h->form->scaled("M", "E"), static_cast<long double>(mantissaValue) * power);
}

// Action: Run. Expected: header and rows, the series with its points, one
// marker in each equilibrium series, the note.
void TestDescribedForm::runFillsGridSeriesAndNote()
{
    QVERIFY(h->form->noteLabel()->text().isEmpty());
    h->clickRun();
    QCOMPARE(h->row(0), (QStringList{"time", "x^2"}));
    QCOMPARE(h->row(6), (QStringList{"5", "25"}));
    QCOMPARE(h->grid()->rowCount(), 7);
    QCOMPARE(h->grid()->columnFont(1)->color(), QColor(Qt::red));
    morva::chart::Chart *chart = h->form->chart(0);
    QCOMPARE(chart->seriesCount(), 7);  // the line, its level, five marker kinds
    QCOMPARE(h->form->series(0, "Line")->count(), 6);
    QCOMPARE(h->form->series(0, "EquilibriumLevel1")->points(), (QList<QPointF>{{0, 1}, {5, 1}}));
    QCOMPARE(h->form->series(0, "StableEquilibria")->points(), (QList<QPointF>{{1, 1}}));
    QCOMPARE(h->form->series(0, "UnstableEquilibria")->points(), (QList<QPointF>{{3, 9}}));
    QCOMPARE(h->form->noteLabel()->text(), QStringLiteral("runs: 1"));
    QVERIFY(h->form->noteLabel()->isVisible());

    // The table export writes: every field under its name (a mantissa and
    // its exponent as one), the notes, the grid's columns.
    const morva::RunTable &table = h->form->results();
    QCOMPARE(table.fileStem, QStringLiteral("probe"));
    QCOMPARE(table.inputs.first(), (QPair<QString, QString>{"A1 frequency", "0.600"}));
    QCOMPARE(table.inputs.at(1), (QPair<QString, QString>{"A2", "0.400"}));
    QCOMPARE(table.inputs.at(2), (QPair<QString, QString>{"A1->A2", "1.500x10^-3"}));
    QCOMPARE(table.inputs.size(), 5);
    QCOMPARE(table.notes, QStringList{"a note"});
    QCOMPARE(table.header, (QStringList{"time", "x^2"}));
    QCOMPARE(table.rowCount(), 6);
    QCOMPARE(table.at(5, 1), 25.0L);
}

// State: after a run. Action: the pointer at axis values (x, y) of the chart,
// or over a grid column. Expected: the marker's text, else the readout; the
// column's hint.
void TestDescribedForm::readoutsAndHints_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<QString>("hint");

    QTest::newRow("on the stable marker") << 1.0 << 1.0 << "one";
    QTest::newRow("on the unstable marker") << 3.0 << 9.0 << "three";
    QTest::newRow("left, off the markers") << 1.0 << 15.0 << "left";
    QTest::newRow("right, off the markers") << 4.0 << 2.0 << "right";
}

void TestDescribedForm::readoutsAndHints()
{
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(QString, hint);

    h->clickRun();
    morva::chart::Chart *chart = h->form->chart(0);
    const auto px = morva::test::findPixel(chart, true, [x](double v) { return v >= x; });
    const auto py = morva::test::findPixel(chart, false, [y](double v) { return v <= y; });
    QVERIFY(px && py);
    morva::test::hoverAt(chart, QPoint(*px, *py));
    QCOMPARE(chart->statusTip(), hint);

    const QRect second = h->grid()->cellRect(1, 1);
    morva::test::hoverAt(h->grid()->viewport(), second.center());
    QCOMPARE(h->grid()->statusTip(), QStringLiteral("square"));
    morva::test::hoverAt(h->grid()->viewport(), h->grid()->cellRect(0, 1).center());
    QCOMPARE(h->grid()->statusTip(), QString());
}

// Action: Enter in the generations field; double clicks on A2. Expected: a
// run; A2 := 1 - A1, or the group's message when A1 exceeds 1.
void TestDescribedForm::enterAndDoubleClick()
{
    QTest::keyClick(ng(*h), Qt::Key_Return);
    QCOMPARE(h->form->runs, 1);

    TKesRealSpinEdit *a2 = h->form->realField("F2");
    h->form->realField("F1")->setText("0.25");
    QTest::mouseDClick(a2, Qt::LeftButton);
    QCOMPARE(a2->text(), QStringLiteral("0.750"));
    h->form->realField("F1")->setText("1.5");
    QTest::mouseDClick(a2, Qt::LeftButton);
    QCOMPARE(a2->text(), QStringLiteral("0.750"));
    MORVA_TAKE_MESSAGE(h->fixture.desktop, QStringLiteral("sum!"));
}

// Action: Cancel. Expected: every box hidden before the hand-back, the
// window gone.
void TestDescribedForm::cancelHidesAndHandsBack()
{
    QGroupBox *other = h->find<QGroupBox>("OtherBox");
    QVERIFY(other->isVisible());
    QTest::mouseClick(h->form->cancelButton(), Qt::LeftButton);
    QCOMPARE(h->handBacks, 1);
    QVERIFY(h->closedAtHandBack);
    QTRY_VERIFY(h->form.isNull());
}

// State: a window whose run takes the busy pointer. Action: Run, passing or
// failing. Expected: the busy pointer during the run, none after it; a
// failed run reported.
void TestDescribedForm::busyPointerDuringRun_data()
{
    QTest::addColumn<bool>("fail");
    QTest::newRow("run passes") << false;
    QTest::newRow("run throws") << true;
}

void TestDescribedForm::busyPointerDuringRun()
{
    QFETCH(bool, fail);
    h.reset();
    morva::test::ModelHarness<BusyProbe> busy;
    MORVA_SHOW_ACTIVE(&busy.main);
    busy.form->fail = fail;
    busy.clickRun();
    QCOMPARE(busy.form->during, std::optional(Qt::WaitCursor));
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(busy.outputsShown(), !fail);
    if (fail)
        MORVA_TAKE_MESSAGE(busy.fixture.desktop,
                           morva::errorReportText(QString(morva::ERangeError().what())));
    MORVA_VERIFY_NO_MESSAGE(busy.fixture.desktop);
}

MORVA_GUI_TEST_MAIN(TestDescribedForm)
#include "tst_DescribedForm.moc"
