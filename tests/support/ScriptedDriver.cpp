#include "support/ScriptedDriver.h"

namespace kembtest {
namespace {

// The statement with each marker replaced by its value written as a literal, as a test reads it.
QString withValues(const QString& sql, const std::vector<ado::Parameter>& parameters)
{
    QString out;
    size_t next = 0;
    for (const QChar c : sql) {
        if (c != QLatin1Char('?') || next >= parameters.size()) {
            out += c;
            continue;
        }
        const vb::Variant& v = parameters[next++].value;
        switch (v.type()) {
        case vb::Variant::Type::Empty:
        case vb::Variant::Type::Null:
            out += QStringLiteral("NULL");
            break;
        case vb::Variant::Type::Boolean:
            out += v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
            break;
        case vb::Variant::Type::Long:
        case vb::Variant::Type::Double:
        case vb::Variant::Type::Currency:
        case vb::Variant::Type::Decimal:
            out += v.toString();
            break;
        default:
            out +=
                QLatin1Char('\'') + v.toString().replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
            break;
        }
    }
    return out;
}

} // namespace

class ScriptedSession : public ado::Session {
public:
    explicit ScriptedSession(ScriptedDriver& driver) : m_driver(driver) {}

    ado::ResultSet execute(const QString& sql, int) override { return m_driver.run(sql); }
    ado::ResultSet executeWith(const QString& sql, const std::vector<ado::Parameter>& parameters, int) override
    {
        return m_driver.run(withValues(sql, parameters));
    }
    void beginTrans() override { m_driver.m_calls << QStringLiteral("begin"); }
    void commitTrans() override { m_driver.m_calls << QStringLiteral("commit"); }
    void rollbackTrans() override { m_driver.m_calls << QStringLiteral("rollback"); }
    ado::ResultSet tables(const ado::SchemaFilter&) override { return {}; }
    ado::ResultSet columns(const ado::SchemaFilter&) override { return {}; }
    QString currentCatalog() override { return m_catalog; }
    void setCurrentCatalog(const QString& name) override { m_catalog = name; }
    QStringList primaryKey(const QString&) override { return {}; }
    void close() override
    {
        if (m_driver.m_closeFailures.empty())
            return;
        ado::Diagnostics records = std::move(m_driver.m_closeFailures.front());
        m_driver.m_closeFailures.pop_front();
        throw ado::DriverError(std::move(records));
    }
    ado::Diagnostics takeWarnings() override { return {}; }

private:
    ScriptedDriver& m_driver;
    QString m_catalog;
};

ScriptedDriver::ScriptedDriver() : m_previous(ado::setDriver(this)) {}

ScriptedDriver::~ScriptedDriver()
{
    ado::setDriver(m_previous);
}

ScriptedDriver& ScriptedDriver::failWhen(const QString& text, ado::Diagnostics records)
{
    m_rules.push_back({text, std::move(records), {}});
    return *this;
}

ScriptedDriver& ScriptedDriver::answerWhen(const QString& text, ado::ResultSet result)
{
    m_rules.push_back({text, {}, std::move(result)});
    return *this;
}

ScriptedDriver& ScriptedDriver::failNextConnect(ado::Diagnostics records)
{
    m_connectFailures.push_back(std::move(records));
    return *this;
}

ScriptedDriver& ScriptedDriver::failNextClose(ado::Diagnostics records)
{
    m_closeFailures.push_back(std::move(records));
    return *this;
}

std::unique_ptr<ado::Session> ScriptedDriver::connect(const QString& odbcConnectionString, int)
{
    m_calls << QStringLiteral("connect ") + odbcConnectionString;
    if (!m_connectFailures.empty()) {
        ado::Diagnostics records = std::move(m_connectFailures.front());
        m_connectFailures.pop_front();
        throw ado::DriverError(std::move(records));
    }
    return std::make_unique<ScriptedSession>(*this);
}

ado::ResultSet ScriptedDriver::run(const QString& sql)
{
    m_calls << QStringLiteral("execute ") + sql;
    for (const Rule& rule : m_rules) {
        if (!sql.contains(rule.text, Qt::CaseInsensitive))
            continue;
        if (!rule.failure.empty())
            throw ado::DriverError(rule.failure);
        return rule.result;
    }
    ado::ResultSet none;
    none.rowsAffected = 1;
    return none;
}

} // namespace kembtest
