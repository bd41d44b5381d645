#ifndef MORVA_SHELL_COMMANDLINE_H
#define MORVA_SHELL_COMMANDLINE_H

// The program's command line:
//   morva99 [FILE.morva]                         the program with that setup open
//   morva99 --list-models                        each catalogue id and tree path
//   morva99 --model ID [--set NAME=TEXT]... --output FILE
//   morva99 --batch FILE.morva [--set NAME=TEXT]... --output FILE
// The two batch forms run the model without showing a window and write FILE
// by its extension (.csv .tsv .png .svg .pdf .morva). Exit status: 0 done,
// 2 bad input (one line on standard error naming the file, field or option
// and the problem; no output written), 1 the output could not be written.

#include <QString>
#include <QStringList>

class QTextStream;

namespace morva::shell {

inline constexpr int kExitDone = 0;
inline constexpr int kExitWriteFailed = 1;
inline constexpr int kExitBadInput = 2;
// runCommandLine's answer when the program is to start its windows.
inline constexpr int kStartWindows = -1;

// Whether the arguments ask for a mode that shows no window (a batch run,
// the model list, help or version): the program then picks the offscreen
// platform before its application object exists, so no display is needed.
bool runsWithoutWindows(int argc, const char *const *argv);

// What a batch run is asked to do.
struct BatchRequest {
    QString setupPath;     // --batch
    QString modelId;       // --model
    QStringList sets;      // each --set NAME=TEXT
    QString output;
};

// Runs a batch request (needs the application object); on failure `error`
// is the line for standard error. Returns the exit status.
int runBatch(const BatchRequest &request, QString &error);

// Handles the command line (the program's name first). Prints to `out` and
// `err` and returns the exit status, or kStartWindows with `setupToOpen` set
// to the setup named, if any, when the windows are to start.
int runCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err,
                   QString &setupToOpen);

} // namespace morva::shell

#endif
