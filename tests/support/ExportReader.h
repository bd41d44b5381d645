#ifndef MORVA_TESTS_SUPPORT_EXPORTREADER_H
#define MORVA_TESTS_SUPPORT_EXPORTREADER_H

// A small reader of what the program exports, written apart from the
// writers: numbers read with strtold in the C locale (as a spreadsheet or a
// script reads them), tab-separated clipboard text, and RFC 4180 CSV with
// "#" comment lines. Bit-for-bit comparison of 80-bit values.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <optional>
#include <string>

namespace morva::test {

// The 80 bits of a long double (the padding bytes ignored).
inline bool sameBits80(long double a, long double b)
{
    return std::memcmp(&a, &b, 10) == 0;
}

// The whole text as a number; nullopt when anything is left over.
inline std::optional<long double> readNumber(const QString &text)
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    const std::string s = text.toStdString();
    if (s.empty())
        return std::nullopt;
    char *end = nullptr;
    const long double value = strtold_l(s.c_str(), &end, c);
    if (end != s.c_str() + s.size())
        return std::nullopt;
    return value;
}

// A table read back: the leading name/value pairs, the header and the rows.
struct ReadTable {
    QList<QStringList> inputs;
    QStringList notes;
    QStringList header;
    QList<QStringList> rows;
};

// Clipboard text: "name<TAB>value" lines and "# note" lines, one blank line,
// then the header
// and the rows, "\n" at each line's end.
inline ReadTable readTsv(const QString &text)
{
    ReadTable table;
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    const qsizetype blank = lines.indexOf(QString());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringList fields = lines.at(i).split(QLatin1Char('\t'));
        if (i < blank && lines.at(i).startsWith(QLatin1String("# ")))
            table.notes.append(lines.at(i).mid(2));
        else if (i < blank)
            table.inputs.append(fields);
        else if (i == blank + 1)
            table.header = fields;
        else if (i > blank + 1)
            table.rows.append(fields);
    }
    return table;
}

// RFC 4180 records (quoted fields may hold commas, quotes and line breaks);
// records whose line starts with "#" are comments, read after the "# " as
// "name,value" (an input) or as one field (a note). Fails (empty table) on a bare CR or LF, or on text after
// a closing quote.
inline std::optional<ReadTable> readCsv(const QByteArray &bytes)
{
    const QString text = QString::fromUtf8(bytes);
    QList<QStringList> records;
    QList<bool> comments;
    QStringList record;
    QString field;
    bool quoted = false;
    bool afterQuote = false;
    bool recordStart = true;
    bool comment = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (recordStart) {
            comment = c == QLatin1Char('#');
            recordStart = false;
            if (comment) {
                if (text.mid(i, 2) != QLatin1String("# "))
                    return std::nullopt;
                ++i;
                continue;
            }
        }
        if (quoted) {
            if (c != QLatin1Char('"')) {
                field.append(c);
            } else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                field.append(text.at(++i));
            } else {
                quoted = false;
                afterQuote = true;
            }
            continue;
        }
        if (c == QLatin1Char('"') && field.isEmpty() && !afterQuote) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            record.append(field);
            field.clear();
            afterQuote = false;
        } else if (c == QLatin1Char('\r')) {
            if (i + 1 >= text.size() || text.at(i + 1) != QLatin1Char('\n'))
                return std::nullopt;
            ++i;
            record.append(field);
            records.append(record);
            comments.append(comment);
            record.clear();
            field.clear();
            afterQuote = false;
            recordStart = true;
        } else if (c == QLatin1Char('\n') || afterQuote) {
            return std::nullopt;
        } else {
            field.append(c);
        }
    }
    if (quoted || !recordStart)
        return std::nullopt;
    ReadTable table;
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (comments.at(i) && records.at(i).size() == 1)
            table.notes.append(records.at(i).first());
        else if (comments.at(i))
            table.inputs.append(records.at(i));
        else if (table.header.isEmpty())
            table.header = records.at(i);
        else
            table.rows.append(records.at(i));
    }
    return table;
}

} // namespace morva::test

#endif
