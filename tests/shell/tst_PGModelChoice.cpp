// The model-choice tree and the layout of the frame's children. State /
// Action / Expected in each test's name or comment.

#include "ShellSession.h"

#include "arith/Errors.h"
#include "shell/PanelStatusBar.h"

#include <QApplication>
#include <QTreeWidget>

#include <memory>

using namespace morva;
using namespace morva::shell;
using morva::test::FakeModels;
using morva::test::choiceNode;

namespace {

QTreeWidget *tree()
{
    return PGChoiceForm->PGModelChoiceTreeView;
}

QPoint nodeCentre(const QString &text)
{
    return tree()->visualItemRect(choiceNode(text)).center();
}

// Moves the pointer onto a node and presses a button there.
void clickNode(const QString &text, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseMove(tree()->viewport(), nodeCentre(text));
    QTest::mouseClick(tree()->viewport(), button, Qt::NoModifier, nodeCentre(text));
}

QString hintPanel()
{
    return PGMainFrameForm->panelText(TPGMainFrameForm::HintPanel);
}

QMdiSubWindow *modelWindow()
{
    for (QMdiSubWindow *child : PGMainFrameForm->childWindows())
        if (child != PGChoiceForm)
            return child;
    return nullptr;
}

QStringList expandedNodes()
{
    QStringList expanded;
    for (QTreeWidgetItem *node : tree()->findItems(QString(), Qt::MatchContains | Qt::MatchRecursive))
        if (node->isExpanded())
            expanded.append(node->text(0));
    return expanded;
}

} // namespace

class TestPGModelChoice : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void treeAsStored();
    void leafWithoutModelBeeps_data();
    void leafWithoutModelBeeps();
    void nodeWithChildrenDoesNothing();
    void modelLeafOpensWindow_data();
    void modelLeafOpensWindow();
    void cancelHandsBackAndReopens();
    void realModelWindowsOpenAndHandBack_data();
    void realModelWindowsOpenAndHandBack();
    void rightButtonTogglesExpansion();
    void expandingByHandRestoresHint();
    void escapeLeavesChoiceOpen();
    void failingModelIsReported();
    void arrangeSkipsTooShortChildArea();

private:
    std::unique_ptr<test::FakeDesktop> m_desktop;
};

void TestPGModelChoice::init()
{
    m_desktop = std::make_unique<test::FakeDesktop>();
    QVERIFY(test::startShell());
}

void TestPGModelChoice::cleanup()
{
    test::stopShell();
    const QStringList unexpected = m_desktop->messageTexts();
    m_desktop.reset();
    QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(QLatin1String(" | "))));
}

// The tree's nodes in order, with their levels, and its fixed properties.
void TestPGModelChoice::treeAsStored()
{
    // The first nodes, then the models added after them.
    QStringList top;
    for (int i = 0; i < tree()->topLevelItemCount(); ++i)
        top << tree()->topLevelItem(i)->text(0);
    QCOMPARE(top, (QStringList{"", "Mutation", "Natural selection", "Inbreeding",
                               "Sex-linked locus", "Linkage (2 loci)", "Genetic drift"}));
    const auto leavesOf = [](const QTreeWidgetItem *node) {
        QStringList leaves;
        for (int i = 0; i < node->childCount(); ++i)
            leaves << node->child(i)->text(0);
        return leaves;
    };
    // The selection leaves first, as they always stood; models the catalogue
    // adds beside them follow.
    QCOMPARE(leavesOf(tree()->topLevelItem(2)).mid(0, 4),
             (QStringList{"2 alleles", "3 alleles", "2 alleles with mutation",
                          "2 alleles with migration"}));
    QCOMPARE(leavesOf(tree()->topLevelItem(3)), QStringList{"Partial selfing"});
    QCOMPARE(leavesOf(tree()->topLevelItem(6)), QStringList());
    QVERIFY(!tree()->rootIsDecorated());
    QCOMPARE(tree()->indentation(), 18);
    QCOMPARE(tree()->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(tree()->statusTip(), QStringLiteral("Use the tree to choose a model"));
    // The tree sits inside the window's client area with its margins.
    QCOMPARE(tree()->geometry(),
             QRect(2, 4, tree()->parentWidget()->width() - 4, tree()->parentWidget()->height() - 6));
}

void TestPGModelChoice::leafWithoutModelBeeps_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<bool>("registered");
    QTest::newRow("empty node") << "" << true;
    QTest::newRow("model not registered") << "3 alleles" << false;
}

