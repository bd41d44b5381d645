#ifndef MORVA_PLATFORM_HINT_H
#define MORVA_PLATFORM_HINT_H

// The application hint: a widget's or menu action's hint is its statusTip.
// The tracker follows the pointer and the menus and announces the current
// hint: the statusTip of the widget under the pointer or of its nearest
// ancestor that has one, or the hint of the highlighted menu action. No hint
// ever pops up as a tooltip.

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace morva {

class HintTracker : public QObject {
    Q_OBJECT
public:
    // The one tracker of the application, created on first use as a child of
    // the application object.
    static HintTracker *instance();

    QString currentHint() const { return m_hint; }
    QWidget *widgetUnderPointer() const;

    // Re-reads the hint of the widget under the pointer and announces it when
    // it changed.
    void refresh();
    // Announces a message of the program's own (what a command did); the
    // next hint the pointer or a menu brings replaces it.
    void announce(const QString &message) { setCurrent(message); }

signals:
    // Emitted once for every change of the current hint.
    void hintChanged(const QString &hint);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit HintTracker(QObject *parent);
    void setCurrent(const QString &hint);

    QString m_hint;
    QPointer<QWidget> m_underPointer;
};

// The hint of a widget: its own statusTip or that of its nearest ancestor that
// has one.
QString effectiveHint(const QWidget *widget);

// Sets a widget's hint; when the pointer is over that widget (or a descendant
// that has no hint of its own) the new hint is announced at once.
void setHint(QWidget *widget, const QString &hint);

} // namespace morva

#endif
