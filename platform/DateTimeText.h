#ifndef MORVA_PLATFORM_DATETIMETEXT_H
#define MORVA_PLATFORM_DATETIMETEXT_H

// Date and time text by picture: "yy" two-digit year, "mm" month, "dd" day,
// "hh" 24-hour hour, "nn" minute, "ss" second; ':' is the system's time
// separator; every other character is literal. Used with "yy.mm.dd " and
// "  hh:nn:ss  ".

#include <QDateTime>
#include <QString>

namespace morva::text {

QString formatDateTime(const QDateTime &moment, const QString &picture);
// An elapsed time (milliseconds, may exceed a day) by a time picture: only
// the time-of-day part counts, so 24 hours read 00:00:00.
QString formatElapsed(qint64 milliseconds, const QString &picture);

} // namespace morva::text

#endif
