#ifndef MORVA_SHELL_SETUPCOMMANDS_H
#define MORVA_SHELL_SETUPCOMMANDS_H

// The frame's commands on setup files: File > Open (Ctrl+O) opens a setup
// into its model window and runs it; File > Save (Ctrl+S) writes the active
// model window's setup (to the file it came from, else where the save
// dialog says); File > "Recent setups" lists the last eight; File > "Edit
// note..." edits the note saved with the setup; a setup dropped onto the
// frame opens too.

#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QMenu;

namespace morva {
class ModelForm;
}

namespace morva::shell {

class TPGMainFrameForm;

// Opens the setup at `path` into its model window (closing the model window
// open before) and runs it. Every problem is one error box naming the file;
// nothing changes then. Needs the started shell.
bool openSetupFile(const QString &path);

// The recent setups, newest first (at most kRecentSetups).
inline constexpr int kRecentSetups = 8;
QStringList recentSetups();
// Keeps the recent list in the INI file `path` rather than the user's
// settings (tests); an empty path returns to the user's settings.
void setRecentSetupsFile(const QString &path);

class SetupCommands : public QObject {
    Q_OBJECT
public:
    // Adds "Recent setups" after `openItem` and "Edit note..." after
    // `saveAsItem` to the frame's File menu, and watches the frame for
    // drops.
    SetupCommands(TPGMainFrameForm *frame, QMenu *fileMenu, QAction *openItem,
                  QAction *saveAsItem);

    void open();
    void save();
    void editNote();
    // Save and Edit note follow the current child: enabled while it is a
    // shown model window.
    void updateItems(QAction *saveItem);

    QMenu *recentMenu() const { return m_recent; }
    QAction *editNoteItem() const { return m_editNote; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ModelForm *currentModel() const;
    void fillRecentMenu();

    TPGMainFrameForm *m_frame;
    QMenu *m_recent;
    QAction *m_editNote;
};

} // namespace morva::shell

#endif
