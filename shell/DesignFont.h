#ifndef MORVA_SHELL_DESIGNFONT_H
#define MORVA_SHELL_DESIGNFONT_H

#include <QFont>
#include <QString>

namespace morva::shell {

// A window's designed font: the family where the system has it, else the
// system's sans-serif face, at a height in pixels.
inline QFont designFont(const QString &family, int pixelSize, bool bold = false)
{
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace morva::shell

#endif
