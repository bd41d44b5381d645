// The 3-allele selection window driven as a user drives it: its fields and
// their double clicks, the typed number of generations, the checks and their
// messages, the grid and charts a run fills, the tab order, and the selection
// state it shares with the 2-allele window. Each test names State / Action /
// Expected.

#include "arith/PgMathSe.h"
#include "controls/Aligrid.h"
#include "controls/Chart.h"
#include "controls/KesSpinEdits1.h"
#include "controls/SimplexChart.h"
#include "models/windows/SelDi2.h"
#include "models/windows/SelDi3.h"
#include "tests/support/ChartProbe.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/ModelHarness.h"

#include <QFrame>
#include <QCheckBox>
#include <QGroupBox>
#include <QMainWindow>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <cmath>
#include <memory>

using morva::MessageIcon;
using morva::chart::Chart;
using morva::chart::Barycentric;
using morva::chart::Series;
using morva::chart::SimplexChart;

namespace {

// The frame stand-in; the window opens when the test says.
struct Harness : morva::test::ModelHarness<TSelDi3Form> {
    Harness() : ModelHarness(QSize(1000, 760), false) {}

    TKesRealSpinEdit *frequency(int allele) const
    {
        return form->findChild<TKesRealSpinEdit *>(
            QStringLiteral("SelDi3Freq%1RealSpinEdit").arg(allele));
    }
    void setFrequencyTexts(const QString &a1, const QString &a2, const QString &a3) const
    {
        frequency(1)->setText(a1);
        frequency(2)->setText(a2);
        frequency(3)->setText(a3);
    }
    void setAllFitnesses(long double w) const
    {
        for (TKesRealSpinEdit *field : {form->SelDi3Fit11RealSpinEdit, form->SelDi3Fit12RealSpinEdit,
                                        form->SelDi3Fit13RealSpinEdit, form->SelDi3Fit22RealSpinEdit,
                                        form->SelDi3Fit23RealSpinEdit, form->SelDi3Fit33RealSpinEdit})
            field->setValue(w);
    }

    // Types `text` into the emptied generations field, as a user does.
    void typeGenerations(const QString &text) const
    {
        TKesSpinEdit *field = form->SelNgKesSpinEdit;
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
    }
    void pressEnterInGenerations() const
    {
        QTest::keyClick(form->SelNgKesSpinEdit, Qt::Key_Return);
    }
};

QString grid4(double value)
{
    return QLatin1Char(' ') + morva::text::formatFixed(value, 4, 3);
}

// Shows the simplex page and waits until its triangle has its size.
bool showSimplex(TSelDi3Form *form)
{
    form->SelDiOutGraphPageControl->setCurrentWidget(form->TabSheet3);
    return QTest::qWaitFor([form] { return form->SelDi3Simplex->triangleSide() > 100; });
}

} // namespace

class TestSelDi3 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void createdWindowShowsInputsOnly();
    void formShowRebuildsInputPanelOutOfSight();
    void defaultRunFillsGridAndCharts();
    void runChecks_data();
    void runChecks();
    void unconvertibleGenerationsReachErrorReport_data();
    void unconvertibleGenerationsReachErrorReport();
    void timeColumnBlanks_data();
    void timeColumnBlanks();
    void doubleClickRule_data();
    void doubleClickRule();
    void failedRunKeepsEarlierResults();
    void gridColumnFontsAndHighlight_data();
    void gridColumnFontsAndHighlight();
    void fitnessTabOrder();
    void sharedStateAfterTwoAlleleRun();
    void equilibriumLevels_data();
    void equilibriumLevels();
    void equilibriumLines();
    void cancelHandsBackAndFrees();
    void simplexPageShowsTheRun();
    void simplexReadout_data();
    void simplexReadout();

private:
    std::unique_ptr<Harness> h;
};

void TestSelDi3::init()
{
    h = std::make_unique<Harness>();
    h->open();
    MORVA_SHOW_ACTIVE(&h->main);
}

void TestSelDi3::cleanup()
{
    if (h)
        MORVA_VERIFY_NO_MESSAGE(h->fixture.desktop);
    h.reset();
}

