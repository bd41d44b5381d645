// The shared model-window frame with a model of its own: the wider input
// panel and narrower grid of other models, three frequency fields, the order
// of the refills in a run and a refill that fails. State / Action / Expected
// in each test's comment.

#include "arith/Errors.h"
#include "controls/Aligrid.h"
#include "controls/KesSpinEdits1.h"
#include "models/frame/ModelForm.h"
#include "tests/support/GuiFixture.h"

#include <QGroupBox>
#include <QMainWindow>
#include <QMdiArea>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>

#include <memory>

namespace {

morva::ModelFormSettings probeSettings()
{
    morva::ModelFormSettings s;
    s.caption = QStringLiteral(" probe");
    s.inputPanelWidth = 200;
    s.runName = QStringLiteral("RunBtn");
    s.cancelName = QStringLiteral("CancelBtn");
    s.runPos = QPoint(45, 325);
    s.pageControlName = QStringLiteral("MutOutGraphPageControl");
    s.gridName = QStringLiteral("StringAlignGrid");
    s.gridColumns = 3;
    s.gridWidthAddend = 8;
    return s;
}

// A model that logs what the frame asks of it.
class ProbeForm : public morva::ModelForm {
public:
    explicit ProbeForm(std::function<void()> handBack)
        : ModelForm(probeSettings(), std::move(handBack))
    {
        QGroupBox *box = addGroupBox(InputSlot::Frequencies, QStringLiteral("FreqBox"),
                                     QStringLiteral("f"), QStringLiteral("hint"), 110);
        for (int i = 0; i < 3; ++i)
            fields[i] = addRealField(box, QStringLiteral("F%1").arg(i + 1),
                                     {{70, 18 + 30 * i}, {55, 22}}, 0.0L, 0.0L, 1.0L, 0.01L);
        // Names for reports: a label beside the first, none for the second
        // (the box's title serves), a name of its own for the third.
        addLabel(box, QStringLiteral("F1Label"), QStringLiteral("&p1:"), {40, 20});
        fields[2]->setAccessibleName(QStringLiteral("third"));
        addChartPage(QStringLiteral("TabSheet1"), QStringLiteral("one"),
                     QStringLiteral("Chart1"));
    }

    using ModelForm::applyFrequencyRule;

    void OutputGraphPanelEnter() override { log << QStringLiteral("graph"); }
    void OutputNumbersPanelEnter() override
    {
        log << QStringLiteral("numbers");
        if (failNumbers)
            throw morva::ERangeError();
        grid()->show();
    }

    TKesRealSpinEdit *fields[3] = {};
    QStringList log;
    bool failNumbers = false;

protected:
    void runClicked() override
    {
        log << QStringLiteral("run");
        showResults();
    }
    void prepareGrid() override { log << QStringLiteral("prepare"); }
};

struct Harness {
    morva::test::GuiFixture fixture;
    QMainWindow main;
    QMdiArea *area = new QMdiArea;
    QPointer<ProbeForm> form;

    Harness()
    {
        main.setCentralWidget(area);
        main.resize(1200, 800);
        form = new ProbeForm([] {});
        area->addSubWindow(form);
        form->show();
    }
};

} // namespace

class TestModelForm : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void shownWindowIsCentredWithFirstPage();
    void frequencyRule_data();
    void frequencyRule();
    void runRefillsGridThenCharts();
    void failedRefillEndsTheRun();
    void fieldsMustReadBeforeRun_data();
    void fieldsMustReadBeforeRun();
    void narrowGridPlacement_data();
    void narrowGridPlacement();
    void inputPanelKeepsItsWidth();

private:
    std::unique_ptr<Harness> h;
};

void TestModelForm::init()
{
    h = std::make_unique<Harness>();
    MORVA_SHOW_ACTIVE(&h->main);
}

void TestModelForm::cleanup()
{
    if (h)
        MORVA_VERIFY_NO_MESSAGE(h->fixture.desktop);
    h.reset();
}

// State: just shown in a 1200 x 800 frame. Expected: centred in the area,
// FormShow ran once with the grid header step, the focus on the first field
// and no output refilled.
void TestModelForm::shownWindowIsCentredWithFirstPage()
{
    const QSize room = h->area->viewport()->size();
    QCOMPARE(h->form->pos(), QPoint((room.width() - 750) / 2, (room.height() - 570) / 2));
    QCOMPARE(h->form->log, QStringList{QStringLiteral("prepare")});
    QCOMPARE(QApplication::focusWidget(), h->form->fields[0]);
    QVERIFY(h->form->findChild<QPushButton *>(QStringLiteral("RunBtn"))->isVisible());
    QVERIFY(h->form->runButton()->isDefault());
    QVERIFY(!h->form->pageControl()->isVisible());
}

// State: the two other fields. Action: the double-click rule on field 1.
// Expected: one minus their sum, or the message with no change above 1
// (strictly).
void TestModelForm::frequencyRule_data()
{
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("third");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("message");

    QTest::newRow("0.3 + 0.2") << "0.3" << "0.2" << "0.500" << false;
    QTest::newRow("sum exactly 1") << "0.5" << "0.5" << "0.000" << false;
    QTest::newRow("0.7 + 0.6") << "0.7" << "0.6" << "0.100" << true;
    QTest::newRow("typed beyond the limits") << "1.25" << "0" << "0.100" << true;
}

