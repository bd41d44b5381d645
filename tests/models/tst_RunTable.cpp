// A run's table as text: the clipboard's tab-separated layout and RFC 4180
// CSV with "#" comment lines, quoting, CR LF line ends and full-precision
// numbers with "." whatever the separator of the fields' texts.

#include "models/RunTable.h"

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

QTEST_GUILESS_MAIN(TestRunTable)
#include "tst_RunTable.moc"
