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
        return inner().execute(SqlServerDialect::rewrite(sql), timeout);
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
    ado::Driver* self = ado::setDriver(m_previous);
    auto inner = ado::currentDriver().connect(odbcConnectionString, loginTimeoutSeconds);
    ado::setDriver(self);
    return std::make_unique<RewritingSession>(std::move(inner));
}

} // namespace kembtest
