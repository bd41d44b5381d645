#include "platform/Application.h"
#include "shell/CommandLine.h"
#include "shell/SetupCommands.h"
#include "shell/Startup.h"

#include <QTextStream>

namespace {

// Without windows, standard error carries the program's own line and
// nothing of the toolkit's chatter about the platform.
void keepOnlyCriticalMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        QTextStream(stderr) << message << '\n';
}

} // namespace

int main(int argc, char *argv[])
{
    // A batch run, the model list, help and version need no display: the
    // platform is chosen before the application object exists.
    if (morva::shell::runsWithoutWindows(argc, argv)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(keepOnlyCriticalMessages);
    }
    morva::MorvaApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QString setup;
    const int status = morva::shell::runCommandLine(app.arguments(), out, err, setup);
    if (status != morva::shell::kStartWindows)
        return status;
    morva::shell::startUp();
    if (!setup.isEmpty())
        morva::shell::openSetupFile(setup);
    const int result = app.exec();
    morva::shell::tearDown();
    return result;
}
