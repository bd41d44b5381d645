#include "shell/CommandLine.h"

#include "models/Catalogue.h"
#include "models/frame/ModelForm.h"
#include "models/frame/RunExport.h"
#include "models/frame/RunTable.h"
#include "models/frame/Setup.h"
#include "platform/Desktop.h"
#include "platform/SaveFile.h"
#include "platform/SetupFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QIODevice>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTextStream>

#include <cstring>
#include <optional>

namespace morva::shell {

namespace {

const char *const kShortHeadlessOptions[] = {"-h", "-?", "-v"};

// The desktop while a batch runs: every message box becomes a line kept for
// standard error; no dialog ever opens.
class BatchDesktop : public DesktopServices {
public:
    void beep() override {}
    void showMessage(QWidget *, MessageIcon, const QString &, const QString &text) override
    {
        messages.append(text);
    }
    bool numLockOn() const override { return false; }
    void openUrl(const QString &) override {}
    bool runPrintDialog(QWidget *, QPrinter &) override { return false; }
    SaveDialogAnswer runSaveDialog(QWidget *, const SaveDialogRequest &) override { return {}; }
    QString runOpenDialog(QWidget *, const SaveDialogRequest &) override { return {}; }

    QStringList messages;
};

// Installs a BatchDesktop for as long as it lives.
class DesktopInstall {
public:
    explicit DesktopInstall(DesktopServices *services) : m_previous(&desktop())
    {
        setDesktop(services);
    }
    ~DesktopInstall() { setDesktop(m_previous); }
    DesktopInstall(const DesktopInstall &) = delete;
    DesktopInstall &operator=(const DesktopInstall &) = delete;

private:
    DesktopServices *m_previous;
};

enum class Output { Csv, Tsv, Png, Svg, Pdf, Setup };

std::optional<Output> outputOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    static const QList<QPair<QString, Output>> kinds{
        {QStringLiteral("csv"), Output::Csv},  {QStringLiteral("tsv"), Output::Tsv},
        {QStringLiteral("png"), Output::Png},  {QStringLiteral("svg"), Output::Svg},
        {QStringLiteral("pdf"), Output::Pdf},  {QLatin1String(kSetupSuffix), Output::Setup}};
    for (const auto &[name, kind] : kinds) {
        if (suffix == name)
            return kind;
    }
    return std::nullopt;
}

// One line, whatever line breaks a window's message holds.
QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.simplified();
}

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

FileWriter bytesWriter(const QByteArray &bytes)
{
    return [bytes](QIODevice &device, QString &reason) {
        if (device.write(bytes) == bytes.size())
            return true;
        reason = device.errorString();
        return false;
    };
}

bool writeOutput(ModelForm *form, Output kind, const QString &path,
                 const QList<SetupInputs> &keptRuns)
{
    switch (kind) {
    case Output::Csv:
        return form->saveResults(path, ExportFormat::Table);
    case Output::Png:
        return form->saveResults(path, ExportFormat::Picture);
    case Output::Svg:
        return form->saveResults(path, ExportFormat::Drawing);
    case Output::Pdf:
        return form->saveResults(path, ExportFormat::Report);
    case Output::Tsv:
        return saveFile(form, path, bytesWriter(tableTsv(form->results()).toUtf8()));
    case Output::Setup: {
        SetupData setup = captureSetup(form);
        setup.keptRuns = keptRuns;
        return saveFile(form, path, bytesWriter(setupJson(setup)));
    }
    }
    return false;
}

// The --set options as inputs; false with `error` at the first that is not
// NAME=TEXT.
bool readSets(const QStringList &sets, SetupInputs &inputs, QString &error)
{
    for (const QString &set : sets) {
        const qsizetype equals = set.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            error = QStringLiteral("--set %1: expected NAME=TEXT").arg(quoted(set));
            return false;
        }
        inputs.append({set.left(equals).trimmed(), set.mid(equals + 1).trimmed()});
    }
    return true;
}

// The model's window, made but not shown, and what it is to be given.
struct Prepared {
    const CatalogueRow *row = nullptr;
    SetupData setup;
    QString source;   // what messages of the run are about
};

bool prepare(const BatchRequest &request, Prepared &prepared, QString &error)
{
    if (!request.setupPath.isEmpty()) {
        if (!readSetupFile(request.setupPath, prepared.setup, error))
            return false;
        prepared.row = catalogueRow(prepared.setup.model);
        prepared.source = quoted(request.setupPath);
        if (!prepared.row) {
            error = setupErrorText(request.setupPath,
                                   QStringLiteral("unknown model %1").arg(quoted(prepared.setup.model)));
            return false;
        }
        return true;
    }
    prepared.row = catalogueRow(request.modelId);
    prepared.source = QStringLiteral("--model ") + request.modelId;
    if (!prepared.row) {
        error = QStringLiteral("--model %1: unknown model (--list-models lists them)")
                    .arg(quoted(request.modelId));
        return false;
    }
    prepared.setup.model = prepared.row->id;
    return true;
}

} // namespace

