#include "platform/SaveFile.h"

#include "platform/Application.h"
#include "platform/Desktop.h"

#include <QBuffer>
#include <QDir>
#include <QSaveFile>

namespace morva {

namespace {

// A piece goes to the file in writes that go on after a short one, so a
// full disk reports its own reason.
bool writeAll(QSaveFile &file, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return file.flush();
}

// Opens the file, writes the pieces `write` hands on, and commits; false
// with the reason of the first failure.
bool writePieces(const QString &path, const PieceWriter &write, QString &reason)
{
    QSaveFile file(path);
    // Unbuffered: a buffered write that fails only on the flush loses its
    // reason ("Unknown error").
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        reason = file.errorString();
        return false;
    }
    // Closing the file in commit() forgets why a write failed: take the
    // reason while it is known.
    QString fileReason;
    const auto piece = [&file, &fileReason](const QByteArray &bytes) {
        if (writeAll(file, bytes))
            return true;
        fileReason = file.errorString();
        return false;
    };
    if (!write(piece, reason)) {
        if (!fileReason.isEmpty())
            reason = fileReason;
        else if (reason.isEmpty())
            reason = QStringLiteral("the content could not be made");
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        reason = file.errorString();
        return false;
    }
    return true;
}

// The content is made in memory in full, then written as one piece: a
// content that cannot be made leaves the file unopened.
bool writeThrough(const QString &path, const FileWriter &write, QString &reason)
{
    QBuffer content;
    content.open(QIODevice::WriteOnly);
    if (!write(content, reason)) {
        if (reason.isEmpty())
            reason = QStringLiteral("the content could not be made");
        return false;
    }
    return writePieces(path, [&content](const auto &piece, QString &) {
        return piece(content.data());
    }, reason);
}

bool report(QWidget *parent, const QString &path, const QString &reason)
{
    desktop().showMessage(parent, MessageIcon::Error, QString::fromLatin1(kApplicationTitle),
                          saveErrorText(path, reason.isEmpty() ? QStringLiteral("unknown error")
                                                               : reason));
    return false;
}

} // namespace

QString saveErrorText(const QString &path, const QString &reason)
{
    return QStringLiteral("Could not save \"%1\": %2").arg(QDir::toNativeSeparators(path), reason);
}

bool saveFile(QWidget *parent, const QString &path, const FileWriter &write)
{
    QString reason;
    return writeThrough(path, write, reason) || report(parent, path, reason);
}

bool saveFileInPieces(QWidget *parent, const QString &path, const PieceWriter &write)
{
    QString reason;
    return writePieces(path, write, reason) || report(parent, path, reason);
}

} // namespace morva
