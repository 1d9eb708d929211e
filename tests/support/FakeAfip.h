// The tax authority's authentication (WSAA) and invoicing (WSFEv1) services, played on 127.0.0.1 on their own
// thread. Logins are checked as the real service checks them: the CMS signature, the signer certificate
// against the test authority, SHA-256, the service name and the time window; a second login while a ticket of
// that certificate is still valid is refused with "coe.alreadyAuthenticated". The last-voucher query checks the
// ticket's token and sign and that the Cuit is the certificate's.
#pragma once

#include "support/HttpServer.h"

#include <QDateTime>
#include <QList>
#include <QMutex>
#include <QSslConfiguration>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>

namespace kembtest {

class TestAuthority;

class FakeAfip {
public:
    // Plain HTTP.
    explicit FakeAfip(const TestAuthority& authority);
    // HTTPS with the server certificate and key of `tls`.
    FakeAfip(const TestAuthority& authority, const QSslConfiguration& tls);
    ~FakeAfip();

    QString wsaaUrl() const;
    QString wsfeUrl() const;

    // Requests that reached each service, accepted or not.
    int loginRequests() const;
    int queryRequests() const;
    // Tickets issued.
    int logins() const;
    // The Cuit of every last-voucher query, as sent.
    QStringList cuits() const;
    // The login ticket requests received (the signed XML, as extracted from the CMS).
    QList<QByteArray> ticketRequests() const;
    QList<HttpRequest> requests() const { return m_server->requests(); }

    // The number answered for a point of sale and voucher type (0 unless set).
    void setLastVoucher(int ptoVta, int cbteTipo, qint64 number);
    // The next login is refused with this fault (HTTP 500), whatever it carries.
    void failNextLogin(const QString& faultCode, const QString& faultString);
    // Every query answers this error in Errors/Err.
    void failQueries(int code, const QString& message);
    // The two ways the invoicing service refuses a ticket it holds for expired.
    enum class Expiry {
        // Error 600 in Errors/Err: "ValidacionDeToken: No validaron las fechas del token GenTime, ExpTime, NowUTC...".
        DatesError,
        // A soap:Client fault, HTTP 500: "Error en la autenticacion: Token Vencido".
        TokenVencido,
    };
    // Tickets issued so far are treated as expired by the invoicing service, which says so in the way given; the
    // authentication service issues a new ticket to the same certificate then.
    void expireIssuedTickets(Expiry how = Expiry::DatesError);
    // Neither service answers: connections stay open with no response.
    void setHanging(bool hanging);

    static constexpr const char* WsaaPath = "/ws/services/LoginCms";
    static constexpr const char* WsfePath = "/wsfev1/service.asmx";

private:
    struct Ticket {
        QString token;
        QString sign;
        QString fingerprint;
        QString cuit;
        QDateTime expiration;
        bool revoked = false;
    };
    struct Fault {
        QString code;
        QString text;
    };

    FakeAfip(const TestAuthority& authority, std::unique_ptr<HttpServer> server);
    HttpResponse login(const HttpRequest& request);
    HttpResponse query(const HttpRequest& request);
    std::optional<Fault> checkTicketRequest(const QByteArray& xml) const;

    struct Crypto;
    std::unique_ptr<Crypto> m_crypto;
    std::unique_ptr<HttpServer> m_server;
    mutable QMutex m_mutex;
    int m_loginRequests = 0;
    int m_queryRequests = 0;
    QStringList m_cuits;
    QList<QByteArray> m_ticketRequests;
    QList<Ticket> m_tickets;
    std::map<std::pair<int, int>, qint64> m_lastVouchers;
    std::optional<Fault> m_nextLoginFault;
    std::optional<std::pair<int, QString>> m_queryError;
    bool m_hanging = false;
    Expiry m_expiry = Expiry::DatesError;
};

} // namespace kembtest
