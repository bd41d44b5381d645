// The drift window driven as a user drives it: the default run's table,
// charts and note; typed inputs with the seed; the same seed giving the same
// texts and points; the checks in order; New seed from the clock; the keys in
// the seed field; the histogram's readout; Cancel. State / Action / Expected
// in each test's comment.

#include "controls/KesSpinEdits1.h"
#include "models/windows/Drift2.h"
#include "models/frame/RunTable.h"
#include "tests/support/ModelHarness.h"

#include <QGuiApplication>
#include <QLabel>

#include <cmath>
#include <memory>
#include <numeric>

using morva::DriftInput;

namespace {

struct Harness : morva::test::ModelHarness<TDrift2Form> {
    QLineEdit *field(const QString &name) const { return find<QLineEdit>(name); }
    // Types over the fields: name, text, name, text...
    void type(const QStringList &typed) const
    {
        for (qsizetype i = 0; i + 1 < typed.size(); i += 2) {
            typeInto(field(typed[i]), typed[i + 1]);
            if (typed[i + 1].isEmpty())
                QTest::keyClick(field(typed[i]), Qt::Key_Backspace);
        }
    }
    QLineEdit *seedField() const { return field("DriftSeedEdit"); }
    int points(int page, const QString &series) const
    {
        return form->series(page, series)->count();
    }
    // What a run shows: every grid text and the points of a few series.
    QStringList shown() const
    {
        QStringList texts = gridTexts();
        for (const char *name : {"Replicate1", "Replicate7", "MeanSeries"}) {
            for (const QPointF &p : form->series(0, QLatin1String(name))->points())
                texts << QString::number(p.x()) + ':' + QString::number(p.y(), 'g', 17);
        }
        return texts;
    }
    QStringList gridTexts() const
    {
        QStringList texts;
        for (int r = 0; r < grid()->rowCount(); ++r)
            texts += row(r);
        return texts;
    }
};

// Run by Enter in the generations field: a click on Run would settle the
// field being left first.
void enterRun(const Harness &h)
{
    QTest::keyClick(h.field("SelNgKesSpinEdit"), Qt::Key_Return);
}

} // namespace

class TestDrift2 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void defaultRun();
    void sameSeedSameRun_data();
    void sameSeedSameRun();
    void typedInputsRunAndExport();
    void note_data();
    void note();
    void forcesAndExact_data();
    void forcesAndExact();
    void checks_data();
    void checks();
    void newSeedFromTheClock();
    void keysAndTabOrder();
    void histogramReadout();
    void fixedAndLostReadoutCounts();
    void cancelHandsBack();

private:
    std::unique_ptr<Harness> h;
};

void TestDrift2::init()
{
    h = std::make_unique<Harness>();
    MORVA_SHOW_ACTIVE(&h->main);
}

void TestDrift2::cleanup()
{
    // The window and its fake desktop go first, so that a failure leaves
    // nothing behind for the next test.
    const QStringList left = h->fixture.desktop.messageTexts();
    h.reset();
    QVERIFY2(left.isEmpty(), qPrintable("unexpected message box(es): " + left.join(" | ")));
}

