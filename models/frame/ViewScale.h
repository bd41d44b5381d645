#ifndef MORVA_MODELS_FRAME_VIEWSCALE_H
#define MORVA_MODELS_FRAME_VIEWSCALE_H

// The classroom size: one factor for every text, line, marker and designed
// pixel of the model windows and the model tree, in steps from 100 % to
// 250 %. The windows were designed in pixels at 100 %; scaleWidgets() takes
// a window's designed sizes (remembered the first time it scales a widget)
// times the factor, so that stepping up and back down returns to exactly
// the designed layout.

#include <QList>

class QWidget;

namespace morva {

// The steps in per cent, smallest first.
const QList<int> &viewScaleSteps();
// The current step (100 unless set); set rounds to the nearest step.
int viewScalePercent();
void setViewScalePercent(int percent);
// The step above or below `percent` (the same at the ends).
int nextViewScale(int percent, int direction);

// Scales every text `root` and its children set a font of their own, the
// designed places and sizes of the controls laid out by pixel (in group
// boxes and in panels without a layout), and fixed or least sizes set by
// the design: the designed values times `percent` / 100.
void scaleWidgets(QWidget *root, int percent);

// Scales `w`'s own font, set or inherited, to `percent` of the font it had
// when first scaled (menus and the status bar, which the design left at the
// program's font).
void scaleFontOf(QWidget *w, int percent);

} // namespace morva

#endif
