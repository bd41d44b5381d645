// A run's table as text: the clipboard's tab-separated layout and RFC 4180
// CSV with "#" comment lines, quoting, CR LF line ends and full-precision
// numbers with "." whatever the separator of the fields' texts.

#include "arith/StoredGenerations.h"
#include "models/frame/RunTable.h"

#include <QTest>

using morva::RunTable;

namespace {

RunTable sample()
{
    RunTable table;
    table.inputs = {{QStringLiteral("A1 frequency"), QStringLiteral("0,600")},
                    {QStringLiteral("say \"hi\""), QStringLiteral("two\nlines")},
                    {QStringLiteral("generations"), QStringLiteral("5x10^6")}};
    table.header = {QStringLiteral("time"), QStringLiteral("p[1]"), QStringLiteral("a,b")};
    table.appendRow({0.0L, 0.6L, -0.0L});
    table.appendRow({2100000000.0L, 1.0L - 0x1p-64L, 1e-30L});
    return table;
}

} // namespace

class TestRunTable : public QObject {
    Q_OBJECT
private slots:
    void shape();
    void tsvLayout();
    void csvLayout();
    void generationsShown_data();
    void generationsShown();
    void everyGenerationStreamsTheWholeRun();
};

// State: a table of 2 rows of 3 values. Expected: its row and column counts
// and values by position.
void TestRunTable::shape()
{
    const RunTable table = sample();
    QCOMPARE(table.rowCount(), 2);
    QCOMPARE(table.columnCount(), 3);
    QCOMPARE(table.at(1, 0), 2100000000.0L);
    QCOMPARE(RunTable().rowCount(), 0);
}

// Expected: name TAB value lines (tabs and line breaks inside a text become
// blanks), a blank line, header, rows, "\n" after each line.
void TestRunTable::tsvLayout()
{
    QCOMPARE(morva::tableTsv(sample()),
             QStringLiteral("A1 frequency\t0,600\n"
                            "say \"hi\"\ttwo lines\n"
                            "generations\t5x10^6\n"
                            "\n"
                            "time\tp[1]\ta,b\n"
                            "0\t0.6\t-0\n"
                            "2100000000\t0.99999999999999999995\t1e-30\n"));
}

// Expected: "# name,value" comment lines, fields with a comma, quote or line
// break quoted with their quotes doubled, CR LF after every record.
void TestRunTable::csvLayout()
{
    QCOMPARE(morva::tableCsv(sample()),
             QByteArray("# A1 frequency,\"0,600\"\r\n"
                        "# \"say \"\"hi\"\"\",\"two\nlines\"\r\n"
                        "# generations,5x10^6\r\n"
                        "time,p[1],\"a,b\"\r\n"
                        "0,0.6,-0\r\n"
                        "2100000000,0.99999999999999999995,1e-30\r\n"));
}

void TestRunTable::generationsShown_data()
{
    QTest::addColumn<std::vector<std::int32_t>>("generations");
    QTest::addColumn<QString>("text");
    QTest::newRow("all") << std::vector<std::int32_t>{0, 1, 2} << "every generation 0 to 2";
    QTest::newRow("the longest two-allele run") << morva::storedGenerations(1000000)
        << "0 to 1000 every generation, then 1001 more to 1000000, 998 to 999 apart";
    QTest::newRow("evenly beyond 1000") << morva::storedGenerations(3002)
        << "0 to 1000 every generation, then every 2nd to 3002";
    QTest::newRow("every 3rd") << std::vector<std::int32_t>{0, 1, 4, 7}
                               << "0 to 1 every generation, then every 3rd to 7";
    QTest::newRow("every 11th") << std::vector<std::int32_t>{0, 11, 22}
                                << "0, then every 11th to 22";
    QTest::newRow("every 21st") << std::vector<std::int32_t>{0, 21, 42}
                                << "0, then every 21st to 42";
}

// Expected: which generations a table holds, in words.
void TestRunTable::generationsShown()
{
    QFETCH(std::vector<std::int32_t>, generations);
    QFETCH(QString, text);
    QCOMPARE(morva::generationsShownText(generations), text);
}

// State: a table of 2 sampled rows of a run of 100000 generations (a few
// megabytes of CSV). Expected: its CSV says which generations it shows; the
// CSV with every generation is the CSV of the whole run without that line,
// in pieces; a file that refuses a piece gets no more.
void TestRunTable::everyGenerationStreamsTheWholeRun()
{
    RunTable table = sample();
    table.generationsShown = QStringLiteral("0, then every 100000th to 100000");
    QVERIFY(morva::tableCsv(table).contains(
        "\r\n# \"generations shown: 0, then every 100000th to 100000\"\r\ntime,"));
    constexpr int kLast = 100000;
    const auto row = [](int g) {
        return std::vector<long double>{static_cast<long double>(g), 0.5L, 1.0L / (g + 1)};
    };
    table.everyGeneration = [row](const morva::RowSink &sink) {
        for (int g = 0; g <= kLast; ++g)
            sink(row(g));
    };
    RunTable whole = sample();
    whole.values.clear();
    for (int g = 0; g <= kLast; ++g) {
        const std::vector<long double> values = row(g);
        whole.values.insert(whole.values.end(), values.begin(), values.end());
    }
    QByteArray written;
    QVERIFY(morva::everyGenerationCsv(table, [&written](const QByteArray &piece) {
        written += piece;
        return true;
    }));
    QCOMPARE(written, morva::tableCsv(whole));

    int pieces = 0;
    QVERIFY(!morva::everyGenerationCsv(table, [&pieces](const QByteArray &) {
        ++pieces;
        return false;
    }));
    QCOMPARE(pieces, 1);
    QVERIFY(!morva::everyGenerationCsv(sample(), [](const QByteArray &) { return true; }));
}

QTEST_GUILESS_MAIN(TestRunTable)
#include "tst_RunTable.moc"
