#include "models/frame/RunTable.h"

#include "platform/ExportText.h"

#include <algorithm>
#include <limits>
#include <string>
#include <string_view>

namespace morva {

namespace {

// What one format writes between fields and at line ends, and how it keeps
// a field's text intact.
struct Dialect {
    char separator;
    std::string_view lineEnd;
    void (*appendField)(std::string &out, const QString &text);
};

void appendPlain(std::string &out, const QString &text)
{
    // Tabs and line breaks would split the field; the names and field
    // texts hold none, so blanks stand in for any that turn up.
    QString clean = text;
    for (QChar &c : clean) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    out += clean.toStdString();
}

// RFC 4180: a field with a comma, a quote or a line break is quoted, and
// its quotes doubled.
void appendQuoted(std::string &out, const QString &text)
{
    const std::string utf8 = text.toStdString();
    if (utf8.find_first_of(",\"\r\n") == std::string::npos) {
        out += utf8;
        return;
    }
    out.push_back('"');
    for (const char c : utf8) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

constexpr Dialect kTsv{'\t', "\n", &appendPlain};
constexpr Dialect kCsv{',', "\r\n", &appendQuoted};

void appendHeader(std::string &out, const RunTable &table, const Dialect &dialect)
{
    for (int c = 0; c < table.columnCount(); ++c) {
        if (c > 0)
            out.push_back(dialect.separator);
        dialect.appendField(out, table.header.at(c));
    }
    out += dialect.lineEnd;
}

// Values row after row, `columns` to a row.
void appendRows(std::string &out, const long double *values, std::size_t count,
                std::size_t columns, const Dialect &dialect)
{
    for (std::size_t i = 0; i < count; ++i) {
        text::appendExportNumber(out, values[i]);
        out += (i + 1) % columns == 0 ? dialect.lineEnd : std::string_view(&dialect.separator, 1);
    }
}

void appendHeaderAndRows(std::string &out, const RunTable &table, const Dialect &dialect)
{
    appendHeader(out, table, dialect);
    appendRows(out, table.values.data(), table.values.size(), table.header.size(), dialect);
}

// The notes and, when asked, the line of the generations shown.
QStringList notesOf(const RunTable &table, bool withShown)
{
    QStringList notes = table.notes;
    if (withShown && !table.generationsShown.isEmpty())
        notes << QStringLiteral("generations shown: ") + table.generationsShown;
    return notes;
}

// The CSV's comment lines: inputs, notes and, when asked, the generations
// shown.
void appendCsvComments(std::string &out, const RunTable &table, bool withShown)
{
    for (const auto &[name, value] : table.inputs) {
        out += "# ";
        appendQuoted(out, name);
        out.push_back(',');
        appendQuoted(out, value);
        out += "\r\n";
    }
    for (const QString &note : notesOf(table, withShown)) {
        out += "# ";
        appendQuoted(out, note);
        out += "\r\n";
    }
}

QString ordinal(std::int64_t n)
{
    const std::int64_t tens = n % 100;
    const char *suffix = "th";
    if (tens < 11 || tens > 13) {
        switch (n % 10) {
        case 1: suffix = "st"; break;
        case 2: suffix = "nd"; break;
        case 3: suffix = "rd"; break;
        default: break;
        }
    }
    return QString::number(n) + QLatin1String(suffix);
}

std::string reserved(const RunTable &table)
{
    std::string out;
    // About 24 characters a value; one allocation for the whole text.
    out.reserve(table.values.size() * 24 + 64 * (table.inputs.size() + 1));
    return out;
}

} // namespace

int RunTable::rowCount() const
{
    return header.isEmpty() ? 0 : static_cast<int>(values.size() / header.size());
}

long double RunTable::at(int row, int column) const
{
    return values.at(static_cast<std::size_t>(row) * header.size()
                     + static_cast<std::size_t>(column));
}

void RunTable::appendRow(std::initializer_list<long double> row)
{
    Q_ASSERT(row.size() == static_cast<std::size_t>(header.size()));
    values.insert(values.end(), row);
}

QString tableTsv(const RunTable &table)
{
    std::string out = reserved(table);
    for (const auto &[name, value] : table.inputs) {
        appendPlain(out, name);
        out.push_back('\t');
        appendPlain(out, value);
        out.push_back('\n');
    }
    for (const QString &note : notesOf(table, true)) {
        out += "# ";
        appendPlain(out, note);
        out.push_back('\n');
    }
    out.push_back('\n');
    appendHeaderAndRows(out, table, kTsv);
    return QString::fromStdString(out);
}

QByteArray tableCsv(const RunTable &table)
{
    std::string out = reserved(table);
    appendCsvComments(out, table, true);
    appendHeaderAndRows(out, table, kCsv);
    return QByteArray::fromStdString(out);
}

bool everyGenerationCsv(const RunTable &table,
                        const std::function<bool(const QByteArray &)> &write)
{
    if (!table.everyGeneration || table.header.isEmpty())
        return false;
    constexpr std::size_t kPiece = std::size_t(1) << 20;
    std::string out;
    out.reserve(kPiece + 4096);
    appendCsvComments(out, table, false);
    appendHeader(out, table, kCsv);
    bool written = true;
    const auto flush = [&] {
        written = written && write(QByteArray(out.data(), qsizetype(out.size())));
        out.clear();
    };
    const std::size_t columns = table.header.size();
    table.everyGeneration([&](const std::vector<long double> &row) {
        if (!written)
            return;
        Q_ASSERT(row.size() == columns);
        appendRows(out, row.data(), std::min(row.size(), columns), columns, kCsv);
        if (out.size() >= kPiece)
            flush();
    });
    if (written)
        flush();
    return written;
}

QString generationsShownText(const std::vector<std::int32_t> &generations)
{
    if (generations.empty())
        return {};
    // The generations 0..lead are all there.
    std::size_t lead = 0;
    while (lead + 1 < generations.size() && generations[lead + 1] == std::int32_t(lead + 1))
        ++lead;
    const std::int32_t last = generations.back();
    if (lead + 1 == generations.size())
        return QStringLiteral("every generation 0 to %1").arg(last);
    QString text = lead == 0 ? QStringLiteral("0")
                             : QStringLiteral("0 to %1 every generation").arg(lead);
    std::int64_t narrowest = std::numeric_limits<std::int64_t>::max();
    std::int64_t widest = 0;
    for (std::size_t i = lead; i + 1 < generations.size(); ++i) {
        const std::int64_t gap = std::int64_t(generations[i + 1]) - generations[i];
        narrowest = std::min(narrowest, gap);
        widest = std::max(widest, gap);
    }
    if (narrowest == widest)
        return text + QStringLiteral(", then every %1 to %2").arg(ordinal(narrowest)).arg(last);
    return text
           + QStringLiteral(", then %1 more to %2, %3 to %4 apart")
                 .arg(generations.size() - 1 - lead)
                 .arg(last)
                 .arg(narrowest)
                 .arg(widest);
}

} // namespace morva
