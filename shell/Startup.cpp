#include "shell/Startup.h"

#include "platform/Application.h"
#include "models/frame/ViewScale.h"
#include "shell/About.h"
#include "shell/ModelWindows.h"
#include "shell/PGFrame.h"
#include "shell/PGModelChoice.h"

#include <QMdiArea>

namespace morva::shell {

void startUp()
{
    if (PGMainFrameForm)
        return;
    QCoreApplication::setApplicationName(QLatin1String(kApplicationTitle));
    registerModelWindows();

    PGMainFrameForm = new TPGMainFrameForm;
    PGMainFrameForm->setAttribute(Qt::WA_DeleteOnClose, false);

    // Owned by the frame's child area; visible at once.
    PGChoiceForm = new TPGChoiceForm;
    PGMainFrameForm->mdiArea()->addSubWindow(PGChoiceForm);
    PGChoiceForm->show();
    PGMainFrameForm->restoreViewScale();

    // A dialog of the frame: freed with it, shown only by Help, About.
    AboutBox = new TAboutBox(PGMainFrameForm);

    PGMainFrameForm->show();
}

void tearDown()
{
    delete PGMainFrameForm.data(); // frees the choice window and the about box with it
    PGMainFrameForm = nullptr;
    PGChoiceForm = nullptr;
    AboutBox = nullptr;
    ExpandToggle = false;
    setViewScalePercent(100);
    DefaultWidth = 0;
    DefaultHeight = 0;
    StartTime = QDateTime();
}

} // namespace morva::shell
