#include "shell/Childwin.h"

#include "platform/AppIcon.h"
#include "platform/Application.h"
#include "shell/DesignFont.h"
#include "shell/PGModelChoice.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <initializer_list>
#include <utility>

namespace morva::shell {

namespace {

constexpr int kDesignWidth = 429;
constexpr int kDesignHeight = 215;
constexpr int kTreeIndent = 19;

// The stored nodes: level and text, in order.
const std::initializer_list<std::pair<int, const char *>> kNodes = {
    {0, "\"Hardy-Weinberg\""},
    {1, "Haploid"},
    {1, "Diploid"},
    {2, "One autossomal gene"},
    {2, "One sex-linked gene"},
    {2, "Two autossomal genes"},
    {0, "Mutation"},
    {0, "Selection"},
    {1, "Haploid"},
    {2, "Constant fitnesses"},
    {2, "Variable fitnesses"},
    {3, "Frequency-dependent fitnesses"},
    {3, "Time-dependent fitnesses"},
    {1, "Diploid"},
    {2, "Constant fitnesses"},
    {2, "Variable fitnesses"},
    {0, "Random Drift"},
};

} // namespace

TMDIChild::TMDIChild(QWidget *parent) : QMdiSubWindow(parent)
{
    setObjectName(QStringLiteral("MDIChild"));
    setWindowTitle(QStringLiteral("MDI Child"));
    setWindowIcon(applicationIcon());
    setFont(designFont(QStringLiteral("System"), 13));
    resize(kDesignWidth, kDesignHeight);

    SelModelChoice = new QGroupBox(QStringLiteral("Model Choice"), this);
    SelModelChoice->setObjectName(QStringLiteral("SelModelChoice"));
    SelModelChoice->setFont(designFont(QStringLiteral("MS Sans Serif"), 11));
    setWidget(SelModelChoice);

    TreeView1 = new QTreeWidget(SelModelChoice);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setStatusTip(QLatin1String(kChooseModelHint));
    TreeView1->setColumnCount(1);
    TreeView1->header()->hide();
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setIndentation(kTreeIndent);
    TreeView1->setRootIsDecorated(true);
    auto *layout = new QVBoxLayout(SelModelChoice);
    layout->addWidget(TreeView1);
    fillTree();
}

TMDIChild::~TMDIChild() = default;

void TMDIChild::fillTree()
{
    QList<QTreeWidgetItem *> path; // the last node of each level so far
    for (const auto &[level, text] : kNodes) {
        QTreeWidgetItem *node = level == 0
                                    ? new QTreeWidgetItem(TreeView1)
                                    : new QTreeWidgetItem(path.at(level - 1));
        node->setText(0, QString::fromLatin1(text));
        path.resize(level);
        path.append(node);
    }
}

void TMDIChild::FormClose(QObject *)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

void TMDIChild::closeEvent(QCloseEvent *event)
{
    guarded([this] { FormClose(this); });
    QMdiSubWindow::closeEvent(event);
}

} // namespace morva::shell
