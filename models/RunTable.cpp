#include "models/RunTable.h"

#include "platform/ExportText.h"

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

void appendHeaderAndRows(std::string &out, const RunTable &table, const Dialect &dialect)
{
    for (int c = 0; c < table.columnCount(); ++c) {
        if (c > 0)
            out.push_back(dialect.separator);
        dialect.appendField(out, table.header.at(c));
    }
    out += dialect.lineEnd;
    const std::size_t columns = table.header.size();
    for (std::size_t i = 0; i < table.values.size(); ++i) {
        text::appendExportNumber(out, table.values[i]);
        out += (i + 1) % columns == 0 ? dialect.lineEnd : std::string_view(&dialect.separator, 1);
    }
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
    for (const QString &note : table.notes) {
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
    for (const auto &[name, value] : table.inputs) {
        out += "# ";
        appendQuoted(out, name);
        out.push_back(',');
        appendQuoted(out, value);
        out += "\r\n";
    }
    for (const QString &note : table.notes) {
        out += "# ";
        appendQuoted(out, note);
        out += "\r\n";
    }
    appendHeaderAndRows(out, table, kCsv);
    return QByteArray::fromStdString(out);
}

} // namespace morva
