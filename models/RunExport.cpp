#include "models/RunExport.h"

#include "controls/Chart.h"
#include "controls/SimplexChart.h"
#include "models/RunTable.h"
#include "platform/NumberText.h"

#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImage>
#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPixmap>
#include <QSvgGenerator>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace morva {

namespace {

struct FormatInfo {
    ExportFormat format;
    const char *filter;
    const char *suffix;
};

constexpr FormatInfo kFormats[] = {
    {ExportFormat::Table, "Table (*.csv)", "csv"},
    {ExportFormat::Picture, "Chart as picture (*.png)", "png"},
    {ExportFormat::Drawing, "Chart as drawing (*.svg)", "svg"},
    {ExportFormat::Report, "Report (*.pdf)", "pdf"},
    {ExportFormat::EveryGeneration, "CSV, every generation (*.csv)", "csv"},
};

const FormatInfo &info(ExportFormat format)
{
    for (const FormatInfo &entry : kFormats) {
        if (entry.format == format)
            return entry;
    }
    return kFormats[0];
}

const FormatInfo *infoForSuffix(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const FormatInfo &entry : kFormats) {
        if (suffix == QLatin1String(entry.suffix))
            return &entry;
    }
    return nullptr;
}

// A chart on a page behind the visible one keeps the size its page last had
// (the size it was made with, if never shown). It is drawn at the size of
// the chart the user sees: its page takes the visible page's size; a first
// rendering delivers the hidden widgets' pending resizes and lays them out,
// which makes Qt Charts post its own layout, delivered before the drawing.
void matchSize(chart::Chart *chart, const chart::Chart *shown)
{
    if (!shown || chart->size() == shown->size())
        return;
    QWidget *page = chart->parentWidget();
    const QWidget *shownPage = shown->parentWidget();
    if (page && shownPage)
        page->resize(shownPage->size());
    else
        chart->resize(shown->size());
    QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
    chart->render(&scratch);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

// --- the drawing ---

// The chart drawn as SVG at its on-screen size and the screen's resolution
// (so that texts keep their sizes against the lines). The simplex chart
// draws itself as vectors; a widget's own rendering would give its cached
// raster picture.
QByteArray renderSvg(QWidget *chart)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(chart->size());
    generator.setViewBox(QRect(QPoint(0, 0), chart->size()));
    generator.setResolution(chart->logicalDpiX());
    QPainter painter;
    if (!painter.begin(&generator))
        return {};
    if (auto *simplex = qobject_cast<chart::SimplexChart *>(chart))
        simplex->render(painter, simplex->size());
    else
        chart->render(&painter);
    painter.end();
    return buffer.data();
}

// A straight segment of the drawing: <polyline points="x1,y1 x2,y2 "/>.
struct Segment {
    QString from;
    QString to;
};

std::optional<Segment> segmentOf(const QXmlStreamReader &xml)
{
    if (xml.name() != QLatin1String("polyline"))
        return std::nullopt;
    const QStringList points = xml.attributes()
                                   .value(QLatin1String("points"))
                                   .toString()
                                   .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (points.size() != 2)
        return std::nullopt;
    return Segment{points.at(0), points.at(1)};
}

// Qt Charts draws a solid line one segment at a time; the drawing gets each
// unbroken run of segments as one path, as it gets the dashed lines.
class SegmentJoiner {
public:
    explicit SegmentJoiner(QXmlStreamWriter &out) : m_out(out) {}

    // Takes the segment when it continues the run (or starts one); false
    // when the element is no segment.
    bool take(const QXmlStreamReader &xml)
    {
        const std::optional<Segment> segment = segmentOf(xml);
        if (!segment)
            return false;
        if (!m_points.isEmpty() && m_points.last() != segment->from)
            flush();
        if (m_points.isEmpty())
            m_points.append(segment->from);
        m_points.append(segment->to);
        return true;
    }
    bool pending() const { return !m_points.isEmpty(); }
    void flush()
    {
        if (m_points.isEmpty())
            return;
        QString path = QLatin1Char('M') + m_points.first();
        for (qsizetype i = 1; i < m_points.size(); ++i)
            path += QStringLiteral(" L") + m_points.at(i);
        m_out.writeEmptyElement(QStringLiteral("path"));
        m_out.writeAttribute(QStringLiteral("fill"), QStringLiteral("none"));
        m_out.writeAttribute(QStringLiteral("vector-effect"), QStringLiteral("none"));
        m_out.writeAttribute(QStringLiteral("d"), path);
        m_points.clear();
    }

private:
    QXmlStreamWriter &m_out;
    QStringList m_points;
};

