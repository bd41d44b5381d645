#include "shell/ModelHelp.h"

#include "models/Catalogue.h"

#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace morva::shell {

ModelHelpDialog::ModelHelpDialog(QWidget *parent)
    : QDialog(parent), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("ModelHelpDialog"));
    m_browser->setObjectName(QStringLiteral("ModelHelpBrowser"));
    m_browser->setOpenLinks(false);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addWidget(buttons);
    resize(560, 560);
}

void ModelHelpDialog::showModel(const CatalogueRow &row)
{
    setWindowTitle(QStringLiteral("About this model - %1").arg(row.treePath.join(QStringLiteral(", "))));
    m_browser->setHtml(row.explanation());
    m_browser->moveCursor(QTextCursor::Start);
    show();
    raise();
    activateWindow();
}

} // namespace morva::shell
