#include "platform/afip/LoginTicketRequest.h"

#include <QRandomGenerator>
#include <cstdlib>

namespace afip {

QString LoginTicketRequest::isoWithOffset(const QDateTime& moment)
{
    const QDateTime local = moment.toLocalTime();
    const int offset = local.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           QStringLiteral("%1%2:%3")
               .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QByteArray LoginTicketRequest::build(const QString& service, const QDateTime& now, quint32 uniqueId)
{
    const QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                        "<loginTicketRequest version=\"1.0\"><header>"
                                        "<uniqueId>%1</uniqueId>"
                                        "<generationTime>%2</generationTime>"
                                        "<expirationTime>%3</expirationTime>"
                                        "</header><service>%4</service></loginTicketRequest>")
                             .arg(QString::number(uniqueId), isoWithOffset(now.addSecs(-WindowSeconds)),
                                  isoWithOffset(now.addSecs(WindowSeconds)), service.toHtmlEscaped());
    return text.toUtf8();
}

QByteArray LoginTicketRequest::build(const QString& service)
{
    return build(service, QDateTime::currentDateTime(), QRandomGenerator::global()->generate());
}

} // namespace afip
