#ifndef MORVA_PLATFORM_PRINTING_H
#define MORVA_PLATFORM_PRINTING_H

#include <QRect>

class QPrinter;
class QWidget;

namespace morva {

// Prints the image of the widget's `area` (in its own coordinates; the whole
// widget when null) at the top-left of one page, scaled by the printer's
// resolution over 96 pixels per inch, and ends the job.
void printWidgetImage(QWidget *widget, QPrinter &printer, const QRect &area = QRect());

} // namespace morva

#endif
