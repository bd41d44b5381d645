#include "platform/DateTimeText.h"

#include <QLocale>
#include <QTime>

namespace morva::text {

namespace {

constexpr qint64 kMillisecondsPerDay = 24LL * 60 * 60 * 1000;

// The separator the system's short time format puts between hours and
// minutes; ':' when the format shows none.
QChar timeSeparator()
{
    const QString format = QLocale::system().timeFormat(QLocale::ShortFormat);
    int i = 0;
    while (i < format.size() && format[i].toLower() != QLatin1Char('h'))
        ++i;
    while (i < format.size() && format[i].toLower() == QLatin1Char('h'))
        ++i;
    if (i < format.size() && !format[i].isLetter() && !format[i].isSpace()
        && format[i] != QLatin1Char('\''))
        return format[i];
    return QLatin1Char(':');
}

QString number(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

// One picture field of `count` letters `letter`; `afterHour` makes "m" a
// minute, as in "hh:mm".
QString field(QChar letter, int count, const QDateTime &moment, bool afterHour)
{
    const QDate date = moment.date();
    const QTime time = moment.time();
    const int width = count >= 2 ? 2 : 1;
    switch (letter.toLower().unicode()) {
    case 'y':
        return count >= 4 ? number(date.year(), 4) : number(date.year() % 100, 2);
    case 'm':
        return afterHour ? number(time.minute(), width) : number(date.month(), width);
    case 'd':
        return number(date.day(), width);
    case 'h':
        return number(time.hour(), width);
    case 'n':
        return number(time.minute(), width);
    case 's':
        return number(time.second(), width);
    default:
        return QString(count, letter);
    }
}

bool isFieldLetter(QChar c)
{
    return QStringLiteral("ymdhns").contains(c.toLower());
}

} // namespace

QString formatDateTime(const QDateTime &moment, const QString &picture)
{
    QString out;
    bool afterHour = false;
    for (int i = 0; i < picture.size();) {
        const QChar c = picture[i];
        if (!isFieldLetter(c)) {
            out += c == QLatin1Char(':') ? timeSeparator() : c;
            ++i;
            continue;
        }
        int count = 1;
        while (i + count < picture.size() && picture[i + count].toLower() == c.toLower())
            ++count;
        out += field(c, count, moment, afterHour);
        afterHour = c.toLower() == QLatin1Char('h');
        i += count;
    }
    return out;
}

QString formatElapsed(qint64 milliseconds, const QString &picture)
{
    const qint64 ofDay = ((milliseconds % kMillisecondsPerDay) + kMillisecondsPerDay)
                         % kMillisecondsPerDay;
    const QDateTime moment(QDate(1899, 12, 30), QTime(0, 0).addMSecs(int(ofDay)));
    return formatDateTime(moment, picture);
}

} // namespace morva::text
