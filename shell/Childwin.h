#ifndef MORVA_SHELL_CHILDWIN_H
#define MORVA_SHELL_CHILDWIN_H

// The generic child window of File, New and File, Open: a group box holding
// a static tree of model names. It frees itself when closed.

#include <QMdiSubWindow>

class QGroupBox;
class QTreeWidget;

namespace morva::shell {

class TMDIChild : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit TMDIChild(QWidget *parent = nullptr);
    ~TMDIChild() override;

    void FormClose(QObject *sender);

    QGroupBox *SelModelChoice = nullptr;
    QTreeWidget *TreeView1 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void fillTree();
};

} // namespace morva::shell

#endif
