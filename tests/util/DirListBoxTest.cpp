#include "util/DirListBox.h"

#include "platform/vb/Error.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class DirListBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"beta", "Alfa", "gamma/interior"})
            ASSERT_TRUE(QDir(m_dir.path()).mkpath(QLatin1String(name)));
    }

    QString native(const QString& name = QString()) const
    {
        return QDir::toNativeSeparators(name.isEmpty() ? m_dir.path() : QDir(m_dir.path()).filePath(name));
    }

    QStringList captions() const
    {
        QStringList out;
        for (int i = 0; i < m_list.count(); ++i)
            out << m_list.item(i)->text().trimmed();
        return out;
    }

    QTemporaryDir m_dir;
    DirListBox m_list;
};

TEST_F(DirListBoxTest, StartsOnTheCurrentFolder)
{
    EXPECT_EQ(m_list.Path(), QDir::toNativeSeparators(QDir::currentPath()));
}

TEST_F(DirListBoxTest, ShowsTheParentChainThenTheSubfoldersByName)
{
    m_list.setPath(native());
    const QStringList shown = captions();
    const int open = shown.indexOf(QDir(m_dir.path()).dirName());
    ASSERT_GE(open, 1);
    EXPECT_EQ(shown.first(), QDir::toNativeSeparators(QDir::rootPath()));
    EXPECT_EQ(shown.mid(open + 1), (QStringList{"Alfa", "beta", "gamma"}));
    EXPECT_EQ(m_list.currentRow(), open);
}

TEST_F(DirListBoxTest, ActivatingASubfolderOpensIt)
{
    m_list.setPath(native());
    QSignalSpy changes(&m_list, &DirListBox::Change);
    const auto found = m_list.findItems(QStringLiteral("gamma"), Qt::MatchEndsWith);
    ASSERT_EQ(found.size(), 1);
    emit m_list.itemActivated(found.first());
    EXPECT_EQ(m_list.Path(), native(QStringLiteral("gamma")));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_TRUE(captions().endsWith(QStringLiteral("interior")));
}

TEST_F(DirListBoxTest, PathsThatAreNoFolderRaise76AndKeepTheOpenFolder)
{
    m_list.setPath(native());
    QFile file(QDir(m_dir.path()).filePath(QStringLiteral("archivo.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QSignalSpy changes(&m_list, &DirListBox::Change);
    for (const QString& bad : {native(QStringLiteral("falta")), native(QStringLiteral("archivo.txt")), QString(),
                               QStringLiteral("d: [DATOS]/")}) {
        try {
            m_list.setPath(bad);
            ADD_FAILURE() << bad.toStdString();
        } catch (const vb::Error& e) {
            EXPECT_EQ(e.Number(), 76);
        }
        EXPECT_EQ(m_list.Path(), native());
    }
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(DirListBoxTest, ReopeningTheSameFolderIsNoChange)
{
    m_list.setPath(native());
    QSignalSpy changes(&m_list, &DirListBox::Change);
    m_list.setPath(native() + QDir::separator());
    EXPECT_EQ(changes.count(), 0);
}

} // namespace
