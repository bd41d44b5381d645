#ifndef MORVA_PLATFORM_PRINTING_H
#define MORVA_PLATFORM_PRINTING_H

class QPrinter;
class QWidget;

namespace morva {

// Prints the widget's image at the top-left of one page, scaled by the
// printer's resolution over 96 pixels per inch, and ends the job.
void printWidgetImage(QWidget *widget, QPrinter &printer);

} // namespace morva

#endif
