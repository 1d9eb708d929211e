// A database session that hands every call to another one; test drivers derive from it to change only
// how statements are run.
#pragma once

#include "platform/ado/Session.h"

#include <memory>

namespace kembtest {

class ForwardingSession : public ado::Session {
public:
    explicit ForwardingSession(std::unique_ptr<ado::Session> inner) : m_inner(std::move(inner)) {}

    ado::ResultSet execute(const QString& sql, int timeout) override { return m_inner->execute(sql, timeout); }
    ado::ResultSet executeWith(const QString& sql, const std::vector<ado::Parameter>& parameters, int timeout) override
    {
        return m_inner->executeWith(sql, parameters, timeout);
    }
    ado::ResultSet insertRow(const ado::RowInsert& insert, int timeout) override
    {
        return m_inner->insertRow(insert, timeout);
    }
    void beginTrans() override { m_inner->beginTrans(); }
    void commitTrans() override { m_inner->commitTrans(); }
    void rollbackTrans() override { m_inner->rollbackTrans(); }
    ado::ResultSet tables(const ado::SchemaFilter& f) override { return m_inner->tables(f); }
    ado::ResultSet columns(const ado::SchemaFilter& f) override { return m_inner->columns(f); }
    QString currentCatalog() override { return m_inner->currentCatalog(); }
    void setCurrentCatalog(const QString& name) override { m_inner->setCurrentCatalog(name); }
    QStringList primaryKey(const QString& table) override { return m_inner->primaryKey(table); }
    std::vector<ado::ColumnOrigin> columnOrigins(const QString& sql) override { return m_inner->columnOrigins(sql); }
    QString identifierQuote() override { return m_inner->identifierQuote(); }
    void close() override { m_inner->close(); }
    ado::Diagnostics takeWarnings() override { return m_inner->takeWarnings(); }

protected:
    ado::Session& inner() { return *m_inner; }

private:
    std::unique_ptr<ado::Session> m_inner;
};

} // namespace kembtest
