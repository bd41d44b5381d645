#include "shell/SetupCommands.h"

#include "models/Catalogue.h"
#include "models/frame/ModelForm.h"
#include "models/frame/Setup.h"
#include "platform/Application.h"
#include "platform/Desktop.h"
#include "platform/SaveFile.h"
#include "platform/SetupFile.h"
#include "shell/PGFrame.h"
#include "shell/PGModelChoice.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QIODevice>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace morva::shell {

namespace {

const char *const kSetupPathProperty = "morvaSetupPath";
const QLatin1String kRecentKey("recentSetups");

QString &recentFileOverride()
{
    static QString path;
    return path;
}

std::unique_ptr<QSettings> settings()
{
    if (!recentFileOverride().isEmpty())
        return std::make_unique<QSettings>(recentFileOverride(), QSettings::IniFormat);
    return std::make_unique<QSettings>(QLatin1String(kSettingsOrganization),
                                       QLatin1String(kApplicationTitle));
}

// The recent list lives in memory; the settings file, whose writing waits
// for the disk, follows a second later (or as the program ends), never on
// the way from a click to the window painted.
struct RecentList {
    bool loaded = false;
    bool unwritten = false;
    QStringList paths;
};

RecentList &recentList()
{
    static RecentList list;
    if (!list.loaded) {
        list.paths = settings()->value(kRecentKey).toStringList().mid(0, kRecentSetups);
        list.loaded = true;
    }
    return list;
}

void writeRecent()
{
    RecentList &list = recentList();
    if (!list.unwritten)
        return;
    list.unwritten = false;
    settings()->setValue(kRecentKey, list.paths);
}

constexpr int kRecentWriteDelayMs = 1000;

void rememberSetup(const QString &path)
{
    RecentList &list = recentList();
    const QString full = QFileInfo(path).absoluteFilePath();
    list.paths.removeAll(full);
    list.paths.prepend(full);
    list.paths = list.paths.mid(0, kRecentSetups);
    if (list.unwritten)
        return;
    list.unwritten = true;
    static const bool atExit = [] {
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, [] { writeRecent(); });
        return true;
    }();
    Q_UNUSED(atExit);
    QTimer::singleShot(kRecentWriteDelayMs, qApp, [] { writeRecent(); });
}

QString setupFilter()
{
    return QStringLiteral("Setup (*.%1)").arg(QLatin1String(kSetupSuffix));
}

bool report(const QString &text)
{
    desktop().showMessage(PGMainFrameForm, MessageIcon::Error,
                          QString::fromLatin1(kApplicationTitle), text);
    return false;
}

// The first local file among dropped ones that is a setup.
QString droppedSetup(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile()
            && QFileInfo(url.toLocalFile()).suffix().compare(QLatin1String(kSetupSuffix),
                                                            Qt::CaseInsensitive) == 0)
            return url.toLocalFile();
    }
    return {};
}

ModelForm *openModelWindow()
{
    if (!PGMainFrameForm)
        return nullptr;
    for (QMdiSubWindow *child : PGMainFrameForm->childWindows()) {
        if (auto *model = qobject_cast<ModelForm *>(child))
            return model;
    }
    return nullptr;
}

} // namespace

QStringList recentSetups()
{
    return recentList().paths;
}

void setRecentSetupsFile(const QString &path)
{
    writeRecent();
    recentFileOverride() = path;
    recentList().loaded = false;
}

bool openSetupFile(const QString &path)
{
    if (!PGMainFrameForm || !PGChoiceForm)
        return false;
    SetupData setup;
    QString error;
    if (!readSetupFile(path, setup, error))
        return report(error);
    const CatalogueRow *row = catalogueRow(setup.model);
    if (!row)
        return report(setupErrorText(path, QStringLiteral("unknown model \"%1\"").arg(setup.model)));
    // The new window is made and given the setup before anything on the
    // screen changes: a setup that does not fit leaves all as it was.
    QMdiSubWindow *window = PGChoiceForm->createModel(row->leaf());
    auto *form = qobject_cast<ModelForm *>(window);
    QString problem;
    if (!form || !checkSetup(form, setup, problem)) {
        delete window;
        return report(setupErrorText(path, form ? problem : QStringLiteral("the model has no window")));
    }
    applySetup(form, setup);
    form->setProperty(kSetupPathProperty, QFileInfo(path).absoluteFilePath());
    if (ModelForm *open = openModelWindow())
        open->cancelButton()->click();
    PGChoiceForm->presentModel(form);
    applyKeptRuns(form, setup);
    form->pressRunButton();
    showSetupPage(form, setup);
    rememberSetup(path);
    return true;
}

