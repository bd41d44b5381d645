#ifndef MORVA_MODELS_RUNEXPORT_H
#define MORVA_MODELS_RUNEXPORT_H

// A run's results as files and pictures: the file types offered, the names
// proposed for them, and the writers of the table (CSV), of a chart as a
// picture (PNG, at its on-screen size times the device pixel ratio) or as a
// drawing (SVG, vectors), and of the A4 report (PDF: a first page with the
// title, the inputs and the first and last rows of the table, then a
// landscape page for each chart, drawn at the page's size).

#include <QList>
#include <QString>
#include <QStringList>

class QDateTime;
class QImage;
class QIODevice;

class QWidget;

namespace morva {

struct RunTable;

// EveryGeneration: the table's CSV with every generation of a run whose
// table holds a sample of them (everyGenerationCsv). Setup: the window's
// setup file (models/frame/Setup.h).
enum class ExportFormat { Table, Picture, Drawing, Report, EveryGeneration, Setup };

// A chart (a chart::Chart or a chart::SimplexChart) with the title of the
// page it stands on.
struct ChartPage {
    QString title;
    QWidget *chart = nullptr;
};

// "Table (*.csv)", "Chart as picture (*.png)", "Chart as drawing (*.svg)",
// "Report (*.pdf)", "CSV, every generation (*.csv)", "Setup (*.morva)".
QString exportFilter(ExportFormat format);
// "csv", "png", "svg", "pdf", "morva".
QString exportSuffix(ExportFormat format);
QStringList exportFilters(const QList<ExportFormat> &formats);
// The format of a chosen file: by its extension when that is one of ours
// (the chosen filter's format when it has that extension too), else by the
// chosen filter; `fallback` when neither tells.
ExportFormat exportFormatFor(const QString &path, const QString &filter, ExportFormat fallback);
// "<stem>-yyyy-MM-dd-HHmm.<suffix>".
QString exportFileName(const QString &stem, const QDateTime &when, ExportFormat format);

// A chart (a chart::Chart or a chart::SimplexChart) as the screen shows it,
// in device pixels.
QImage chartImage(QWidget *chart);

// Writers for platform/SaveFile: false with a reason when they cannot.
bool writeTableCsv(const RunTable &table, QIODevice &device, QString &reason);
bool writeChartPng(QWidget *chart, QIODevice &device, QString &reason);
bool writeChartSvg(QWidget *chart, QIODevice &device, QString &reason);
bool writeRunReport(const RunTable &table, const QList<ChartPage> &pages, QIODevice &device,
                    QString &reason);

// Rows the report shows from each end of a longer table.
inline constexpr int kReportEndRows = 20;

} // namespace morva

#endif
