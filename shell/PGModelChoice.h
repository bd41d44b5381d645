#ifndef MORVA_SHELL_PGMODELCHOICE_H
#define MORVA_SHELL_PGMODELCHOICE_H

// The model-choice window: the frame's first child window, holding the tree
// whose leaves open the model windows, and ArrangeChildWindows, the one
// routine that lays out the choice window and the open model window.

#include <QMdiSubWindow>
#include <QPointer>

class QTreeWidget;
class QTreeWidgetItem;

namespace morva::shell {

class TPGChoiceForm : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit TPGChoiceForm(QWidget *parent = nullptr);
    ~TPGChoiceForm() override;

    // Handlers; each takes the sender and the event's own arguments.
    void FormShow(QObject *sender);
    void FormResize(QObject *sender);
    void PGModelChoiceTreeViewChange(QObject *sender, QTreeWidgetItem *node);
    void PGModelChoiceTreeViewExpanded(QObject *sender, QTreeWidgetItem *node);
    void PGModelChoiceTreeViewMouseDown(QObject *sender, Qt::MouseButton button,
                                        Qt::KeyboardModifiers shift, const QPoint &position);
    void PGModelChoiceTreeViewKeyPress(QObject *sender, QChar key);
    void PGModelChoiceTreeViewClick(QObject *sender);

    QTreeWidget *PGModelChoiceTreeView = nullptr;

    // A model window made as a click on its leaf makes it, with the same
    // hand-back, but not yet shown; nullptr when the leaf has none.
    QMdiSubWindow *createModel(const QString &leaf);
    // Shows a window createModel made, as a click on its leaf does.
    void presentModel(QMdiSubWindow *window);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillTree();
    void setAllExpanded(bool expanded);
    void openModel(QTreeWidgetItem *node);
    void notImplemented();
    void selectionChanged();
    static bool isModelLeaf(const QTreeWidgetItem *node);

    QWidget *m_client = nullptr;
};

// The choice window; null before start-up and after tear-down.
extern QPointer<TPGChoiceForm> PGChoiceForm;
// The choice window's width while no model window is open, and while one is.
inline constexpr quint16 WideChoiceWidth = 250;
inline constexpr quint16 NarrowChoiceWidth = 180;
// Alternates full expansion and full collapse on right-button presses.
extern bool ExpandToggle;

// The tree's hints.
inline constexpr const char *kChooseModelHint = "Use the tree to choose a model";
inline constexpr const char *kNotImplementedHint =
    "Sorry, the selected model is not implemented yet";

// Lays out the frame's children: the choice window at the left edge, `width`
// wide and the height of the child area; with a model window open, that
// window fills the rest. Does nothing when the child area is too short to
// hold any window (less than 4 pixels).
void ArrangeChildWindows(QObject *sender, quint16 width);

} // namespace morva::shell

#endif
