#include "support/SqlServerDialect.h"

#include "support/ForwardingSession.h"

#include <QRegularExpression>

namespace kembtest {
namespace {

// Installs a driver for its lifetime and then puts back the one it replaced.
class DriverSwap {
public:
    explicit DriverSwap(ado::Driver* driver) : m_replaced(ado::setDriver(driver)) {}
    ~DriverSwap() { ado::setDriver(m_replaced); }
    DriverSwap(const DriverSwap&) = delete;
    DriverSwap& operator=(const DriverSwap&) = delete;

private:
    ado::Driver* m_replaced;
};

class RewritingSession : public ForwardingSession {
public:
    using ForwardingSession::ForwardingSession;

    ado::ResultSet execute(const QString& sql, int timeout) override
    {
        return inner().execute(SqlServerDialect::rewrite(sql), timeout);
    }
    std::vector<ado::ColumnOrigin> columnOrigins(const QString& sql) override
    {
        return inner().columnOrigins(SqlServerDialect::rewrite(sql));
    }
};

} // namespace

SqlServerDialect::SqlServerDialect() : m_previous(ado::setDriver(this)) {}

SqlServerDialect::~SqlServerDialect()
{
    ado::setDriver(m_previous);
}

QString SqlServerDialect::rewrite(const QString& sql)
{
    static const QRegularExpression top(QStringLiteral("\\bTOP\\s+(\\d+)\\s"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression nolock(QStringLiteral("with\\s*\\(\\s*nolock\\s*\\)"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression isnull(QStringLiteral("\\bISNULL\\s*\\("),
                                           QRegularExpression::CaseInsensitiveOption);
    QString out = sql;
    out.replace(nolock, QString());
    out.replace(isnull, QStringLiteral("IFNULL("));
    const auto m = top.match(out);
    if (!m.hasMatch())
        return out;
    const QString limit = m.captured(1);
    out.remove(m.capturedStart(), m.capturedLength());
    return out + QStringLiteral(" LIMIT ") + limit;
}

std::unique_ptr<ado::Session> SqlServerDialect::connect(const QString& odbcConnectionString, int loginTimeoutSeconds)
{
    // The driver below answers the connect; the guard puts this one back however the connect ends, so a
    // refused connect does not leave the rest of the test program without the rewriting.
    const DriverSwap below(m_previous);
    auto inner = ado::currentDriver().connect(odbcConnectionString, loginTimeoutSeconds);
    return std::make_unique<RewritingSession>(std::move(inner));
}

} // namespace kembtest
