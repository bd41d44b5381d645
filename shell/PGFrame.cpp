#include "shell/PGFrame.h"

#include "models/Catalogue.h"
#include "models/frame/ModelForm.h"
#include "platform/AppIcon.h"
#include "platform/Application.h"
#include "platform/DateTimeText.h"
#include "platform/Desktop.h"
#include "platform/Hint.h"
#include "platform/Printing.h"
#include "shell/About.h"
#include "shell/ModelHelp.h"
#include "shell/Childwin.h"
#include "shell/DesignFont.h"
#include "shell/PGModelChoice.h"
#include "shell/PanelStatusBar.h"
#include "shell/SetupCommands.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QProxyStyle>
#include <QResizeEvent>
#include <QShowEvent>
#include <QTimer>

#include <algorithm>

namespace morva::shell {

QPointer<TPGMainFrameForm> PGMainFrameForm;
quint16 DefaultWidth = 0;
quint16 DefaultHeight = 0;
QDateTime StartTime;

namespace {

constexpr int kTimerInterval = 1000;
// The child-window area's sunken border: 2 pixels on each side.
constexpr int kClientBorder = 2;

const char *const kDatePicture = "yy.mm.dd ";
const char *const kTimePicture = "  hh:nn:ss  ";
const char *const kElapsedSuffix = "  ";

QString orderingText()
{
    return QStringLiteral("        Just kidding... MORVA is free !  ;-) ") + QChar(13)
           + QStringLiteral("         But please do NOT distribute yet!");
}

// Lets the pointer and the arrow keys highlight disabled menu items too, so
// that their hints show like those of the enabled ones.
class MenuStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_Menu_AllowActiveAndDisabled)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

void makeDefaultItem(QMenu *menu, QAction *action)
{
    menu->setDefaultAction(action);
    QFont bold = action->font();
    bold.setBold(true);
    action->setFont(bold);
}

} // namespace

QSize defaultFrameSize(int screenWidth)
{
    if (screenWidth < 800)
        return {640, 480};
    if (screenWidth < 1024)
        return {800, 600};
    return {900, 675};
}

TPGMainFrameForm::TPGMainFrameForm(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("PGMainFrameForm"));
    setWindowTitle(QStringLiteral("MORVA 99 - Main Window"));
    setWindowIcon(applicationIcon());
    setFont(designFont(QStringLiteral("MS Sans Serif"), 11));

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("ClientArea"));
    m_mdiArea->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_mdiArea->setLineWidth(kClientBorder);
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setCentralWidget(m_mdiArea);

    createMenus();
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this,
            guardedSlot([this] { followActiveChild(); }));
    createStatusBar();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTimerInterval);
    connect(Timer1, &QTimer::timeout, this, guardedSlot([this] { Timer1Timer(Timer1); }));

    FormCreate(this);
    Timer1->start();
}

TPGMainFrameForm::~TPGMainFrameForm()
{
    // The child area outlives this part of the frame and activates other
    // children while it closes them: nothing of that reaches the frame now.
    disconnect(m_resultsWatch);
    disconnect(m_mdiArea, nullptr, this, nullptr);
}

// ---------------------------------------------------------------- creation

QAction *TPGMainFrameForm::addItem(QMenu *menu, const char *name, const QString &caption,
                                   const QString &hint, bool enabled,
                                   void (TPGMainFrameForm::*handler)(QObject *))
{
    auto *action = new QAction(caption, this);
    action->setObjectName(QLatin1String(name));
    action->setStatusTip(hint);
    action->setEnabled(enabled);
    // Disabled items stay wired: enabling one is all it takes to use it.
    connect(action, &QAction::triggered, this,
            [this, action, handler] { guarded([&] { (this->*handler)(action); }); });
    menu->addAction(action);
    return action;
}

void TPGMainFrameForm::createMenus()
{
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    createFileMenu();
    createEditMenu();
    createViewMenu();
    createRunMenu();
    createWindowMenu();
    createHelpMenu();
    // A child of the frame created after the menus, so it outlives them.
    auto *style = new MenuStyle;
    style->setParent(this);
    for (QMenu *menu : {File1, Edit1, View1, Run1, Window1, Help1})
        menu->setStyle(style);
}

