// The frame's View menu: the classroom size of the model windows and the
// tree, remembered across sessions.

#include "shell/PGFrame.h"

#include "models/frame/ModelForm.h"
#include "models/frame/ViewScale.h"
#include "platform/Application.h"
#include "shell/PGModelChoice.h"
#include "shell/PanelStatusBar.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>

namespace morva::shell {

namespace {

const QString kScaleKey = QStringLiteral("View/TextSizePercent");

QSettings settings()
{
    return QSettings(QLatin1String(kSettingsOrganization), QLatin1String(kApplicationTitle));
}

} // namespace

void TPGMainFrameForm::createViewMenu()
{
    View1 = MainMenu1->addMenu(QStringLiteral("&View"));
    View1->setObjectName(QStringLiteral("View1"));
    const auto add = [this](const char *name, const QString &caption, const QString &hint,
                            const QKeySequence &key, int direction) {
        auto *action = new QAction(caption, this);
        action->setObjectName(QLatin1String(name));
        action->setStatusTip(hint);
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, guardedSlot([this, direction] {
                    setViewScale(direction == 0 ? 100
                                                : nextViewScale(viewScalePercent(), direction));
                }));
        View1->addAction(action);
        return action;
    };
    LargerTextItem = add("LargerTextItem", QStringLiteral("&Larger text"),
                         QStringLiteral("Show the models and the tree larger"),
                         QKeySequence::ZoomIn, 1);
    // Ctrl+= as well: on most keyboards + lies on the = key with Shift.
    LargerTextItem->setShortcuts({QKeySequence(QKeySequence::ZoomIn), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    SmallerTextItem = add("SmallerTextItem", QStringLiteral("&Smaller text"),
                          QStringLiteral("Show the models and the tree smaller"),
                          QKeySequence::ZoomOut, -1);
    NormalSizeItem = add("NormalSizeItem", QStringLiteral("&Normal size"),
                         QStringLiteral("Show the models and the tree at their designed size"),
                         QKeySequence(Qt::CTRL | Qt::Key_0), 0);
}

void TPGMainFrameForm::restoreViewScale()
{
    setViewScalePercent(settings().value(kScaleKey, 100).toInt());
    applyViewScaleToChildren();
}

void TPGMainFrameForm::setViewScale(int percent)
{
    setViewScalePercent(percent);
    settings().setValue(kScaleKey, viewScalePercent());
    applyViewScaleToChildren();
}

// The frame's own texts: the menu bar, its menus and the status bar (where
// the charts' readouts stand).
QList<QWidget *> TPGMainFrameForm::frameTexts() const
{
    QList<QWidget *> texts{MainMenu1, StatusBar};
    for (QMenu *menu : MainMenu1->findChildren<QMenu *>())
        texts << menu;
    return texts;
}

// The frame's texts, each open model window and the tree, at the current
// size; a window made later takes it when first shown.
void TPGMainFrameForm::applyViewScaleToChildren()
{
    for (QWidget *text : frameTexts())
        scaleFontOf(text, viewScalePercent());
    StatusBar->setScale(viewScalePercent());
    for (QMdiSubWindow *child : m_mdiArea->subWindowList()) {
        if (auto *model = qobject_cast<ModelForm *>(child))
            model->applyViewScale();
        else
            scaleWidgets(child, viewScalePercent());
    }
    ArrangeChildWindows(this, childWindowCount() > 1 ? NarrowChoiceWidth : WideChoiceWidth);
}

} // namespace morva::shell