// The drawing with each run of joined segments as one path; an unreadable
// drawing stays as it is.
QByteArray joinSegments(const QByteArray &svg)
{
    QByteArray joined;
    QXmlStreamReader in(svg);
    // Copied as written: names with their prefixes, xmlns attributes as they
    // stand, so nothing gets renamed.
    in.setNamespaceProcessing(false);
    QXmlStreamWriter out(&joined);
    SegmentJoiner joiner(out);
    bool skipEnd = false;
    while (!in.atEnd()) {
        in.readNext();
        if (in.isStartElement() && joiner.take(in)) {
            skipEnd = true;
            continue;
        }
        if (in.isEndElement() && skipEnd) {
            skipEnd = false;
            continue;
        }
        // The blanks between two segments do not break their run.
        if (in.isWhitespace() && joiner.pending())
            continue;
        joiner.flush();
        out.writeCurrentToken(in);
    }
    return in.hasError() ? svg : joined;
}

// --- the report ---

// The report's numbers: 10 significant digits with the user's decimal
// separator; the CSV holds every digit.
QString reportNumber(long double value)
{
    char buffer[48];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::general, 10);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    text.replace(QLatin1Char('.'), text::decimalSeparator());
    return text;
}

QFont reportFont(qreal points, bool bold = false)
{
    QFont font = QApplication::font();
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Which table rows the report shows: all when they fit, else the first and
// the last kReportEndRows with a gap row (-1) between them.
QList<int> reportRows(int count)
{
    QList<int> rows;
    if (count <= 2 * kReportEndRows) {
        for (int r = 0; r < count; ++r)
            rows.append(r);
        return rows;
    }
    for (int r = 0; r < kReportEndRows; ++r)
        rows.append(r);
    rows.append(-1);
    for (int r = count - kReportEndRows; r < count; ++r)
        rows.append(r);
    return rows;
}

class ReportPainter {
public:
    ReportPainter(QPainter &painter, QRectF page) : m_painter(painter), m_page(page) {}

    void title(const QString &text);
    void inputs(const QList<QPair<QString, QString>> &inputs);
    void charts(const QList<ChartPage> &pages, qreal bottom);
    qreal tableHeight(const RunTable &table) const;
    void table(const RunTable &table);

    qreal y() const { return m_y; }

private:
    static constexpr qreal kGap = 10;
    static constexpr qreal kTablePoints = 7.5;
    static constexpr qreal kNotePoints = 6.5;

    qreal lineHeight(const QFont &font) const
    {
        return QFontMetricsF(font, m_painter.device()).height() * 1.1;
    }
    void drawChart(const ChartPage &page, const QRectF &cell);
    static QFont captionFont() { return reportFont(8, true); }

    QPainter &m_painter;
    QRectF m_page;
    qreal m_y = 0;
};

void ReportPainter::title(const QString &text)
{
    const QFont font = reportFont(14, true);
    m_painter.setFont(font);
    QRectF bounds;
    m_painter.drawText(QRectF(m_page.left(), m_y, m_page.width(), m_page.height()),
                       Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text, &bounds);
    m_y += bounds.height() + kGap;
}

// Name: value pairs in three columns, filled column by column.
void ReportPainter::inputs(const QList<QPair<QString, QString>> &inputs)
{
    constexpr int kColumns = 3;
    const QFont font = reportFont(9);
    m_painter.setFont(font);
    const qreal line = lineHeight(font);
    const int rows = int((inputs.size() + kColumns - 1) / kColumns);
    const qreal width = m_page.width() / kColumns;
    for (int i = 0; i < inputs.size(); ++i) {
        const QRectF cell(m_page.left() + (i / rows) * width, m_y + (i % rows) * line, width, line);
        m_painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter,
                           inputs.at(i).first + QStringLiteral(": ") + inputs.at(i).second);
    }
    m_y += rows * line + kGap;
}

