#ifndef MORVA_PLATFORM_SETUPFILE_H
#define MORVA_PLATFORM_SETUPFILE_H

// A setup file (.morva) as data: which model, the inputs as their fields'
// texts, the chart page in view, the kept runs' inputs and a note. Reading
// treats the file as untrusted: size cap, JSON errors with line and column,
// the format name and version, and every value's type checked here, without
// any window; whether the model and fields exist and the texts fit them is
// for the window side (models/frame/Setup.h).

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace morva {

// Field name (object name or the name messages give it) and its text, in
// the file's order.
using SetupInputs = QList<QPair<QString, QString>>;

struct SetupData {
    QString model;                  // the catalogue id
    SetupInputs inputs;
    QString page;                   // the chart page's object name; empty: the first
    QList<SetupInputs> keptRuns;    // each kept run's inputs, oldest first
    QString note;                   // plain text for the students
};

inline constexpr qint64 kSetupMaxBytes = 1024 * 1024;
inline constexpr int kSetupNoteMaxChars = 4000;
inline constexpr int kSetupVersion = 1;
inline constexpr char kSetupFormatName[] = "MORVA 99 setup";
inline constexpr char kSetupSuffix[] = "morva";

// The length of a note as its limit counts it: in characters (code points).
int setupNoteLength(const QString &note);

// The JSON text of a setup, keys in a fixed order, indented for reading.
QByteArray setupJson(const SetupData &setup);

// Parses `bytes`; false with `problem` (what is wrong, in words that follow the file's name and a colon)
// when they are no setup this program reads. Unknown keys are ignored.
bool parseSetup(const QByteArray &bytes, SetupData &setup, QString &problem);

// Reads the file at `path` (at most kSetupMaxBytes) and parses it; false
// with `error` = `"<path>": <problem>` when it cannot.
bool readSetupFile(const QString &path, SetupData &setup, QString &error);

// `"<path>": <problem>`, the path in the system's separators.
QString setupErrorText(const QString &path, const QString &problem);

} // namespace morva

#endif
