// The model frame's part in results leaving the program: the kept table of
// the last passed run, Copy, Save As, the charts' and the grid's context
// menus and Ctrl+C in the grid.

#include "models/frame/ModelForm.h"

#include "controls/Aligrid.h"
#include "controls/Chart.h"
#include "controls/SimplexChart.h"
#include "models/frame/RunExport.h"
#include "models/frame/RunTable.h"
#include "models/frame/Setup.h"
#include "platform/Application.h"
#include "platform/Desktop.h"
#include "platform/SaveFile.h"

#include <QAction>
#include <QChartView>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTabWidget>

namespace morva {

namespace {

// The folder of the last file saved, for the rest of the session.
QString &lastFolder()
{
    static QString folder;
    return folder;
}

QString startFolder()
{
    return lastFolder().isEmpty() ? QDir::homePath() : lastFolder();
}

QString pageTitle(const QTabWidget *pages, int index)
{
    QString title = pages->tabText(index);
    title.remove(QLatin1Char('&'));
    return title.trimmed();
}

// A context-menu item that runs `handler` under the error guard.
template <class Handler>
void addMenuItem(QMenu *menu, const QString &text, const QString &hint, QObject *context,
                 Handler handler)
{
    QAction *action = menu->addAction(text);
    action->setStatusTip(hint);
    QObject::connect(action, &QAction::triggered, context, guardedSlot(std::move(handler)));
}

// The busy pointer for as long as it lives.
struct BusyPointer {
    BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;
};

// "Reset zoom" (while zoomed) and the checkable "Keep zoom on Run", for a
// chart or the triangle.
template <class Zoomed>
void addZoomItems(QMenu *menu, Zoomed *chart, QObject *context)
{
    QPointer<Zoomed> target(chart);
    addMenuItem(menu, QStringLiteral("Reset zoom"),
                QStringLiteral("Show the whole chart again"), context, [target] {
                    if (target)
                        target->resetZoom();
                });
    menu->actions().constLast()->setEnabled(chart->isZoomed());
    addMenuItem(menu, QStringLiteral("Keep zoom on Run"),
                QStringLiteral("Keep this chart's zoom when the model runs again"), context,
                [target](bool checked) {
                    if (target)
                        target->setKeepsZoomOnRun(checked);
                });
    QAction *keep = menu->actions().constLast();
    keep->setCheckable(true);
    keep->setChecked(chart->keepsZoomOnRun());
}

QMenu *contextMenu(QWidget *parent, const QString &name)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(name);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    return menu;
}

} // namespace

// --- the kept results ---

bool ModelForm::hasResults() const
{
    return m_results != nullptr;
}

const RunTable &ModelForm::results() const
{
    static const RunTable none;
    return m_results ? *m_results : none;
}

RunTable ModelForm::runTable() const
{
    return {};
}

QString ModelForm::fieldText(const QLineEdit *field)
{
    return field->text().trimmed();
}

// A table that cannot be made is reported; the run is shown all the same,
// with nothing to export.
std::unique_ptr<RunTable> ModelForm::makeResults() const
{
    std::unique_ptr<RunTable> made;
    guarded([&] {
        RunTable table = runTable();
        if (table.rowCount() == 0)
            return;
        if (table.title.isEmpty())
            table.title = windowTitle().trimmed();
        made = std::make_unique<RunTable>(std::move(table));
    });
    return made;
}

void ModelForm::keepResults(std::unique_ptr<RunTable> table)
{
    m_results = std::move(table);
    emit resultsChanged();
}

void ModelForm::dropResults()
{
    if (!m_results)
        return;
    m_results.reset();
    emit resultsChanged();
}

chart::Chart *ModelForm::visibleChart() const
{
    QWidget *page = m_pageControl->currentWidget();
    return page ? page->findChild<chart::Chart *>() : nullptr;
}

QWidget *ModelForm::visiblePicture() const
{
    if (chart::Chart *chart = visibleChart())
        return chart;
    QWidget *page = m_pageControl->currentWidget();
    return page ? page->findChild<chart::SimplexChart *>() : nullptr;
}