// Action: click a leaf that opens nothing. Expected: one beep, the
// not-implemented text in panel 0 while the pointer is over the tree, no new
// window; the choice window stays enabled.
void TestPGModelChoice::leafWithoutModelBeeps()
{
    QFETCH(QString, node);
    QFETCH(bool, registered);
    std::unique_ptr<FakeModels> models(registered ? new FakeModels : nullptr);
    if (!registered)
        registerModelWindow(node, {}); // start-up registered the real one
    clickNode(node);
    QCOMPARE(m_desktop->beeps, 1);
    QTRY_COMPARE(hintPanel(), QStringLiteral("Sorry, the selected model is not implemented yet"));
    QCOMPARE(tree()->statusTip(), QStringLiteral("Sorry, the selected model is not implemented yet"));
    QCOMPARE(PGMainFrameForm->childWindowCount(), 1);
    QVERIFY(PGChoiceForm->isEnabled());
}

// Action: click "Natural selection". Expected: nothing: no beep, no window,
// the hint unchanged.
void TestPGModelChoice::nodeWithChildrenDoesNothing()
{
    FakeModels models;
    clickNode(QStringLiteral("Natural selection"));
    QCOMPARE(choiceNode(QStringLiteral("Natural selection"))->isSelected(), true);
    QCOMPARE(m_desktop->beeps, 0);
    QCOMPARE(models.created, 0);
    QTRY_COMPARE(hintPanel(), QStringLiteral("Use the tree to choose a model"));
    QCOMPARE(PGMainFrameForm->childWindowCount(), 1);
}

void TestPGModelChoice::modelLeafOpensWindow_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<bool>("byKeyboard");
    QTest::newRow("Mutation by arrow key") << "Mutation" << true;
    QTest::newRow("2 alleles by mouse") << "2 alleles" << false;
    QTest::newRow("3 alleles by mouse") << "3 alleles" << false;
}

// Action: select a model leaf. Expected: its window opens at once, active,
// beside the choice window, which is disabled and 180 wide; the model window
// runs from 180 to the right edge of the child area, both full height.
void TestPGModelChoice::modelLeafOpensWindow()
{
    QFETCH(QString, node);
    QFETCH(bool, byKeyboard);
    FakeModels models;
    if (byKeyboard) {
        // The tree takes the focus with the empty node current but unselected;
        // one step down selects "Mutation".
        tree()->setFocus();
        QTRY_VERIFY(tree()->hasFocus());
        QTest::keyClick(tree(), Qt::Key_Down);
    } else {
        clickNode(node);
    }
    QCOMPARE(models.created, 1);
    QCOMPARE(models.lastCreated, node);
    QCOMPARE(m_desktop->beeps, 0);
    QVERIFY(!PGChoiceForm->isEnabled());
    QCOMPARE(PGMainFrameForm->childWindowCount(), 2);
    QMdiSubWindow *model = modelWindow();
    QVERIFY(model);
    QCOMPARE(PGMainFrameForm->mdiArea()->currentSubWindow(), model);
    const QSize area = test::childArea();
    QCOMPARE(PGChoiceForm->geometry(), QRect(0, 0, 180, area.height()));
    QCOMPARE(model->geometry(), QRect(180, 0, area.width() - 180, area.height()));

    // The same layout after the frame is resized.
    PGMainFrameForm->resize(1000, 700);
    QTRY_COMPARE(model->geometry(), QRect(180, 0, test::childArea().width() - 180,
                                          test::childArea().height()));
    QCOMPARE(PGChoiceForm->geometry(), QRect(0, 0, 180, test::childArea().height()));
}