// State: just created. Expected: the designed caption, named controls, group
// boxes stacked 2 pixels apart, two pages with the first one current, the
// grid header written, outputs hidden.
void TestSelDi3::createdWindowShowsInputsOnly()
{
    TSelDi3Form *f = h->form;
    QCOMPARE(SelDi3Form.data(), f);
    QCOMPARE(f->windowTitle(),
             QStringLiteral(" MORVA - Natural Selection: Diploid population, 3 alleles"));
    const QStringList names{
        "InputPanel", "SelDi3FreqGroupBox", "SelDi3Freq1RealSpinEdit", "SelDi3Freq2RealSpinEdit",
        "SelDi3Freq3RealSpinEdit", "SelDi3FitGroupBox", "SelDi3Fit11RealSpinEdit",
        "SelDi3Fit12RealSpinEdit", "SelDi3Fit13RealSpinEdit", "SelDi3Fit22RealSpinEdit",
        "SelDi3Fit23RealSpinEdit", "SelDi3Fit33RealSpinEdit", "NgGroupBox", "SelNgKesSpinEdit",
        "SelRunBtn", "SelCancelBtn", "SelDiOutGraphPageControl", "TabSheet1", "TabSheet2",
        "SelDi3Chart1", "SelDi3Chart2", "SelDi3StringAlignGrid", "TabSheet3", "SelDi3Simplex",
        "SelDi3ArrowsCheckBox"};
    for (const QString &name : names)
        QVERIFY2(f->findChild<QWidget *>(name), qPrintable(name));

    for (QWidget *w : {static_cast<QWidget *>(f->SelDi3FreqGroupBox),
                       static_cast<QWidget *>(f->SelDi3FitGroupBox),
                       static_cast<QWidget *>(f->NgGroupBox), static_cast<QWidget *>(f->SelRunBtn),
                       static_cast<QWidget *>(f->SelCancelBtn)})
        QVERIFY2(w->isVisible(), qPrintable(w->objectName()));
    QVERIFY(!f->SelDiOutGraphPageControl->isVisible());
    QVERIFY(!h->grid()->isVisible());

    QCOMPARE(f->SelDi3FreqGroupBox->geometry().top(), 3);
    QCOMPARE(f->SelDi3FreqGroupBox->height(), 110);
    QCOMPARE(f->SelDi3FitGroupBox->geometry().top(), 115);
    QCOMPARE(f->SelDi3FitGroupBox->height(), 200);
    QCOMPARE(f->NgGroupBox->geometry().top(), 317);
    QCOMPARE(f->NgGroupBox->height(), 50);
    QCOMPARE(f->InputPanel->width(), 170);

    QTabWidget *pages = f->SelDiOutGraphPageControl;
    QCOMPARE(pages->count(), 3);
    QCOMPARE(pages->tabText(0), QStringLiteral("Allele freqs vs time"));
    QCOMPARE(pages->tabText(1), QStringLiteral("Fitnesses vs time"));
    QCOMPARE(pages->tabText(2), QStringLiteral("Simplex"));
    QVERIFY(!f->SelDi3ArrowsCheckBox->isChecked());
    QCOMPARE(pages->currentWidget(), f->TabSheet1);
    QCOMPARE(h->row(0), (QStringList{" time", " p[1]", " p[2]", " p[3]", " Wmed"}));
    QCOMPARE(f->SelNgKesSpinEdit->text(), QStringLiteral("50"));
    QVERIFY(!f->SelNgKesSpinEdit->isReadOnly());
}

// State: the window shown. Action: FormShow again. Expected: InputPanel is
// hidden before anything else changes and shown again only when the boxes
// are visible and the grid header is written.
void TestSelDi3::formShowRebuildsInputPanelOutOfSight()
{
    struct Recorder : QObject {
        TSelDi3Form *form = nullptr;
        QStringList log;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Hide)
                log << QStringLiteral("hide");
            if (event->type() == QEvent::Show)
                log << QStringLiteral("show boxes=%1 header=%2")
                           .arg(form->SelDi3FitGroupBox->isVisibleTo(form->InputPanel))
                           .arg(form->SelDi3StringAlignGrid->cell(4, 0));
            return false;
        }
    } recorder;
    recorder.form = h->form;
    h->form->SelDiOutGraphPageControl->setCurrentIndex(1);
    h->form->SelDi3FitGroupBox->hide();
    h->grid()->setCell(4, 0, QString());
    h->form->InputPanel->installEventFilter(&recorder);

    h->form->FormShow();
    h->form->InputPanel->removeEventFilter(&recorder);
    QCOMPARE(recorder.log, (QStringList{"hide", "show boxes=1 header= Wmed"}));
    QCOMPARE(h->form->SelDiOutGraphPageControl->currentIndex(), 0);
    QCOMPARE(h->form->InputPanel->width(), 170);
}

