// A run's files: the names and types offered, the visible chart as a PNG at
// its on-screen size times the device pixel ratio and as SVG with its series
// as paths, and the A4 report with a page for every chart, read as poppler's
// tools read it. Drawn from real 2- and 3-allele windows after a run.

#include "controls/Chart.h"
#include "controls/SimplexChart.h"
#include "models/frame/ModelForm.h"
#include "models/frame/RunExport.h"
#include "models/frame/RunTable.h"
#include "models/windows/SelDi2.h"
#include "models/windows/SelDi3.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/ModelHarness.h"

#include <QBuffer>
#include <QDateTime>
#include <QImage>
#include <QMainWindow>
#include <QMdiArea>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <functional>

using morva::ExportFormat;

namespace {

struct Harness {
    morva::test::GuiFixture fixture;
    QMainWindow main;
    QMdiArea *area = new QMdiArea;
    QPointer<TSelDi2Form> form;

    Harness()
    {
        main.setCentralWidget(area);
        main.resize(1000, 760);
        form = new TSelDi2Form([] {});
        area->addSubWindow(form);
    }
    bool run()
    {
        if (!morva::test::showActive(&main))
            return false;
        form->show();
        QTest::mouseClick(form->SelRunBtn, Qt::LeftButton);
        return form->hasResults() && form->SelDi2Chart1->isVisible();
    }
};

QByteArray written(const std::function<bool(QIODevice &, QString &)> &write)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString reason;
    if (!write(buffer, reason))
        return {};
    return buffer.data();
}

// The output of a poppler tool on `pdf`, or a null array when it is absent.
QByteArray poppler(const QString &tool, const QStringList &arguments)
{
    if (QStandardPaths::findExecutable(tool).isEmpty())
        return {};
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return "<" + tool.toUtf8() + " failed>";
    return process.readAllStandardOutput();
}

// pdftotext gives a word the height of its font's ascent plus descent:
// 1.164 em in DejaVu Sans, the font offscreen text is written in.
constexpr double kSevenPointHeight = 7 * 1.164;

struct PdfWord {
    QString text;
    QRectF box;  // in points from the page's top-left
};

struct PdfPage {
    QSizeF size;
    QList<PdfWord> words;
    QString text() const
    {
        QStringList texts;
        for (const PdfWord &word : words)
            texts.append(word.text);
        return texts.join(QLatin1Char(' '));
    }
};

// The pages of a PDF with their words' boxes, as pdftotext -bbox reads them.
QList<PdfPage> pdfWords(const QString &path)
{
    const QString xhtml = QString::fromUtf8(
        poppler(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")}));
    QList<PdfPage> pages;
    static const QRegularExpression element(QStringLiteral(
        "<page width=\"([\\d.]+)\" height=\"([\\d.]+)\"|<word xMin=\"([\\d.-]+)\" "
        "yMin=\"([\\d.-]+)\" xMax=\"([\\d.-]+)\" yMax=\"([\\d.-]+)\">([^<]*)</word>"));
    for (const QRegularExpressionMatch &m : element.globalMatch(xhtml)) {
        if (m.capturedLength(1) > 0) {
            pages.append({QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()), {}});
        } else if (!pages.isEmpty()) {
            const QPointF from(m.captured(3).toDouble(), m.captured(4).toDouble());
            const QPointF to(m.captured(5).toDouble(), m.captured(6).toDouble());
            pages.last().words.append({m.captured(7), QRectF(from, to)});
        }
    }
    return pages;
}

} // namespace

class TestRunExport : public QObject {
    Q_OBJECT
private slots:
    void fileName();
    void pngHasOnScreenSize();
    void svgIsWellFormedWithSeriesAsPaths();
    void simplexExportsAsPictureAndVectors();
    void reportHasEveryChartAtPageSize();
};

// Expected: the model, the date and the hour and minute, the type's
// extension.
void TestRunExport::fileName()
{
    const QDateTime when(QDate(2026, 12, 9), QTime(14, 12, 59));
    const QString stem = QStringLiteral("selection-2-alleles");
    QCOMPARE(morva::exportFileName(stem, when, ExportFormat::Table),
             QStringLiteral("selection-2-alleles-2026-12-09-1412.csv"));
    QCOMPARE(morva::exportFileName(stem, when, ExportFormat::Drawing),
             QStringLiteral("selection-2-alleles-2026-12-09-1412.svg"));
}

// State: a run shown. Action: write the visible chart as PNG. Expected: it
// decodes to the chart's on-screen size times the device pixel ratio.
void TestRunExport::pngHasOnScreenSize()
{
    Harness h;
    QVERIFY(h.run());
    morva::chart::Chart *chart = h.form->visibleChart();
    QCOMPARE(chart, h.form->SelDi2Chart1);
    const QByteArray png = written([chart](QIODevice &device, QString &reason) {
        return morva::writeChartPng(chart, device, reason);
    });
    QImage image;
    QVERIFY(image.loadFromData(png, "PNG"));
    QCOMPARE(image.size(), chart->size() * chart->devicePixelRatio());
    QVERIFY(chart->width() > 200 && chart->height() > 100);
}

