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

#include <initializer_list>
#include <vector>

namespace morva {

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

    int columnCount() const { return static_cast<int>(header.size()); }
    int rowCount() const;
    long double at(int row, int column) const;
    // Appends a row; it must have one value per header entry.
    void appendRow(std::initializer_list<long double> row);
};

// Tab-separated text: one "name<TAB>value" line per input, one "# " line per
// note, a blank line, the header and the rows; lines end in "\n".
QString tableTsv(const RunTable &table);

// RFC 4180 CSV in UTF-8: one "# name,value" comment line per input and one
// "# note" line per note (a single field), then the header and the rows, fields quoted where they
// must be, lines ending in CR LF.
QByteArray tableCsv(const RunTable &table);

} // namespace morva

#endif