QList<ChartPage> ModelForm::chartPages() const
{
    QList<ChartPage> pages;
    for (int i = 0; i < m_pageControl->count(); ++i) {
        QWidget *page = m_pageControl->widget(i);
        QWidget *chart = page->findChild<chart::Chart *>();
        if (!chart)
            chart = page->findChild<chart::SimplexChart *>();
        if (chart)
            pages.append({pageTitle(m_pageControl, i), chart});
    }
    return pages;
}

// --- commands ---

// The table as it leaves the program: the last run's, with a comment line
// for each kept run's inputs after its notes.
RunTable ModelForm::exportedTable() const
{
    RunTable table = results();
    table.notes += keptRunLines();
    return table;
}

void ModelForm::copyResults()
{
    if (m_results)
        QGuiApplication::clipboard()->setText(tableTsv(exportedTable()));
}

void ModelForm::saveResultsAs()
{
    if (!m_results)
        return;
    QList<ExportFormat> formats{ExportFormat::Table, ExportFormat::Picture,
                                ExportFormat::Drawing, ExportFormat::Report};
    // A table of sampled generations can be had with every one.
    if (m_results->everyGeneration)
        formats.append(ExportFormat::EveryGeneration);
    formats.append(ExportFormat::Setup);
    askAndSave(formats, ExportFormat::Table, visiblePicture());
}

void ModelForm::copyChartPicture(QWidget *chart)
{
    if (chart)
        QGuiApplication::clipboard()->setImage(chartImage(chart));
}

void ModelForm::saveChartPicture(QWidget *chart)
{
    if (chart)
        askAndSave({ExportFormat::Picture, ExportFormat::Drawing}, ExportFormat::Picture, chart);
}

void ModelForm::askAndSave(const QList<ExportFormat> &formats, ExportFormat initial,
                           QWidget *chart)
{
    const QString stem = m_results ? m_results->fileStem : QString();
    SaveDialogRequest request;
    request.caption = QStringLiteral("Save As");
    request.folder = startFolder();
    request.fileName = exportFileName(stem.isEmpty() ? QStringLiteral("chart") : stem,
                                      desktop().now(), initial);
    request.filters = exportFilters(formats);
    request.filter = exportFilter(initial);
    const SaveDialogAnswer answer = desktop().runSaveDialog(this, request);
    if (answer.path.isEmpty())
        return;
    // The file's own extension decides among the types offered; otherwise
    // the type chosen in the dialog, whose extension the name then gets.
    ExportFormat format = exportFormatFor(answer.path, answer.filter, initial);
    if (!formats.contains(format))
        format = exportFormatFor(QString(), answer.filter, initial);
    QString path = answer.path;
    if (QFileInfo(path).suffix().compare(exportSuffix(format), Qt::CaseInsensitive) != 0)
        path += QLatin1Char('.') + exportSuffix(format);
    if (saveResults(path, format, chart))
        lastFolder() = QFileInfo(path).absolutePath();
}

bool ModelForm::saveResults(const QString &path, ExportFormat format, QWidget *chart)
{
    if (format == ExportFormat::EveryGeneration)
        return saveEveryGeneration(path);
    if (!chart)
        chart = visiblePicture();
    FileWriter write;
    switch (format) {
    case ExportFormat::Table:
        if (!m_results)
            return false;
        write = [table = exportedTable()](QIODevice &device, QString &reason) {
            return writeTableCsv(table, device, reason);
        };
        break;
    case ExportFormat::Picture:
    case ExportFormat::Drawing:
        if (!chart)
            return false;
        write = [chart, format](QIODevice &device, QString &reason) {
            return format == ExportFormat::Picture ? writeChartPng(chart, device, reason)
                                                   : writeChartSvg(chart, device, reason);
        };
        break;
    case ExportFormat::Report:
        if (!m_results)
            return false;
        write = [this](QIODevice &device, QString &reason) {
            return writeRunReport(*m_results, chartPages(), device, reason);
        };
        break;
    case ExportFormat::Setup:
        write = [setup = captureSetup(this)](QIODevice &device, QString &reason) {
            const QByteArray json = setupJson(setup);
            if (device.write(json) == json.size())
                return true;
            reason = device.errorString();
            return false;
        };
        break;
    case ExportFormat::EveryGeneration:
        return false;
    }
    return saveFile(this, path, write);
}

