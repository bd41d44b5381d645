#ifndef MORVA_MODELS_RUNTABLE_H
#define MORVA_MODELS_RUNTABLE_H

// The results of one run as other programs take them: the window's title, the
// inputs as name/value pairs (the values as the fields showed them), a header
// and one row of full-precision numbers per stored generation; and the two
// texts written from it, tab-separated for the clipboard and CSV for files.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

namespace morva {

// A row of a table: one value per header entry.
using RowSink = std::function<void(const std::vector<long double> &row)>;
// Hands rows to a sink one by one, in order.
using RowSource = std::function<void(const RowSink &row)>;

struct RunTable {
    // The window's caption without its surrounding blanks.
    QString title;
    // The start of the file names proposed for it: "selection-2-alleles".
    QString fileStem;
    QList<QPair<QString, QString>> inputs;
    // Lines about the run as a whole (its equilibria), written as "# " comment
    // lines after the inputs.
    QStringList notes;
    QStringList header;
    // Row after row, header.size() values each.
    std::vector<long double> values;
    // When the rows hold a sample of the run's generations: which ones
    // (generationsShownText), written as a "# generations shown: " comment
    // line after the notes; empty when they hold every one.
    QString generationsShown;
    // The same run again with every generation, row by row in the header's
    // columns; none when the rows hold every generation or the window
    // cannot give them.
    RowSource everyGeneration;

    int columnCount() const { return static_cast<int>(header.size()); }
    int rowCount() const;
    long double at(int row, int column) const;
    // Appends a row; it must have one value per header entry.
    void appendRow(std::initializer_list<long double> row);
};

// Which generations an ascending list from 0 holds, in words: "0 to 1000
// every generation, then every 1000th to 1000000"; spacings that vary
// read "then 1001 more to 1000000, 998 to 999 apart"; "every generation 0
// to 30" when none is left out.
QString generationsShownText(const std::vector<std::int32_t> &generations);

// Tab-separated text: one "name<TAB>value" line per input, one "# " line per
// note, a blank line, the header and the rows; lines end in "\n".
QString tableTsv(const RunTable &table);

// RFC 4180 CSV in UTF-8: one "# name,value" comment line per input and one
// "# note" line per note (a single field), then the header and the rows, fields quoted where they
// must be, lines ending in CR LF.
QByteArray tableCsv(const RunTable &table);

// tableCsv of the run with every generation: the same comment lines (less
// the generations shown) and header, then each row of
// table.everyGeneration, handed to `write` in pieces of about a megabyte.
// Once `write` refuses a piece, nothing more is handed to it and the result
// is false; false also when the table has no such rows.
bool everyGenerationCsv(const RunTable &table,
                        const std::function<bool(const QByteArray &)> &write);

} // namespace morva

#endif
