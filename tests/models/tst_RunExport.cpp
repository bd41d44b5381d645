// A run's files: the names and types offered, the visible chart as a PNG at
// its on-screen size times the device pixel ratio and as SVG with its series
// as paths, and the one-page A4 report with every chart. Drawn from a real
// 2-allele window after a run.

#include "controls/Chart.h"
#include "controls/SimplexChart.h"
#include "models/ModelForm.h"
#include "models/RunExport.h"
#include "models/RunTable.h"
#include "models/SelDi2.h"
#include "tests/support/GuiFixture.h"

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

} // namespace

class TestRunExport : public QObject {
    Q_OBJECT
private slots:
    void fileName();
    void pngHasOnScreenSize();
    void svgIsWellFormedWithSeriesAsPaths();
    void simplexExportsAsPictureAndVectors();
    void reportIsOneA4PageWithEveryChart();
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

// State: a run shown on the first of four chart pages. Action: write the
// report. Expected: a PDF of one A4 page holding the title, the inputs, the
// four pages' titles, the header and the first and last rows; the charts
// behind the visible page drawn at its size.
void TestRunExport::reportIsOneA4PageWithEveryChart()
{
    Harness h;
    QVERIFY(h.run());
    const QList<morva::ChartPage> pages = h.form->chartPages();
    QCOMPARE(pages.size(), 4);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    QVERIFY(h.form->saveResults(path, ExportFormat::Report));
    MORVA_VERIFY_NO_MESSAGE(h.fixture.desktop);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QVERIFY(pdf.startsWith("%PDF-"));
    QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "),
             1);
    for (const morva::ChartPage &page : pages)
        QCOMPARE(page.chart->size(), h.form->SelDi2Chart1->size());

    const QByteArray info = poppler(QStringLiteral("pdfinfo"), {path});
    if (info.isNull())
        QSKIP("pdfinfo is not installed");
    QVERIFY2(QString::fromUtf8(info).contains(QRegularExpression(QStringLiteral("Pages: +1\n"))),
             info.constData());
    QVERIFY2(info.contains("(A4)"), info.constData());
    const QString text = QString::fromUtf8(poppler(QStringLiteral("pdftotext"), {path, QStringLiteral("-")}));
    const morva::RunTable &table = h.form->results();
    // (pdftotext writes "fi" as a ligature.)
    QStringList expected{table.title, QStringLiteral("A1A2"), QStringLiteral("0.700"),
                         QStringLiteral("Allele freqs vs time"), QStringLiteral("delta-p[1] vs p[1]"),
                         QStringLiteral("Wmed vs p[1]"), QStringLiteral("Fitnesses vs time"),
                         QStringLiteral("Wmed")};
    for (const QString &piece : expected)
        QVERIFY2(text.contains(piece), qPrintable(piece + QStringLiteral(" missing in:\n") + text));
}

MORVA_GUI_TEST_MAIN(TestRunExport)
#include "tst_RunExport.moc"