// The charts two to a row in the room above `bottom`, each under its page's
// title, scaled to fit its cell and keeping its proportions.
void ReportPainter::charts(const QList<ChartPage> &pages, qreal bottom)
{
    if (pages.isEmpty())
        return;
    const int columns = pages.size() > 1 ? 2 : 1;
    const int rows = int((pages.size() + columns - 1) / columns);
    const qreal cellWidth = (m_page.width() - (columns - 1) * kGap) / columns;
    // No taller than a chart of the cell's width needs.
    const QSize size = pages.first().chart->size();
    const qreal needed = lineHeight(captionFont())
                         + (size.isEmpty() ? 0 : cellWidth * size.height() / size.width());
    const qreal cellHeight = std::min(needed, (bottom - m_y - rows * kGap) / rows);
    if (cellHeight <= 0)
        return;
    for (int i = 0; i < pages.size(); ++i) {
        const QRectF cell(m_page.left() + (i % columns) * (cellWidth + kGap),
                          m_y + (i / columns) * (cellHeight + kGap), cellWidth, cellHeight);
        drawChart(pages.at(i), cell);
    }
    m_y += rows * (cellHeight + kGap);
}

void ReportPainter::drawChart(const ChartPage &page, const QRectF &cell)
{
    const QFont font = captionFont();
    const qreal captionHeight = lineHeight(font);
    m_painter.setFont(font);
    m_painter.drawText(QRectF(cell.left(), cell.top(), cell.width(), captionHeight),
                       Qt::AlignHCenter | Qt::AlignVCenter, page.title);
    const QSize size = page.chart->size();
    const qreal room = cell.height() - captionHeight;
    if (size.isEmpty() || room <= 0)
        return;
    const qreal scale = std::min(cell.width() / size.width(), room / size.height());
    const QSizeF drawn = QSizeF(size) * scale;
    const QRectF target(QPointF(cell.left() + (cell.width() - drawn.width()) / 2,
                                cell.top() + captionHeight),
                        drawn);
    // Through the drawing: a chart rendered straight onto a scaled page
    // loses parts of its legend.
    QSvgRenderer drawing(joinSegments(renderSvg(page.chart)));
    drawing.render(&m_painter, target);
}

qreal ReportPainter::tableHeight(const RunTable &table) const
{
    const qsizetype lines = reportRows(table.rowCount()).size() + 1;
    return lines * lineHeight(reportFont(kTablePoints)) + lineHeight(reportFont(kNotePoints))
           + kGap;
}

// The header and the shown rows as texts, "\u2026" across a gap row.
QList<QStringList> tableTexts(const RunTable &table)
{
    QList<QStringList> texts{table.header};
    for (const int row : reportRows(table.rowCount())) {
        QStringList line;
        for (int c = 0; c < table.columnCount(); ++c)
            line.append(row < 0 ? QStringLiteral("\u2026") : reportNumber(table.at(row, c)));
        texts.append(line);
    }
    return texts;
}

// Each column as wide as its widest text in `font` (the header in bold).
QList<qreal> columnWidths(const QList<QStringList> &texts, QFont font, const QPaintDevice *device)
{
    QList<qreal> widths(texts.first().size(), 0.0);
    QFont bold = font;
    bold.setBold(true);
    const QFontMetricsF plain(font, device);
    const QFontMetricsF header(bold, device);
    for (qsizetype r = 0; r < texts.size(); ++r) {
        for (qsizetype c = 0; c < widths.size(); ++c) {
            const QFontMetricsF &metrics = r == 0 ? header : plain;
            widths[c] = std::max(widths[c], metrics.horizontalAdvance(texts.at(r).at(c)));
        }
    }
    return widths;
}

// The table right-aligned in columns as wide as their texts, the room left
// shared out; a smaller font when the texts are wider than the page.
void ReportPainter::table(const RunTable &table)
{
    if (table.columnCount() == 0)
        return;
    constexpr qreal kPadding = 8;
    const QList<QStringList> texts = tableTexts(table);
    QFont font = reportFont(kTablePoints);
    QList<qreal> widths = columnWidths(texts, font, m_painter.device());
    const auto total = [&] {
        qreal sum = 0;
        for (const qreal w : widths)
            sum += w + kPadding;
        return sum;
    };
    if (total() > m_page.width()) {
        font.setPointSizeF(kTablePoints * m_page.width() / total());
        widths = columnWidths(texts, font, m_painter.device());
    }
    const qreal spare = std::max<qreal>(0, (m_page.width() - total()) / widths.size());
    QFont bold = font;
    bold.setBold(true);
    const qreal line = lineHeight(font);
    for (qsizetype r = 0; r < texts.size(); ++r) {
        m_painter.setFont(r == 0 ? bold : font);
        qreal left = m_page.left();
        for (qsizetype c = 0; c < widths.size(); ++c) {
            left += widths.at(c) + kPadding + spare;
            const QRectF cell(left - kPadding / 2 - widths.at(c) - spare, m_y,
                              widths.at(c) + spare, line);
            m_painter.drawText(cell, Qt::AlignRight | Qt::AlignVCenter, texts.at(r).at(c));
        }
        m_y += line;
        if (r == 0)
            m_painter.drawLine(QPointF(m_page.left(), m_y), QPointF(m_page.right(), m_y));
    }
    const QFont note = reportFont(kNotePoints);
    m_painter.setFont(note);
    m_painter.setPen(Qt::darkGray);
    m_painter.drawText(QRectF(m_page.left(), m_y, m_page.width(), lineHeight(note)),
                       Qt::AlignLeft | Qt::AlignVCenter,
                       QStringLiteral("Numbers to 10 significant digits; the table saved as "
                                      "CSV holds every digit."));
    m_painter.setPen(Qt::black);
    m_y += lineHeight(note);
}

} // namespace

