// Keeps access tickets on disk until they expire, so a second login within the ticket's life reuses it (the
// authentication service refuses a new login while a valid ticket exists: "coe.alreadyAuthenticated").
#pragma once

#include "platform/afip/AccessTicket.h"

#include <QString>
#include <optional>

namespace afip {

class TicketStore {
public:
    // A ticket is kept per certificate (its fingerprint), service and authentication address.
    static std::optional<AccessTicket> load(const QString& fingerprint, const QString& service, const QString& wsaaUrl);
    // Writes the ticket readable by the user only; false when it cannot be written (the login still counts).
    static bool save(const QString& fingerprint, const QString& service, const QString& wsaaUrl,
                     const AccessTicket& ticket);
    // Drops the kept ticket for that key when it is `ticket` (a newer one stays); false only when the file still
    // holds that ticket.
    static bool discard(const QString& fingerprint, const QString& service, const QString& wsaaUrl,
                        const AccessTicket& ticket);
    // The file that holds the ticket for that key.
    static QString filePath(const QString& fingerprint, const QString& service, const QString& wsaaUrl);
    // The folder: "tickets" in the user's application data folder.
    static QString folder();
    // Only tests call this: keeps the tickets in `path` instead ("" restores the user's data folder).
    static void setFolderOverride(const QString& path);
};

} // namespace afip