void TestModelForm::frequencyRule()
{
    QFETCH(QString, second);
    QFETCH(QString, third);
    QFETCH(QString, expected);
    QFETCH(bool, message);

    auto &f = h->form->fields;
    f[0]->setValue(0.1L);
    f[1]->setText(second);
    f[2]->setText(third);
    h->form->applyFrequencyRule(f[0], {f[1], f[2]}, QStringLiteral("too much"));
    QCOMPARE(f[0]->text(), expected);
    if (message) {
        QCOMPARE(h->fixture.desktop.messages.first().title, QStringLiteral("MORVA 99"));
        MORVA_TAKE_MESSAGE(h->fixture.desktop, QStringLiteral("too much"));
    }
}

// Action: Run, twice. Expected: each run refills the grid before the charts,
// then shows the page control; the focus ends in the chart area.
void TestModelForm::runRefillsGridThenCharts()
{
    h->form->log.clear();
    QTest::mouseClick(h->form->runButton(), Qt::LeftButton);
    QTest::mouseClick(h->form->runButton(), Qt::LeftButton);
    QCOMPARE(h->form->log, (QStringList{"run", "numbers", "graph", "run", "numbers", "graph"}));
    QVERIFY(h->form->pageControl()->isVisible());
    QVERIFY(h->form->outputGraphPanel()->isAncestorOf(QApplication::focusWidget()));
}

// State: the grid refill throws. Action: Run. Expected: one error report, the
// charts are not refilled and the page control stays hidden.
void TestModelForm::failedRefillEndsTheRun()
{
    h->form->log.clear();
    h->form->failNumbers = true;
    QTest::mouseClick(h->form->runButton(), Qt::LeftButton);
    QCOMPARE(h->form->log, (QStringList{"run", "numbers"}));
    QCOMPARE(h->fixture.desktop.messages.size(), 1);
    QCOMPARE(h->fixture.desktop.messages.first().icon, morva::MessageIcon::Stop);
    h->fixture.desktop.messages.clear();
    QVERIFY(!h->form->pageControl()->isVisible());
}

void TestModelForm::fieldsMustReadBeforeRun_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("label beside") << 0 << "1-6" << R"(p1: "1-6" is not a number)";
    QTest::newRow("no label: the box's title") << 1 << "." << R"(f: "." is not a number)";
    QTest::newRow("own name, empty text") << 2 << "" << R"(third: "" is not a number)";
    QTest::newRow("exponent reads: runs") << 0 << "1e-6" << "";
}

// State: the focus on Cancel. Action: one field gets the text, then Run.
// Expected: one error naming the field and quoting its text, the focus in
// the field with all its text selected, and the model's Run handler not
// called; text that reads runs.
void TestModelForm::fieldsMustReadBeforeRun()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    TKesRealSpinEdit *edit = h->form->fields[field];
    edit->setText(text);
    h->form->cancelButton()->setFocus();
    h->form->log.clear();

    h->form->runButton()->click();

    if (message.isEmpty()) {
        QCOMPARE(h->form->log.value(0), QStringLiteral("run"));
        return;
    }
    QVERIFY(h->form->log.isEmpty());
    QCOMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(edit->selectedText(), text);
    MORVA_TAKE_MESSAGE(h->fixture.desktop, message);
}

// State: the numbers panel at a width. Expected: the 3-column grid, 68 per
// column, centred with the division truncated toward zero (negative when the
// panel is narrower).
void TestModelForm::narrowGridPlacement_data()
{
    QTest::addColumn<int>("panelWidth");
    QTest::addColumn<int>("left");

    QTest::newRow("535") << 535 << 165;
    QTest::newRow("204") << 204 << 0;
    QTest::newRow("201") << 201 << -1;
}

void TestModelForm::narrowGridPlacement()
{
    QFETCH(int, panelWidth);
    QFETCH(int, left);

    QSplitter *splitter = h->form->splitter2();
    const int total = splitter->sizes().at(0) + splitter->sizes().at(1);
    splitter->setSizes({total - panelWidth, panelWidth});
    QCOMPARE(h->form->outputNumbersPanel()->width(), panelWidth);
    QCOMPARE(h->form->grid()->geometry().left(), left);
    QCOMPARE(h->form->grid()->width(), 204);
}

// Action: drag Splitter2 far to the left. Expected: InputPanel stays 200 wide.
void TestModelForm::inputPanelKeepsItsWidth()
{
    QSplitterHandle *bar = h->form->splitter2()->handle(1);
    const QPoint grip = bar->rect().center();
    QTest::mousePress(bar, Qt::LeftButton, {}, grip);
    QTest::mouseMove(bar, grip - QPoint(120, 0));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, grip - QPoint(120, 0));
    QCOMPARE(h->form->inputPanel()->width(), 200);
}

MORVA_GUI_TEST_MAIN(TestModelForm)
#include "tst_ModelForm.moc"
