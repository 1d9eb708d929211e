#include "support/SqlServerDialect.h"

#include <QRegularExpression>

namespace kembtest {
namespace {

class RewritingSession : public ado::Session {
public:
    explicit RewritingSession(std::unique_ptr<ado::Session> inner) : m_inner(std::move(inner)) {}

    ado::ResultSet execute(const QString& sql, int timeout) override
    {
        return m_inner->execute(SqlServerDialect::rewrite(sql), timeout);
    }
    void beginTrans() override { m_inner->beginTrans(); }
    void commitTrans() override { m_inner->commitTrans(); }
    void rollbackTrans() override { m_inner->rollbackTrans(); }
    ado::ResultSet tables(const ado::SchemaFilter& f) override { return m_inner->tables(f); }
    ado::ResultSet columns(const ado::SchemaFilter& f) override { return m_inner->columns(f); }
    QString currentCatalog() override { return m_inner->currentCatalog(); }
    void setCurrentCatalog(const QString& name) override { m_inner->setCurrentCatalog(name); }
    ado::Diagnostics takeWarnings() override { return m_inner->takeWarnings(); }

private:
    std::unique_ptr<ado::Session> m_inner;
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