SetupCommands::SetupCommands(TPGMainFrameForm *frame, QMenu *fileMenu, QAction *openItem,
                             QAction *saveAsItem)
    : QObject(frame)
    , m_frame(frame)
    , m_recent(new QMenu(QStringLiteral("Recent setups"), fileMenu))
{
    m_recent->setObjectName(QStringLiteral("RecentSetupsMenu"));
    m_recent->menuAction()->setObjectName(QStringLiteral("RecentSetupsItem"));
    m_recent->menuAction()->setStatusTip(QStringLiteral("Open one of the last setups opened or saved"));
    connect(m_recent, &QMenu::aboutToShow, this, guardedSlot([this] { fillRecentMenu(); }));

    m_editNote = new QAction(QStringLiteral("Edit &note..."), frame);
    m_editNote->setObjectName(QStringLiteral("EditNoteItem"));
    m_editNote->setStatusTip(QStringLiteral("Write the note saved with this setup for the students"));
    m_editNote->setEnabled(false);
    connect(m_editNote, &QAction::triggered, this, guardedSlot([this] { editNote(); }));

    const QList<QAction *> items = fileMenu->actions();
    fileMenu->insertMenu(items.value(items.indexOf(openItem) + 1), m_recent);
    fileMenu->insertAction(items.value(items.indexOf(saveAsItem) + 1), m_editNote);

    frame->setAcceptDrops(true);
    frame->installEventFilter(this);
}

ModelForm *SetupCommands::currentModel() const
{
    auto *model = qobject_cast<ModelForm *>(m_frame->mdiArea()->currentSubWindow());
    return model && !model->isHidden() ? model : nullptr;
}

void SetupCommands::updateItems(QAction *saveItem)
{
    const bool model = currentModel() != nullptr;
    saveItem->setEnabled(model);
    m_editNote->setEnabled(model);
}

void SetupCommands::open()
{
    SaveDialogRequest request;
    request.caption = QStringLiteral("Open");
    const QStringList recent = recentSetups();
    request.folder = recent.isEmpty() ? QDir::homePath() : QFileInfo(recent.first()).absolutePath();
    request.filters = {setupFilter(), QStringLiteral("All files (*.*)")};
    request.filter = setupFilter();
    const QString path = desktop().runOpenDialog(m_frame, request);
    if (!path.isEmpty())
        openSetupFile(path);
}

void SetupCommands::save()
{
    ModelForm *model = currentModel();
    if (!model)
        return;
    QString path = model->property(kSetupPathProperty).toString();
    if (path.isEmpty()) {
        const CatalogueRow *row = catalogueRowOfWindow(model);
        SaveDialogRequest request;
        request.caption = QStringLiteral("Save setup");
        const QStringList recent = recentSetups();
        request.folder = recent.isEmpty() ? QDir::homePath()
                                          : QFileInfo(recent.first()).absolutePath();
        request.fileName = (row ? row->fileStem : QStringLiteral("setup")) + QLatin1Char('.')
                           + QLatin1String(kSetupSuffix);
        request.filters = {setupFilter()};
        request.filter = setupFilter();
        path = desktop().runSaveDialog(m_frame, request).path;
        if (path.isEmpty())
            return;
        if (QFileInfo(path).suffix().isEmpty())
            path += QLatin1Char('.') + QLatin1String(kSetupSuffix);
    }
    const QByteArray json = setupJson(captureSetup(model));
    const bool saved = saveFile(model, path, [&json](QIODevice &device, QString &reason) {
        if (device.write(json) == json.size())
            return true;
        reason = device.errorString();
        return false;
    });
    if (!saved)
        return;
    model->setProperty(kSetupPathProperty, QFileInfo(path).absoluteFilePath());
    rememberSetup(path);
}

void SetupCommands::editNote()
{
    if (ModelForm *model = currentModel())
        model->editSetupNote();
}

void SetupCommands::fillRecentMenu()
{
    m_recent->clear();
    const QStringList recent = recentSetups();
    int number = 0;
    for (const QString &path : recent) {
        ++number;
        QAction *item = m_recent->addAction(
            QStringLiteral("&%1 %2").arg(number).arg(QDir::toNativeSeparators(path)));
        item->setStatusTip(QStringLiteral("Open this setup"));
        connect(item, &QAction::triggered, this, guardedSlot([path] { openSetupFile(path); }));
    }
    if (recent.isEmpty())
        m_recent->addAction(QStringLiteral("(none yet)"))->setEnabled(false);
}

bool SetupCommands::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_frame) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *drag = static_cast<QDragMoveEvent *>(event);
            if (!droppedSetup(drag->mimeData()).isEmpty()) {
                drag->acceptProposedAction();
                return true;
            }
            break;
        }
        case QEvent::Drop: {
            auto *drop = static_cast<QDropEvent *>(event);
            const QString path = droppedSetup(drop->mimeData());
            if (!path.isEmpty()) {
                drop->acceptProposedAction();
                // Opened once the drop is over: its error box must not
                // stand inside the drag and drop.
                QMetaObject::invokeMethod(
                    this, guardedSlot([path] { openSetupFile(path); }), Qt::QueuedConnection);
                return true;
            }
            break;
        }
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace morva::shell
