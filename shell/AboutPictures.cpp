#include "shell/AboutPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace morva::shell {

namespace {

const QColor kAllele1(0, 128, 0);
const QColor kAllele2(255, 0, 0);
const QColor kAllele3(0, 0, 128);

// A frequency curve over the plot's width: f(t) for t in [0, 1], as a path
// in the plot rectangle (frequency 1 at the top).
template <class Curve>
QPainterPath curvePath(const QRectF &plot, Curve curve)
{
    QPainterPath path;
    constexpr int kSteps = 40;
    for (int i = 0; i <= kSteps; ++i) {
        const double t = double(i) / kSteps;
        const QPointF point(plot.left() + t * plot.width(),
                            plot.bottom() - curve(t) * plot.height());
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    return path;
}

double logistic(double t, double rate, double middle)
{
    return 1.0 / (1.0 + std::exp(-rate * (t - middle)));
}

void drawFigure(QPainter &painter, const QPointF &head, double scale, const QColor &coat)
{
    const double r = 7.0 * scale;
    painter.setPen(Qt::NoPen);
    painter.setBrush(coat);
    QPainterPath body;
    body.addRoundedRect(QRectF(head.x() - 1.6 * r, head.y() + 0.9 * r, 3.2 * r, 4.0 * r),
                        r * 0.9, r * 0.9);
    painter.drawPath(body);
    painter.setBrush(QColor(222, 196, 160));
    painter.drawEllipse(head, r, r * 1.1);
}

QColor sepia(int shade)
{
    return QColor(112 + shade, 84 + shade * 3 / 4, 52 + shade / 2);
}

} // namespace

QPixmap programPicture(const QSize &size)
{
    QPixmap picture(size);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF plot(8.5, 6.5, size.width() - 15.0, size.height() - 14.0);

    painter.setPen(QPen(QColor(192, 192, 192), 1));
    for (int i = 1; i < 4; ++i) {
        const double y = plot.top() + plot.height() * i / 4.0;
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kAllele1, 2));
    painter.drawPath(curvePath(plot, [](double t) { return 0.05 + 0.9 * logistic(t, 9, 0.45); }));
    painter.setPen(QPen(kAllele2, 2));
    painter.drawPath(
        curvePath(plot, [](double t) { return 0.95 - 0.9 * logistic(t, 7, 0.55); }));
    painter.setPen(QPen(kAllele3, 2));
    painter.drawPath(curvePath(plot, [](double t) {
        return 0.1 + 0.5 * std::exp(-std::pow((t - 0.5) / 0.2, 2));
    }));
    return picture;
}

QPixmap groupPhoto(int part, const QSize &size)
{
    QPixmap photo(size);
    QPainter painter(&photo);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, sepia(90));
    sky.setColorAt(0.6, sepia(60));
    sky.setColorAt(1, sepia(20));
    painter.fillRect(photo.rect(), sky);

    const double w = size.width();
    const double h = size.height();
    if (part == 1) {
        // One row of six, standing.
        for (int i = 0; i < 6; ++i)
            drawFigure(painter, QPointF(w * (i + 0.5) / 6.0, h * (0.42 + 0.04 * (i % 2))), 1.0,
                       sepia(10 + 12 * (i % 3)));
    } else {
        // Two rows: four at the back, three seated in front.
        for (int i = 0; i < 4; ++i)
            drawFigure(painter, QPointF(w * (i + 0.5) / 4.0, h * 0.3), 0.9, sepia(30 + 8 * i));
        for (int i = 0; i < 3; ++i)
            drawFigure(painter, QPointF(w * (i + 1) / 4.0, h * 0.58), 1.1, sepia(5 + 10 * i));
    }
    painter.setPen(QPen(sepia(-40), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(1, 1, w - 2, h - 2));
    return photo;
}

QIcon okGlyph()
{
    QPixmap glyph(16, 16);
    glyph.fill(Qt::transparent);
    QPainter painter(&glyph);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kAllele1, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(3, 8.5);
    tick.lineTo(6.5, 12);
    tick.lineTo(13, 4);
    painter.drawPath(tick);
    return QIcon(glyph);
}

} // namespace morva::shell