// The run is computed afresh and its rows go to the file as they come, so
// that a million generations never stand in memory at once.
bool ModelForm::saveEveryGeneration(const QString &path)
{
    if (!m_results || !m_results->everyGeneration)
        return false;
    const BusyPointer busy;
    return saveFileInPieces(this, path, [table = exportedTable()](const auto &piece, QString &) {
        return everyGenerationCsv(table, piece);
    });
}

// --- menus and keys ---

void ModelForm::watchChartForExport(chart::Chart *chart)
{
    QChartView *view = chart->view();
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    QPointer<chart::Chart> target(chart);
    connect(view, &QWidget::customContextMenuRequested, this,
            guardedSlot([this, target](const QPoint &pos) {
                if (target)
                    showChartMenu(target, target->view()->viewport()->mapToGlobal(pos));
            }));
}

void ModelForm::watchGridForExport()
{
    m_grid->installEventFilter(this);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            guardedSlot([this](const QPoint &pos) {
                showGridMenu(m_grid->viewport()->mapToGlobal(pos));
            }));
}

void ModelForm::watchPictureForExport(QWidget *picture)
{
    picture->setContextMenuPolicy(Qt::CustomContextMenu);
    QPointer<QWidget> target(picture);
    connect(picture, &QWidget::customContextMenuRequested, this,
            guardedSlot([this, target](const QPoint &pos) {
                if (target)
                    showChartMenu(target, target->mapToGlobal(pos));
            }));
}

void ModelForm::showChartMenu(QWidget *chart, const QPoint &globalPos)
{
    QMenu *menu = contextMenu(this, QStringLiteral("ChartMenu"));
    QPointer<QWidget> target(chart);
    addMenuItem(menu, QStringLiteral("Copy picture"),
                QStringLiteral("Copy the chart to the clipboard as a picture"), this,
                [this, target] { copyChartPicture(target); });
    addMenuItem(menu, QStringLiteral("Save picture..."),
                QStringLiteral("Save the chart as a picture or a drawing"), this,
                [this, target] { saveChartPicture(target); });
    // Keeping runs for comparison.
    menu->addSeparator();
    addMenuItem(menu, QStringLiteral("Keep run"),
                QStringLiteral("Keep this run on the charts to compare later runs with"), this,
                [this] { keepRun(); });
    menu->actions().constLast()->setEnabled(hasResults());
    addMenuItem(menu, QStringLiteral("Clear kept runs"),
                QStringLiteral("Remove the kept runs from the charts"), this,
                [this] { clearKeptRuns(); });
    menu->actions().constLast()->setEnabled(keptRunCount() > 0);
    if (auto *plot = qobject_cast<chart::Chart *>(chart)) {
        menu->addSeparator();
        addZoomItems(menu, plot, this);
    } else if (auto *simplex = qobject_cast<chart::SimplexChart *>(chart)) {
        menu->addSeparator();
        addZoomItems(menu, simplex, this);
    }
    menu->popup(globalPos);
}

void ModelForm::showGridMenu(const QPoint &globalPos)
{
    if (!m_results)
        return;
    QMenu *menu = contextMenu(this, QStringLiteral("GridMenu"));
    addMenuItem(menu, QStringLiteral("Copy table"),
                QStringLiteral("Copy the inputs and the table to the clipboard"), this,
                [this] { copyResults(); });
    menu->popup(globalPos);
}

// Ctrl+C in the grid copies the run: the grid claims the key before any
// shortcut of the window around it, then copies on the key press.
bool ModelForm::gridExportEvent(QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (!key->matches(QKeySequence::Copy) || !m_results)
        return false;
    key->accept();
    if (event->type() == QEvent::KeyPress)
        guarded([this] { copyResults(); });
    return true;
}

} // namespace morva
