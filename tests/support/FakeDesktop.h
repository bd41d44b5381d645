#ifndef MORVA_TESTS_SUPPORT_FAKEDESKTOP_H
#define MORVA_TESTS_SUPPORT_FAKEDESKTOP_H

// Test double of the desktop services: records every message box, beep,
// opened address, print request and save dialog, and answers from fields the
// test sets (a save dialog answers `saveAnswer`: an empty path cancels).
// Construct one per test (or per test case); it installs itself and restores
// the real services when destroyed.

#include "platform/Desktop.h"

#include <QList>
#include <QStringList>

namespace morva::test {

class FakeDesktop : public DesktopServices {
public:
    struct Message {
        MessageIcon icon;
        QString title;
        QString text;
    };

    FakeDesktop() { setDesktop(this); }
    ~FakeDesktop() override { setDesktop(nullptr); }
    FakeDesktop(const FakeDesktop &) = delete;
    FakeDesktop &operator=(const FakeDesktop &) = delete;

    void beep() override { ++beeps; }
    void showMessage(QWidget *, MessageIcon icon, const QString &title,
                     const QString &text) override
    {
        messages.append({icon, title, text});
    }
    bool numLockOn() const override { return numLock; }
    QSize screenSize() const override { return screen; }
    // The whole screen unless a test sets `available`.
    QRect availableGeometry() const override
    {
        return available.isNull() ? QRect(QPoint(0, 0), screen) : available;
    }
    QDateTime now() const override { return clock; }
    void openUrl(const QString &address) override { openedUrls.append(address); }
    bool runPrintDialog(QWidget *, QPrinter &) override
    {
        ++printDialogs;
        return confirmPrint;
    }
    SaveDialogAnswer runSaveDialog(QWidget *, const SaveDialogRequest &request) override
    {
        saveDialogs.append(request);
        return saveAnswer;
    }
    QString runOpenDialog(QWidget *, const SaveDialogRequest &request) override
    {
        openDialogs.append(request);
        return openAnswer;
    }

    // The texts of the recorded messages, in order.
    QStringList messageTexts() const
    {
        QStringList texts;
        for (const Message &m : messages)
            texts.append(m.text);
        return texts;
    }
    void clear()
    {
        messages.clear();
        beeps = 0;
        openedUrls.clear();
        printDialogs = 0;
        saveDialogs.clear();
    }

    QList<Message> messages;
    int beeps = 0;
    bool numLock = false;
    QSize screen{1280, 1024};
    QRect available;
    QDateTime clock = QDateTime(QDate(2026, 12, 8), QTime(9, 30, 15));
    QStringList openedUrls;
    int printDialogs = 0;
    bool confirmPrint = false;
    QList<SaveDialogRequest> saveDialogs;
    SaveDialogAnswer saveAnswer;
    QList<SaveDialogRequest> openDialogs;
    QString openAnswer;
};

} // namespace morva::test

#endif
