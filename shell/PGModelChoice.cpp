#include "shell/PGModelChoice.h"

#include "models/Catalogue.h"
#include "models/frame/ViewScale.h"
#include "platform/AppIcon.h"
#include "platform/Application.h"
#include "platform/Desktop.h"
#include "platform/Hint.h"
#include "shell/DesignFont.h"
#include "shell/ModelFactory.h"
#include "shell/PGFrame.h"
#include "shell/PanelStatusBar.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMouseEvent>
#include <QShowEvent>
#include <QTreeWidget>

namespace morva::shell {

QPointer<TPGChoiceForm> PGChoiceForm;
bool ExpandToggle = false;

namespace {

constexpr int kDesignWidth = 250;
constexpr int kDesignHeight = 550;
constexpr int kDesignLeft = 202;
constexpr int kDesignTop = 104;
constexpr int kTreeIndent = 18;

QTreeWidgetItem *addNode(QTreeWidget *tree, const QString &text)
{
    return new QTreeWidgetItem(tree, QStringList(text));
}

QTreeWidgetItem *addNode(QTreeWidgetItem *parent, const QString &text)
{
    return new QTreeWidgetItem(parent, QStringList(text));
}

// The child of `parent` (the tree's top level when null) with the text,
// added after the others when there is none yet.
QTreeWidgetItem *childNode(QTreeWidget *tree, QTreeWidgetItem *parent, const QString &text)
{
    const int count = parent ? parent->childCount() : tree->topLevelItemCount();
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem *child = parent ? parent->child(i) : tree->topLevelItem(i);
        if (child->text(0) == text)
            return child;
    }
    return parent ? addNode(parent, text) : addNode(tree, text);
}

// The texts of the node and its ancestors, from the top.
QStringList pathOf(const QTreeWidgetItem *node)
{
    QStringList path;
    for (; node; node = node->parent())
        path.prepend(node->text(0));
    return path;
}

} // namespace

TPGChoiceForm::TPGChoiceForm(QWidget *parent) : QMdiSubWindow(parent)
{
    setObjectName(QStringLiteral("PGChoiceForm"));
    // No system menu and no minimize, maximize or close box.
    setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral(" MORVA - Model Choice"));
    setWindowIcon(applicationIcon());
    setFont(designFont(QStringLiteral("System"), 13));
    setGeometry(kDesignLeft, kDesignTop, kDesignWidth, kDesignHeight);

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("PGChoiceClient"));
    m_client->installEventFilter(this);
    setWidget(m_client);

    PGModelChoiceTreeView = new QTreeWidget(m_client);
    QTreeWidget *tree = PGModelChoiceTreeView;
    tree->setObjectName(QStringLiteral("PGModelChoiceTreeView"));
    tree->setStatusTip(QLatin1String(kChooseModelHint));
    tree->setFont(designFont(QStringLiteral("MS Sans Serif"), 11));
    tree->setColumnCount(1);
    tree->header()->hide();
    tree->setRootIsDecorated(false);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    tree->setIndentation(kTreeIndent);
    // The selected node stays highlighted when the tree loses the focus.
    QPalette palette = tree->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    tree->setPalette(palette);
    fillTree();

    tree->installEventFilter(this);
    tree->viewport()->installEventFilter(this);
    connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            guardedSlot([this] { selectionChanged(); }));
    connect(tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *node) {
        guarded([this, node] { PGModelChoiceTreeViewExpanded(PGModelChoiceTreeView, node); });
    });
    connect(tree, &QTreeWidget::itemClicked, this,
            guardedSlot([this] { PGModelChoiceTreeViewClick(PGModelChoiceTreeView); }));
}

TPGChoiceForm::~TPGChoiceForm() = default;

void TPGChoiceForm::fillTree()
{
    QTreeWidget *tree = PGModelChoiceTreeView;
    // The empty top node opens nothing; every model follows in the
    // catalogue's order, each node made where its path first needs it.
    addNode(tree, QString());
    for (const CatalogueRow &row : modelCatalogue()) {
        QTreeWidgetItem *parent = nullptr;
        for (const QString &text : row.treePath)
            parent = childNode(tree, parent, text);
    }
}

// Expands or collapses every node, one by one, so that each expansion is
// announced like one made by hand.
void TPGChoiceForm::setAllExpanded(bool expanded)
{
    QList<QTreeWidgetItem *> pending;
    for (int i = 0; i < PGModelChoiceTreeView->topLevelItemCount(); ++i)
        pending.append(PGModelChoiceTreeView->topLevelItem(i));
    while (!pending.isEmpty()) {
        QTreeWidgetItem *node = pending.takeFirst();
        for (int i = 0; i < node->childCount(); ++i)
            pending.append(node->child(i));
        if (node->childCount() > 0)
            node->setExpanded(expanded);
    }
}

// ---------------------------------------------------------------- handlers

void TPGChoiceForm::FormShow(QObject *)
{
    setHint(PGModelChoiceTreeView, QLatin1String(kChooseModelHint));
    setAllExpanded(true);
    ExpandToggle = true;
    resize(WideChoiceWidth, height());
    ExpandToggle = false;
}

void TPGChoiceForm::FormResize(QObject *)
{
    PGModelChoiceTreeView->setGeometry(2, 4, m_client->width() - 4, m_client->height() - 6);
}

void TPGChoiceForm::PGModelChoiceTreeViewChange(QObject *, QTreeWidgetItem *node)
{
    if (!node || node->childCount() > 0)
        return;
    if (isModelLeaf(node))
        openModel(node);
    else
        notImplemented();
}

