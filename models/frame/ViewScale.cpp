#include "models/frame/ViewScale.h"

#include "controls/KesSpinEdits1.h"

#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace morva {

namespace {

int &currentPercent()
{
    static int percent = 100;
    return percent;
}

// The designed values, kept on each widget the first time it is scaled.
constexpr const char *kDesignedFont = "morvaDesignedFont"; // > 0 pixels, < 0 points
constexpr const char *kDesignedGeometry = "morvaDesignedGeometry";
constexpr const char *kDesignedMinimum = "morvaDesignedMinimum";
constexpr const char *kDesignedMaximum = "morvaDesignedMaximum";

// Named by the design or by the frame: Qt's own parts of a widget (a
// scroll area's viewport, a tab widget's bar) size themselves.
bool designed(const QWidget *w)
{
    const QString name = w->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

// Placed by pixel: in a group box, or in a panel beside its layout (Run
// and Cancel).
bool placedByPixel(const QWidget *w)
{
    const QWidget *parent = w->parentWidget();
    if (!parent || w->isWindow())
        return false;
    if (qobject_cast<const QGroupBox *>(parent))
        return true;
    return designed(parent) && parent->objectName() == QLatin1String("InputPanel")
           && (!parent->layout() || parent->layout()->indexOf(w) < 0);
}

// Inside a spin edit: its button lays itself out.
bool insideSpinEdit(const QWidget *w)
{
    for (const QWidget *up = w->parentWidget(); up; up = up->parentWidget()) {
        if (qobject_cast<const KesSpinEditBase *>(up))
            return true;
    }
    return false;
}

QVariant designedValue(QWidget *w, const char *name, const QVariant &now)
{
    const QVariant kept = w->property(name);
    if (kept.isValid())
        return kept;
    w->setProperty(name, now);
    return now;
}

int times(int designedPixels, double factor)
{
    if (designedPixels >= QWIDGETSIZE_MAX)
        return QWIDGETSIZE_MAX;
    return int(std::lround(designedPixels * factor));
}

QSize times(QSize size, double factor)
{
    return {times(size.width(), factor), times(size.height(), factor)};
}

void scaleFont(QWidget *w, double factor)
{
    const QFont font = w->font();
    const double now = font.pixelSize() > 0 ? font.pixelSize() : -font.pointSizeF();
    const double size = designedValue(w, kDesignedFont, now).toDouble();
    QFont scaled = font;
    if (size > 0)
        scaled.setPixelSize(std::max(1, int(std::lround(size * factor))));
    else
        scaled.setPointSizeF(-size * factor);
    if (scaled != font)
        w->setFont(scaled);
}

void scaleSizes(QWidget *w, double factor)
{
    const QSize minimum = designedValue(w, kDesignedMinimum, w->minimumSize()).toSize();
    const QSize maximum = designedValue(w, kDesignedMaximum, w->maximumSize()).toSize();
    w->setMinimumSize(times(minimum, factor));
    w->setMaximumSize(times(maximum, factor));
}

void scaleGeometry(QWidget *w, double factor)
{
    const QRect geometry = designedValue(w, kDesignedGeometry, w->geometry()).toRect();
    QSize size = times(geometry.size(), factor);
    // A label's text may run a pixel wider than its designed width times the
    // factor.
    if (qobject_cast<QLabel *>(w))
        size = size.expandedTo(w->sizeHint());
    // The designed size stands, also where a control's least size follows
    // its font (a spin edit's height) and asks a few pixels more.
    w->setMinimumSize(w->minimumSize().boundedTo(size));
    w->setGeometry(QRect(QPoint(times(geometry.x(), factor), times(geometry.y(), factor)), size));
}

} // namespace

const QList<int> &viewScaleSteps()
{
    static const QList<int> steps{100, 125, 150, 175, 200, 225, 250};
    return steps;
}

int viewScalePercent()
{
    return currentPercent();
}

void setViewScalePercent(int percent)
{
    const QList<int> &steps = viewScaleSteps();
    currentPercent() = *std::min_element(steps.begin(), steps.end(), [percent](int a, int b) {
        return std::abs(a - percent) < std::abs(b - percent);
    });
}

int nextViewScale(int percent, int direction)
{
    const QList<int> &steps = viewScaleSteps();
    qsizetype at = steps.indexOf(percent);
    if (at < 0)
        return steps.first();
    at = std::clamp<qsizetype>(at + (direction > 0 ? 1 : direction < 0 ? -1 : 0), 0,
                               steps.size() - 1);
    return steps.at(at);
}

void scaleWidgets(QWidget *root, int percent)
{
    const double factor = percent / 100.0;
    QList<QWidget *> widgets{root};
    widgets += root->findChildren<QWidget *>();
    // Every designed value is remembered before anything changes: a new
    // font changes the least sizes of the controls that follow it.
    for (QWidget *w : std::as_const(widgets)) {
        if (insideSpinEdit(w))
            continue;
        if (placedByPixel(w))
            designedValue(w, kDesignedGeometry, w->geometry());
        else if (designed(w)) {
            designedValue(w, kDesignedMinimum, w->minimumSize());
            designedValue(w, kDesignedMaximum, w->maximumSize());
        }
    }
    for (QWidget *w : std::as_const(widgets)) {
        if (insideSpinEdit(w))
            continue;
        if (w->testAttribute(Qt::WA_SetFont) || w->property(kDesignedFont).isValid())
            scaleFont(w, factor);
        // A control placed by pixel takes its size from its designed place
        // (a spin edit's least height follows its font).
        if (designed(w) && !placedByPixel(w))
            scaleSizes(w, factor);
    }
    // A spin edit's button grows with its text; the edit lays it out again
    // when it gets its new place below.
    for (auto *field : root->findChildren<KesSpinEditBase *>()) {
        if (QWidget *button = field->spinButton()) {
            const QRect designedButton =
                designedValue(button, kDesignedGeometry, button->geometry()).toRect();
            button->resize(times(designedButton.width(), factor), button->height());
        }
    }
    // Places after sizes and fonts: a label's place holds its new text.
    for (QWidget *w : std::as_const(widgets)) {
        if (!insideSpinEdit(w) && placedByPixel(w))
            scaleGeometry(w, factor);
    }
    for (auto *field : root->findChildren<KesSpinEditBase *>())
        field->growToShowLimits();
}

void scaleFontOf(QWidget *w, int percent)
{
    scaleFont(w, percent / 100.0);
}

} // namespace morva