// State: the designed defaults (0.1, 0.4, 0.5; 0.8, 1.0, 1.2, 0.7, 1.0, 0.9;
// 50). Action: Run. Expected: 52 rows; generation 0 and 1 as computed by
// hand (Wmed 0.945, W = 1.08, 0.88, 0.97), which also proves the fitness
// fields reach their genotypes.
void TestSelDi3::defaultRunFillsGridAndCharts()
{
    h->clickRun();
    QVERIFY(h->outputsShown());
    QCOMPARE(h->grid()->rowCount(), 52);
    QCOMPARE(h->row(1), (QStringList{"     0", " 0.100", " 0.400", " 0.500", " 0.945"}));
    QCOMPARE(h->row(2), (QStringList{"     1", " 0.114", " 0.372", " 0.513",
                                     grid4(static_cast<double>(morva::SelWmed[1]))}));
    QCOMPARE(h->cell(0, 51), QStringLiteral("    50"));

    TSelDi3Form *f = h->form;
    QCOMPARE(f->Series9->points(), (QList<QPointF>{{0, 0.1}, {0, 0.4}, {0, 0.5}}));
    const QList<double> firstFitnesses{1.08, 0.88, 0.97, 0.945};
    QCOMPARE(f->Series8->count(), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(f->Series8->point(i).x(), 0.0);
        QVERIFY2(qFuzzyCompare(f->Series8->point(i).y(), firstFitnesses.at(i)),
                 qPrintable(QString::number(f->Series8->point(i).y())));
    }
    for (Series *s : {f->Series1, f->Series2, f->Series6, f->FastLineSeries1, f->FastLineSeries2,
                      f->Series7, f->Series3})
        QVERIFY2(s->count() == 51, qPrintable(s->name()));
    QCOMPARE(f->Series6->point(50),
             QPointF(50.0, static_cast<double>(morva::SelFreqs[50][3])));
    QCOMPARE(f->Series3->point(0).y(), f->Series8->point(3).y());
}

// State: frequency texts, fitnesses and generations text as given. Action:
// Enter in the generations field, or a click on Run. Expected: the first
// failing check's message in an error box, or a run of that many rows.
void TestSelDi3::runChecks_data()
{
    QTest::addColumn<QStringList>("frequencies");
    QTest::addColumn<double>("fitness");
    QTest::addColumn<QString>("generations");
    QTest::addColumn<bool>("clickRun");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("rows");

    const QStringList defaults{"0.100", "0.400", "0.500"};
    QTest::newRow("sum 0.999") << QStringList{"0.1", "0.4", "0.499"} << 1.0 << "50" << true
                               << TSelDi3Form::kSumMessage << 0;
    QTest::newRow("sum off by 5e-7 accepted")
        << QStringList{"0.1", "0.4", "0.5000005"} << 1.0 << "50" << true << QString() << 52;
    QTest::newRow("fitnesses all 0") << defaults << 0.0 << "50" << true
                                     << TSelDi3Form::kFitnessMessage << 0;
    QTest::newRow("sum reported before fitnesses")
        << QStringList{"0.1", "0.4", "0.499"} << 0.0 << "50" << true << TSelDi3Form::kSumMessage
        << 0;
    QTest::newRow("fitnesses reported before generations")
        << defaults << 0.0 << "0" << false << TSelDi3Form::kFitnessMessage << 0;
    QTest::newRow("empty, Enter") << defaults << 1.0 << "" << false
                                  << TSelDi3Form::kGenerationsMessage << 0;
    QTest::newRow("0, Enter") << defaults << 1.0 << "0" << false
                              << TSelDi3Form::kGenerationsMessage << 0;
    QTest::newRow("-5, Enter") << defaults << 1.0 << "-5" << false
                               << TSelDi3Form::kGenerationsMessage << 0;
    QTest::newRow("1001, Enter") << defaults << 1.0 << "1001" << false
                                 << TSelDi3Form::kGenerationsMessage << 0;
    QTest::newRow("empty, Run") << defaults << 1.0 << "" << true
                                << TSelDi3Form::kGenerationsMessage << 0;
    QTest::newRow("1, Enter") << defaults << 1.0 << "1" << false << QString() << 3;
    QTest::newRow("1000, Enter runs 1000") << defaults << 1.0 << "1000" << false << QString()
                                           << 1002;
    QTest::newRow("1000, Run clamps to 300") << defaults << 1.0 << "1000" << true << QString()
                                             << 302;
    QTest::newRow("0, Run clamps to 1") << defaults << 1.0 << "0" << true << QString() << 3;
}

