#include "support/DatabaseClient.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace kembtest {

QStringList clientRows(const TestDatabase& db, const QString& sql)
{
    QProcess client;
    if (db.engine() == Engine::SQLite)
        client.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), db.name(), sql});
    else
        client.start(QStringLiteral("psql"),
                     {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"), QStringLiteral("-t"),
                      QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"),
                      QStringLiteral("127.0.0.1"), QStringLiteral("-p"), qEnvironmentVariable("KEMB_PG_PORT"),
                      QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-d"), db.name(),
                      QStringLiteral("-c"), sql});
    const bool finished = client.waitForFinished(30000);
    EXPECT_TRUE(finished && client.exitStatus() == QProcess::NormalExit && client.exitCode() == 0)
        << "client failed on " << sql.toStdString() << ": " << client.readAllStandardError().toStdString();
    QString out = QString::fromUtf8(client.readAllStandardOutput());
    if (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
    return out.isEmpty() ? QStringList() : out.split(QLatin1Char('\n'));
}

} // namespace kembtest