void TPGMainFrameForm::createFileMenu()
{
    File1 = MainMenu1->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    FileNewItem = addItem(File1, "FileNewItem", QStringLiteral("&New"),
                          QStringLiteral("Create a new file"), false,
                          &TPGMainFrameForm::FileNewItemClick);
    FileOpenItem = addItem(File1, "FileOpenItem", QStringLiteral("&Open"),
                           QStringLiteral("Open an existing file"), true,
                           &TPGMainFrameForm::FileOpenItemClick);
    FileCloseItem = addItem(File1, "FileCloseItem", QStringLiteral("&Close"),
                            QStringLiteral("Close current file"), false,
                            &TPGMainFrameForm::FileCloseItemClick);
    FileSaveItem = addItem(File1, "FileSaveItem", QStringLiteral("&Save"),
                           QStringLiteral("Save current file"), false,
                           &TPGMainFrameForm::FileSaveItemClick);
    FileSaveAsItem = addItem(File1, "FileSaveAsItem", QStringLiteral("Save &As..."),
                             QStringLiteral("Save current file as..."), false,
                             &TPGMainFrameForm::FileSaveAsItemClick);
    Print1 = addItem(File1, "Print1", QStringLiteral("Print"), QString(), true,
                     &TPGMainFrameForm::Print1Click);
    N1 = File1->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    FileExitItem = addItem(File1, "FileExitItem", QStringLiteral("E&xit"),
                           QStringLiteral("Exit the application"), true,
                           &TPGMainFrameForm::FileExitItemClick);
    makeDefaultItem(File1, FileExitItem);
    m_setups = new SetupCommands(this, File1, FileOpenItem, FileSaveAsItem);
}