// Action: Run with the defaults (20 replicates, Ne 50, 200 generations, seed
// 99). Expected: a row per generation with these texts; 20 replicate lines and
// the mean in bold; the fixation probability p0 dotted; the 20 final
// frequencies in the histogram; the note; no busy pointer left.
void TestDrift2::defaultRun()
{
    h->clickRun();
    QVERIFY(h->outputsShown());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(h->grid()->rowCount(), 202);
    QCOMPARE(h->row(0), (QStringList{" time", " p[1]", " fixed", " lost", " obs. H", " exp. H",
                                      " F_ST", " polym."}));
    QCOMPARE(h->row(1), (QStringList{" 0", "0.50000", " 0 of 20", " 0 of 20", "0.50000",
                                      "0.50000", "0.00000", " 20 of 20"}));
    QCOMPARE(h->row(2), (QStringList{" 1", "0.49350", " 0 of 20", " 0 of 20", "0.49209",
                                      "0.49500", "0.01565", " 20 of 20"}));
    QCOMPARE(h->row(201).mid(0, 6), (QStringList{" 200", "0.60800", " 11 of 20", " 6 of 20",
                                                  "0.04142", "0.06699"}));
    QCOMPARE(h->row(201).back(), QStringLiteral(" 3 of 20"));

    morva::chart::Chart *chart = h->form->chart(0);
    int drawn = 0;
    for (int i = 0; i < chart->seriesCount(); ++i)
        drawn += chart->series(i)->count() > 0;
    // The two bands, 20 replicates, the mean and the population without drift.
    QCOMPARE(drawn, 24);
    QCOMPARE(h->points(0, "ExactOuterBand"), 2 * 201);
    QCOMPARE(h->points(0, "NoDriftSeries"), 201);
    QCOMPARE(h->points(0, "Replicate20"), 201);
    QCOMPARE(h->points(0, "Replicate21"), 0);
    QVERIFY(h->form->series(0, "Replicate200")->isPlain());
    QCOMPARE(h->form->series(0, "MeanSeries")->lineWidth(), 3);
    QCOMPARE(h->points(0, "MeanSeries"), 201);
    QCOMPARE(h->form->series(2, "FixationSeries")->points(),
             (QList<QPointF>{{0, 0.5}, {200, 0.5}}));
    const auto &bins = h->form->histogram();
    QCOMPARE(bins.front(), 6);  // the 6 lost
    QCOMPARE(bins.back(), 11);  // the 11 fixed
    QCOMPARE(std::accumulate(bins.begin(), bins.end(), 0), 20);
    const auto filled = std::count_if(bins.begin(), bins.end(), [](int n) { return n > 0; });
    QCOMPARE(h->points(3, "HistogramSeries"), 4 * int(filled));
    QCOMPARE(h->form->noteLabel()->text(),
             QStringLiteral("Each generation, in each deme: selection, then sampling of 2 Ne "
                            "genes. Fixation probability of A1: 0.5000000 = p0 (neutral drift). "
                            "Mean time to fixation so far: 83.5 (11 demes), to loss: 53.0 (6 "
                            "demes); Kimura's neutral expectations: 138.6 and 138.6. Bands: the "
                            "exact distribution of p[1], 5-95 % and 25-75 %."));
}

// Action: Run twice, with another seed, with the first seed again.
// Expected: the same grid texts and points from the same seed, others from
// another.
void TestDrift2::sameSeedSameRun_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("otherSeed");

    QTest::newRow("defaults") << QStringList() << "100";
    QTest::newRow("selection, 200 replicates, Ne 1000, 2000 generations")
        << QStringList{"DriftFit11RealSpinEdit", "1.02", "DriftFit12RealSpinEdit", "1.01",
                       "DriftNeKesSpinEdit", "1000", "DriftReplicatesKesSpinEdit", "200",
                       "SelNgKesSpinEdit", "2000", "DriftSeedEdit", "18446744073709551615"}
        << "0";
}

void TestDrift2::sameSeedSameRun()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, otherSeed);

    h->type(typed);
    const QString seed = h->seedField()->text();
    enterRun(*h);
    const QStringList first = h->shown();
    enterRun(*h);
    QCOMPARE(h->shown(), first);
    h->type({"DriftSeedEdit", otherSeed});
    enterRun(*h);
    QVERIFY(h->shown() != first);
    h->type({"DriftSeedEdit", seed});
    enterRun(*h);
    QCOMPARE(h->shown(), first);
}

