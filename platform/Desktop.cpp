#include "platform/Desktop.h"

#include "platform/NumLock.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QUrl>

namespace morva {

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Error:
    case MessageIcon::Stop:
        break;
    }
    return QMessageBox::Critical;
}

// A carriage return alone is a line break in the box; a CR LF pair is one.
QString boxText(const QString &text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

DesktopServices *g_installed = nullptr;

// "Table (*.csv)" -> "csv"; empty when the filter names no single extension.
QString filterSuffix(const QString &filter)
{
    const qsizetype star = filter.indexOf(QLatin1String("(*."));
    const qsizetype close = filter.indexOf(QLatin1Char(')'), star);
    if (star < 0 || close < 0)
        return {};
    return filter.mid(star + 3, close - star - 3);
}

} // namespace

DesktopServices::~DesktopServices() = default;

void DesktopServices::beep()
{
    QApplication::beep();
}

void DesktopServices::showMessage(QWidget *parent, MessageIcon icon, const QString &title,
                                  const QString &text)
{
    QMessageBox box(boxIcon(icon), title, boxText(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool DesktopServices::numLockOn() const
{
    return detail::x11NumLockOn();
}

QSize DesktopServices::screenSize() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

QRect DesktopServices::availableGeometry() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QDateTime DesktopServices::now() const
{
    return QDateTime::currentDateTime();
}

void DesktopServices::openUrl(const QString &address)
{
    QDesktopServices::openUrl(QUrl(address));
}

bool DesktopServices::runPrintDialog(QWidget *parent, QPrinter &printer)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    return dialog.exec() == QDialog::Accepted;
}

SaveDialogAnswer DesktopServices::runSaveDialog(QWidget *parent,
                                                const SaveDialogRequest &request)
{
    QFileDialog dialog(parent, request.caption,
                       QDir(request.folder).filePath(request.fileName));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(request.filters);
    if (!request.filter.isEmpty())
        dialog.selectNameFilter(request.filter);
    dialog.setDefaultSuffix(filterSuffix(dialog.selectedNameFilter()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString &filter) {
                         const QString suffix = filterSuffix(filter);
                         dialog.setDefaultSuffix(suffix);
                         const QString typed = dialog.selectedFiles().value(0);
                         if (!typed.isEmpty() && !suffix.isEmpty())
                             dialog.selectFile(QFileInfo(typed).completeBaseName()
                                               + QLatin1Char('.') + suffix);
                     });
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return {dialog.selectedFiles().value(0), dialog.selectedNameFilter()};
}

QString DesktopServices::runOpenDialog(QWidget *parent, const SaveDialogRequest &request)
{
    QFileDialog dialog(parent, request.caption, request.folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(request.filters);
    if (!request.filter.isEmpty())
        dialog.selectNameFilter(request.filter);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

DesktopServices &desktop()
{
    static DesktopServices real;
    return g_installed ? *g_installed : real;
}

void setDesktop(DesktopServices *services)
{
    g_installed = services;
}

} // namespace morva