// State: "2 alleles" open. Action: Cancel; click the still selected node;
// Enter; Cancel; select another node and come back. Expected: Cancel frees
// the window and gives the choice window back 250 wide and enabled; the click
// does nothing, Enter and the new selection each open the model again.
void TestPGModelChoice::cancelHandsBackAndReopens()
{
    FakeModels models;
    clickNode(QStringLiteral("2 alleles"));
    QCOMPARE(models.created, 1);

    auto cancelModel = [] {
        QPointer<QMdiSubWindow> model = modelWindow();
        QVERIFY(model);
        QTest::mouseClick(static_cast<test::FakeModelWindow *>(model.data())->cancel,
                          Qt::LeftButton);
        QTRY_VERIFY(model.isNull());
        QVERIFY(PGChoiceForm->isEnabled());
        QCOMPARE(PGMainFrameForm->childWindowCount(), 1);
        QCOMPARE(PGChoiceForm->geometry(), QRect(0, 0, 250, test::childArea().height()));
    };
    cancelModel();
    if (QTest::currentTestFailed())
        return;

    QVERIFY(choiceNode(QStringLiteral("2 alleles"))->isSelected());
    clickNode(QStringLiteral("2 alleles"));
    QCOMPARE(models.created, 1);

    tree()->setFocus();
    QTest::keyClick(tree(), Qt::Key_Return);
    QCOMPARE(models.created, 2);
    QVERIFY(!PGChoiceForm->isEnabled());
    cancelModel();
    if (QTest::currentTestFailed())
        return;

    clickNode(QStringLiteral("Natural selection"));
    clickNode(QStringLiteral("2 alleles"));
    QCOMPARE(models.created, 3);
    QCOMPARE(m_desktop->beeps, 0);
}

void TestPGModelChoice::realModelWindowsOpenAndHandBack_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("cancel");
    QTest::newRow("Mutation") << "Mutation" << "Mut2Form" << "CancelBtn";
    QTest::newRow("2 alleles") << "2 alleles" << "SelDi2Form" << "SelCancelBtn";
    QTest::newRow("3 alleles") << "3 alleles" << "SelDi3Form" << "SelCancelBtn";
    QTest::newRow("with mutation") << "2 alleles with mutation" << "SelMut2Form" << "SelCancelBtn";
    QTest::newRow("with migration") << "2 alleles with migration" << "SelMig2Form"
                                    << "SelCancelBtn";
    QTest::newRow("Partial selfing") << "Partial selfing" << "InbreedForm" << "SelCancelBtn";
    QTest::newRow("Sex-linked locus") << "Sex-linked locus" << "SexLinkForm" << "SelCancelBtn";
    QTest::newRow("Linkage (2 loci)") << "Linkage (2 loci)" << "LinkDisForm" << "SelCancelBtn";
    QTest::newRow("Genetic drift") << "Genetic drift" << "Drift2Form" << "SelCancelBtn";
}

