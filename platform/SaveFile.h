#ifndef MORVA_PLATFORM_SAVEFILE_H
#define MORVA_PLATFORM_SAVEFILE_H

// Writing a file so that it is complete or untouched: the content goes to a
// temporary file beside the target, which replaces the target only once all
// of it is written. A failure shows one error box naming the file and the
// reason, and leaves an earlier file of that name as it was.

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;
class QWidget;

namespace morva {

// Writes the content into `device` (a buffer in memory); returns false and
// sets `reason` when it cannot.
using FileWriter = std::function<bool(QIODevice &device, QString &reason)>;

// Hands the content to `piece` in pieces, straight to the file: for
// content too large to be made in memory first. `piece` returns false when
// the file could not take a piece; the writer then stops and returns false.
using PieceWriter = std::function<bool(const std::function<bool(const QByteArray &)> &piece,
                                       QString &reason)>;

// Saves through `write` at `path`. On failure shows, through the desktop
// seam, `Could not save "<path>": <reason>` and returns false.
bool saveFile(QWidget *parent, const QString &path, const FileWriter &write);

// saveFile for content written piece by piece: the file is still complete
// or untouched.
bool saveFileInPieces(QWidget *parent, const QString &path, const PieceWriter &write);

// The error text for a failed save.
QString saveErrorText(const QString &path, const QString &reason);

} // namespace morva

#endif
