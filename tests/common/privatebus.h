#pragma once

#include <QProcess>
#include <QString>

namespace testutil {

// A D-Bus session bus of the test's own (dbus-daemon --session), for stub
// services that must not meet the desktop's. Stopped with the object.
class PrivateBus
{
public:
    PrivateBus() = default;
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // False, with the reason, when no bus could be started.
    bool start(QString* reason);
    QString address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};

} // namespace testutil
