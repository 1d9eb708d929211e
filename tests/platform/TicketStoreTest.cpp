#include "platform/afip/TicketStore.h"

#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using afip::AccessTicket;
using afip::TicketStore;

namespace {

class TicketStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        TicketStore::setFolderOverride(m_dir.filePath("a/b"));
    }
    void TearDown() override { TicketStore::setFolderOverride(QString()); }

    static AccessTicket ticket(qint64 secondsLeft)
    {
        return AccessTicket{"tok", "sig", QDateTime::currentDateTimeUtc().addSecs(secondsLeft).toOffsetFromUtc(-10800)};
    }

    QTemporaryDir m_dir;
};

const QString Wsaa = QStringLiteral("https://wsaahomo.afip.gov.ar/ws/services/LoginCms");

} // namespace

TEST_F(TicketStoreTest, KeepsATicketUntilItExpires)
{
    EXPECT_FALSE(TicketStore::load("f1", "wsfe", Wsaa).has_value());
    const AccessTicket kept = ticket(3600);
    ASSERT_TRUE(TicketStore::save("f1", "wsfe", Wsaa, kept));
    const auto loaded = TicketStore::load("f1", "wsfe", Wsaa);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->token, QString("tok"));
    EXPECT_EQ(loaded->sign, QString("sig"));
    EXPECT_EQ(loaded->expiration, kept.expiration);
    // The same address written another way is the same service.
    EXPECT_TRUE(TicketStore::load("f1", "wsfe", " https://WSAAHOMO.afip.gov.ar/ws/services/LoginCms/ ").has_value());
    // Another certificate, service or address has its own.
    EXPECT_FALSE(TicketStore::load("f2", "wsfe", Wsaa).has_value());
    EXPECT_FALSE(TicketStore::load("f1", "wsmtxca", Wsaa).has_value());
    EXPECT_FALSE(TicketStore::load("f1", "wsfe", "https://wsaa.afip.gov.ar/ws/services/LoginCms").has_value());
}

TEST_F(TicketStoreTest, AnExpiredOrDamagedTicketIsDropped)
{
    ASSERT_TRUE(TicketStore::save("f1", "wsfe", Wsaa, ticket(-5)));
    EXPECT_FALSE(TicketStore::load("f1", "wsfe", Wsaa).has_value());
    EXPECT_FALSE(QFile::exists(TicketStore::filePath("f1", "wsfe", Wsaa)));

    // Within the safety margin counts as expired.
    ASSERT_TRUE(TicketStore::save("f1", "wsfe", Wsaa, ticket(AccessTicket::MarginSeconds - 5)));
    EXPECT_FALSE(TicketStore::load("f1", "wsfe", Wsaa).has_value());

    QFile damaged(TicketStore::filePath("f1", "wsfe", Wsaa));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("{ no es json");
    damaged.close();
    EXPECT_FALSE(TicketStore::load("f1", "wsfe", Wsaa).has_value());
}

// A disk that fills up while a ticket is written keeps the earlier ticket whole and says the new one was
// not kept; the file's buffer once hid the short write and left a cut ticket in place.
TEST_F(TicketStoreTest, AFullDiskKeepsTheEarlierTicketWhole)
{
    const AccessTicket earlier = ticket(3600);
    ASSERT_TRUE(TicketStore::save("f1", "wsfe", Wsaa, earlier));
    QFile file(TicketStore::filePath("f1", "wsfe", Wsaa));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    {
        kembtest::FileSizeLimit limit(40);
        EXPECT_FALSE(TicketStore::save("f1", "wsfe", Wsaa, ticket(7200)));
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    const auto loaded = TicketStore::load("f1", "wsfe", Wsaa);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->expiration, earlier.expiration);
    EXPECT_EQ(QDir(TicketStore::folder()).entryList(QDir::Files | QDir::Hidden).size(), 1) << "no temporary file left";
}

TEST_F(TicketStoreTest, FolderAndFileAreTheUsersOnly)
{
    ASSERT_TRUE(TicketStore::save("f1", "wsfe", Wsaa, ticket(3600)));
    EXPECT_EQ(QFile::permissions(TicketStore::folder()) & 0x0077, 0);
    const QFileDevice::Permissions file = QFile::permissions(TicketStore::filePath("f1", "wsfe", Wsaa));
    EXPECT_TRUE(file & QFileDevice::ReadOwner);
    EXPECT_EQ(file & 0x0077, 0) << "no group or other bits";
}

TEST_F(TicketStoreTest, TheDefaultFolderIsInTheUsersDataFolder)
{
    TicketStore::setFolderOverride(QString());
    EXPECT_TRUE(TicketStore::folder().startsWith(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
    EXPECT_TRUE(TicketStore::folder().endsWith("/tickets"));
}

// Only the ticket named goes: a newer one kept meanwhile under the same key stays, and so do other keys.
TEST_F(TicketStoreTest, DiscardDropsOnlyThatTicket)
{
    const AccessTicket refused = ticket(3600);
    EXPECT_TRUE(TicketStore::discard("f1", "wsfe", Wsaa, refused)) << "nothing kept, nothing left";
    ASSERT_TRUE(TicketStore::save("f1", "wsfe", Wsaa, refused));
    ASSERT_TRUE(TicketStore::save("f2", "wsfe", Wsaa, refused));
    EXPECT_TRUE(TicketStore::discard("f1", "wsfe", Wsaa, refused));
    EXPECT_FALSE(QFile::exists(TicketStore::filePath("f1", "wsfe", Wsaa)));
    EXPECT_TRUE(TicketStore::load("f2", "wsfe", Wsaa).has_value());

    const AccessTicket newer{"tok2", "sig2", refused.expiration.addSecs(600)};
    ASSERT_TRUE(TicketStore::save("f1", "wsfe", Wsaa, newer));
    EXPECT_TRUE(TicketStore::discard("f1", "wsfe", Wsaa, refused));
    const auto loaded = TicketStore::load("f1", "wsfe", Wsaa);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->token, QString("tok2"));
}
