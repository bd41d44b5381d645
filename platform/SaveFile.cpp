#include "platform/SaveFile.h"

#include "platform/Application.h"
#include "platform/Desktop.h"

#include <QBuffer>
#include <QDir>
#include <QSaveFile>

namespace morva {

namespace {

// The content is made in memory first: the file then gets it in writes that
// go on after a short one, so a full disk reports its own reason.
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

// Writes and commits; false with the reason of the first failure.
bool writeThrough(const QString &path, const FileWriter &write, QString &reason)
{
    QBuffer content;
    content.open(QIODevice::WriteOnly);
    if (!write(content, reason)) {
        if (reason.isEmpty())
            reason = QStringLiteral("the content could not be made");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
        return false;
    }
    // Closing the file in commit() forgets why a write failed: take the
    // reason while it is known.
    if (!writeAll(file, content.data())) {
        reason = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        reason = file.errorString();
        return false;
    }
    return true;
}

} // namespace

QString saveErrorText(const QString &path, const QString &reason)
{
    return QStringLiteral("Could not save \"%1\": %2").arg(QDir::toNativeSeparators(path), reason);
}

bool saveFile(QWidget *parent, const QString &path, const FileWriter &write)
{
    QString reason;
    if (writeThrough(path, write, reason))
        return true;
    desktop().showMessage(parent, MessageIcon::Error, QString::fromLatin1(kApplicationTitle),
                          saveErrorText(path, reason.isEmpty() ? QStringLiteral("unknown error")
                                                               : reason));
    return false;
}

} // namespace morva