void TPGChoiceForm::PGModelChoiceTreeViewExpanded(QObject *, QTreeWidgetItem *)
{
    setHint(PGModelChoiceTreeView, QLatin1String(kChooseModelHint));
}

void TPGChoiceForm::PGModelChoiceTreeViewMouseDown(QObject *, Qt::MouseButton button,
                                                   Qt::KeyboardModifiers, const QPoint &)
{
    if (button != Qt::RightButton)
        return;
    if (ExpandToggle) {
        setAllExpanded(false);
        ExpandToggle = false;
    } else {
        setAllExpanded(true);
        ExpandToggle = true;
    }
}

void TPGChoiceForm::PGModelChoiceTreeViewKeyPress(QObject *sender, QChar key)
{
    if (key == QChar(13)) {
        const QList<QTreeWidgetItem *> selected = PGModelChoiceTreeView->selectedItems();
        if (!selected.isEmpty())
            PGModelChoiceTreeViewChange(sender, selected.first());
    } else if (key == QChar(27)) {
        close(); // refused: the choice window stays open for the whole run
    }
}

void TPGChoiceForm::PGModelChoiceTreeViewClick(QObject *) {}

// ---------------------------------------------------------------- helpers

bool TPGChoiceForm::isModelLeaf(const QTreeWidgetItem *node)
{
    return catalogueRowAt(pathOf(node)) != nullptr;
}

void TPGChoiceForm::notImplemented()
{
    desktop().beep();
    setHint(PGModelChoiceTreeView, QLatin1String(kNotImplementedHint));
}

void TPGChoiceForm::openModel(QTreeWidgetItem *node)
{
    if (!PGMainFrameForm || !hasModelWindow(node->text(0))) {
        notImplemented();
        return;
    }
    setHint(PGModelChoiceTreeView, QLatin1String(kChooseModelHint));
    QMdiSubWindow *window = createModel(node->text(0));
    if (!window) {
        notImplemented();
        return;
    }
    presentModel(window);
}

QMdiSubWindow *TPGChoiceForm::createModel(const QString &leaf)
{
    return createModelWindow(leaf, [] {
        if (!PGChoiceForm)
            return;
        PGChoiceForm->setEnabled(true);
        ArrangeChildWindows(PGChoiceForm, WideChoiceWidth);
    });
}

void TPGChoiceForm::presentModel(QMdiSubWindow *window)
{
    QMdiArea *area = PGMainFrameForm->mdiArea();
    if (!area->subWindowList().contains(window))
        area->addSubWindow(window);
    window->show();
    area->setActiveSubWindow(window);
    window->move(NarrowChoiceWidth, 0);
    ArrangeChildWindows(window, NarrowChoiceWidth);
    setEnabled(false);
}

void TPGChoiceForm::selectionChanged()
{
    const QList<QTreeWidgetItem *> selected = PGModelChoiceTreeView->selectedItems();
    if (!selected.isEmpty())
        PGModelChoiceTreeViewChange(PGModelChoiceTreeView, selected.first());
}

// ---------------------------------------------------------------- events

void TPGChoiceForm::showEvent(QShowEvent *event)
{
    QMdiSubWindow::showEvent(event);
    if (!event->spontaneous())
        guarded([this] { FormShow(this); });
}

void TPGChoiceForm::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

bool TPGChoiceForm::eventFilter(QObject *watched, QEvent *event)
{
    // The base class filters events of its own before the tree exists.
    if (!PGModelChoiceTreeView)
        return QMdiSubWindow::eventFilter(watched, event);
    if (watched == m_client && event->type() == QEvent::Resize) {
        guarded([this] { FormResize(this); });
    } else if (watched == PGModelChoiceTreeView->viewport()
               && event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const Qt::MouseButton button = mouse->button();
        guarded([&] {
            PGModelChoiceTreeViewMouseDown(PGModelChoiceTreeView, button, mouse->modifiers(),
                                           mouse->position().toPoint());
        });
        // The right button never changes the selection.
        if (button == Qt::RightButton)
            return true;
    } else if (watched == PGModelChoiceTreeView && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const int code = key->key();
        if (code == Qt::Key_Return || code == Qt::Key_Enter || code == Qt::Key_Escape) {
            const QChar character = code == Qt::Key_Escape ? QChar(27) : QChar(13);
            guarded([&] { PGModelChoiceTreeViewKeyPress(PGModelChoiceTreeView, character); });
            return true;
        }
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- layout

void ArrangeChildWindows(QObject *sender, quint16 width)
{
    TPGMainFrameForm *frame = PGMainFrameForm;
    TPGChoiceForm *choice = PGChoiceForm;
    if (!frame || !choice)
        return;
    // Computed as a 16-bit unsigned height: a client area too short for it
    // would give a negative value, so the arrangement is skipped.
    const int height = frame->clientHeight() - frame->StatusBar->height() - 4;
    if (height < 0 || height > 0xFFFF)
        return;
    const auto h = static_cast<quint16>(height);

    // The tree's designed width grows with the classroom size.
    choice->setGeometry(0, 0, width * viewScalePercent() / 100, h);
    choice->FormResize(sender);
    if (frame->childWindowCount() < 2)
        return;
    QMdiArea *area = frame->mdiArea();
    QMdiSubWindow *active = area->currentSubWindow();
    if (!active || active == choice) {
        area->activateNextSubWindow();
        active = area->currentSubWindow();
    }
    if (!active || active == choice)
        return;
    const int left = choice->width();
    active->setGeometry(left, 0, frame->clientWidth() - left - 4, h);
}

} // namespace morva::shell
