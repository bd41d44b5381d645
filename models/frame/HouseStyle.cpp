#include "models/frame/HouseStyle.h"

#include "models/frame/DescribedForm.h"
#include "platform/NumberText.h"

#include <cmath>

namespace morva::style {

using namespace form;

QString generationsMessage(int most)
{
    return QStringLiteral("Number of generations must be between 1 and ") + QString::number(most);
}

ChartSpec page(const QString &sheet, const QString &title, const QString &chartName)
{
    ChartSpec c;
    c.sheetName = sheet;
    c.title = title;
    c.chartName = chartName;
    c.leftWallColor = kWallColour;
    return c;
}

AxisSpec frequencyAxis(const QString &title, double increment, int tickLength)
{
    AxisSpec a;
    a.automatic = false;
    a.increment = increment;
    a.separation = 5;
    a.tickLength = tickLength;
    a.title = title;
    return a;
}

BoxSpec generationsBox(const QString &field, int generations, int most, const QString &userName)
{
    return form::generationsBox().row(QString(), {integer(field, generations, 1, most, 10)
                                                      .sized(QSize(75, 22))
                                                      .runOnEnter()
                                                      .named(userName)});
}

Check generationsCheck(const DescribedForm *form, const QString &field, int most)
{
    return {[form, field, most] {
                const std::int32_t ng = form->typedInteger(field);
                return ng >= 1 && ng <= most;
            },
            generationsMessage(most)};
}

Check sumCheck(const DescribedForm *form, QStringList fields, const QString &message)
{
    return {[form, fields = std::move(fields)] {
                long double sum = 0;
                for (const QString &field : fields)
                    sum += form->settled(field);
                return std::fabs(sum - 1.0L) <= kSumTolerance;
            },
            message};
}

QString gridNumber(Value v) { return text::formatFixed(v, 6, 5); }
QString timeNumber(Value v) { return QLatin1Char(' ') + text::formatInteger(std::int64_t(v)); }

} // namespace morva::style
