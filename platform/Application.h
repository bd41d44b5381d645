#ifndef MORVA_PLATFORM_APPLICATION_H
#define MORVA_PLATFORM_APPLICATION_H

// The application object, the default error report and the guard every event
// handler that can fail runs under, so that no exception crosses Qt's event
// loop.

#include <QApplication>

#include <concepts>
#include <exception>
#include <utility>

namespace morva {

inline constexpr const char *kApplicationTitle = "MORVA 99";
// The user's settings (text size, recent setups) are one file, filed under
// this organisation and the application title.
inline constexpr const char *kSettingsOrganization = "MORVA";

// The error report's text: the message with a full stop appended when its
// last character sorts after the full stop.
QString errorReportText(const QString &message);

// The default error report: a modal box with the stop icon, the title
// "MORVA 99" and errorReportText(message), through the desktop seam.
void reportError(const std::exception &error);

// Runs `handler`; an exception it throws ends it and is reported. Returns
// false when the handler failed.
template <class Handler>
bool guarded(Handler &&handler)
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const std::exception &error) {
        reportError(error);
        return false;
    }
}

// Wraps a handler as a slot for connect(): the slot passes the signal's
// arguments on and runs the handler under guarded(), so an error in it is
// reported and never reaches Qt's event loop.
template <class Handler>
auto guardedSlot(Handler handler)
{
    return [handler = std::move(handler)](auto &&...args)
               requires std::invocable<const Handler &, decltype(args)...>
    {
        guarded([&] { handler(std::forward<decltype(args)>(args)...); });
    };
}

// QApplication with the title set and a last-resort guard in notify(): an
// exception that escapes an event handler is reported, never propagated into
// Qt.
class MorvaApplication : public QApplication {
    Q_OBJECT
public:
    MorvaApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

} // namespace morva

#endif
