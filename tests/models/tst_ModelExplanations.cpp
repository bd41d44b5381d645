// The explanation pages: every catalogue id has a page whose four sections
// stand in order as headings once the page is laid out as rich text; any
// other id has none.

#include "models/ModelExplanations.h"

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

class TestModelExplanations : public QObject {
    Q_OBJECT
private slots:
    void page_data();
    void page();
    void unknownId_data();
    void unknownId();
};

void TestModelExplanations::page_data()
{
    QTest::addColumn<QString>("id");
    for (const char *id : {"mutation-2-alleles", "selection-2-alleles", "selection-3-alleles",
                           "selection-mutation", "selection-migration", "partial-selfing",
                           "sex-linked-locus", "linkage-2-loci", "drift", "frequency-dependent"})
        QTest::newRow(id) << QString::fromLatin1(id);
}

// State: a catalogue id. Action: lay its page out as rich text.
// Expected: a title heading, then the four section headings in order, each
// followed by text of its own.
void TestModelExplanations::page()
{
    QFETCH(QString, id);
    QTextDocument document;
    document.setHtml(morva::modelExplanation(id));
    QStringList headings;
    QStringList bodies;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() > 0) {
            headings << block.text();
            bodies << QString();
        } else if (!bodies.isEmpty()) {
            bodies.last() += block.text();
        }
    }
    QCOMPARE(headings.size(), 5);
    QVERIFY(!headings.first().isEmpty());
    QCOMPARE(headings.mid(1), QStringList({QStringLiteral("The model"),
                                           QStringLiteral("Each generation"),
                                           QStringLiteral("Assumptions"),
                                           QStringLiteral("What to look for")}));
    for (const QString &body : bodies.mid(1))
        QVERIFY2(body.simplified().size() > 40, qPrintable(body));
}

void TestModelExplanations::unknownId_data()
{
    QTest::addColumn<QString>("id");
    QTest::newRow("empty") << QString();
    QTest::newRow("prefix of ids") << QStringLiteral("selection");
    QTest::newRow("other case") << QStringLiteral("Drift");
    QTest::newRow("tree leaf name") << QStringLiteral("Genetic drift");
}

// State: no model has this id. Action: ask for its page. Expected: empty.
void TestModelExplanations::unknownId()
{
    QFETCH(QString, id);
    QVERIFY(morva::modelExplanation(id).isEmpty());
}

QTEST_MAIN(TestModelExplanations)
#include "tst_ModelExplanations.moc"