// Action: Run with the fitnesses. Expected: the fixation probability p0
// without selection; Kimura's approximation named with s and 4 Ne s, and
// called a rough guide when the fitnesses are not additive.
void TestDrift2::note_data()
{
    QTest::addColumn<QStringList>("fitnesses");
    QTest::addColumn<QString>("note");

    QTest::newRow("all equal, not 1")
        << QStringList{"0.9", "0.9", "0.9"}
        << "Fixation probability of A1: 0.5000000 = p0 (neutral drift).";
    QTest::newRow("additive")
        << QStringList{"1.02", "1.01", "1"}
        << "Fixation probability of A1: 0.8787023 by Kimura's diffusion approximation, "
           "s = 0.0099010, 4 Ne s = 3.96.";
    QTest::newRow("A1 dominant")
        << QStringList{"1.02", "1.02", "1"}
        << "Fixation probability of A1: 0.8787023 by Kimura's diffusion approximation, "
           "s = 0.0099010, 4 Ne s = 3.96. The fitnesses are not additive: a rough guide only.";
    QTest::newRow("A1 favoured strongly")
        << QStringList{"2", "1.5", "1"}
        << "Fixation probability of A1: 1 by Kimura's diffusion approximation, "
           "s = 0.3333333, 4 Ne s = 133.33.";
}

void TestDrift2::note()
{
    QFETCH(QStringList, fitnesses);
    QFETCH(QString, note);

    h->type({"DriftNeKesSpinEdit", "100", "SelNgKesSpinEdit", "10", "DriftFit11RealSpinEdit",
             fitnesses[0], "DriftFit12RealSpinEdit", fitnesses[1], "DriftFit22RealSpinEdit",
             fitnesses[2]});
    enterRun(*h);
    QVERIFY2(h->form->noteLabel()->text().contains(note), qPrintable(h->form->noteLabel()->text()));
}

// State: inputs with mutation or migration typed (the source by Switch).
// Action: Run. Expected: the note names the forces in their order and says
// whether the exact distribution is drawn; where it is, its bands, exact
// fixed and lost and the histogram's expected counts (adding up to the
// replicates); F_ST with its dotted expectation, level at 1 / (1 + 4 Ne m)
// with migration.
void TestDrift2::forcesAndExact_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<bool>("island");
    QTest::addColumn<QString>("noted");
    QTest::addColumn<bool>("exact");

    QTest::newRow("island migration")
        << QStringList{"DriftMRealSpinEdit", "0.05"} << true
        << "The exact distribution is not drawn: with island migration the demes depend on "
           "each other."
        << false;
    QTest::newRow("Ne 600") << QStringList{"DriftNeKesSpinEdit", "600"} << false
                            << "The exact distribution is not drawn: above Ne = 500" << false;
    QTest::newRow("every force from a continent")
        << QStringList{"DriftMRealSpinEdit", "0.01", "DriftPcRealSpinEdit", "0.8",
                       "DriftURealSpinEdit", "5", "DriftUPowerSpinEdit", "-3",
                       "DriftVRealSpinEdit", "2", "DriftVPowerSpinEdit", "-3"}
        << false
        << "Each generation, in each deme: migration (continent), selection, mutation, "
           "then sampling of 2 Ne genes. With migration or mutation fixation and loss need not "
           "last: no fixation probability."
        << true;
}

