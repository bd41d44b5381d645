#include "models/frame/TimeCourse.h"

#include "models/frame/DescribedForm.h"
#include "platform/NumberText.h"

#include <algorithm>
#include <cmath>

namespace morva::timecourse {

using namespace form;

const QString kGenerationsMessage = style::generationsMessage(kMaxGenerations);

BoxSpec generationsBox(int generations)
{
    return style::generationsBox(kGenerationsField, generations, kMaxGenerations,
                                 QStringLiteral("number of generations"));
}

std::int32_t generations(const DescribedForm *form)
{
    return form->typedInteger(kGenerationsField);
}

Check generationsCheck(const DescribedForm *form)
{
    return style::generationsCheck(form, kGenerationsField, kMaxGenerations);
}

AxisSpec frequencyAxis(const QString &title)
{
    return style::frequencyAxis(title, 0.25, 5);
}

ChartSpec page(const QString &sheet, const QString &title, const QString &chartName)
{
    ChartSpec c = style::page(sheet, title, chartName);
    c.legendWidth = 40;
    c.bottom = timeAxis();
    return c;
}

SeriesSpec overTime(const QString &name, const QString &title, const QColor &color,
                      const std::vector<std::int32_t> &t, const std::vector<long double> &values,
                      chart::PenStyle pen)
{
    return lineSeries(name, title, color, pen, [&t, &values](Plot &p) {
        for (std::size_t k = 0; k < values.size(); ++k)
            p.add(t[k], values[k]);
    });
}

SeriesSpec dottedLevel(const QString &name, const QString &title, const QColor &color,
                       const std::vector<std::int32_t> &t, const long double &value)
{
    return lineSeries(
        name, title, color, chart::PenStyle::Dotted,
        [&t, &value](Plot &p) {
            if (!t.empty())
                p.level(value, t.front(), t.back());
        },
        !title.isEmpty());
}

QString smallNumber(Value v) { return text::formatExponent(v, 4, 2); }
QString readoutNumber(Value v) { return text::formatFixed(v, 6, 5); }

QString noteNumber(long double v)
{
    if (v != 0 && std::fabs(v) < 1e-3L)
        return text::formatExponent(v, 5, 2);
    QString fixed = text::formatFixed(v, 7, 7);
    while (fixed.endsWith(QLatin1Char('0')))
        fixed.chop(1);
    if (fixed.endsWith(text::decimalSeparator()))
        fixed.chop(1);
    return fixed;
}

std::size_t generationAt(const std::vector<std::int32_t> &t, Value x)
{
    const Value clamped = std::clamp<Value>(x, t.front(), t.back());
    const auto generation = static_cast<std::int32_t>(std::llrint(clamped));
    const auto at = std::lower_bound(t.begin(), t.end(), generation);
    std::size_t k = std::size_t(at - t.begin());
    // The stored generation nearer to x, of the two around it.
    if (k > 0 && (k == t.size() || x - t[k - 1] < t[k] - x))
        --k;
    return k;
}

QString readoutTime(const std::vector<std::int32_t> &t, std::size_t k)
{
    return QStringLiteral(" t= ") + text::formatInteger(t[k]);
}

} // namespace morva::timecourse
