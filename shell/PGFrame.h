#ifndef MORVA_SHELL_PGFRAME_H
#define MORVA_SHELL_PGFRAME_H

// The frame window: menu bar, the child-window area, a five-panel status bar
// (hint, Num Lock, date, clock, time since start-up) refreshed every second,
// and the commands that size and arrange the frame and its children.

#include <QDateTime>
#include <QList>
#include <QMainWindow>
#include <QPointer>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMenuBar;
class QTimer;

namespace morva::shell {

class ModelHelpDialog;
class PanelStatusBar;
class SetupCommands;

class TPGMainFrameForm : public QMainWindow {
    Q_OBJECT
public:
    // Runs FormCreate.
    explicit TPGMainFrameForm(QWidget *parent = nullptr);
    ~TPGMainFrameForm() override;

    // Status-bar panels.
    enum Panel { HintPanel = 0, NumLockPanel, DatePanel, ClockPanel, ElapsedPanel };

    QMdiArea *mdiArea() const { return m_mdiArea; }
    // The open child windows (closed ones that are not yet freed excluded),
    // in creation order.
    QList<QMdiSubWindow *> childWindows() const;
    int childWindowCount() const;
    QMdiSubWindow *activeChildWindow() const;
    // The area below the menu bar: the child-window area and the status bar.
    int clientWidth() const;
    int clientHeight() const;
    QString panelText(int panel) const;
    // Open, Save, the recent setups, the note and drops of setup files.
    SetupCommands *setupCommands() const { return m_setups; }

    // Handlers; each takes the sender.
    void FormCreate(QObject *sender);
    void FormShow(QObject *sender);
    void FormResize(QObject *sender);
    void Timer1Timer(QObject *sender);
    void DisplayHint(QObject *sender);
    void FileNewItemClick(QObject *sender);
    void FileOpenItemClick(QObject *sender);
    void FileCloseItemClick(QObject *sender);
    void FileSaveItemClick(QObject *sender);
    void FileSaveAsItemClick(QObject *sender);
    void Print1Click(QObject *sender);
    void FileExitItemClick(QObject *sender);
    void CutItemClick(QObject *sender);
    void CopyItemClick(QObject *sender);
    void PasteItemClick(QObject *sender);
    void WindowMaximItemClick(QObject *sender);
    void WindowRestoreItemClick(QObject *sender);
    void WindowTileItemClick(QObject *sender);
    void WindowArrangeItemClick(QObject *sender);
    void WindowMinimizeItemClick(QObject *sender);
    void Ordering1Click(QObject *sender);
    void ModelHelpItemClick(QObject *sender);
    void HelpAboutItemClick(QObject *sender);

    // The classroom size (View menu): `percent` for every model window and
    // the tree, remembered for the next session; restoreViewScale() takes
    // the remembered one.
    void setViewScale(int percent);
    void restoreViewScale();

    // Creates a generic child window with the caption.
    QMdiSubWindow *CreateMDIChild(const QString &caption);

    QMenuBar *MainMenu1 = nullptr;
    QMenu *File1 = nullptr;
    QAction *FileNewItem = nullptr;
    QAction *FileOpenItem = nullptr;
    QAction *FileCloseItem = nullptr;
    QMenu *Window1 = nullptr;
    QMenu *View1 = nullptr;
    QAction *LargerTextItem = nullptr;
    QAction *SmallerTextItem = nullptr;
    QAction *NormalSizeItem = nullptr;
    QMenu *Help1 = nullptr;
    QAction *N1 = nullptr;
    QAction *FileExitItem = nullptr;
    QAction *WindowTileItem = nullptr;
    QAction *WindowArrangeItem = nullptr;
    QAction *ModelHelpItem = nullptr;
    // Run: keep runs for comparison, clear them, continue the last run.
    QMenu *Run1 = nullptr;
    QAction *KeepRunItem = nullptr;
    QAction *ClearKeptRunsItem = nullptr;
    QAction *ContinueItem = nullptr;
    QAction *HelpAboutItem = nullptr;
    QAction *FileSaveItem = nullptr;
    QAction *FileSaveAsItem = nullptr;
    QMenu *Edit1 = nullptr;
    QAction *CutItem = nullptr;
    QAction *CopyItem = nullptr;
    QAction *PasteItem = nullptr;
    QAction *WindowMinimizeItem = nullptr;
    PanelStatusBar *StatusBar = nullptr;
    QAction *WindowMaximItem = nullptr;
    QAction *WindowRestoreItem = nullptr;
    QAction *Ordering1 = nullptr;
    QAction *Print1 = nullptr;
    QTimer *Timer1 = nullptr;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void createMenus();
    void createFileMenu();
    void createEditMenu();
    void createWindowMenu();
    void createRunMenu();
    void createViewMenu();
    void applyViewScaleToChildren();
    QList<QWidget *> frameTexts() const;
    void createHelpMenu();
    void KeepRunItemClick(QObject *sender);
    void ClearKeptRunsItemClick(QObject *sender);
    void ContinueItemClick(QObject *sender);
    QAction *addItem(QMenu *menu, const char *name, const QString &caption,
                     const QString &hint, bool enabled,
                     void (TPGMainFrameForm::*handler)(QObject *));
    void createStatusBar();
    void chooseDefaultGeometry();
    void centreOnScreen();
    void fitIntoAvailableArea();
    void arrangeForChildCount();
    void fillWindowList();
    void followActiveChild();
    // The frame's client area in its own coordinates: the child-window area
    // and the status bar, below the menu bar.
    QRect clientRect() const;
    // Copy and Save As follow the current child: enabled while it is a model
    // window with results.
    void watchCurrentChild();
    void updateExportItems();

    QMdiArea *m_mdiArea = nullptr;
    QList<QAction *> m_windowListActions;
    bool m_maximizingByMenu = false;
    QMetaObject::Connection m_resultsWatch;
    QPointer<ModelHelpDialog> m_modelHelp;
    SetupCommands *m_setups = nullptr;
};

// The frame; null before start-up and after tear-down.
extern QPointer<TPGMainFrameForm> PGMainFrameForm;
// The frame size chosen at start-up from the screen width.
extern quint16 DefaultWidth;
extern quint16 DefaultHeight;
// The moment the frame was created.
extern QDateTime StartTime;

// The frame's default size for a screen width: 640 x 480 below 800 pixels,
// 800 x 600 up to 1023, 900 x 675 from 1024.
QSize defaultFrameSize(int screenWidth);

} // namespace morva::shell

#endif
