#include "models/frame/RunExport.h"

#include "controls/Chart.h"
#include "controls/SimplexChart.h"
#include "models/frame/RunTable.h"
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
    {ExportFormat::Setup, "Setup (*.morva)", "morva"},
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

// The report's unit is the point: a chart drawn at a page's size in these
// units writes its texts, which are set in pixels, a third larger than a
// 96-dpi screen shows them.
constexpr int kReportDpi = 72;

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

// A4 with margins of 15 mm.
QPageLayout reportLayout(QPageLayout::Orientation orientation)
{
    return QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF(15, 15, 15, 15),
                       QPageLayout::Millimeter);
}

QRectF paintRect(const QPdfWriter &writer)
{
    return QRectF(QPointF(0, 0), writer.pageLayout().paintRectPixels(kReportDpi).size());
}

// A chart page: its title and the report's above the chart, which is laid
// out and drawn at the size of the rest of the page.
void drawChartPage(QPainter &painter, const QRectF &page, const QString &reportTitle,
                   const ChartPage &chartPage)
{
    const QFont captionFont = reportFont(12, true);
    const QFontMetricsF caption(captionFont, painter.device());
    const QRectF captionRect(page.topLeft(), QSizeF(page.width(), caption.height()));
    painter.setFont(captionFont);
    painter.drawText(captionRect, Qt::AlignLeft | Qt::AlignVCenter, chartPage.title);
    painter.setFont(reportFont(9));
    painter.drawText(captionRect, Qt::AlignRight | Qt::AlignVCenter, reportTitle);
    constexpr qreal kGap = 8;
    const QRectF area = page.adjusted(0, captionRect.height() + kGap, 0, 0);
    if (auto *plain = qobject_cast<chart::Chart *>(chartPage.chart))
        plain->paintInto(painter, area);
    else if (auto *simplex = qobject_cast<chart::SimplexChart *>(chartPage.chart))
        simplex->paintInto(painter, area);
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
    QPdfWriter writer(&device);
    writer.setResolution(kReportDpi);
    writer.setPageLayout(reportLayout(QPageLayout::Portrait));
    writer.setTitle(table.title);
    writer.setCreator(QStringLiteral("MORVA 99"));

    QPainter painter;
    if (!painter.begin(&writer)) {
        reason = QStringLiteral("the report could not be started");
        return false;
    }
    ReportPainter report(painter, paintRect(writer));
    report.title(table.title);
    report.inputs(table.inputs);
    report.table(table);
    for (const ChartPage &page : pages) {
        writer.setPageLayout(reportLayout(QPageLayout::Landscape));
        if (!writer.newPage()) {
            reason = QStringLiteral("the report could not be continued");
            return false;
        }
        drawChartPage(painter, paintRect(writer), table.title, page);
    }
    painter.end();
    return true;
}

} // namespace morva
