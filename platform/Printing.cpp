#include "platform/Printing.h"

#include "arith/Errors.h"

#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QWidget>

namespace morva {

namespace {
constexpr double kScreenPixelsPerInch = 96.0;
}

void printWidgetImage(QWidget *widget, QPrinter &printer, const QRect &area)
{
    if (!widget)
        return;
    const QPixmap image = widget->grab(area.isNull() ? widget->rect() : area);
    QPainter painter;
    if (!painter.begin(&printer))
        throw MorvaError("The printer could not start the print job");
    const double scale = printer.resolution() / kScreenPixelsPerInch;
    const QRectF target(0, 0, image.width() / image.devicePixelRatio() * scale,
                        image.height() / image.devicePixelRatio() * scale);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, image, QRectF(image.rect()));
    painter.end();
}

} // namespace morva
