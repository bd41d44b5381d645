// The frequency-dependent selection window, for what is its own (what every
// window does is in the contract table, tests/shell/tst_Contract.cpp).
// State: the window opened from the catalogue in a frame stand-in.
// - With every slope 0 and the selection window's defaults, Run gives that
//   window's table to the bit.
// - Its defaults (rare homozygotes favoured) level off at the known interior
//   equilibrium 1 / (1 + cbrt 2), written in the note and marked stable.
// - A fitness below 0, or a mean fitness of 0: the run stops with a message
//   naming the generation; the generations before it stay in the grid, or,
//   when none can be selected, the last results stay as they were.

#include "controls/KesSpinEdits1.h"
#include "models/Catalogue.h"
#include "models/frame/DescribedForm.h"
#include "tests/support/ModelHarness.h"

#include <QLabel>
#include <QMap>

#include <cmath>
#include <cstring>
#include <memory>

using namespace morva;

namespace {

using Inputs = QMap<QString, QString>;

struct Harness : test::ModelHarness<DescribedForm> {
    explicit Harness(const QString &id) : ModelHarness(QSize(1000, 760), false)
    {
        form = qobject_cast<DescribedForm *>(catalogueRow(id)->create([] {}));
        area->addSubWindow(form);
        form->show();
    }
    void run(const Inputs &inputs)
    {
        for (auto it = inputs.begin(); it != inputs.end(); ++it)
            typeInto(find<QLineEdit>(it.key()), it.value());
        clickRun();
    }
    QStringList messages() const { return fixture.desktop.messageTexts(); }
};

// The selection window's defaults (30 generations, as here), with every
// slope 0.
const Inputs kSelectionDefaults{
    {"FreqDepFreq1RealSpinEdit", "0.6"}, {"FreqDepFreq2RealSpinEdit", "0.4"},
    {"FreqDepA11RealSpinEdit", "0.8"},   {"FreqDepA12RealSpinEdit", "0.7"},
    {"FreqDepA22RealSpinEdit", "0.9"},   {"FreqDepB11RealSpinEdit", "0"},
    {"FreqDepB12RealSpinEdit", "0"},     {"FreqDepB22RealSpinEdit", "0"}};

bool sameBits(long double a, long double b)
{
    return std::memcmp(&a, &b, 10) == 0;
}

} // namespace

class TestFreqDep : public QObject {
    Q_OBJECT
private slots:
    void noSlopeIsSelection();
    void defaultsLevelOffInside();
    void stops_data();
    void stops();
};

void TestFreqDep::noSlopeIsSelection()
{
    RunTable selection;
    {
        Harness h(QStringLiteral("selection-2-alleles"));
        h.run({});
        selection = h.form->results();
    }
    Harness h(QStringLiteral("frequency-dependent"));
    h.run(kSelectionDefaults);
    QVERIFY(h.messages().isEmpty());
    const RunTable frequencyDependent = h.form->results();
    QCOMPARE(frequencyDependent.rowCount(), selection.rowCount());
    for (const QString &column : selection.header) {
        const int from = int(selection.header.indexOf(column));
        const int to = int(frequencyDependent.header.indexOf(column));
        QVERIFY2(to >= 0, qPrintable(column));
        for (int row = 0; row < selection.rowCount(); ++row)
            QVERIFY2(sameBits(frequencyDependent.at(row, to), selection.at(row, from)),
                     qPrintable(QStringLiteral("%1 row %2").arg(column).arg(row)));
    }
}

void TestFreqDep::defaultsLevelOffInside()
{
    Harness h(QStringLiteral("frequency-dependent"));
    h.run({{"SelNgKesSpinEdit", "200"}});
    QVERIFY(h.messages().isEmpty());
    const long double inside = 1 / (1 + std::cbrt(2.0L));
    QVERIFY2(h.form->noteLabel()->text().contains(QStringLiteral("0.4424933 stable")),
             qPrintable(h.form->noteLabel()->text()));
    QCOMPARE(h.form->equilibria().points.size(), std::size_t(3));
    const Equilibrium &e = h.form->equilibria().points[1];
    QVERIFY(std::fabs(e.p[1] - inside) < 1e-15L);
    QCOMPARE(e.kind, Stability::Stable);
    QCOMPARE(h.cell(1, h.grid()->rowCount() - 1), QStringLiteral("0.44249"));
}

void TestFreqDep::stops_data()
{
    QTest::addColumn<Inputs>("inputs");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("rowsKept");   // -1: no run shown
    QTest::newRow("A1A2 below 0 in generation 5")
        << Inputs{{"FreqDepFreq1RealSpinEdit", "0.1"}, {"FreqDepFreq2RealSpinEdit", "0.9"},
                  {"FreqDepA11RealSpinEdit", "2"},     {"FreqDepA12RealSpinEdit", "0.9"},
                  {"FreqDepA22RealSpinEdit", "0.5"},   {"FreqDepB11RealSpinEdit", "0"},
                  {"FreqDepB12RealSpinEdit", "-2"},    {"FreqDepB22RealSpinEdit", "0"}}
        << "In generation 5 the fitness of A1A2 is below 0: the run stops there." << 5;
    QTest::newRow("A1A1 below 0 at once")
        << Inputs{{"FreqDepA11RealSpinEdit", "0.5"}, {"FreqDepB11RealSpinEdit", "-1"}}
        << "In generation 0 the fitness of A1A1 is below 0: the run stops there." << -1;
    QTest::newRow("mean fitness 0 at once")
        << Inputs{{"FreqDepFreq1RealSpinEdit", "1"}, {"FreqDepFreq2RealSpinEdit", "0"},
                  {"FreqDepA11RealSpinEdit", "0"},   {"FreqDepB11RealSpinEdit", "0"}}
        << "In generation 0 the mean fitness Wmed is 0: the run stops there." << -1;
}

void TestFreqDep::stops()
{
    QFETCH(Inputs, inputs);
    QFETCH(QString, message);
    QFETCH(int, rowsKept);
    Harness h(QStringLiteral("frequency-dependent"));
    h.run(inputs);
    QCOMPARE(h.messages(), QStringList{message});
    h.fixture.desktop.messages.clear();
    QCOMPARE(h.form->hasResults(), rowsKept >= 0);
    if (rowsKept >= 0) {
        QCOMPARE(h.grid()->rowCount(), rowsKept + 1);
        QCOMPARE(h.form->results().rowCount(), rowsKept);
    }
}

MORVA_GUI_TEST_MAIN(TestFreqDep)
#include "tst_FreqDep.moc"