void TestSelDi3::runChecks()
{
    QFETCH(QStringList, frequencies);
    QFETCH(double, fitness);
    QFETCH(QString, generations);
    QFETCH(bool, clickRun);
    QFETCH(QString, message);
    QFETCH(int, rows);

    const std::int32_t ngBefore = morva::SelNg;
    h->setFrequencyTexts(frequencies.at(0), frequencies.at(1), frequencies.at(2));
    h->setAllFitnesses(fitness);
    h->typeGenerations(generations);
    if (clickRun)
        h->clickRun();
    else
        h->pressEnterInGenerations();

    auto &desktop = h->fixture.desktop;
    if (message.isEmpty()) {
        MORVA_VERIFY_NO_MESSAGE(desktop);
        QVERIFY(h->outputsShown());
        QCOMPARE(h->grid()->rowCount(), rows);
        QCOMPARE(morva::SelNg, rows - 2);
        QCOMPARE(h->form->Series1->count(), rows - 1);
        return;
    }
    QCOMPARE(desktop.messages.size(), 1);
    QCOMPARE(desktop.messages.first().icon, MessageIcon::Error);
    QCOMPARE(desktop.messages.first().title, QStringLiteral("MORVA 99"));
    MORVA_TAKE_MESSAGE(desktop, message);
    QVERIFY(!h->grid()->isVisible());
    QVERIFY(!h->form->SelDiOutGraphPageControl->isVisible());
    QCOMPARE(morva::SelNg, ngBefore);
}

// State: a generations text that is no integer (pasted, or typed with the
// decimal separator the field lets pass). Action: Enter. Expected: the
// program's error report (stop icon, "MORVA 99", the text quoted and a full
// stop), no run.
void TestSelDi3::unconvertibleGenerationsReachErrorReport_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("typed");
    QTest::addColumn<QString>("report");

    QTest::newRow("pasted abc") << "abc" << false << "'abc' is not a valid integer value.";
    QTest::newRow("typed 7.5") << "7.5" << true << "'7.5' is not a valid integer value.";
    QTest::newRow("pasted beyond 32 bits")
        << "99999999999" << false << "'99999999999' is not a valid integer value.";
}

void TestSelDi3::unconvertibleGenerationsReachErrorReport()
{
    QFETCH(QString, text);
    QFETCH(bool, typed);
    QFETCH(QString, report);

    if (typed) {
        h->typeGenerations(text);
    } else {
        h->form->SelNgKesSpinEdit->setFocus();
        h->form->SelNgKesSpinEdit->setText(text);
    }
    QCOMPARE(h->form->SelNgKesSpinEdit->text(), text);
    h->pressEnterInGenerations();

    auto &desktop = h->fixture.desktop;
    QCOMPARE(desktop.messages.size(), 1);
    QCOMPARE(desktop.messages.first().icon, MessageIcon::Stop);
    QCOMPARE(desktop.messages.first().title, QStringLiteral("MORVA 99"));
    MORVA_TAKE_MESSAGE(desktop, report);
    QVERIFY(!h->grid()->isVisible());
}

// State: 1000 generations typed. Action: Enter. Expected: the time column
// has 5, 4 or 3 leading blanks by the row's generation.
void TestSelDi3::timeColumnBlanks_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");

    QTest::newRow("row 1") << 1 << "     0";
    QTest::newRow("row 10") << 10 << "     9";
    QTest::newRow("row 11") << 11 << "    10";
    QTest::newRow("row 100") << 100 << "    99";
    QTest::newRow("row 101") << 101 << "   100";
    QTest::newRow("row 1001") << 1001 << "   1000";
}

void TestSelDi3::timeColumnBlanks()
{
    QFETCH(int, row);
    QFETCH(QString, text);

    h->typeGenerations(QStringLiteral("1000"));
    h->pressEnterInGenerations();
    QCOMPARE(h->grid()->rowCount(), 1002);
    QCOMPARE(h->cell(0, row), text);
}

