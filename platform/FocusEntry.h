#ifndef MORVA_PLATFORM_FOCUSENTRY_H
#define MORVA_PLATFORM_FOCUSENTRY_H

// "The focus entered this panel from outside": a panel's enter handler runs
// synchronously whenever the focus moves into the panel from a widget outside
// it, by the user (click, Tab) or by a handler, also while the window is not
// the active window. It never runs twice for one entry.

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace morva {

class FocusEntry : public QObject {
    Q_OBJECT
public:
    // Watches `panel` (which becomes the parent of this object). `onEnter`
    // runs on every entry from outside. The panel's focus proxy (its grid, its
    // page control) receives the focus; the panel never holds it itself.
    FocusEntry(QWidget *panel, std::function<void()> onEnter);
    ~FocusEntry() override;

    QWidget *panel() const;

    // Moves the focus into the panel (to its focus proxy). When the focus was
    // not already inside the panel, the enter handler runs before this
    // returns, whether or not the window is active.
    void focusInto();

    // Whether `widget` is the panel or lies inside it.
    bool contains(const QWidget *widget) const;

    // Called by the tracker when the focus moved from `from` to `to`. Runs
    // the enter handler when `to` lies in the panel and the focus of the
    // panel's window was outside it before; moves in other windows are not
    // seen by this panel.
    void focusMoved(QWidget *from, QWidget *to);

private:
    friend class FocusTracker;
    // Records the move; true when it is an entry whose handler must run.
    bool noteFocus(QWidget *to);
    void enter();

    QPointer<QWidget> m_panel;
    std::function<void()> m_onEnter;
    // Whether the focus of the panel's window lies inside the panel.
    bool m_inside = false;
};

} // namespace morva

#endif
