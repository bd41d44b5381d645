// Printing a widget's image onto one page, read back as the page looks
// (rendered by poppler's pdftoppm).

#include "arith/Errors.h"
#include "platform/Printing.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace morva;

namespace {

int pageCount(const QByteArray &pdf)
{
    return int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page/")
               + pdf.count("/Type /Page "));
}

// The page of a one-page PDF as an image at `dpi`; null when it cannot be
// rendered.
QImage renderedPage(const QString &pdf, int dpi)
{
    QProcess process;
    process.start(QStringLiteral("pdftoppm"),
                  {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
                   QStringLiteral("-singlefile"), pdf, pdf});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return QImage(pdf + QStringLiteral(".png"));
}

// The smallest rectangle holding every pixel that is not white.
QRect inkBounds(const QImage &page)
{
    QRect bounds;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (page.pixel(x, y) != qRgb(255, 255, 255))
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

bool reddish(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 80 && qBlue(pixel) < 80;
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
private slots:
    void printsOnePageToPdf();
    void wholeImageFitsThePage_data();
    void wholeImageFitsThePage();
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

void TestPrinting::wholeImageFitsThePage_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("shrunk");
    QTest::newRow("small: natural size") << QSize(300, 200) << false;
    QTest::newRow("wide frame: to the page's width") << QSize(1600, 1000) << true;
    QTest::newRow("tall: to the page's height") << QSize(500, 2400) << true;
}

// State: a yellow widget framed in red, on an A4 PDF printer. Action: print
// it. Expected: the page shows the whole frame with the widget's aspect,
// inside the printable area; at its natural size (96 pixels an inch) when
// that fits, else as large as fits.
void TestPrinting::wholeImageFitsThePage()
{
    QFETCH(QSize, size);
    QFETCH(bool, shrunk);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("frame.pdf"));
    QLabel widget;
    widget.setStyleSheet(QStringLiteral("background: #ffff00; border: 16px solid #ff0000"));
    widget.resize(size);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);

    printWidgetImage(&widget, printer);

    constexpr int kDpi = 50;
    const QImage page = renderedPage(path, kDpi);
    QVERIFY2(!page.isNull(), "pdftoppm could not render the page");
    const QRect printable = printer.pageLayout().paintRectPixels(kDpi);
    const QRect ink = inkBounds(page);
    QVERIFY2(printable.adjusted(-1, -1, 1, 1).contains(ink),
             qPrintable(QStringLiteral("ink %1,%2 %3x%4")
                            .arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
    QVERIFY(std::abs(double(ink.width()) / ink.height() - double(size.width()) / size.height())
            < 0.03 * size.width() / size.height());
    const QPoint centre = ink.center();
    for (const QPoint edge : {QPoint(ink.left() + 2, centre.y()), QPoint(ink.right() - 2, centre.y()),
                              QPoint(centre.x(), ink.top() + 2),
                              QPoint(centre.x(), ink.bottom() - 2)})
        QVERIFY(reddish(page.pixel(edge)));
    if (shrunk) {
        QVERIFY(ink.width() >= printable.width() - 2 || ink.height() >= printable.height() - 2);
    } else {
        QVERIFY(std::abs(ink.width() - size.width() * kDpi / 96.0) <= 2);
    }
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