// State: the other two fields' texts. Action: double click a frequency field.
// Expected: the field becomes one minus their sum, or the window's message
// and no change when they sum above 1.
void TestSelDi3::doubleClickRule_data()
{
    QTest::addColumn<int>("allele");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("message");

    QTest::newRow("A1 from 0.4 and 0.5") << 1 << QStringList{"0.9", "0.4", "0.5"} << "0.100"
                                         << QString();
    QTest::newRow("A1 with 0.7 and 0.5 refused")
        << 1 << QStringList{"0.250", "0.7", "0.5"} << "0.250" << TSelDi3Form::kDoubleClickMessage;
    QTest::newRow("A2 from 0.2 and 0.3") << 2 << QStringList{"0.2", "0.9", "0.3"} << "0.500"
                                         << QString();
    QTest::newRow("A2 with 0.7 and 0.6 refused")
        << 2 << QStringList{"0.7", "0.100", "0.6"} << "0.100"
        << TSelDi3Form::kDoubleClickA2Message;
    QTest::newRow("A3 from 0.25 and 0.25") << 3 << QStringList{"0.25", "0.25", "0.9"} << "0.500"
                                           << QString();
    QTest::newRow("A3 from a sum of exactly 1") << 3 << QStringList{"0.5", "0.5", "0.9"}
                                                << "0.000" << QString();
}

void TestSelDi3::doubleClickRule()
{
    QFETCH(int, allele);
    QFETCH(QStringList, texts);
    QFETCH(QString, expected);
    QFETCH(QString, message);

    TKesRealSpinEdit *clicked = h->frequency(allele);
    clicked->setFocus();
    h->setFrequencyTexts(texts.at(0), texts.at(1), texts.at(2));
    QTest::mouseDClick(clicked, Qt::LeftButton, {}, QPoint(10, clicked->height() / 2));
    QCOMPARE(clicked->text(), expected);
    if (!message.isEmpty())
        MORVA_TAKE_MESSAGE(h->fixture.desktop, message);
}

// State: a default run shown. Action: runs that fail each check in turn, then
// a click into the grid. Expected: the grid, the charts and SelNg of the good
// run stay, and the refill shows the same numbers.
void TestSelDi3::failedRunKeepsEarlierResults()
{
    h->clickRun();
    const QStringList lastRow = h->row(51);
    auto &desktop = h->fixture.desktop;

    h->setFrequencyTexts("0.1", "0.4", "0.499");
    h->clickRun();
    MORVA_TAKE_MESSAGE(desktop, TSelDi3Form::kSumMessage);
    h->setFrequencyTexts("0.1", "0.4", "0.5");
    h->setAllFitnesses(0.0L);
    h->clickRun();
    MORVA_TAKE_MESSAGE(desktop, TSelDi3Form::kFitnessMessage);
    h->setAllFitnesses(1.0L);
    h->typeGenerations(QStringLiteral("1001"));
    h->pressEnterInGenerations();
    MORVA_TAKE_MESSAGE(desktop, TSelDi3Form::kGenerationsMessage);
    h->form->SelNgKesSpinEdit->setText(QStringLiteral("x"));
    h->pressEnterInGenerations();
    QCOMPARE(desktop.messages.size(), 1);
    desktop.messages.clear();

    QCOMPARE(morva::SelNg, 50);
    QVERIFY(h->outputsShown());
    QCOMPARE(h->grid()->rowCount(), 52);
    QCOMPARE(h->row(51), lastRow);
    QCOMPARE(h->form->Series3->count(), 51);

    h->form->SelRunBtn->setFocus();
    QTest::mouseClick(h->grid()->viewport(), Qt::LeftButton, {},
                      h->grid()->cellRect(1, 2).center());
    QCOMPARE(h->grid()->rowCount(), 52);
    QCOMPARE(h->row(51), lastRow);
}

// State: a run shown. Expected: the data cells of columns 1 to 3 in the
// allele colours, columns 0 and 4 and the whole header in the grid's own
// colour; the current cell keeps the grid's default highlight.
void TestSelDi3::gridColumnFontsAndHighlight_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<QColor>("dataColour");

    QTest::newRow("time") << 0 << QColor();
    QTest::newRow("p[1]") << 1 << QColor(0, 128, 0);
    QTest::newRow("p[2]") << 2 << QColor(255, 0, 0);
    QTest::newRow("p[3]") << 3 << QColor(0, 0, 128);
    QTest::newRow("Wmed") << 4 << QColor();
}

