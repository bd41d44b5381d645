// Printing a widget's image onto one page.

#include "arith/Errors.h"
#include "platform/Printing.h"

#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

using namespace morva;

namespace {

int pageCount(const QByteArray &pdf)
{
    return int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page/")
               + pdf.count("/Type /Page "));
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
private slots:
    void printsOnePageToPdf();
    void unusablePrinterIsAnError();
};

void TestPrinting::printsOnePageToPdf()
{
    // State: a widget, a PDF printer. Action: print its image. Expected: the
    // job ends with a one-page document holding an image.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("frame.pdf"));
    QLabel widget(QStringLiteral("MORVA 99"));
    widget.resize(300, 200);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);

    printWidgetImage(&widget, printer);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QVERIFY(pdf.startsWith("%PDF"));
    QCOMPARE(pageCount(pdf), 1);
    QVERIFY(pdf.contains("/Subtype /Image"));
    QCOMPARE(printer.printerState(), QPrinter::Idle);
}

void TestPrinting::unusablePrinterIsAnError()
{
    // A print job that cannot start is reported, never passed off as done.
    QLabel widget(QStringLiteral("x"));
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QStringLiteral("/nonexistent-folder/frame.pdf"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(".*")));
    QVERIFY_THROWS_EXCEPTION(MorvaError, printWidgetImage(&widget, printer));
}

QTEST_MAIN(TestPrinting)
#include "tst_Printing.moc"
