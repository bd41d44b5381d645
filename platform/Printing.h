#ifndef MORVA_PLATFORM_PRINTING_H
#define MORVA_PLATFORM_PRINTING_H

#include <QRect>

class QPrinter;
class QWidget;

namespace morva {

// Prints the image of the widget's `area` (in its own coordinates; the whole
// widget when null) at the top-left of the printable area of one page, at the
// printer's resolution over 96 pixels per inch or smaller, so that the whole
// image lies on the page, and ends the job.
void printWidgetImage(QWidget *widget, QPrinter &printer, const QRect &area = QRect());

} // namespace morva

#endif
