#ifndef MORVA_TESTS_SUPPORT_MODELDRIVER_H
#define MORVA_TESTS_SUPPORT_MODELDRIVER_H

// Drives the real model windows through the running shell, as a user does:
// a click on a leaf of the choice tree opens the model, Cancel closes it.
// Needs the shell started (tests/shell/ShellSession.h, startShell()).

#include "controls/Aligrid.h"
#include "models/Catalogue.h"
#include "models/frame/ModelForm.h"
#include "models/windows/Mut2.h"
#include "models/windows/SelDi2.h"
#include "models/windows/SelDi3.h"
#include "shell/PGFrame.h"
#include "shell/PGModelChoice.h"
#include "tests/shell/ShellSession.h"
#include "tests/support/GuiFixture.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMdiArea>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace morva::test {

inline const QString kTwoAllelesLeaf = QStringLiteral("2 alleles");
inline const QString kThreeAllelesLeaf = QStringLiteral("3 alleles");
inline const QString kMutationLeaf = QStringLiteral("Mutation");
inline const QString kSelectionMutationLeaf = QStringLiteral("2 alleles with mutation");
inline const QString kSelectionMigrationLeaf = QStringLiteral("2 alleles with migration");
inline const QString kPartialSelfingLeaf = QStringLiteral("Partial selfing");
inline const QString kSexLinkedLeaf = QStringLiteral("Sex-linked locus");
inline const QString kLinkageLeaf = QStringLiteral("Linkage (2 loci)");
inline const QString kDriftLeaf = QStringLiteral("Genetic drift");

// The open model window, whichever it is; nullptr when none is open.
inline ModelForm *openModelWindow()
{
    if (!shell::PGMainFrameForm)
        return nullptr;
    for (QMdiSubWindow *child : shell::PGMainFrameForm->childWindows()) {
        if (auto *model = qobject_cast<ModelForm *>(child))
            return model;
    }
    return nullptr;
}

// Whether any model window or its global is still around.
inline bool anyModelLeft()
{
    return openModelWindow() || SelDi2Form || SelDi3Form || Mut2Form;
}

// Clicks a node of the choice tree with the left button.
inline void clickChoiceNode(const QString &text)
{
    QTreeWidget *tree = shell::PGChoiceForm->PGModelChoiceTreeView;
    QTreeWidgetItem *node = choiceNode(text);
    if (!node)
        return;
    tree->scrollToItem(node);
    const QPoint centre = tree->visualItemRect(node).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

// Opens a model by clicking its leaf. A leaf still selected from the last
// time is selected afresh by a click on "Natural selection" first (which
// opens nothing), as a user would. Returns the new window, or nullptr.
inline ModelForm *openFromTree(const QString &leaf)
{
    if (!shell::PGChoiceForm)
        return nullptr;
    if (QTreeWidgetItem *node = choiceNode(leaf); node && node->isSelected())
        clickChoiceNode(QStringLiteral("Natural selection"));
    clickChoiceNode(leaf);
    return openModelWindow();
}

// The texts of every cell of a grid, row by row, with its row count first.
inline QStringList gridTexts(const TStringAlignGrid *grid)
{
    QStringList texts{QString::number(grid->rowCount())};
    for (int row = 0; row < grid->rowCount(); ++row) {
        for (int col = 0; col < grid->colCount(); ++col)
            texts << grid->cell(col, row);
    }
    return texts;
}

// Clicks Cancel and waits until the window is freed. False when it outlived
// the wait.
inline bool cancelAndWait(ModelForm *window)
{
    QPointer<ModelForm> guard(window);
    QTest::mouseClick(window->cancelButton(), Qt::LeftButton);
    // The window frees itself through a deferred delete; deliver it now
    // rather than wait for the next pass of the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return guard.isNull() || QTest::qWaitFor([&] { return guard.isNull(); }, 5000);
}

// One data row per model of the catalogue, named by its id, in column "id".
inline void addRowPerModel()
{
    QTest::addColumn<QString>("id");
    for (const CatalogueRow &row : modelCatalogue())
        QTest::newRow(qPrintable(row.id)) << row.id;
}

// The running program around one test that drives model windows: start()
// in init() gives a fresh desktop double and starts the shell; finish() in
// cleanup() cancels the open model window, tears the shell down and returns
// the texts of the message boxes nobody expected.
class ModelSession {
public:
    bool start()
    {
        m_fixture = std::make_unique<GuiFixture>();
        return startShell();
    }
    QStringList finish()
    {
        if (ModelForm *window = openModelWindow())
            cancelAndWait(window);
        stopShell();
        const QStringList left = m_fixture->desktop.messageTexts();
        m_fixture.reset();
        return left;
    }
    FakeDesktop &desktop() { return m_fixture->desktop; }

private:
    std::unique_ptr<GuiFixture> m_fixture;
};

} // namespace morva::test

#endif
