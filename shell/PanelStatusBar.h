#ifndef MORVA_SHELL_PANELSTATUSBAR_H
#define MORVA_SHELL_PANELSTATUSBAR_H

// A status bar of fixed-width text panels drawn side by side, each with its
// own alignment. Panel 0 takes whatever width the others leave. It never
// shows temporary messages: hints reach panel 0 through the frame.

#include <QList>
#include <QStatusBar>
#include <QString>

namespace morva::shell {

class PanelStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit PanelStatusBar(QWidget *parent);

    // Appends a panel.
    void addPanel(int width, Qt::Alignment alignment);

    int panelCount() const { return static_cast<int>(m_panels.size()); }
    QString panelText(int index) const;
    void setPanelText(int index, const QString &text);
    int panelWidth(int index) const;
    void setPanelWidth(int index, int width);
    Qt::Alignment panelAlignment(int index) const;
    // The rectangle a panel occupies (empty for a panel of no width).
    QRect panelRect(int index) const;

    // Panel 0's width := the bar's width minus the widths of the other panels.
    // The result may be negative; the panel then takes no room.
    void fitFirstPanel();

    // The classroom size: the bar's height and panels 1 to n at `percent`
    // of their designed sizes (those they had when first scaled).
    void setScale(int percent);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Panel {
        int width = 0;
        Qt::Alignment alignment;
        QString text;
    };
    QList<Panel> m_panels;
    QList<int> m_designedWidths; // empty until first scaled
};

} // namespace morva::shell

#endif