void TestDrift2::forcesAndExact()
{
    QFETCH(QStringList, typed);
    QFETCH(bool, island);
    QFETCH(QString, noted);
    QFETCH(bool, exact);

    h->type(typed);
    if (island)
        QTest::mouseClick(h->form->button("DriftSourceBtn"), Qt::LeftButton);
    QCOMPARE(h->field("DriftSourceEdit")->text(), island ? "island" : "continent");
    enterRun(*h);
    const DriftInput &in = h->form->driftResult().input;
    const QString note = h->form->noteLabel()->text();
    QVERIFY2(note.contains(noted), qPrintable(note));
    const int rows = exact ? 201 : 0;
    QCOMPARE(h->points(0, "ExactInnerBand"), 2 * rows);
    QCOMPARE(h->points(2, "FixedExactSeries"), rows);
    QCOMPARE(h->points(2, "LostExactSeries"), rows);
    QCOMPARE(h->points(3, "ExactHistogramSeries"), exact ? 20 : 0);
    QCOMPARE(h->points(2, "FixationSeries"), in.m == 0 && in.u == 0 ? 2 : 0);
    double expected = 0;
    for (const QPointF &p : h->form->series(3, "ExactHistogramSeries")->points())
        expected += p.y();
    QCOMPARE(qRound(expected), exact ? 20 : 0);
    QVERIFY(h->points(4, "FstSeries") > 0);
    const QPointF last = h->form->series(4, "ExpectedFstSeries")->points().back();
    const long double level = in.m == 0 ? -std::expm1(200 * std::log1p(-1 / (2.0L * in.ne)))
                                        : 1 / (1 + 4 * in.ne * in.m);
    QCOMPARE(last.y(), double(level));
}

// Action: every input typed, Enter. Expected: the run takes them as typed,
// the largest seed included; the table kept for export has the inputs as
// shown, the seed's text among them, the note, and every stored generation
// at full precision.
void TestDrift2::typedInputsRunAndExport()
{
    h->type({"DriftP0RealSpinEdit", "0.125", "DriftNeKesSpinEdit", "1000000",
             "DriftReplicatesKesSpinEdit", "3", "DriftFit11RealSpinEdit", "0",
             "DriftFit12RealSpinEdit", "0.5", "DriftFit22RealSpinEdit", "1.75",
             "DriftSeedEdit", "18446744073709551615", "SelNgKesSpinEdit", "10000"});
    enterRun(*h);
    DriftInput expected;
    expected.p0 = 0.125L;
    expected.ne = 1000000;
    expected.replicates = 3;
    expected.generations = 10000;
    expected.fitness[1] = 0;
    expected.fitness[2] = 0.5L;
    expected.fitness[3] = 1.75L;
    expected.seed = 18446744073709551615ULL;
    QVERIFY(h->form->driftResult().input == expected);
    QCOMPARE(h->grid()->rowCount(), 1002);
    QCOMPARE(h->cell(0, 1001), QStringLiteral(" 10000"));

    const morva::RunTable &table = h->form->results();
    using Input = QPair<QString, QString>;
    QCOMPARE(table.inputs,
             (QList<Input>{{"initial A1 frequency", "0.125"}, {"population size", "1000000"},
                           {"number of replicates", "3"}, {"A1A1 fitness", "0"},
                           {"A1A2 fitness", "0.5"}, {"A2A2 fitness", "1.75"},
                           {"A1->A2 rate u", "0.000x10^-6"}, {"A2->A1 rate v", "0.000x10^-6"},
                           {"migration rate", "0.000"}, {"continent frequency", "0.500"},
                           {"source of migrants", "continent"},
                           {"seed", "18446744073709551615"}, {"number of generations", "10000"}}));
    QCOMPARE(table.notes, QStringList{h->form->noteLabel()->text()});
    QCOMPARE(table.header, (QStringList{"time", "p[1]", "fixed", "fixed count", "lost",
                                        "lost count", "obs. H", "exp. H", "F_ST", "exp. F_ST",
                                        "polymorphic", "no drift", "exact fixed", "exact lost",
                                        "exact 5 %", "exact 25 %", "exact 75 %", "exact 95 %"}));
    QCOMPARE(table.rowCount(), 1001);
    const morva::DriftGeneration &last = h->form->driftResult().rows.back();
    QCOMPARE(table.at(1000, 0), 10000.0L);
    QCOMPARE(table.at(1000, 1), last.meanP);
    QCOMPARE(table.at(1000, 2), last.fixed);
    QCOMPARE(table.at(1000, 3), static_cast<long double>(last.fixedCount));
    QCOMPARE(table.at(1000, 4), last.lost);
    QCOMPARE(table.at(1000, 5), static_cast<long double>(last.lostCount));
    QCOMPARE(last.fixedCount + last.lostCount, 3);
    QCOMPARE(table.at(1000, 6), last.meanH);
    QVERIFY(std::isnan(table.at(1000, 8)));   // every deme fixed or lost: F_ST undefined
    QVERIFY(std::isnan(table.at(1000, 12)));  // Ne above 500: no exact distribution
}

