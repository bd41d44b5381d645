#ifndef MORVA_SHELL_ABOUTPICTURES_H
#define MORVA_SHELL_ABOUTPICTURES_H

// The about box's pictures, drawn in code: the program picture (allele
// frequencies rising and falling over the generations), two group
// photographs of simple figures, and the OK button's glyph.

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace morva::shell {

QPixmap programPicture(const QSize &size);
// `part` 1 or 2.
QPixmap groupPhoto(int part, const QSize &size);
QIcon okGlyph();

} // namespace morva::shell

#endif