void TestSelDi3::gridColumnFontsAndHighlight()
{
    QFETCH(int, col);
    QFETCH(QColor, dataColour);

    h->clickRun();
    TStringAlignGrid *grid = h->grid();
    const QColor own = grid->effectiveFontColor(0, 1);
    QCOMPARE(grid->effectiveFontColor(col, 2), dataColour.isValid() ? dataColour : own);
    QCOMPARE(grid->effectiveFontColor(col, 0), grid->effectiveFontColor(0, 0));
    QCOMPARE(grid->effectiveAlignment(col, 2), alCenter);

    TStringAlignGrid pristine;
    QCOMPARE(grid->selectedCellColor(), pristine.selectedCellColor());
    QCOMPARE(grid->selectedFontColor(), pristine.selectedFontColor());
}

// State: the focus in A3. Action: Tab seven times. Expected: the 2-allele
// model's genotypes first (A1A1, A1A2, A2A2), then A1A3, A2A3, A3A3, then the
// number of generations.
void TestSelDi3::fitnessTabOrder()
{
    h->frequency(3)->setFocus();
    QStringList visited;
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, (QStringList{"SelDi3Fit11RealSpinEdit", "SelDi3Fit12RealSpinEdit",
                                   "SelDi3Fit22RealSpinEdit", "SelDi3Fit13RealSpinEdit",
                                   "SelDi3Fit23RealSpinEdit", "SelDi3Fit33RealSpinEdit",
                                   "SelNgKesSpinEdit"}));
}

// State: the 2-allele window ran and was cancelled. Action: open this window,
// click where its grid will be, then Run. Expected: the outputs stay hidden
// until Run, which shows this model's numbers.
void TestSelDi3::sharedStateAfterTwoAlleleRun()
{
    QTest::mouseClick(h->form->SelCancelBtn, Qt::LeftButton);
    QTRY_VERIFY(h->form.isNull());

    QPointer<TSelDi2Form> two = new TSelDi2Form([] {});
    h->area->addSubWindow(two);
    two->show();
    QTest::mouseClick(two->SelRunBtn, Qt::LeftButton);
    QCOMPARE(morva::SelNg, 30);
    QTest::mouseClick(two->SelCancelBtn, Qt::LeftButton);
    QTRY_VERIFY(two.isNull());

    h->open();
    QVERIFY(QTest::qWaitForWindowExposed(h->form));
    QVERIFY(!h->outputsShown());
    QWidget *numbers = h->form->outputNumbersPanel();
    QTest::mouseClick(numbers, Qt::LeftButton, {}, numbers->rect().center());
    QVERIFY(!h->grid()->isVisible());
    QVERIFY(!h->form->SelDiOutGraphPageControl->isVisible());

    h->clickRun();
    QVERIFY(h->outputsShown());
    QCOMPARE(h->grid()->rowCount(), 52);
    QCOMPARE(h->row(1), (QStringList{"     0", " 0.100", " 0.400", " 0.500", " 0.945"}));
}

// Action: Cancel. Expected: the hook runs once; the window and its global are
// gone afterwards.
void TestSelDi3::equilibriumLevels_data()
{
    QTest::addColumn<double>("homozygote");
    QTest::addColumn<double>("heterozygote");
    QTest::addColumn<bool>("levels");
    QTest::newRow("symmetric overdominance: stable inside") << 0.5 << 1.0 << true;
    QTest::newRow("symmetric underdominance: unstable inside") << 1.0 << 0.5 << false;
}

// State: wii = homozygote, wij = heterozygote. Action: Run (50
// generations). Expected: after the designed series, one dotted level per
// allele at 1/3 across the run when the point inside is stable, with its
// legend entry; none otherwise.
void TestSelDi3::equilibriumLevels()
{
    QFETCH(double, homozygote);
    QFETCH(double, heterozygote);
    QFETCH(bool, levels);
    TSelDi3Form *f = h->form;
    h->setAllFitnesses(heterozygote);
    for (TKesRealSpinEdit *field :
         {f->SelDi3Fit11RealSpinEdit, f->SelDi3Fit22RealSpinEdit, f->SelDi3Fit33RealSpinEdit})
        field->setValue(homozygote);
    h->clickRun();

    QCOMPARE(f->SelDi3Chart1->seriesCount(), 7);
    const QList<Series *> &lines = f->equilibriumLevels.lines;
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(f->SelDi3Chart1->series(4 + i), lines.at(i));
        QCOMPARE(lines.at(i)->count(), levels ? 2 : 0);
        for (int k = 0; k < lines.at(i)->count(); ++k) {
            QCOMPARE(lines.at(i)->point(k).x(), k == 0 ? 0.0 : 50.0);
            QVERIFY(std::abs(lines.at(i)->point(k).y() - 1.0 / 3) < 1e-15);
        }
    }
    QCOMPARE(morva::test::legendShows(f->SelDi3Chart1, lines.at(0)), levels);
}