// Every long option is one of ours (an unknown one ends in an error line,
// which needs no display either); of the short ones only help and version,
// so that the toolkit's own (-style, -platform) still reach the windows.
bool runsWithoutWindows(int argc, const char *const *argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--", 2) == 0 && argv[i][2] != '\0')
            return true;
        for (const char *option : kShortHeadlessOptions) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

int runBatch(const BatchRequest &request, QString &error)
{
    const std::optional<Output> kind = outputOf(request.output);
    if (request.output.isEmpty()) {
        error = QStringLiteral("--output: missing; name the file to write");
        return kExitBadInput;
    }
    if (!kind) {
        error = QStringLiteral("--output %1: unknown file type; use .csv, .tsv, .png, .svg, "
                               ".pdf or .morva")
                    .arg(quoted(request.output));
        return kExitBadInput;
    }
    Prepared prepared;
    SetupInputs sets;
    if (!prepare(request, prepared, error) || !readSets(request.sets, sets, error))
        return kExitBadInput;

    BatchDesktop batchDesktop;
    const DesktopInstall install(&batchDesktop);
    QPointer<QMdiSubWindow> window = prepared.row->create({});
    auto *form = qobject_cast<ModelForm *>(window.data());
    const auto done = [&window](int status) {
        delete window.data();
        return status;
    };
    if (!form) {
        error = prepared.source + QStringLiteral(": the model has no window");
        return done(kExitWriteFailed);
    }
    QString problem;
    if (!request.setupPath.isEmpty() && !checkSetup(form, prepared.setup, problem)) {
        error = setupErrorText(request.setupPath, problem);
        return done(kExitBadInput);
    }
    for (qsizetype i = 0; i < sets.size(); ++i) {
        if (!checkSetupInputs(form, {sets.at(i)}, problem)) {
            error = QStringLiteral("--set %1: %2").arg(quoted(request.sets.at(i)), problem);
            return done(kExitBadInput);
        }
    }
    applySetup(form, prepared.setup);
    applySetupInputs(form, sets);

    // Shown on the offscreen platform: the run goes through Run's own
    // checks and refills, as a click would.
    form->show();
    showSetupPage(form, prepared.setup);
    if (!applyKeptRuns(form, prepared.setup)) {
        error = prepared.source + QStringLiteral(": ")
                + oneLine(batchDesktop.messages.value(0, QStringLiteral("a kept run did not pass")));
        return done(kExitBadInput);
    }
    form->pressRunButton();
    if (!batchDesktop.messages.isEmpty()) {
        error = prepared.source + QStringLiteral(": ") + oneLine(batchDesktop.messages.first());
        return done(kExitBadInput);
    }
    if (!form->hasResults()) {
        error = prepared.source + QStringLiteral(": the run gave no results");
        return done(kExitWriteFailed);
    }
    if (!writeOutput(form, *kind, request.output, prepared.setup.keptRuns)) {
        error = oneLine(batchDesktop.messages.value(
            0, QStringLiteral("Could not save %1").arg(quoted(request.output))));
        return done(kExitWriteFailed);
    }
    return done(kExitDone);
}

int runCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err,
                   QString &setupToOpen)
{
    QCoreApplication::setApplicationVersion(QStringLiteral(MORVA_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "MORVA 99, a teaching simulator of population genetics.\n"
        "With a setup file, the program starts with that setup open. --model and --batch\n"
        "run a model without showing a window and write --output by its extension.\n"
        "Exit status: 0 done, 2 bad input, 1 the output could not be written."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption list(QStringLiteral("list-models"),
                                  QStringLiteral("Print each model's id and its place in the "
                                                 "model tree, one per line."));
    const QCommandLineOption model(QStringLiteral("model"),
                                   QStringLiteral("Run the model <id> with its default inputs."),
                                   QStringLiteral("id"));
    const QCommandLineOption batch(QStringLiteral("batch"),
                                   QStringLiteral("Run the setup in <file>."),
                                   QStringLiteral("file"));
    const QCommandLineOption set(
        QStringLiteral("set"),
        QStringLiteral("Before the run, type <text> into the field <name> (its name in the "
                       "window's messages, such as \"A1 frequency\", or its object name). "
                       "May be given more than once."),
        QStringLiteral("name=text"));
    const QCommandLineOption output(QStringLiteral("output"),
                                    QStringLiteral("The file to write: .csv, .tsv, .png, .svg, "
                                                   ".pdf or .morva."),
                                    QStringLiteral("file"));
    parser.addOptions({list, model, batch, set, output});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A setup to open."),
                                 QStringLiteral("[FILE.morva]"));

    const auto fail = [&err](const QString &line) {
        err << "morva99: " << line << '\n';
        err.flush();
        return kExitBadInput;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        out << parser.helpText();
        return kExitDone;
    }
    if (parser.isSet(version)) {
        out << "morva99 " << QCoreApplication::applicationVersion() << '\n';
        return kExitDone;
    }
    if (parser.isSet(list)) {
        for (const CatalogueRow &row : modelCatalogue())
            out << row.id << '\t' << row.treePath.join(QStringLiteral(" > ")) << '\n';
        return kExitDone;
    }
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(model) || parser.isSet(batch)) {
        if (parser.isSet(model) == parser.isSet(batch))
            return fail(QStringLiteral("--model and --batch: give one of them, not both"));
        if (!files.isEmpty())
            return fail(QStringLiteral("%1: unexpected argument").arg(quoted(files.first())));
        const BatchRequest request{parser.value(batch), parser.value(model), parser.values(set),
                                   parser.value(output)};
        QString error;
        const int status = runBatch(request, error);
        if (status != kExitDone) {
            err << "morva99: " << error << '\n';
            err.flush();
        }
        return status;
    }
    if (parser.isSet(set) || parser.isSet(output))
        return fail(QStringLiteral("--set and --output: only with --model or --batch"));
    if (files.size() > 1)
        return fail(QStringLiteral("%1: open one setup at a time").arg(quoted(files.at(1))));
    setupToOpen = files.value(0);
    return kStartWindows;
}

} // namespace morva::shell
