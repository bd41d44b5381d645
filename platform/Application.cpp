#include "platform/Application.h"

#include "platform/AppIcon.h"
#include "platform/Desktop.h"
#include "platform/Hint.h"

#include <QWidget>

namespace morva {

QString errorReportText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void reportError(const std::exception &error)
{
    QWidget *parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    desktop().showMessage(parent, MessageIcon::Stop, QString::fromLatin1(kApplicationTitle),
                          errorReportText(QString::fromUtf8(error.what())));
}

MorvaApplication::MorvaApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    // The display name stays unset: on X11 it would be appended to every
    // window title.
    setApplicationName(QString::fromLatin1(kApplicationTitle));
    setWindowIcon(applicationIcon());
    HintTracker::instance();
}

bool MorvaApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        reportError(error);
        return false;
    }
}

} // namespace morva
