// The login ticket request that the authentication service expects signed inside a CMS message.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace afip {

class LoginTicketRequest {
public:
    // Valid from ten minutes before `now` to ten minutes after, so a clock a little off still fits the window.
    static QByteArray build(const QString& service, const QDateTime& now, quint32 uniqueId);
    // A fresh request for `service` at the current time with a random id.
    static QByteArray build(const QString& service);
    // ISO 8601 in the local zone with its explicit offset: "2026-12-10T09:30:00-03:00".
    static QString isoWithOffset(const QDateTime& moment);

    static constexpr int WindowSeconds = 10 * 60;
};

} // namespace afip