// State: the model windows registered at start-up. Action: select the leaf,
// then the window's Cancel. Expected: the model's own window opens beside the
// disabled tree; Cancel frees it and hands the tree back, 250 wide.
void TestPGModelChoice::realModelWindowsOpenAndHandBack()
{
    QFETCH(QString, node);
    QFETCH(QString, window);
    QFETCH(QString, cancel);
    clickNode(node);
    QPointer<QMdiSubWindow> model = modelWindow();
    QVERIFY(model);
    QCOMPARE(model->objectName(), window);
    QVERIFY(!PGChoiceForm->isEnabled());
    const QSize area = test::childArea();
    QCOMPARE(PGChoiceForm->geometry(), QRect(0, 0, 180, area.height()));
    QCOMPARE(model->geometry(), QRect(180, 0, area.width() - 180, area.height()));

    auto *button = model->findChild<QPushButton *>(cancel);
    QVERIFY(button);
    QTRY_VERIFY(button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_VERIFY(model.isNull());
    QVERIFY(PGChoiceForm->isEnabled());
    QCOMPARE(PGMainFrameForm->childWindowCount(), 1);
    QCOMPARE(PGChoiceForm->geometry(), QRect(0, 0, 250, area.height()));
    QCOMPARE(m_desktop->beeps, 0);
}

// Action: three right-button presses over a leaf. Expected: the first
// expands the already expanded tree (no visible change), the second collapses
// it, the third expands it again; the selection never changes.
void TestPGModelChoice::rightButtonTogglesExpansion()
{
    clickNode(QStringLiteral("Natural selection"));
    const QPoint onLeaf = nodeCentre(QStringLiteral("3 alleles"));
    const QStringList all = {QStringLiteral("Natural selection"), QStringLiteral("Inbreeding")};
    const struct {
        bool toggle;
        QStringList expanded;
    } steps[] = {{true, all}, {false, {}}, {true, all}};
    for (const auto &step : steps) {
        QTest::mouseClick(tree()->viewport(), Qt::RightButton, Qt::NoModifier, onLeaf);
        QCOMPARE(ExpandToggle, step.toggle);
        QCOMPARE(expandedNodes(), step.expanded);
        QCOMPARE(tree()->selectedItems(),
                 QList<QTreeWidgetItem *>{choiceNode(QStringLiteral("Natural selection"))});
    }
    QCOMPARE(m_desktop->beeps, 0);
}

// State: the not-implemented hint showing, the tree collapsed. Action:
// select "Natural selection" and expand it with the Right key. Expected: the hint reads
// "Use the tree to choose a model" again.
void TestPGModelChoice::expandingByHandRestoresHint()
{
    QTest::mouseClick(tree()->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseClick(tree()->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    QVERIFY(!choiceNode(QStringLiteral("Natural selection"))->isExpanded());
    clickNode(QString());
    QTRY_COMPARE(hintPanel(), QStringLiteral("Sorry, the selected model is not implemented yet"));

    clickNode(QStringLiteral("Natural selection"));
    QCOMPARE(hintPanel(), QStringLiteral("Sorry, the selected model is not implemented yet"));
    QTest::keyClick(tree(), Qt::Key_Right);
    QVERIFY(choiceNode(QStringLiteral("Natural selection"))->isExpanded());
    QTRY_COMPARE(hintPanel(), QStringLiteral("Use the tree to choose a model"));
}

// Action: Esc in the tree. Expected: the request to close is refused.
void TestPGModelChoice::escapeLeavesChoiceOpen()
{
    tree()->setFocus();
    QTest::keyClick(tree(), Qt::Key_Escape);
    QVERIFY(PGChoiceForm->isVisible());
    QCOMPARE(PGMainFrameForm->childWindowCount(), 1);
    PGChoiceForm->close();
    QVERIFY(PGChoiceForm->isVisible());
}

// State: the model's window fails while it is created. Expected: the default
// error report (stop icon, "MORVA 99", full stop appended); nothing opens,
// the tree stays usable.
void TestPGModelChoice::failingModelIsReported()
{
    registerModelWindow(QStringLiteral("Mutation"),
                        [](std::function<void()>) -> QMdiSubWindow * { throw ERangeError(); });
    clickNode(QStringLiteral("Mutation"));
    registerModelWindow(QStringLiteral("Mutation"), {});
    QCOMPARE(m_desktop->messages.size(), 1);
    QCOMPARE(m_desktop->messages.first().icon, MessageIcon::Stop);
    QCOMPARE(m_desktop->messages.first().title, QStringLiteral("MORVA 99"));
    QCOMPARE(m_desktop->messages.first().text, QStringLiteral("Range check error."));
    m_desktop->clear();

    QVERIFY(PGChoiceForm->isEnabled());
    QCOMPARE(PGMainFrameForm->childWindowCount(), 1);
    clickNode(QString());
    QCOMPARE(m_desktop->beeps, 1);
}

// State: the child area squeezed below 4 pixels. Action: arrange. Expected:
// nothing moves and no error is reported.
void TestPGModelChoice::arrangeSkipsTooShortChildArea()
{
    PGChoiceForm->setGeometry(10, 10, 200, 100);
    PGMainFrameForm->mdiArea()->setFixedHeight(2);
    QTRY_COMPARE(PGMainFrameForm->mdiArea()->height(), 2);
    ArrangeChildWindows(PGChoiceForm, WideChoiceWidth);
    QCOMPARE(PGChoiceForm->geometry(), QRect(10, 10, 200, 100));

    PGMainFrameForm->mdiArea()->setFixedHeight(104);
    QTRY_COMPARE(PGMainFrameForm->mdiArea()->height(), 104);
    ArrangeChildWindows(PGChoiceForm, WideChoiceWidth);
    QCOMPARE(PGChoiceForm->geometry(), QRect(0, 0, 250, 100));
}

QTEST_MAIN(TestPGModelChoice)
#include "tst_PGModelChoice.moc"
