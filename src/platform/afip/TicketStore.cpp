#include "platform/afip/TicketStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace afip {
namespace {

QString& folderOverride()
{
    static QString path;
    return path;
}

constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// The same address written with or without a trailing "/" or in other letter case is the same service.
QString normalized(const QString& url)
{
    return QUrl(url.trimmed()).adjusted(QUrl::NormalizePathSegments | QUrl::StripTrailingSlash).toString();
}

// The ticket a file holds, whatever its expiration; none when the file cannot be read.
std::optional<AccessTicket> read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonObject json = QJsonDocument::fromJson(file.readAll()).object();
    return AccessTicket{
        json.value(QStringLiteral("token")).toString(), json.value(QStringLiteral("sign")).toString(),
        QDateTime::fromString(json.value(QStringLiteral("expirationTime")).toString(), Qt::ISODateWithMs)};
}

} // namespace

QString TicketStore::folder()
{
    if (!folderOverride().isEmpty())
        return folderOverride();
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/tickets");
}

void TicketStore::setFolderOverride(const QString& path)
{
    folderOverride() = path;
}

QString TicketStore::filePath(const QString& fingerprint, const QString& service, const QString& wsaaUrl)
{
    const QByteArray key =
        (fingerprint + QLatin1Char('\n') + service + QLatin1Char('\n') + normalized(wsaaUrl)).toUtf8();
    const QByteArray name = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex();
    return folder() + QLatin1Char('/') + QString::fromLatin1(name) + QStringLiteral(".json");
}

std::optional<AccessTicket> TicketStore::load(const QString& fingerprint, const QString& service,
                                              const QString& wsaaUrl)
{
    const QString path = filePath(fingerprint, service, wsaaUrl);
    const std::optional<AccessTicket> ticket = read(path);
    if (!ticket)
        return std::nullopt;
    if (!ticket->isValidAt(QDateTime::currentDateTimeUtc())) {
        QFile::remove(path);
        return std::nullopt;
    }
    return ticket;
}

bool TicketStore::discard(const QString& fingerprint, const QString& service, const QString& wsaaUrl,
                          const AccessTicket& ticket)
{
    const QString path = filePath(fingerprint, service, wsaaUrl);
    const std::optional<AccessTicket> kept = read(path);
    // A file that cannot be read is not loaded either, and another ticket is not the refused one.
    if (!kept || kept->token != ticket.token || kept->sign != ticket.sign)
        return true;
    return QFile::remove(path);
}

bool TicketStore::save(const QString& fingerprint, const QString& service, const QString& wsaaUrl,
                       const AccessTicket& ticket)
{
    const QString dir = folder();
    // The folder is the user's own as well, so the ticket is never readable by others, not even for a moment.
    if (!QDir().mkpath(dir) || !QFile::setPermissions(dir, OwnerOnly | QFileDevice::ExeOwner))
        return false;
    const QJsonObject json{{QStringLiteral("token"), ticket.token},
                           {QStringLiteral("sign"), ticket.sign},
                           {QStringLiteral("expirationTime"), ticket.expiration.toString(Qt::ISODateWithMs)},
                           {QStringLiteral("service"), service},
                           {QStringLiteral("wsaa"), normalized(wsaaUrl)}};
    const QString path = filePath(fingerprint, service, wsaaUrl);
    // Unbuffered, so that a short write (a full disk) shows in the count and no cut ticket is kept.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray text = QJsonDocument(json).toJson();
    if (file.write(text) != text.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit() && QFile::setPermissions(path, OwnerOnly);
}

} // namespace afip
