#include "platform/ado/ProviderMap.h"

#include <QStringList>
#include <array>
#include <vector>

namespace ado {
namespace {

struct Pair {
    QString key; // trimmed, as written
    QString value;
    QString text; // the segment as written
};

// Splits at semicolons outside braces and double quotes.
std::vector<Pair> parse(const QString& s)
{
    std::vector<Pair> pairs;
    QString segment;
    QChar closing;
    auto flush = [&] {
        if (!segment.trimmed().isEmpty()) {
            const qsizetype eq = segment.indexOf(QLatin1Char('='));
            Pair p{segment.left(eq < 0 ? segment.size() : eq).trimmed(),
                   eq < 0 ? QString() : segment.mid(eq + 1).trimmed(), segment};
            pairs.push_back(std::move(p));
        }
        segment.clear();
    };
    for (QChar c : s) {
        if (!closing.isNull()) {
            if (c == closing)
                closing = QChar();
        } else if (c == QLatin1Char('{')) {
            closing = QLatin1Char('}');
        } else if (c == QLatin1Char('"')) {
            closing = QLatin1Char('"');
        } else if (c == QLatin1Char(';')) {
            flush();
            continue;
        }
        segment += c;
    }
    flush();
    return pairs;
}

bool keyIs(const Pair& p, std::initializer_list<const char*> names)
{
    for (const char* n : names)
        if (p.key.compare(QLatin1String(n), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString unquoted(const QString& value)
{
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        return value.mid(1, value.size() - 2);
    return value;
}

QString odbcPair(const QString& key, const QString& value)
{
    if (value.contains(QLatin1Char(';')) || value.startsWith(QLatin1Char('{')))
        return key + QStringLiteral("={") + QString(value).replace(QLatin1Char('}'), QStringLiteral("}}")) +
               QLatin1Char('}');
    return key + QLatin1Char('=') + value;
}

// Appends the credentials given to Open, or those of the string, and closes the list.
QString withCredentials(QStringList items, const QString& uid, const QString& pwd)
{
    if (!uid.isEmpty())
        items << odbcPair(QStringLiteral("UID"), uid);
    if (!pwd.isEmpty())
        items << odbcPair(QStringLiteral("PWD"), pwd);
    return items.join(QLatin1Char(';')) + QLatin1Char(';');
}

enum class Provider { Odbc, SqlServer, Oracle, Jet };

struct ProviderInfo {
    const char* name;
    Provider provider;
    const char* source;
};

constexpr std::array kProviders{
    ProviderInfo{"SQLOLEDB", Provider::SqlServer, "Microsoft OLE DB Provider for SQL Server"},
    ProviderInfo{"SQLOLEDB.1", Provider::SqlServer, "Microsoft OLE DB Provider for SQL Server"},
    ProviderInfo{"OraOLEDB.Oracle.1", Provider::Oracle, "OraOLEDB"},
    ProviderInfo{"OraOLEDB.Oracle", Provider::Oracle, "OraOLEDB"},
    ProviderInfo{"Microsoft.Jet.OLEDB.4.0", Provider::Jet, "Microsoft JET Database Engine"},
    ProviderInfo{"Microsoft.Jet.OLEDB.3.51", Provider::Jet, "Microsoft JET Database Engine"},
    ProviderInfo{"MSDASQL", Provider::Odbc, "Microsoft OLE DB Provider for ODBC Drivers"},
    ProviderInfo{"MSDASQL.1", Provider::Odbc, "Microsoft OLE DB Provider for ODBC Drivers"},
};

const ProviderInfo& providerOf(const std::vector<Pair>& pairs)
{
    for (const Pair& p : pairs) {
        if (!keyIs(p, {"Provider"}))
            continue;
        for (const ProviderInfo& info : kProviders)
            if (unquoted(p.value).compare(QLatin1String(info.name), Qt::CaseInsensitive) == 0)
                return info;
    }
    return kProviders.back();
}

// The provider's own keywords and the ODBC keyword each becomes; the first of a group is the ODBC one.
struct Translation {
    const char* odbcKey;
    std::initializer_list<const char*> oledbKeys;
};

QString translate(const std::vector<Pair>& pairs, const QString& driver, const std::vector<Translation>& table,
                  bool portAfterComma, const QString& userId, const QString& password)
{
    QStringList out{odbcPair(QStringLiteral("DRIVER"), driver)};
    QString uid;
    QString pwd;
    for (const Pair& p : pairs) {
        if (keyIs(p, {"Provider", "Connect Timeout", "Connection Timeout", "Persist Security Info"}))
            continue;
        const QString value = unquoted(p.value);
        if (keyIs(p, {"User ID", "UID", "User"})) {
            uid = value;
        } else if (keyIs(p, {"Password", "PWD", "Jet OLEDB:Database Password"})) {
            if (!keyIs(p, {"Password", "PWD"}) || pwd.isEmpty())
                pwd = value;
        } else if (keyIs(p, {"Server", "Data Source", "Address", "Addr", "Network Address"}) && portAfterComma &&
                   value.contains(QLatin1Char(','))) {
            out << odbcPair(QStringLiteral("SERVER"), value.section(QLatin1Char(','), 0, 0).trimmed());
            out << odbcPair(QStringLiteral("PORT"), value.section(QLatin1Char(','), 1).trimmed());
        } else {
            QString key = p.key;
            for (const Translation& t : table)
                for (const char* k : t.oledbKeys)
                    if (keyIs(p, {k}))
                        key = QLatin1String(t.odbcKey);
            out << odbcPair(key, value);
        }
    }
    return withCredentials(out, userId.isEmpty() ? uid : userId, password.isEmpty() ? pwd : password);
}

// An ODBC string passes unchanged but for the provider property and the credentials given to Open.
QString passThrough(const std::vector<Pair>& pairs, const QString& userId, const QString& password)
{
    QStringList kept;
    for (const Pair& p : pairs) {
        if (keyIs(p, {"Provider"}) || (!userId.isEmpty() && keyIs(p, {"UID", "User ID"})) ||
            (!password.isEmpty() && keyIs(p, {"PWD", "Password"})))
            continue;
        kept << p.text;
    }
    return withCredentials(kept, userId, password);
}

int loginTimeout(const std::vector<Pair>& pairs)
{
    for (const Pair& p : pairs)
        if (keyIs(p, {"Connect Timeout", "Connection Timeout"}))
            return p.value.toInt();
    return 15;
}

} // namespace

QString sqlServerDriver()
{
    return QStringLiteral(KEMB_SQLSERVER_ODBC_DRIVER);
}

OdbcTarget mapProvider(const QString& oledb, const QString& userId, const QString& password)
{
    const std::vector<Pair> pairs = parse(oledb);
    const ProviderInfo& info = providerOf(pairs);
    OdbcTarget target;
    target.source = QLatin1String(info.source);
    target.loginTimeoutSeconds = loginTimeout(pairs);
    switch (info.provider) {
    case Provider::SqlServer:
        target.connectionString =
            translate(pairs, sqlServerDriver(),
                      {{"SERVER", {"Server", "Data Source", "Address", "Addr", "Network Address"}},
                       {"DATABASE", {"Database", "Initial Catalog"}}},
                      true, userId, password);
        break;
    case Provider::Oracle:
        target.connectionString =
            translate(pairs, QStringLiteral("Oracle ODBC Driver"), {{"DBQ", {"Data Source"}}}, false, userId, password);
        break;
    case Provider::Jet:
        target.connectionString = translate(pairs, QStringLiteral("Microsoft Access Driver (*.mdb)"),
                                            {{"DBQ", {"Data Source"}}}, false, userId, password);
        break;
    case Provider::Odbc:
        target.connectionString = passThrough(pairs, userId, password);
        break;
    }
    return target;
}

} // namespace ado