// State: a symmetric overdominance run. Expected: every equilibrium in
// words: a fixation unstable against both absent alleles, an edge point
// stable along its edge and unstable against the third allele, the centre
// stable with both eigenvalues.
void TestSelDi3::equilibriumLines()
{
    TSelDi3Form *f = h->form;
    h->setAllFitnesses(1.0L);
    for (TKesRealSpinEdit *field :
         {f->SelDi3Fit11RealSpinEdit, f->SelDi3Fit22RealSpinEdit, f->SelDi3Fit33RealSpinEdit})
        field->setValue(0.5L);
    h->clickRun();
    const QStringList lines = f->equilibriumLines();
    QCOMPARE(lines.size(), 7);
    QCOMPARE(lines.at(0),
             QStringLiteral("equilibrium p[1]= 1 p[2]= 0 p[3]= 0 "
                            "Wmed= 0.5: unstable; against A2: unstable, eigenvalue= 2.000; "
                            "against A3: unstable, eigenvalue= 2.000"));
    QCOMPARE(lines.at(3),
             QStringLiteral("equilibrium p[1]= 0.5 p[2]= 0.5 p[3]= 0 "
                            "Wmed= 0.75: unstable; along the edge: stable, eigenvalue= 0.667; "
                            "against A3: unstable, eigenvalue= 1.333"));
    QCOMPARE(lines.at(6),
             QStringLiteral("equilibrium p[1]= 0.33333333333333333334 "
                            "p[2]= 0.33333333333333333334 p[3]= 0.33333333333333333334 "
                            "Wmed= 0.83333333333333333337: stable, eigenvalues= 0.800, 0.800"));
}

void TestSelDi3::cancelHandsBackAndFrees()
{
    h->clickRun();
    QTest::mouseClick(h->form->SelCancelBtn, Qt::LeftButton);
    QCOMPARE(h->handBacks, 1);
    QTRY_VERIFY(h->form.isNull());
    QVERIFY(SelDi3Form.isNull());
}

// State: symmetric overdominance (homozygotes 0.8, heterozygotes 1), 200
// generations. Action: Run, show the simplex page, tick the arrows box.
// Expected: one polyline holding every generation's frequencies, each drawn
// at the frequency-weighted sum of the vertex pixels; Wmed contoured from 0.8
// at the vertices to 1 - 0.2/3 at the centroid; a marker every 10
// generations and one at the start; the arrows of 15 points a side appear
// only with the box ticked.
void TestSelDi3::simplexPageShowsTheRun()
{
    TSelDi3Form *f = h->form;
    for (TKesRealSpinEdit *homozygote :
         {f->SelDi3Fit11RealSpinEdit, f->SelDi3Fit22RealSpinEdit, f->SelDi3Fit33RealSpinEdit})
        homozygote->setValue(0.8L);
    for (TKesRealSpinEdit *heterozygote :
         {f->SelDi3Fit12RealSpinEdit, f->SelDi3Fit13RealSpinEdit, f->SelDi3Fit23RealSpinEdit})
        heterozygote->setValue(1.0L);
    h->typeGenerations(QStringLiteral("200"));
    h->pressEnterInGenerations();
    QVERIFY(h->outputsShown());
    QVERIFY(showSimplex(f));

    SimplexChart *simplex = f->SelDi3Simplex;
    QCOMPARE(simplex->polylineCount(), 1);
    const SimplexChart::Polyline &run = simplex->polyline(0);
    QCOMPARE(run.points.size(), 201);
    QCOMPARE(run.markerStep, 10);
    QVERIFY(run.startMarker.has_value());
    for (int g = 0; g <= 200; ++g) {
        QPointF expected;
        for (int i = 1; i <= 3; ++i) {
            const double p = static_cast<double>(morva::SelFreqs[g][i]);
            QCOMPARE(run.points.at(g)[i - 1], p);
            expected += simplex->vertexPixel(i - 1) * p;
        }
        const QPointF drawn = simplex->toPixel(run.points.at(g));
        QVERIFY2(std::hypot(drawn.x() - expected.x(), drawn.y() - expected.y()) < 1e-6,
                 qPrintable(QStringLiteral("generation %1").arg(g)));
    }

    // Symmetric overdominance: the centroid is the one stable equilibrium;
    // the vertices and the edge points are unstable (hollow).
    const QList<SimplexChart::Marker> marks = simplex->markers();
    QCOMPARE(marks.size(), 7);
    int filled = 0;
    for (const SimplexChart::Marker &m : marks) {
        if (!m.style.fill.isValid())
            continue;
        ++filled;
        for (int i = 0; i < 3; ++i)
            QVERIFY(std::fabs(m.at[i] - 1.0 / 3) < 1e-12);
    }
    QCOMPARE(filled, 1);

    const QList<double> levels = simplex->levels();
    QCOMPARE(levels.size(), 12);
    QVERIFY(std::fabs(levels.first() - 0.8) < 1e-12);
    QVERIFY(std::fabs(levels.last() - (1.0 - 0.2 / 3)) < 1e-12);

    QVERIFY(!simplex->arrowsVisible());
    QCOMPARE(simplex->arrowPoints().size(), 15 * 16 / 2);
    QTest::mouseClick(f->SelDi3ArrowsCheckBox, Qt::LeftButton, {},
                      QPoint(8, f->SelDi3ArrowsCheckBox->height() / 2));
    QVERIFY(f->SelDi3ArrowsCheckBox->isChecked());
    QVERIFY(simplex->arrowsVisible());
    // The click moved the focus into the chart panel and refilled it; the
    // arrows stay as ticked.
    QCOMPARE(simplex->polyline(0).points.size(), 201);
    QVERIFY(simplex->arrowsVisible());
}

