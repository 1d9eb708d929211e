#include "platform/win/ImageHlp.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SearchTreeTest : public ::testing::Test {
protected:
    QString file(const QString& relative)
    {
        const QString path = QDir(m_root.path()).filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return QDir::toNativeSeparators(path);
    }

    QString root() const { return m_root.path(); }

    QTemporaryDir m_root;
};

} // namespace

TEST_F(SearchTreeTest, FindsTheFileInASubfolderWithoutRegardToCase)
{
    const QString target = file("programas/erp/QB417ZT.exe");
    file("programas/erp/otro.exe");
    QString found = "sin tocar";
    EXPECT_TRUE(win::SearchTreeForFile(root(), "qb417zt.EXE", found));
    EXPECT_EQ(found, target);
}

TEST_F(SearchTreeTest, TheFilesOfAFolderComeBeforeItsSubfoldersAndSubfoldersGoInNameOrder)
{
    file("b/x.txt");
    const QString inA = file("A/x.txt");
    QString found;
    EXPECT_TRUE(win::SearchTreeForFile(root(), "x.txt", found));
    EXPECT_EQ(found, inA);

    const QString top = file("x.txt");
    EXPECT_TRUE(win::SearchTreeForFile(root(), "X.TXT", found));
    EXPECT_EQ(found, top);
}

TEST_F(SearchTreeTest, ANameThatOnlyContainsTheOneSoughtOrAFolderOfThatNameIsNoMatch)
{
    file("viejo_qb417zt.exe");
    file("qb417zt.exe.bak");
    QDir(root()).mkpath("qb417zt.exe");
    QString found = "sin tocar";
    EXPECT_FALSE(win::SearchTreeForFile(root(), "qb417zt.exe", found));
    EXPECT_EQ(found, "sin tocar");
}

TEST_F(SearchTreeTest, AMissingRootOrAnEmptyNameFindsNothing)
{
    file("a.txt");
    QString found;
    EXPECT_FALSE(win::SearchTreeForFile(QDir(root()).filePath("no-existe"), "a.txt", found));
    EXPECT_FALSE(win::SearchTreeForFile(root(), "", found));
    EXPECT_FALSE(win::SearchTreeForFile("", "a.txt", found));
    EXPECT_TRUE(found.isEmpty());
}

TEST_F(SearchTreeTest, ALinkBackToAParentIsNotFollowed)
{
    QDir(root()).mkpath("a");
    ASSERT_TRUE(QFile::link(root(), QDir(root()).filePath("a/vuelta")));
    QString found;
    EXPECT_FALSE(win::SearchTreeForFile(root(), "nada.txt", found));
    const QString target = file("a/nada.txt");
    EXPECT_TRUE(win::SearchTreeForFile(root(), "nada.txt", found));
    EXPECT_EQ(found, target);
}
