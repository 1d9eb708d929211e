#include "installer/SqliteAsSqlServer.h"

#include "support/SqlServerDialect.h"

#include "support/ForwardingSession.h"

#include <QRegularExpression>

namespace kembtest {
namespace {

class RewritingSession : public ForwardingSession {
public:
    using ForwardingSession::ForwardingSession;

    ado::ResultSet execute(const QString& sql, int timeout) override
    {
        ado::ResultSet last;
        for (const QString& statement : SqliteAsSqlServer::rewrite(sql))
            last = inner().execute(statement, timeout);
        return last;
    }
};

QString keyword(const QString& odbc, const QString& key)
{
    for (const QString& pair : odbc.split(QLatin1Char(';'))) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        if (eq > 0 && pair.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return pair.mid(eq + 1).trimmed();
    }
    return QString();
}

} // namespace

SqliteAsSqlServer::SqliteAsSqlServer() : m_previous(ado::setDriver(this)) {}

SqliteAsSqlServer::~SqliteAsSqlServer()
{
    ado::setDriver(m_previous);
}

void SqliteAsSqlServer::route(const QString& name, const QString& target)
{
    m_routes[name] = target;
}

QStringList SqliteAsSqlServer::rewrite(const QString& batch)
{
    static const QRegularExpression conditional(
        QStringLiteral("^IF NOT EXISTS \\((SELECT .*?)\\) INSERT INTO (\\w+) \\(([^)]*)\\) VALUES \\((.*)\\)$"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList statements;
    for (const QString& line : batch.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        const auto m = conditional.match(line.trimmed());
        if (m.hasMatch())
            statements << QStringLiteral("INSERT INTO %1 (%2) SELECT %3 WHERE NOT EXISTS (%4)")
                              .arg(m.captured(2), m.captured(3), m.captured(4), m.captured(1));
        else
            statements << SqlServerDialect::rewrite(line);
    }
    return statements;
}

std::unique_ptr<ado::Session> SqliteAsSqlServer::connect(const QString& odbcConnectionString, int loginTimeoutSeconds)
{
    m_connections << odbcConnectionString;
    const auto target = m_routes.find(keyword(odbcConnectionString, QStringLiteral("DATABASE")));
    if (target == m_routes.end())
        throw ado::DriverError({{QStringLiteral("08001"), 20009,
                                 QStringLiteral("[FreeTDS][SQL Server]Unable to connect to data source")}});
    // The real driver connects while this one steps aside, and this one is back even when it fails.
    struct Aside {
        ado::Driver* self;
        ~Aside() { ado::setDriver(self); }
    } aside{ado::setDriver(m_previous)};
    return std::make_unique<RewritingSession>(ado::currentDriver().connect(target->second, loginTimeoutSeconds));
}

} // namespace kembtest
