#include "util/cStringBuilder.h"

#include "support/ErrorNumber.h"

#include <gtest/gtest.h>

namespace {

TEST(cStringBuilderTest, NewObjectIsEmpty)
{
    cStringBuilder sb;
    EXPECT_EQ(sb.Length(), 0);
    EXPECT_EQ(sb.Capacity(), 0);
    EXPECT_EQ(sb.ChunkSize(), 8192);
    EXPECT_EQ(sb.toString(), QString());
}

TEST(cStringBuilderTest, GrowsByWholeChunks)
{
    struct Case {
        int appended;
        int capacity;
    };
    for (const Case& c : {Case{1, 8192}, Case{8192, 8192}, Case{8193, 16384}, Case{20000, 24576}}) {
        cStringBuilder sb;
        sb.Append(QString(c.appended, QLatin1Char('x')));
        EXPECT_EQ(sb.Length(), c.appended);
        EXPECT_EQ(sb.Capacity(), c.capacity) << c.appended;
    }
}

TEST(cStringBuilderTest, AppendsPiecesInOrderAcrossChunks)
{
    cStringBuilder sb;
    QString expected;
    for (int i = 0; i < 5000; ++i) {
        const QString piece = QString::number(i) + QChar(0x00F1);
        sb.Append(piece);
        expected += piece;
    }
    EXPECT_EQ(sb.toString(), expected);
    EXPECT_EQ(sb.Length(), expected.size());
    EXPECT_EQ(sb.Capacity() % 8192, 0);
    EXPECT_GE(sb.Capacity(), sb.Length());
    EXPECT_LT(sb.Capacity() - sb.Length(), 8192);
}

TEST(cStringBuilderTest, AppendNLAndByValue)
{
    cStringBuilder sb;
    sb.AppendNL(QStringLiteral("uno"));
    sb.AppendByVal(QStringLiteral("dos"));
    EXPECT_EQ(sb.toString(), QStringLiteral("uno\r\ndos"));
}

TEST(cStringBuilderTest, TheStringReplacesAndKeepsALargeEnoughBuffer)
{
    cStringBuilder sb;
    sb.Append(QString(10000, QLatin1Char('a')));
    sb.TheString(QStringLiteral("hola"));
    EXPECT_EQ(sb.toString(), QStringLiteral("hola"));
    EXPECT_EQ(sb.Capacity(), 16384);
    sb.TheString(QString());
    EXPECT_EQ(sb.Length(), 0);
    EXPECT_EQ(sb.Capacity(), 0);
    EXPECT_EQ(sb.toString(), QString());
}

TEST(cStringBuilderTest, InsertAtStartMiddleAndEnd)
{
    cStringBuilder sb;
    sb.Append(QStringLiteral("bd"));
    sb.Insert(0, QStringLiteral("a"));
    sb.Insert(2, QStringLiteral("c"));
    sb.Insert(sb.Length(), QStringLiteral("e"));
    sb.InsertByVal(5, QStringLiteral("f"));
    EXPECT_EQ(sb.toString(), QStringLiteral("abcdef"));
}

TEST(cStringBuilderTest, InsertOutsideTheTextRaises9AndChangesNothing)
{
    cStringBuilder sb;
    sb.Append(QStringLiteral("abc"));
    EXPECT_EQ(kembtest::errorNumber([&] { sb.Insert(4, QStringLiteral("x")); }), 9);
    EXPECT_EQ(kembtest::errorNumber([&] { sb.Insert(-1, QStringLiteral("x")); }), 9);
    EXPECT_EQ(sb.toString(), QStringLiteral("abc"));
}

TEST(cStringBuilderTest, InsertOfALongTextGrowsByAsManyChunksAsNeeded)
{
    cStringBuilder sb;
    sb.Append(QStringLiteral("ab"));
    const QString big(20000, QLatin1Char('x'));
    sb.Insert(1, big);
    EXPECT_EQ(sb.Capacity(), 24576);
    EXPECT_EQ(sb.toString(), QStringLiteral("a") + big + QStringLiteral("b"));
}

TEST(cStringBuilderTest, Remove)
{
    struct Case {
        int index;
        int length;
        QString result;
        long error;
    };
    const Case cases[] = {
        {0, 0, QStringLiteral("abcdef"), 0}, {0, 2, QStringLiteral("cdef"), 0},    {2, 2, QStringLiteral("abef"), 0},
        {4, 2, QStringLiteral("abcd"), 0},   {6, 0, QStringLiteral("abcdef"), 0},  {5, 2, QStringLiteral("abcdef"), 9},
        {7, 0, QStringLiteral("abcdef"), 9}, {-1, 1, QStringLiteral("abcdef"), 9}, {1, -1, QStringLiteral("abcdef"), 9},
    };
    for (const Case& c : cases) {
        cStringBuilder sb;
        sb.Append(QStringLiteral("abcdef"));
        EXPECT_EQ(kembtest::errorNumber([&] { sb.Remove(c.index, c.length); }), c.error) << c.index << "," << c.length;
        EXPECT_EQ(sb.toString(), c.result) << c.index << "," << c.length;
        EXPECT_EQ(sb.Capacity(), 8192);
    }
}

TEST(cStringBuilderTest, Find)
{
    cStringBuilder sb;
    sb.Append(QStringLiteral("abcAbc"));
    struct Case {
        QString find;
        int start;
        vb::Compare compare;
        int position;
    };
    const Case cases[] = {
        {QStringLiteral("c"), 0, vb::Compare::Binary, 3},  {QStringLiteral("c"), 4, vb::Compare::Binary, 6},
        {QStringLiteral("A"), -5, vb::Compare::Binary, 4}, {QStringLiteral("A"), 1, vb::Compare::Text, 1},
        {QStringLiteral(" "), 0, vb::Compare::Binary, 0},  {QStringLiteral("c "), 0, vb::Compare::Binary, 0},
        {QStringLiteral("x"), 0, vb::Compare::Binary, 0},  {QStringLiteral("c"), 7, vb::Compare::Binary, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sb.Find(c.find, c.start, c.compare), c.position) << c.find.toStdString() << " from " << c.start;
}

TEST(cStringBuilderTest, HeapMinimizeLeavesAtMostOneChunk)
{
    cStringBuilder sb;
    sb.Append(QString(40000, QLatin1Char('x')));
    EXPECT_EQ(sb.Capacity(), 40960);
    sb.Remove(10, 39000);
    sb.HeapMinimize();
    EXPECT_EQ(sb.Capacity(), 8192);
    EXPECT_EQ(sb.toString(), QString(1000, QLatin1Char('x')));
    sb.Append(QStringLiteral("y"));
    EXPECT_EQ(sb.toString(), QString(1000, QLatin1Char('x')) + QStringLiteral("y"));

    sb.Clear();
    sb.HeapMinimize();
    EXPECT_EQ(sb.Capacity(), 0);
    EXPECT_EQ(sb.Length(), 0);
}

TEST(cStringBuilderTest, ChunkSize)
{
    cStringBuilder sb;
    sb.ChunkSize(100);
    EXPECT_EQ(sb.ChunkSize(), 100);
    sb.Append(QStringLiteral("a"));
    EXPECT_EQ(sb.Capacity(), 100);
    sb.Append(QString(150, QLatin1Char('b')));
    EXPECT_EQ(sb.Capacity(), 200);
    EXPECT_EQ(kembtest::errorNumber([&] { sb.ChunkSize(1 << 30); }), 6);
    // A chunk of nothing would never make room: refused instead of looping for ever.
    EXPECT_EQ(kembtest::errorNumber([&] { sb.ChunkSize(0); }), 5);
    EXPECT_EQ(kembtest::errorNumber([&] { sb.ChunkSize(-4); }), 5);
    EXPECT_EQ(sb.ChunkSize(), 100);
}

} // namespace
