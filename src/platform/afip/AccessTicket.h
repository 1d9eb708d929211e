// The access ticket the authentication service issues: the credentials a service call carries, and until when.
#pragma once

#include <QDateTime>
#include <QString>

namespace afip {

struct AccessTicket {
    QString token;
    QString sign;
    QDateTime expiration;

    // Still usable at `now`; a ticket about to expire counts as expired, so a call never carries a stale one.
    bool isValidAt(const QDateTime& now) const
    {
        return !token.isEmpty() && !sign.isEmpty() && expiration.isValid() && now.secsTo(expiration) > MarginSeconds;
    }

    static constexpr int MarginSeconds = 60;
};

} // namespace afip
