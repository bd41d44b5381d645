#include "shell/PanelStatusBar.h"

#include <QPainter>
#include <qdrawutil.h>

#include <algorithm>
#include <cmath>

namespace morva::shell {

namespace {

constexpr int kBarHeight = 19;
constexpr int kPanelGap = 2;
constexpr int kTextMargin = 2;

} // namespace

PanelStatusBar::PanelStatusBar(QWidget *parent) : QStatusBar(parent)
{
    setSizeGripEnabled(false);
    setFixedHeight(kBarHeight);
}

void PanelStatusBar::addPanel(int width, Qt::Alignment alignment)
{
    m_panels.append({width, alignment, QString()});
    update();
}

QString PanelStatusBar::panelText(int index) const
{
    return m_panels.at(index).text;
}

void PanelStatusBar::setPanelText(int index, const QString &text)
{
    Panel &panel = m_panels[index];
    if (panel.text == text)
        return;
    panel.text = text;
    update(panelRect(index));
}

int PanelStatusBar::panelWidth(int index) const
{
    return m_panels.at(index).width;
}

void PanelStatusBar::setPanelWidth(int index, int width)
{
    if (m_panels.at(index).width == width)
        return;
    m_panels[index].width = width;
    update();
}

Qt::Alignment PanelStatusBar::panelAlignment(int index) const
{
    return m_panels.at(index).alignment;
}

QRect PanelStatusBar::panelRect(int index) const
{
    int left = 0;
    for (int i = 0; i < index; ++i)
        left += std::max(0, m_panels.at(i).width);
    const int width = std::max(0, m_panels.at(index).width);
    // The gap between panels is taken from the panel's own width, so the
    // widths add up to the bar's width.
    const int visible = index + 1 < panelCount() ? width - kPanelGap : width;
    if (visible <= 0)
        return {};
    return QRect(left, 0, visible, height());
}

void PanelStatusBar::fitFirstPanel()
{
    if (m_panels.isEmpty())
        return;
    int others = 0;
    for (int i = 1; i < panelCount(); ++i)
        others += m_panels.at(i).width;
    setPanelWidth(0, width() - others);
}

void PanelStatusBar::setScale(int percent)
{
    if (m_designedWidths.isEmpty()) {
        for (const Panel &panel : std::as_const(m_panels))
            m_designedWidths << panel.width;
    }
    const auto scaled = [percent](int designed) { return int(std::lround(designed * percent / 100.0)); };
    setFixedHeight(scaled(kBarHeight));
    for (int i = 1; i < std::min(panelCount(), int(m_designedWidths.size())); ++i)
        m_panels[i].width = scaled(m_designedWidths.at(i));
    fitFirstPanel();
    update();
}

void PanelStatusBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    for (int i = 0; i < panelCount(); ++i) {
        const QRect area = panelRect(i);
        if (area.isEmpty())
            continue;
        qDrawShadePanel(&painter, area, palette(), true, 1);
        const QRect textArea = area.adjusted(kTextMargin, 1, -kTextMargin, -1);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.setClipRect(textArea);
        painter.drawText(textArea, int(m_panels.at(i).alignment | Qt::AlignVCenter)
                                       | Qt::TextSingleLine,
                         m_panels.at(i).text);
        painter.setClipping(false);
    }
}

void PanelStatusBar::resizeEvent(QResizeEvent *event)
{
    QStatusBar::resizeEvent(event);
    fitFirstPanel();
}

} // namespace morva::shell
