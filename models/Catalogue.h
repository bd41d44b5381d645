#ifndef MORVA_MODELS_CATALOGUE_H
#define MORVA_MODELS_CATALOGUE_H

// The catalogue: every model of the program, once. Its place in the choice
// tree, the stable id that files and the command line name it by, the window
// that shows it, the base name of its exported files and its explanation
// page. The tree, the window factory, the export names, the tests' tables
// and the screenshot script all read it.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <vector>

class QMdiSubWindow;
class QObject;

namespace morva {

// Creates a model window; `handBack` is the hook its Cancel calls after the
// window closed.
using ModelWindowFactory = std::function<QMdiSubWindow *(std::function<void()> handBack)>;

struct CatalogueRow {
    QString id;                // stable: setup files, the command line
    QStringList treePath;      // the tree's node texts from the top, the leaf last
    QString windowName;        // the window's objectName
    QString fileStem;          // exported files: <stem>.csv, <stem>.png, ...
    ModelWindowFactory create;

    const QString &leaf() const { return treePath.constLast(); }
    // The page Help > About this model shows (HTML).
    QString explanation() const;
};

// Every model in the tree's order.
const std::vector<CatalogueRow> &modelCatalogue();

// The row with this id, of this window (by its objectName), or whose tree
// path is `path`; nullptr when there is none.
const CatalogueRow *catalogueRow(QStringView id);
const CatalogueRow *catalogueRowOfWindow(const QObject *window);
const CatalogueRow *catalogueRowAt(const QStringList &path);

} // namespace morva

#endif
