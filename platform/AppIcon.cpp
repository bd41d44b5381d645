#include "platform/AppIcon.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QVariant>

#include <cmath>

namespace morva {

namespace {

// A logistic curve from `from` to `to` across the unit square, in icon pixels.
QPainterPath alleleCurve(int size, double from, double to, double steepness)
{
    const double margin = size * 0.16;
    const double span = size - 2 * margin;
    QPainterPath path;
    const int steps = 24;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        const double s = 1.0 / (1.0 + std::exp(-steepness * (t - 0.5)));
        const double value = from + (to - from) * s;
        const QPointF point(margin + t * span, margin + (1.0 - value) * span);
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    return path;
}

QPixmap iconPicture(int size)
{
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    const double edge = size / 16.0;
    const QRectF panel(edge / 2, edge / 2, size - edge, size - edge);
    painter.setPen(QPen(QColor(90, 90, 110), edge));
    painter.setBrush(QColor(250, 248, 236));
    painter.drawRoundedRect(panel, size * 0.15, size * 0.15);

    const double pen = std::max(1.0, size / 14.0);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 128, 0), pen, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(alleleCurve(size, 0.05, 0.95, 10.0));
    painter.setPen(QPen(QColor(255, 0, 0), pen, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(alleleCurve(size, 0.9, 0.1, 8.0));
    painter.setPen(QPen(QColor(0, 0, 128), pen, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(alleleCurve(size, 0.35, 0.6, 5.0));
    return picture;
}

} // namespace

QIcon applicationIcon()
{
    // Drawn once per application object and kept with it: every window asks
    // for it, and drawing four sizes costs about a millisecond each time.
    static constexpr const char *kCacheProperty = "morvaApplicationIcon";
    QCoreApplication *app = QCoreApplication::instance();
    if (app) {
        const QVariant cached = app->property(kCacheProperty);
        if (cached.isValid())
            return cached.value<QIcon>();
    }
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addPixmap(iconPicture(size));
    if (app)
        app->setProperty(kCacheProperty, QVariant::fromValue(icon));
    return icon;
}

} // namespace morva
