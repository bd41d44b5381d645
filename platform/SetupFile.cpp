#include "platform/SetupFile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <algorithm>
#include <cmath>

namespace morva {

namespace {

const QLatin1String kFormatKey("format");
const QLatin1String kVersionKey("version");
const QLatin1String kModelKey("model");
const QLatin1String kInputsKey("inputs");
const QLatin1String kPageKey("page");
const QLatin1String kKeptRunsKey("keptRuns");
const QLatin1String kNoteKey("note");

QJsonObject inputsObject(const SetupInputs &inputs)
{
    QJsonObject object;
    for (const auto &[name, text] : inputs)
        object.insert(name, text);
    return object;
}

// Line and column (both from 1) of a byte offset.
QString placeOf(const QByteArray &bytes, qsizetype offset)
{
    offset = std::clamp<qsizetype>(offset, 0, bytes.size());
    const QByteArrayView before(bytes.constData(), offset);
    const qsizetype line = before.count('\n') + 1;
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    return QStringLiteral("line %1, column %2").arg(line).arg(offset - lineStart + 1);
}

bool readInputs(const QJsonValue &value, const QString &where, SetupInputs &inputs,
                QString &problem)
{
    if (!value.isObject()) {
        problem = QStringLiteral("%1 is not a JSON object").arg(where);
        return false;
    }
    const QJsonObject object = value.toObject();
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (!it.value().isString()) {
            problem = QStringLiteral("the value of \"%1\" in %2 is not a text in quotes")
                          .arg(it.key(), where);
            return false;
        }
        inputs.append({it.key(), it.value().toString()});
    }
    return true;
}

bool readOptionalText(const QJsonObject &root, QLatin1String key, QString &text,
                      QString &problem)
{
    const QJsonValue value = root.value(key);
    if (value.isUndefined() || value.isNull())
        return true;
    if (!value.isString()) {
        problem = QStringLiteral("\"%1\" is not a text in quotes").arg(key);
        return false;
    }
    text = value.toString();
    return true;
}

bool readVersion(const QJsonObject &root, QString &problem)
{
    const QJsonValue value = root.value(kVersionKey);
    const double version = value.toDouble(-1);
    if (!value.isDouble() || version != std::floor(version)) {
        problem = QStringLiteral("it has no format version (\"version\", a whole number)");
        return false;
    }
    if (version < 1 || version > kSetupVersion) {
        problem = QStringLiteral("it has format version %1; this program reads version %2")
                      .arg(version, 0, 'g', 16)
                      .arg(kSetupVersion);
        return false;
    }
    return true;
}

bool readKeptRuns(const QJsonObject &root, QList<SetupInputs> &runs, QString &problem)
{
    const QJsonValue value = root.value(kKeptRunsKey);
    if (value.isUndefined() || value.isNull())
        return true;
    if (!value.isArray()) {
        problem = QStringLiteral("\"keptRuns\" is not a JSON array");
        return false;
    }
    const QJsonArray array = value.toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        SetupInputs inputs;
        if (!readInputs(array.at(i), QStringLiteral("kept run %1").arg(i + 1), inputs, problem))
            return false;
        runs.append(inputs);
    }
    return true;
}

} // namespace

QByteArray setupJson(const SetupData &setup)
{
    QJsonObject root;
    root.insert(kFormatKey, QLatin1String(kSetupFormatName));
    root.insert(kVersionKey, kSetupVersion);
    root.insert(kModelKey, setup.model);
    root.insert(kInputsKey, inputsObject(setup.inputs));
    if (!setup.page.isEmpty())
        root.insert(kPageKey, setup.page);
    if (!setup.keptRuns.isEmpty()) {
        QJsonArray runs;
        for (const SetupInputs &run : setup.keptRuns)
            runs.append(inputsObject(run));
        root.insert(kKeptRunsKey, runs);
    }
    if (!setup.note.isEmpty())
        root.insert(kNoteKey, setup.note);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

int setupNoteLength(const QString &note)
{
    return int(note.toUcs4().size());
}

bool parseSetup(const QByteArray &bytes, SetupData &setup, QString &problem)
{
    if (bytes.size() > kSetupMaxBytes) {
        problem = QStringLiteral("the file is larger than 1 MB");
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        problem = QStringLiteral("not valid JSON: %1 at %2")
                      .arg(parseError.errorString(), placeOf(bytes, parseError.offset));
        return false;
    }
    const QJsonObject root = document.object();
    if (!document.isObject() || root.value(kFormatKey).toString() != QLatin1String(kSetupFormatName)) {
        problem = QStringLiteral("not a MORVA 99 setup (its \"format\" is not \"%1\")")
                      .arg(QLatin1String(kSetupFormatName));
        return false;
    }
    if (!readVersion(root, problem))
        return false;
    SetupData read;
    read.model = root.value(kModelKey).toString();
    if (read.model.isEmpty()) {
        problem = QStringLiteral("it names no model (\"model\")");
        return false;
    }
    if (!readInputs(root.value(kInputsKey), QStringLiteral("\"inputs\""), read.inputs, problem)
        || !readOptionalText(root, kPageKey, read.page, problem)
        || !readKeptRuns(root, read.keptRuns, problem)
        || !readOptionalText(root, kNoteKey, read.note, problem))
        return false;
    if (const int length = setupNoteLength(read.note); length > kSetupNoteMaxChars) {
        problem = QStringLiteral("the note has %1 characters; at most %2 are allowed")
                      .arg(length)
                      .arg(kSetupNoteMaxChars);
        return false;
    }
    setup = std::move(read);
    return true;
}

QString setupErrorText(const QString &path, const QString &problem)
{
    return QStringLiteral("\"%1\": %2").arg(QDir::toNativeSeparators(path), problem);
}

bool readSetupFile(const QString &path, SetupData &setup, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = setupErrorText(path, QStringLiteral("cannot read the file: ") + file.errorString());
        return false;
    }
    // One byte more than allowed tells a file that is too large without
    // reading all of it.
    const QByteArray bytes = file.read(kSetupMaxBytes + 1);
    QString problem;
    if (!parseSetup(bytes, setup, problem)) {
        error = setupErrorText(path, problem);
        return false;
    }
    return true;
}

} // namespace morva
