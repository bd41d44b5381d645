#include "platform/Hint.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusTipEvent>
#include <QWidget>

namespace morva {

namespace {

// The global pointer position an event reports, or the cursor's position.
QPoint eventGlobalPos(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        return static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
    case QEvent::Enter:
        return static_cast<QEnterEvent *>(event)->globalPosition().toPoint();
    case QEvent::HoverMove:
    case QEvent::HoverEnter: {
        auto *hover = static_cast<QHoverEvent *>(event);
        return hover->globalPosition().toPoint();
    }
    default:
        return QCursor::pos();
    }
}

bool isPointerEvent(QEvent::Type type)
{
    return type == QEvent::MouseMove || type == QEvent::Enter || type == QEvent::HoverMove
           || type == QEvent::HoverEnter;
}

// A popup menu is open: its highlighted action's hint is the current hint.
bool menuOpen()
{
    return qobject_cast<QMenu *>(QApplication::activePopupWidget()) != nullptr;
}

} // namespace

HintTracker::HintTracker(QObject *parent)
    : QObject(parent)
{
}

HintTracker *HintTracker::instance()
{
    static QPointer<HintTracker> tracker;
    if (!tracker && qApp) {
        tracker = new HintTracker(qApp);
        qApp->installEventFilter(tracker);
    }
    return tracker;
}

QWidget *HintTracker::widgetUnderPointer() const
{
    return m_underPointer;
}

void HintTracker::refresh()
{
    if (menuOpen())
        return;
    setCurrent(effectiveHint(m_underPointer));
}

void HintTracker::setCurrent(const QString &hint)
{
    if (hint == m_hint)
        return;
    m_hint = hint;
    emit hintChanged(m_hint);
}

bool HintTracker::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::StatusTip) {
        // Menus announce their highlighted action this way; widgets' own
        // enter/leave tips are ignored because the pointer tracking covers
        // them. Nobody else acts on status tips.
        if (menuOpen())
            setCurrent(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    if (type == QEvent::ToolTip)
        return true; // hints go to the status line only, never into a pop-up
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget)
        return false;
    if (isPointerEvent(type)) {
        if (menuOpen())
            return false;
        QWidget *under = QApplication::widgetAt(eventGlobalPos(event));
        m_underPointer = under ? under : widget;
        setCurrent(effectiveHint(m_underPointer));
    } else if (type == QEvent::Leave && widget->isWindow() && !menuOpen()) {
        if (!QApplication::widgetAt(QCursor::pos())) {
            m_underPointer = nullptr;
            setCurrent(QString());
        }
    }
    return false;
}

QString effectiveHint(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        const QString tip = w->statusTip();
        if (!tip.isEmpty())
            return tip;
    }
    return QString();
}

void setHint(QWidget *widget, const QString &hint)
{
    if (!widget)
        return;
    widget->setStatusTip(hint);
    HintTracker *tracker = HintTracker::instance();
    if (!tracker)
        return;
    QWidget *under = tracker->widgetUnderPointer();
    if (under && (under == widget || widget->isAncestorOf(under)))
        tracker->refresh();
}

} // namespace morva
