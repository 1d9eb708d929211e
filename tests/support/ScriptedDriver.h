// A driver that stands in for a database server where no real one can run here: it records every call
// ("connect …", "execute …", "begin", "commit", "rollback") and fails statements with the diagnostic
// records it was given (SQL Server's own native error numbers, for instance). A statement with parameters
// is recorded (and matched) with its values written in place of its markers. Installed while it lives.
#pragma once

#include "platform/ado/Driver.h"

#include <QStringList>
#include <deque>
#include <vector>

namespace kembtest {

class ScriptedDriver : public ado::Driver {
public:
    ScriptedDriver();
    ~ScriptedDriver() override;

    // Every statement containing `text` (any case) fails with `records`.
    ScriptedDriver& failWhen(const QString& text, ado::Diagnostics records);
    // Every statement containing `text` returns `result`.
    ScriptedDriver& answerWhen(const QString& text, ado::ResultSet result);
    // The next connection attempt fails with `records` (queue one per failing attempt).
    ScriptedDriver& failNextConnect(ado::Diagnostics records);
    // The next disconnect is refused with `records` (queue one per refusal).
    ScriptedDriver& failNextClose(ado::Diagnostics records);

    const QStringList& calls() const { return m_calls; }
    std::unique_ptr<ado::Session> connect(const QString& odbcConnectionString, int loginTimeoutSeconds) override;

private:
    friend class ScriptedSession;
    struct Rule {
        QString text;
        ado::Diagnostics failure;
        ado::ResultSet result;
    };
    ado::ResultSet run(const QString& sql);

    std::vector<Rule> m_rules;
    std::deque<ado::Diagnostics> m_connectFailures;
    std::deque<ado::Diagnostics> m_closeFailures;
    QStringList m_calls;
    ado::Driver* m_previous = nullptr;
};

} // namespace kembtest