// State: after a default run, fields typed over. Action: Enter in the
// generations field. Expected: the message of the first check that fails;
// the earlier results stay.
void TestDrift2::checks_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("message");

    const QString ne = "DriftNeKesSpinEdit";
    const QString reps = "DriftReplicatesKesSpinEdit";
    const QString seed = "DriftSeedEdit";
    const QString gens = "SelNgKesSpinEdit";
    QTest::newRow("Ne 0") << QStringList{ne, "0"} << TDrift2Form::kNeMessage;
    QTest::newRow("Ne 1000001") << QStringList{ne, "1000001"} << TDrift2Form::kNeMessage;
    QTest::newRow("Ne and generations wrong: Ne first")
        << QStringList{gens, "0", ne, "0"} << TDrift2Form::kNeMessage;
    QTest::newRow("201 replicates") << QStringList{reps, "201"} << TDrift2Form::kReplicatesMessage;
    QTest::newRow("fitnesses all 0")
        << QStringList{"DriftFit11RealSpinEdit", "0", "DriftFit12RealSpinEdit", "0",
                       "DriftFit22RealSpinEdit", "0"}
        << TDrift2Form::kFitnessMessage;
    QTest::newRow("no seed") << QStringList{seed, ""} << TDrift2Form::kSeedMessage;
    QTest::newRow("seed 2^64") << QStringList{seed, "18446744073709551616"}
                               << TDrift2Form::kSeedMessage;
    QTest::newRow("letters not typed") << QStringList{seed, "12a"} << QString();
    QTest::newRow("10001 generations") << QStringList{gens, "10001"}
                                       << TDrift2Form::kGenerationsMessage;
    QTest::newRow("source half typed") << QStringList{"DriftSourceEdit", "isl"}
                                       << TDrift2Form::kSourceMessage;
}

void TestDrift2::checks()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, message);

    h->clickRun();
    const QStringList before = h->gridTexts();
    h->type(typed);
    enterRun(*h);
    if (message.isEmpty()) {
        QCOMPARE(h->seedField()->text(), QStringLiteral("12"));
        QCOMPARE(h->form->driftResult().input.seed, 12u);
        return;
    }
    MORVA_TAKE_MESSAGE(h->fixture.desktop, message);
    QCOMPARE(h->gridTexts(), before);
}

// State: the clock at two times. Action: New seed, Run, New seed again.
// Expected: the clock's milliseconds since 1970 as the seed, which the run
// takes.
void TestDrift2::newSeedFromTheClock()
{
    QDateTime &clock = h->fixture.desktop.clock;
    QTest::mouseClick(h->form->button("DriftNewSeedBtn"), Qt::LeftButton);
    QCOMPARE(h->seedField()->text(), QString::number(clock.toMSecsSinceEpoch()));
    enterRun(*h);
    QCOMPARE(h->form->driftResult().input.seed, std::uint64_t(clock.toMSecsSinceEpoch()));
    clock = clock.addMSecs(1500);
    QTest::mouseClick(h->form->button("DriftNewSeedBtn"), Qt::LeftButton);
    QCOMPARE(h->seedField()->text(), QString::number(clock.toMSecsSinceEpoch()));
}