void TPGMainFrameForm::createEditMenu()
{
    Edit1 = MainMenu1->addMenu(QStringLiteral("&Edit"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    CutItem = addItem(Edit1, "CutItem", QStringLiteral("Cu&t"),
                      QStringLiteral("Cut to clipboard"), false, &TPGMainFrameForm::CutItemClick);
    CopyItem = addItem(Edit1, "CopyItem", QStringLiteral("&Copy"),
                       QStringLiteral("Copy to clipboard"), false,
                       &TPGMainFrameForm::CopyItemClick);
    PasteItem = addItem(Edit1, "PasteItem", QStringLiteral("&Paste"),
                        QStringLiteral("Paste from clipboard"), false,
                        &TPGMainFrameForm::PasteItemClick);
}

void TPGMainFrameForm::createWindowMenu()
{
    Window1 = MainMenu1->addMenu(QStringLiteral("&Window"));
    Window1->setObjectName(QStringLiteral("Window1"));
    WindowMaximItem = addItem(Window1, "WindowMaximItem", QStringLiteral("&Maximize "),
                              QStringLiteral("Maximize application"), true,
                              &TPGMainFrameForm::WindowMaximItemClick);
    WindowRestoreItem = addItem(
        Window1, "WindowRestoreItem", QStringLiteral("&Restore"),
        QStringLiteral("Restore main application window to default size and position"), true,
        &TPGMainFrameForm::WindowRestoreItemClick);
    makeDefaultItem(Window1, WindowRestoreItem);
    WindowTileItem = addItem(Window1, "WindowTileItem", QStringLiteral("&Tile"),
                             QStringLiteral("Arrange windows without overlap"), true,
                             &TPGMainFrameForm::WindowTileItemClick);
    WindowArrangeItem = addItem(Window1, "WindowArrangeItem", QStringLiteral("&Arrange Icons"),
                                QStringLiteral("Arrange window icons at bottom of main window"),
                                false, &TPGMainFrameForm::WindowArrangeItemClick);
    WindowMinimizeItem = addItem(Window1, "WindowMinimizeItem", QStringLiteral("Mi&nimize All"),
                                 QStringLiteral("Minimize all windows"), false,
                                 &TPGMainFrameForm::WindowMinimizeItemClick);
    connect(Window1, &QMenu::aboutToShow, this, guardedSlot([this] { fillWindowList(); }));
}

void TPGMainFrameForm::createHelpMenu()
{
    Help1 = MainMenu1->addMenu(QStringLiteral("&Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    Ordering1 = addItem(Help1, "Ordering1", QStringLiteral("&Ordering Info"), QString(), true,
                        &TPGMainFrameForm::Ordering1Click);
    ModelHelpItem = addItem(Help1, "ModelHelpItem", QStringLiteral("About this &model"),
                            QStringLiteral("Explains the model of the active window"), false,
                            &TPGMainFrameForm::ModelHelpItemClick);
    ModelHelpItem->setShortcut(QKeySequence::HelpContents);
    HelpAboutItem = addItem(Help1, "HelpAboutItem", QStringLiteral("&About MORVA"), QString(),
                            true, &TPGMainFrameForm::HelpAboutItemClick);
    makeDefaultItem(Help1, HelpAboutItem);
}

void TPGMainFrameForm::createStatusBar()
{
    StatusBar = new PanelStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->addPanel(700, Qt::AlignLeft);
    StatusBar->addPanel(50, Qt::AlignHCenter);
    StatusBar->addPanel(65, Qt::AlignHCenter);
    StatusBar->addPanel(65, Qt::AlignHCenter);
    StatusBar->addPanel(70, Qt::AlignLeft);
    setStatusBar(StatusBar);
}

// ---------------------------------------------------------------- queries

QList<QMdiSubWindow *> TPGMainFrameForm::childWindows() const
{
    QList<QMdiSubWindow *> open;
    const QList<QMdiSubWindow *> all = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow *child : all)
        if (!child->isHidden())
            open.append(child);
    return open;
}

int TPGMainFrameForm::childWindowCount() const
{
    return static_cast<int>(childWindows().size());
}

QMdiSubWindow *TPGMainFrameForm::activeChildWindow() const
{
    return m_mdiArea->activeSubWindow();
}

QRect TPGMainFrameForm::clientRect() const
{
    return QRect(m_mdiArea->geometry().topLeft(), QSize(clientWidth(), clientHeight()));
}

int TPGMainFrameForm::clientWidth() const
{
    return m_mdiArea->width();
}

int TPGMainFrameForm::clientHeight() const
{
    return m_mdiArea->height() + StatusBar->height();
}

QString TPGMainFrameForm::panelText(int panel) const
{
    return StatusBar->panelText(panel);
}

// ---------------------------------------------------------------- form events

void TPGMainFrameForm::FormCreate(QObject *sender)
{
    connect(HintTracker::instance(), &HintTracker::hintChanged, this,
            guardedSlot([this] { DisplayHint(HintTracker::instance()); }));
    FileExitItem->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
    CopyItem->setShortcut(QKeySequence::Copy);
    FileOpenItem->setShortcut(QKeySequence::Open);
    FileSaveItem->setShortcut(QKeySequence::Save);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this,
            guardedSlot([this] { watchCurrentChild(); }));
    WindowRestoreItem->setShortcut(QKeySequence(Qt::ALT | Qt::Key_R));
    chooseDefaultGeometry();
    StartTime = desktop().now();
    Timer1Timer(sender);
}

void TPGMainFrameForm::chooseDefaultGeometry()
{
    const QSize size = defaultFrameSize(desktop().screenSize().width());
    DefaultWidth = static_cast<quint16>(size.width());
    DefaultHeight = static_cast<quint16>(size.height());
    resize(DefaultWidth, DefaultHeight);
    centreOnScreen();
    fitIntoAvailableArea();
}

// On a screen too small for the designed size (or with panels that leave
// too little of it) the frame, its window frame included, shrinks to the
// area windows may cover and moves inside it, so that its status bar and
// the model windows' lower parts can be reached. A frame that fits keeps
// its place.
void TPGMainFrameForm::fitIntoAvailableArea()
{
    const QRect available = desktop().availableGeometry();
    if (available.isEmpty())
        return;
    const QMargins decoration(geometry().left() - frameGeometry().left(),
                              geometry().top() - frameGeometry().top(),
                              frameGeometry().right() - geometry().right(),
                              frameGeometry().bottom() - geometry().bottom());
    QRect outer = frameGeometry();
    if (available.contains(outer))
        return;
    const QSize room = available.size().shrunkBy(decoration);
    resize(size().boundedTo(room));
    outer.setSize(size().grownBy(decoration));
    outer.moveLeft(std::clamp(outer.left(), available.left(), available.right() - outer.width() + 1));
    outer.moveTop(std::clamp(outer.top(), available.top(), available.bottom() - outer.height() + 1));
    move(outer.topLeft());
}

// Integer division truncating toward zero; the result may be negative on a
// screen smaller than the frame.
void TPGMainFrameForm::centreOnScreen()
{
    const QSize screen = desktop().screenSize();
    move((screen.width() - int(DefaultWidth)) / 2, (screen.height() - int(DefaultHeight)) / 2);
}

void TPGMainFrameForm::FormShow(QObject *)
{
    ArrangeChildWindows(PGChoiceForm, WideChoiceWidth);
}

void TPGMainFrameForm::FormResize(QObject *)
{
    const int children = childWindowCount();
    if (children == 1)
        ArrangeChildWindows(PGChoiceForm, WideChoiceWidth);
    else if (children == 2)
        ArrangeChildWindows(PGChoiceForm, NarrowChoiceWidth);
    StatusBar->fitFirstPanel();
}

void TPGMainFrameForm::Timer1Timer(QObject *)
{
    const QDateTime now = desktop().now();
    StatusBar->setPanelText(NumLockPanel, desktop().numLockOn() ? QStringLiteral("NUM") : QString());
    StatusBar->setPanelText(DatePanel, text::formatDateTime(now, QLatin1String(kDatePicture)));
    StatusBar->setPanelText(ClockPanel, text::formatDateTime(now, QLatin1String(kTimePicture)));
    StatusBar->setPanelText(ElapsedPanel,
                            text::formatElapsed(StartTime.msecsTo(now), QLatin1String(kTimePicture))
                                + QLatin1String(kElapsedSuffix));
}

void TPGMainFrameForm::DisplayHint(QObject *)
{
    StatusBar->setPanelText(HintPanel, HintTracker::instance()->currentHint());
}

// ---------------------------------------------------------------- File

void TPGMainFrameForm::FileNewItemClick(QObject *)
{
    CreateMDIChild(QStringLiteral("NONAME") + QString::number(childWindowCount() + 1));
}

// Opens a setup file into its model window.
void TPGMainFrameForm::FileOpenItemClick(QObject *)
{
    m_setups->open();
}

void TPGMainFrameForm::FileCloseItemClick(QObject *)
{
    if (QMdiSubWindow *active = activeChildWindow())
        active->close();
}

// Writes the active model window's setup.
void TPGMainFrameForm::FileSaveItemClick(QObject *)
{
    m_setups->save();
}

void TPGMainFrameForm::FileSaveAsItemClick(QObject *)
{
    if (auto *model = qobject_cast<ModelForm *>(m_mdiArea->currentSubWindow()))
        model->saveResultsAs();
}

void TPGMainFrameForm::Print1Click(QObject *)
{
    QPrinter printer;
    if (desktop().runPrintDialog(this, printer))
        printWidgetImage(this, printer, clientRect());
}

void TPGMainFrameForm::FileExitItemClick(QObject *)
{
    close();
}

QMdiSubWindow *TPGMainFrameForm::CreateMDIChild(const QString &caption)
{
    auto *child = new TMDIChild(m_mdiArea);
    m_mdiArea->addSubWindow(child);
    child->setWindowTitle(caption);
    child->show();
    return child;
}

void TPGMainFrameForm::createRunMenu()
{
    Run1 = MainMenu1->addMenu(QStringLiteral("R&un"));
    Run1->setObjectName(QStringLiteral("Run1"));
    KeepRunItem = addItem(Run1, "KeepRunItem", QStringLiteral("&Keep run"),
                          QStringLiteral("Keep this run on the charts to compare later runs with"),
                          false, &TPGMainFrameForm::KeepRunItemClick);
    KeepRunItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    ClearKeptRunsItem = addItem(Run1, "ClearKeptRunsItem", QStringLiteral("&Clear kept runs"),
                                QStringLiteral("Remove the kept runs from the charts"), false,
                                &TPGMainFrameForm::ClearKeptRunsItemClick);
    ContinueItem = addItem(Run1, "ContinueItem", QStringLiteral("C&ontinue"),
                           QStringLiteral("Run on from where the last run ended, by the number "
                                          "of generations"),
                           false, &TPGMainFrameForm::ContinueItemClick);
    connect(Run1, &QMenu::aboutToShow, this, guardedSlot([this] { updateExportItems(); }));
}

// ---------------------------------------------------------------- Run

void TPGMainFrameForm::KeepRunItemClick(QObject *)
{
    if (auto *model = qobject_cast<ModelForm *>(m_mdiArea->currentSubWindow()))
        model->keepRun();
    updateExportItems();
}

void TPGMainFrameForm::ClearKeptRunsItemClick(QObject *)
{
    if (auto *model = qobject_cast<ModelForm *>(m_mdiArea->currentSubWindow()))
        model->clearKeptRuns();
    updateExportItems();
}

void TPGMainFrameForm::ContinueItemClick(QObject *)
{
    if (auto *model = qobject_cast<ModelForm *>(m_mdiArea->currentSubWindow()))
        model->continueRun();
}

// ---------------------------------------------------------------- Edit

void TPGMainFrameForm::CutItemClick(QObject *) {}

void TPGMainFrameForm::CopyItemClick(QObject *)
{
    if (auto *model = qobject_cast<ModelForm *>(m_mdiArea->currentSubWindow()))
        model->copyResults();
}

void TPGMainFrameForm::PasteItemClick(QObject *) {}

// The current child, not the active one: while a dialog of the program is
// open the frame is inactive, yet the items must stay as they are.
void TPGMainFrameForm::watchCurrentChild()
{
    disconnect(m_resultsWatch);
    if (auto *model = qobject_cast<ModelForm *>(m_mdiArea->currentSubWindow()))
        m_resultsWatch = connect(model, &ModelForm::resultsChanged, this,
                                 guardedSlot([this] { updateExportItems(); }));
    updateExportItems();
}

// A model window closed by its Cancel stays the current child, hidden, until
// it is freed.
void TPGMainFrameForm::updateExportItems()
{
    const auto *model = qobject_cast<const ModelForm *>(m_mdiArea->currentSubWindow());
    const bool results = model && !model->isHidden() && model->hasResults();
    CopyItem->setEnabled(results);
    FileSaveAsItem->setEnabled(results);
    const bool shown = model && !model->isHidden();
    KeepRunItem->setEnabled(results);
    ClearKeptRunsItem->setEnabled(shown && model->keptRunCount() > 0);
    ContinueItem->setEnabled(shown);
    ModelHelpItem->setEnabled(model && !model->isHidden() && catalogueRowOfWindow(model));
    m_setups->updateItems(FileSaveItem);
}

// ---------------------------------------------------------------- Window

void TPGMainFrameForm::arrangeForChildCount()
{
    ArrangeChildWindows(PGChoiceForm,
                        childWindowCount() > 1 ? NarrowChoiceWidth : WideChoiceWidth);
}

void TPGMainFrameForm::WindowMaximItemClick(QObject *)
{
    m_maximizingByMenu = true;
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    m_maximizingByMenu = false;
    WindowMaximItem->setEnabled(false);
    arrangeForChildCount();
}

void TPGMainFrameForm::WindowRestoreItemClick(QObject *)
{
    setWindowState(Qt::WindowNoState);
    WindowMaximItem->setEnabled(true);
    resize(DefaultWidth, DefaultHeight);
    centreOnScreen();
    // The resize re-arranges the children; when the size did not change,
    // arrange them here so that Restore always lays them out.
    arrangeForChildCount();
}

void TPGMainFrameForm::WindowTileItemClick(QObject *)
{
    arrangeForChildCount();
}

// Lines the minimized children up along the bottom edge, left to right.
void TPGMainFrameForm::WindowArrangeItemClick(QObject *)
{
    const int bottom = m_mdiArea->viewport()->height();
    int left = 0;
    for (QMdiSubWindow *child : childWindows()) {
        if (!child->isMinimized())
            continue;
        child->move(left, bottom - child->height());
        left += child->width();
    }
}

void TPGMainFrameForm::WindowMinimizeItemClick(QObject *)
{
    const QList<QMdiSubWindow *> children = childWindows();
    for (auto it = children.crbegin(); it != children.crend(); ++it)
        (*it)->showMinimized();
}

// Alt+R is Restore's shortcut and, in a model window, the Run button's
// mnemonic. While a model window is the active child its Run button has the
// key alone: Restore's shortcut then acts only inside the Window menu. The
// area reports no active child while another top-level window (a message
// box) is active, and nothing when the active child closes: the area's
// current child and whether it is still shown decide.
void TPGMainFrameForm::followActiveChild()
{
    auto *model = qobject_cast<ModelForm *>(m_mdiArea->currentSubWindow());
    const bool runTakesAltR = model && model->isVisible();
    WindowRestoreItem->setShortcutContext(runTakesAltR ? Qt::WidgetShortcut
                                                       : Qt::WindowShortcut);
    if (model)
        model->installEventFilter(this); // its closing hides it
}

void TPGMainFrameForm::fillWindowList()
{
    qDeleteAll(m_windowListActions);
    m_windowListActions.clear();
    const QList<QMdiSubWindow *> children = childWindows();
    if (children.isEmpty())
        return;
    m_windowListActions.append(Window1->addSeparator());
    int number = 0;
    for (QMdiSubWindow *child : children) {
        ++number;
        auto *action = Window1->addAction(QStringLiteral("&%1 %2").arg(number).arg(child->windowTitle()));
        action->setCheckable(true);
        action->setChecked(child == activeChildWindow());
        QPointer<QMdiSubWindow> target(child);
        connect(action, &QAction::triggered, this, [this, target] {
            if (target)
                m_mdiArea->setActiveSubWindow(target);
        });
        m_windowListActions.append(action);
    }
}

// ---------------------------------------------------------------- Help

void TPGMainFrameForm::Ordering1Click(QObject *)
{
    desktop().showMessage(this, MessageIcon::Information, QStringLiteral("Information"),
                          orderingText());
}

void TPGMainFrameForm::ModelHelpItemClick(QObject *)
{
    const CatalogueRow *row = catalogueRowOfWindow(m_mdiArea->currentSubWindow());
    if (!row)
        return;
    if (!m_modelHelp)
        m_modelHelp = new ModelHelpDialog(this);
    m_modelHelp->showModel(*row);
}

void TPGMainFrameForm::HelpAboutItemClick(QObject *)
{
    if (AboutBox)
        AboutBox->exec();
}

// ---------------------------------------------------------------- events

bool TPGMainFrameForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Hide && qobject_cast<ModelForm *>(watched)) {
        guarded([this] {
            followActiveChild();
            updateExportItems();
        });
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TPGMainFrameForm::event(QEvent *event)
{
    // Hints reach panel 0 through DisplayHint; the status bar never shows
    // them as temporary messages.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

void TPGMainFrameForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        guarded([this] { FormShow(this); });
}

void TPGMainFrameForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    guarded([this] { FormResize(this); });
}

// The window manager's maximize command does what the Maximize item does; its
// restore command leaves the item disabled.
void TPGMainFrameForm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || m_maximizingByMenu)
        return;
    const auto *change = static_cast<QWindowStateChangeEvent *>(event);
    if (isMaximized() && !(change->oldState() & Qt::WindowMaximized)) {
        guarded([this] {
            WindowMaximItem->setEnabled(false);
            arrangeForChildCount();
        });
    }
}

} // namespace morva::shell