// State: a run shown. Action: write the visible chart as SVG. Expected:
// well-formed XML with an <svg> root of the chart's size, and the series p[1]
// (green) and p[2] (red) as paths through every generation.
void TestRunExport::svgIsWellFormedWithSeriesAsPaths()
{
    Harness h;
    QVERIFY(h.run());
    morva::chart::Chart *chart = h.form->SelDi2Chart1;
    const QByteArray svg = written([chart](QIODevice &device, QString &reason) {
        return morva::writeChartSvg(chart, device, reason);
    });
    QXmlStreamReader xml(svg);
    QStringList strokes{QString()};  // in force at each open element
    QStringList longPaths;           // the strokes of paths of 30 segments or more
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        if (xml.isEndElement()) {
            strokes.removeLast();
            continue;
        }
        if (!xml.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (strokes.size() == 1) {
            QCOMPARE(xml.name().toString(), QStringLiteral("svg"));
            QCOMPARE(attributes.value(QStringLiteral("viewBox")).toString(),
                     QStringLiteral("0 0 %1 %2").arg(chart->width()).arg(chart->height()));
        }
        const QString stroke = attributes.value(QStringLiteral("stroke")).toString();
        strokes.append(stroke.isEmpty() ? strokes.last() : stroke);
        if (xml.name() == QLatin1String("path")
            && attributes.value(QStringLiteral("d")).count(QLatin1Char('L')) >= 30)
            longPaths.append(strokes.last());
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QVERIFY2(longPaths.contains(QStringLiteral("#008000")), qPrintable(longPaths.join(' ')));
    QVERIFY2(longPaths.contains(QStringLiteral("#ff0000")), qPrintable(longPaths.join(' ')));
}

// State: a simplex chart with a field and a line. Action: write it as PNG
// and as SVG. Expected: the PNG at its on-screen size; the SVG well-formed,
// drawn as vector paths (no embedded raster picture).
void TestRunExport::simplexExportsAsPictureAndVectors()
{
    morva::chart::SimplexChart simplex;
    simplex.resize(420, 320);
    simplex.setField([](double a, double b, double c) { return a * a + b * c; }, 21);
    morva::chart::SimplexChart::Polyline line;
    line.points = {{0.2, 0.3, 0.5}, {0.4, 0.3, 0.3}, {0.6, 0.2, 0.2}};
    simplex.addPolyline(line);
    QWidget *picture = &simplex;

    QImage image;
    QVERIFY(image.loadFromData(written([picture](QIODevice &device, QString &reason) {
        return morva::writeChartPng(picture, device, reason);
    }), "PNG"));
    QCOMPARE(image.size(), simplex.size() * simplex.devicePixelRatio());

    QXmlStreamReader xml(written([picture](QIODevice &device, QString &reason) {
        return morva::writeChartSvg(picture, device, reason);
    }));
    int paths = 0;
    int images = 0;
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        if (!xml.isStartElement())
            continue;
        paths += xml.name() == QLatin1String("path") || xml.name() == QLatin1String("polyline");
        images += xml.name() == QLatin1String("image");
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QVERIFY(paths > 10);
    QCOMPARE(images, 0);
}

// State: a 3-allele run shown on its first chart page. Action: write the
// report. Expected: an A4 PDF of the table's page and one landscape page per
// chart page, the simplex included, each under its page's title; every text
// on the chart pages inside the page and at least 7 pt; the charts on screen
// laid out as before.
void TestRunExport::reportHasEveryChartAtPageSize()
{
    morva::test::ModelHarness<TSelDi3Form> h;
    QVERIFY(morva::test::showActive(&h.main));
    h.clickRun();
    QVERIFY(h.form->hasResults());
    const QList<morva::ChartPage> pages = h.form->chartPages();
    QStringList titles;
    QList<QImage> shown;
    for (const morva::ChartPage &page : pages) {
        titles.append(page.title);
        // A page never shown lays its chart out on its first rendering.
        page.chart->grab();
        for (int pass = 0; pass < 4; ++pass)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        shown.append(page.chart->grab().toImage());
    }
    QVERIFY2(titles.contains(QStringLiteral("Simplex")), qPrintable(titles.join(", ")));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    QVERIFY(h.form->saveResults(path, ExportFormat::Report));
    MORVA_VERIFY_NO_MESSAGE(h.fixture.desktop);

    const QString info = QString::fromUtf8(poppler(QStringLiteral("pdfinfo"), {path}));
    QVERIFY2(info.contains(QRegularExpression(
                 QStringLiteral("Pages: +%1\n").arg(pages.size() + 1))),
             qPrintable(info));
    QVERIFY2(info.contains(QStringLiteral("(A4)")), qPrintable(info));
    const QList<PdfPage> read = pdfWords(path);
    QCOMPARE(read.size(), pages.size() + 1);
    const morva::RunTable &table = h.form->results();
    const QString first = read.first().text();
    for (const QString &piece : {table.title, table.inputs.first().first, table.header.first(),
                                 table.header.last()})
        QVERIFY2(first.contains(piece), qPrintable(piece + QStringLiteral(" missing: ") + first));
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const PdfPage &page = read.at(i + 1);
        QVERIFY2(page.size.width() > page.size.height(), qPrintable(titles.at(i)));
        QVERIFY2(page.text().startsWith(titles.at(i)), qPrintable(page.text()));
        QVERIFY2(page.words.size() > 20, qPrintable(page.text()));  // the chart's texts
        for (const PdfWord &word : page.words) {
            QVERIFY2(QRectF(QPointF(0, 0), page.size).contains(word.box), qPrintable(word.text));
            QVERIFY2(word.box.height() >= kSevenPointHeight,
                     qPrintable(QStringLiteral("%1 on %2: %3 high")
                                    .arg(word.text, titles.at(i))
                                    .arg(word.box.height())));
        }
    }
    for (qsizetype i = 0; i < pages.size(); ++i)
        QVERIFY2(pages.at(i).chart->grab().toImage() == shown.at(i), qPrintable(titles.at(i)));
}

MORVA_GUI_TEST_MAIN(TestRunExport)
#include "tst_RunExport.moc"