QString exportFilter(ExportFormat format)
{
    return QString::fromLatin1(info(format).filter);
}

QString exportSuffix(ExportFormat format)
{
    return QString::fromLatin1(info(format).suffix);
}

QStringList exportFilters(const QList<ExportFormat> &formats)
{
    QStringList filters;
    for (const ExportFormat format : formats)
        filters.append(exportFilter(format));
    return filters;
}

ExportFormat exportFormatFor(const QString &path, const QString &filter, ExportFormat fallback)
{
    const FormatInfo *byFilter = nullptr;
    for (const FormatInfo &entry : kFormats) {
        if (filter == QLatin1String(entry.filter))
            byFilter = &entry;
    }
    const FormatInfo *bySuffix = infoForSuffix(path);
    const bool filterHasSuffix =
        byFilter && bySuffix && QLatin1String(byFilter->suffix) == QLatin1String(bySuffix->suffix);
    if (bySuffix && !filterHasSuffix)
        return bySuffix->format;
    return byFilter ? byFilter->format : fallback;
}

QString exportFileName(const QString &stem, const QDateTime &when, ExportFormat format)
{
    return stem + QLatin1Char('-') + when.toString(QStringLiteral("yyyy-MM-dd-HHmm"))
           + QLatin1Char('.') + exportSuffix(format);
}

QImage chartImage(QWidget *chart)
{
    return chart->grab().toImage();
}

bool writeTableCsv(const RunTable &table, QIODevice &device, QString &)
{
    const QByteArray bytes = tableCsv(table);
    // A short write leaves the device in error; the save reports it.
    return device.write(bytes) == bytes.size();
}

bool writeChartPng(QWidget *chart, QIODevice &device, QString &reason)
{
    if (chartImage(chart).save(&device, "PNG"))
        return true;
    reason = QStringLiteral("the picture could not be written");
    return false;
}

bool writeChartSvg(QWidget *chart, QIODevice &device, QString &reason)
{
    const QByteArray svg = renderSvg(chart);
    if (svg.isEmpty()) {
        reason = QStringLiteral("the drawing could not be made");
        return false;
    }
    const QByteArray joined = joinSegments(svg);
    return device.write(joined) == joined.size();
}

bool writeRunReport(const RunTable &table, const QList<ChartPage> &pages, QIODevice &device,
                    QString &reason)
{
    // The page's units are the screen's pixels, so that the charts' texts
    // keep their sizes against the charts' lines.
    const int dpi = pages.isEmpty() ? 96 : pages.first().chart->logicalDpiY();
    QPdfWriter writer(&device);
    writer.setResolution(dpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    writer.setTitle(table.title);
    writer.setCreator(QStringLiteral("MORVA 99"));

    // Every chart at the size of the one on the visible page.
    const chart::Chart *shown = nullptr;
    for (const ChartPage &page : pages) {
        if (page.chart->isVisible()) {
            shown = page.chart;
            break;
        }
    }
    for (const ChartPage &page : pages)
        matchSize(page.chart, shown);

    QPainter painter;
    if (!painter.begin(&writer)) {
        reason = QStringLiteral("the report could not be started");
        return false;
    }
    const QRect page = writer.pageLayout().paintRectPixels(dpi);
    ReportPainter report(painter, QRectF(0, 0, page.width(), page.height()));
    report.title(table.title);
    report.inputs(table.inputs);
    report.charts(pages, page.height() - report.tableHeight(table));
    report.table(table);
    painter.end();
    return true;
}

} // namespace morva
