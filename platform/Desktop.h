#ifndef MORVA_PLATFORM_DESKTOP_H
#define MORVA_PLATFORM_DESKTOP_H

// The desktop services the program relies on, behind one seam. The program
// calls morva::desktop(); tests install a subclass with setDesktop() that
// records calls and answers as the test wants (no real modal box ever opens
// in a test).

#include <QDateTime>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

namespace morva {

enum class MessageIcon { Error, Information, Stop };

// What a save dialog asks: its caption, the folder it opens in, the file name
// it proposes, the file types offered ("Table (*.csv)") and the one chosen at
// the start.
struct SaveDialogRequest {
    QString caption;
    QString folder;
    QString fileName;
    QStringList filters;
    QString filter;
};

// What the user chose: the path (empty when cancelled) and the file type
// selected when confirming.
struct SaveDialogAnswer {
    QString path;
    QString filter;
};

class DesktopServices {
public:
    virtual ~DesktopServices();

    // The system beep.
    virtual void beep();
    // A modal message box with the icon, title, text and one OK button. The
    // text is passed exactly as the program forms it ("\r" included); the
    // real box shows a carriage return as a line break.
    virtual void showMessage(QWidget *parent, MessageIcon icon, const QString &title,
                             const QString &text);
    // Whether Num Lock is on (XKB on X11; false without a display).
    virtual bool numLockOn() const;
    // The primary screen's size in pixels.
    virtual QSize screenSize() const;
    // The part of the primary screen that windows may cover (less panels
    // and task bars), in screen pixels.
    virtual QRect availableGeometry() const;
    // The wall clock.
    virtual QDateTime now() const;
    // The desktop shell's "open" action on a web address.
    virtual void openUrl(const QString &address);
    // The print dialog; true when the user confirms.
    virtual bool runPrintDialog(QWidget *parent, QPrinter &printer);
    // The save-file dialog: the toolkit's own widgets (never the desktop's
    // native dialog, so it looks and behaves alike everywhere); choosing a
    // type puts its extension on the proposed name.
    virtual SaveDialogAnswer runSaveDialog(QWidget *parent, const SaveDialogRequest &request);
    // The open-file dialog (the toolkit's own widgets): the path chosen,
    // empty when cancelled. `request.fileName` is not used.
    virtual QString runOpenDialog(QWidget *parent, const SaveDialogRequest &request);
};

// The services in use: the real ones unless a test installed others.
DesktopServices &desktop();
// Installs `services` (not owned); nullptr returns to the real services.
void setDesktop(DesktopServices *services);

} // namespace morva

#endif
