#include "platform/FocusEntry.h"

#include "platform/Application.h"

#include <QApplication>
#include <QList>
#include <QMdiSubWindow>
#include <QWidget>

namespace morva {

namespace {

// The window a widget's focus belongs to: its multiple-document child window
// or else its top-level window. Each keeps a focus of its own.
QWidget *focusHome(QWidget *widget)
{
    for (QWidget *w = widget; w; w = w->parentWidget()) {
        if (w->isWindow() || qobject_cast<QMdiSubWindow *>(w))
            return w;
    }
    return nullptr;
}

} // namespace

// Follows the application's focus and tells every registered panel about each
// move. Window switches pass through nullptr and clicks on a child window's
// frame bounce through the child window itself; neither is a move.
class FocusTracker : public QObject {
public:
    static FocusTracker *instance()
    {
        static QPointer<FocusTracker> tracker;
        if (!tracker && qApp) {
            tracker = new FocusTracker(qApp);
            qApp->installEventFilter(tracker);
            connect(qApp, &QApplication::focusChanged, tracker.data(),
                    &FocusTracker::onFocusChanged);
        }
        return tracker;
    }

    void add(FocusEntry *entry) { m_entries.append(entry); }
    void remove(FocusEntry *entry) { m_entries.removeAll(entry); }

    // Observations are held back while a panel moves the focus itself; that
    // panel reports the move afterwards, outside Qt's event delivery.
    void hold() { ++m_held; }
    void release() { --m_held; }

    // Records a move of the focus to `to` in every panel, then runs the enter
    // handlers of the panels it entered, in registration order. Exceptions
    // of the handlers reach the caller.
    void observe(QWidget *to)
    {
        if (!to || qobject_cast<QMdiSubWindow *>(to))
            return;
        QList<QPointer<FocusEntry>> entered;
        for (const QPointer<FocusEntry> &entry : std::as_const(m_entries)) {
            if (entry && entry->noteFocus(to))
                entered.append(entry);
        }
        for (const QPointer<FocusEntry> &entry : std::as_const(entered)) {
            if (entry)
                entry->enter();
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn && watched->isWidgetType())
            observeGuarded(static_cast<QWidget *>(watched));
        return false;
    }

private:
    explicit FocusTracker(QObject *parent) : QObject(parent) {}

    void onFocusChanged(QWidget *, QWidget *now) { observeGuarded(now); }

    void observeGuarded(QWidget *to)
    {
        if (m_held == 0)
            guarded([&] { observe(to); });
    }

    QList<QPointer<FocusEntry>> m_entries;
    int m_held = 0;
};

FocusEntry::FocusEntry(QWidget *panel, std::function<void()> onEnter)
    : QObject(panel), m_panel(panel), m_onEnter(std::move(onEnter))
{
    m_inside = contains(focusHome(panel) ? focusHome(panel)->focusWidget() : nullptr);
    if (FocusTracker *tracker = FocusTracker::instance())
        tracker->add(this);
}

FocusEntry::~FocusEntry()
{
    if (FocusTracker *tracker = FocusTracker::instance())
        tracker->remove(this);
}

QWidget *FocusEntry::panel() const
{
    return m_panel;
}

bool FocusEntry::contains(const QWidget *widget) const
{
    return widget && m_panel && (widget == m_panel || m_panel->isAncestorOf(widget));
}

bool FocusEntry::noteFocus(QWidget *to)
{
    if (!m_panel || !to || focusHome(to) != focusHome(m_panel))
        return false;
    const bool wasInside = m_inside;
    m_inside = contains(to);
    return m_inside && !wasInside;
}

void FocusEntry::enter()
{
    if (m_onEnter)
        m_onEnter();
}

void FocusEntry::focusMoved(QWidget *, QWidget *to)
{
    if (noteFocus(to))
        enter();
}

void FocusEntry::focusInto()
{
    if (!m_panel)
        return;
    QWidget *home = focusHome(m_panel);
    // Someone may have moved the focus without the tracker seeing it (the
    // window was inactive): trust the window's own record of its focus.
    if (home && !contains(home->focusWidget()))
        m_inside = false;

    FocusTracker *tracker = FocusTracker::instance();
    if (tracker)
        tracker->hold();
    m_panel->setFocus(Qt::OtherFocusReason);
    if (tracker)
        tracker->release();

    QWidget *now = home ? home->focusWidget() : nullptr;
    if (contains(now)) {
        if (tracker)
            tracker->observe(now);
        else
            focusMoved(nullptr, now);
        return;
    }
    // The toolkit refused the focus (the panel is hidden or disabled). The
    // caller still expects the panel to be entered; the focus itself stays
    // where it was, so a later real entry counts again.
    if (!m_inside)
        enter();
}

} // namespace morva
