#ifndef MORVA_SHELL_MODELHELP_H
#define MORVA_SHELL_MODELHELP_H

// The window of Help > About this model: the explanation page of one model
// of the catalogue, beside the frame, so that a student can read it while
// the model's window stays usable.

#include <QDialog>

class QTextBrowser;

namespace morva {
struct CatalogueRow;
}

namespace morva::shell {

class ModelHelpDialog : public QDialog {
    Q_OBJECT
public:
    explicit ModelHelpDialog(QWidget *parent);

    // Shows the page of the row's model, scrolled to its top.
    void showModel(const CatalogueRow &row);
    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser;
};

} // namespace morva::shell

#endif