// Action: Tab through the window; Esc and Enter in the seed field; Enter in
// the generations field. Expected: the boxes top to bottom with the seed and
// New seed, Run, Cancel; Esc and Enter in the seed field do nothing; Enter
// in the generations field runs.
void TestDrift2::keysAndTabOrder()
{
    const QStringList order{"DriftP0RealSpinEdit", "DriftNeKesSpinEdit",
                            "DriftReplicatesKesSpinEdit", "DriftFit11RealSpinEdit",
                            "DriftFit12RealSpinEdit", "DriftFit22RealSpinEdit",
                            "DriftURealSpinEdit", "DriftUPowerSpinEdit", "DriftVRealSpinEdit",
                            "DriftVPowerSpinEdit", "DriftMRealSpinEdit", "DriftPcRealSpinEdit",
                            "DriftSourceEdit", "DriftSourceBtn", "DriftSeedEdit",
                            "DriftNewSeedBtn", "SelNgKesSpinEdit", "SelRunBtn", "SelCancelBtn"};
    QStringList visited{QApplication::focusWidget()->objectName()};
    while (visited.size() < order.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, order);

    h->seedField()->setFocus();
    QTest::keyClick(h->seedField(), Qt::Key_Escape);
    QTest::keyClick(h->seedField(), Qt::Key_Return);
    QVERIFY(h->form && h->form->isVisible());
    QVERIFY(!h->outputsShown());
    enterRun(*h);
    QVERIFY(h->outputsShown());
}

// State: after the default run, the histogram shown. Action: the pointer over
// the last class. Expected: its bounds and its number of replicates.
void TestDrift2::histogramReadout()
{
    h->clickRun();
    h->form->pageControl()->setCurrentIndex(3);
    morva::chart::Chart *chart = h->form->chart(3);
    const auto x = morva::test::findPixel(chart, true, [](double v) { return v >= 0.97; });
    const auto y = morva::test::findPixel(chart, false, [](double v) { return v <= 1; });
    QVERIFY(x && y);
    morva::test::hoverAt(chart, QPoint(*x, *y));
    const int last = h->form->histogram().back();
    QCOMPARE(chart->statusTip(),
             QStringLiteral(" final p[1] in [0.95, 1]: %1 replicates").arg(last));
}

// State: after the default run, the fixed and lost chart shown. Action: the
// pointer at generation 150 or so. Expected: the replicates fixed and lost
// at the generation under the pointer, as counts of all.
void TestDrift2::fixedAndLostReadoutCounts()
{
    h->clickRun();
    h->form->pageControl()->setCurrentIndex(2);
    morva::chart::Chart *chart = h->form->chart(2);
    const auto x = morva::test::findPixel(chart, true, [](double v) { return v >= 150; });
    const auto y = morva::test::findPixel(chart, false, [](double v) { return v <= 0.5; });
    QVERIFY(x && y);
    morva::test::hoverAt(chart, QPoint(*x, *y));
    const long long t = std::llrint(chart->bottomValueAt(*x));
    const morva::DriftGeneration &at = h->form->driftResult().rows.at(std::size_t(t));
    QVERIFY(at.fixedCount > 0 && at.lostCount > 0);
    const QString tip = chart->statusTip();
    QVERIFY2(tip.startsWith(QStringLiteral(" t= %1   fraction= ").arg(t)), qPrintable(tip));
    QVERIFY2(tip.endsWith(QStringLiteral("   %1 of 20 fixed, %2 of 20 lost")
                              .arg(at.fixedCount)
                              .arg(at.lostCount)),
             qPrintable(tip));
}

// Action: Cancel. Expected: the hand-back with the window closed.
void TestDrift2::cancelHandsBack()
{
    h->clickRun();
    QTest::mouseClick(h->form->cancelButton(), Qt::LeftButton);
    QCOMPARE(h->handBacks, 1);
    QVERIFY(h->closedAtHandBack);
    QTRY_VERIFY(h->form.isNull());
}

MORVA_GUI_TEST_MAIN(TestDrift2)
#include "tst_Drift2.moc"
