#ifndef MORVA_TESTS_SHELL_SHELLSESSION_H
#define MORVA_TESTS_SHELL_SHELLSESSION_H

// What the shell tests share: a desktop double that can print to a PDF file,
// a stand-in model window with a Cancel button, and a session that runs the
// program's start-up and tear-down around one test.

#include "shell/About.h"
#include "shell/ModelFactory.h"
#include "shell/PGFrame.h"
#include "shell/PGModelChoice.h"
#include "shell/Startup.h"
#include "tests/support/FakeDesktop.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <functional>
#include <memory>

namespace morva::test {

// Confirms the print dialog with a PDF file as the printer when a file is set.
class PrintingDesktop : public FakeDesktop {
public:
    bool runPrintDialog(QWidget *parent, QPrinter &printer) override
    {
        FakeDesktop::runPrintDialog(parent, printer);
        if (!confirmPrint)
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfFile);
        return true;
    }
    QString pdfFile;
};

// A model window as the model layer builds it: no border icons, freed on
// close, and a Cancel button that closes it and then hands control back.
class FakeModelWindow : public QMdiSubWindow {
public:
    explicit FakeModelWindow(std::function<void()> handBack, const QString &caption)
        : m_handBack(std::move(handBack))
    {
        setObjectName(QStringLiteral("FakeModelWindow"));
        setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(caption);
        cancel = new QPushButton(QStringLiteral("Cancel"));
        cancel->setObjectName(QStringLiteral("CancelBtn"));
        setWidget(cancel);
        QObject::connect(cancel, &QPushButton::clicked, cancel, [this] {
            close();
            m_handBack();
        });
    }
    QPushButton *cancel = nullptr;

private:
    std::function<void()> m_handBack;
};

// Registers stand-in windows for the three model leaves; counts creations.
struct FakeModels {
    FakeModels()
    {
        for (const char *leaf : {"Mutation", "2 alleles", "3 alleles"}) {
            const QString text = QLatin1String(leaf);
            shell::registerModelWindow(text, [this, text](std::function<void()> handBack) {
                ++created;
                lastCreated = text;
                return new FakeModelWindow(std::move(handBack), text);
            });
        }
    }
    ~FakeModels()
    {
        for (const char *leaf : {"Mutation", "2 alleles", "3 alleles"})
            shell::registerModelWindow(QLatin1String(leaf), {});
    }
    int created = 0;
    QString lastCreated;
};

// Starts the program as main does (frame shown and active) and tears it down
// at the end of the test.
// Settings the program remembers (the classroom size) go to a folder of
// the test run's own, never to the user's.
inline void keepSettingsApart()
{
    static const QTemporaryDir folder;
    static const bool kept = [] {
        for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, folder.path());
        return true;
    }();
    Q_UNUSED(kept);
}

inline bool startShell()
{
    keepSettingsApart();
    shell::startUp();
    shell::PGMainFrameForm->activateWindow();
    return QTest::qWaitForWindowActive(shell::PGMainFrameForm);
}

inline void stopShell()
{
    shell::tearDown();
}

// The height and width of the child area's inside, which the arranged
// windows fill.
inline QSize childArea()
{
    return shell::PGMainFrameForm->mdiArea()->viewport()->size();
}

inline QTreeWidgetItem *choiceNode(const QString &text)
{
    const auto found =
        shell::PGChoiceForm->PGModelChoiceTreeView->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.value(0);
}

} // namespace morva::test

#endif