// State: the designed defaults run (w11 0.8, w12 1.0, w13 1.2, w22 0.7,
// w23 1.0, w33 0.9), the simplex page shown, then a fitness field changed.
// Action: the pointer at a vertex or the centroid, then far outside the
// triangle. Expected: the readout of the run's fitnesses as the chart's hint,
// over an equilibrium's marker (every vertex) with how populations beside it
// move; outside it stays.
void TestSelDi3::simplexReadout_data()
{
    QTest::addColumn<Barycentric>("at");
    QTest::addColumn<QString>("readout");

    const double third = 1.0 / 3;
    QTest::newRow("A1") << Barycentric{1, 0, 0}
                        << " p[1]= 1.000  p[2]= 0.000  p[3]= 0.000   Wmed= 0.800   "
                           "unstable equilibrium, eigenvalues= 1.250, 1.500";
    QTest::newRow("A2") << Barycentric{0, 1, 0}
                        << " p[1]= 0.000  p[2]= 1.000  p[3]= 0.000   Wmed= 0.700   "
                           "unstable equilibrium, eigenvalues= 1.429, 1.429";
    QTest::newRow("A3") << Barycentric{0, 0, 1}
                        << " p[1]= 0.000  p[2]= 0.000  p[3]= 1.000   Wmed= 0.900   "
                           "unstable equilibrium, eigenvalues= 1.333, 1.111";
    QTest::newRow("centroid") << Barycentric{third, third, third}
                              << " p[1]= 0.333  p[2]= 0.333  p[3]= 0.333   Wmed= 0.978";
}

void TestSelDi3::simplexReadout()
{
    QFETCH(Barycentric, at);
    QFETCH(QString, readout);

    h->clickRun();
    QVERIFY(showSimplex(h->form));
    h->form->SelDi3Fit11RealSpinEdit->setValue(2.0L);
    SimplexChart *simplex = h->form->SelDi3Simplex;
    const QPointF pixel = simplex->toPixel(at);
    // The tracker learns the widget under the pointer from a whole-pixel
    // move; the exact point follows.
    morva::test::hoverAt(simplex, pixel.toPoint());
    QMouseEvent move(QEvent::MouseMove, pixel, simplex->mapToGlobal(pixel), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(simplex, &move);
    QCOMPARE(morva::HintTracker::instance()->currentHint(), readout);

    morva::test::hoverAt(simplex, QPoint(2, simplex->height() - 2));
    QCOMPARE(morva::HintTracker::instance()->currentHint(), readout);
}

MORVA_GUI_TEST_MAIN(TestSelDi3)
#include "tst_SelDi3.moc"
