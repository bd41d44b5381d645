#include "platform/Printing.h"

#include "arith/Errors.h"

#include <QPageLayout>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QWidget>

namespace morva {

namespace {
constexpr double kScreenPixelsPerInch = 96.0;

// The size an image of `natural` size takes on a printable area of size
// `room`: as it is when it fits, else shrunk to fit, keeping its aspect.
QSizeF fittedSize(const QSizeF &natural, const QSizeF &room)
{
    if (natural.width() <= room.width() && natural.height() <= room.height())
        return natural;
    return natural.scaled(room, Qt::KeepAspectRatio);
}

} // namespace

void printWidgetImage(QWidget *widget, QPrinter &printer, const QRect &area)
{
    if (!widget)
        return;
    const QPixmap image = widget->grab(area.isNull() ? widget->rect() : area);
    QPainter painter;
    if (!painter.begin(&printer))
        throw MorvaError("The printer could not start the print job");
    const double scale = printer.resolution() / kScreenPixelsPerInch;
    const QSizeF natural = QSizeF(image.size()) / image.devicePixelRatio() * scale;
    const QSizeF room = printer.pageLayout().paintRectPixels(printer.resolution()).size();
    const QRectF target(QPointF(0, 0), fittedSize(natural, room));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, image, QRectF(image.rect()));
    painter.end();
}

} // namespace morva
