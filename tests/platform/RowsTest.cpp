// The store of a result's rows: every kind of value comes back exactly as it went in, whatever the number
// of rows, the width of a row or the length of a text, after copies, removals and reuse of its memory.
#include "platform/ado/Rows.h"

#include <QString>
#include <gtest/gtest.h>
#include <memory>

namespace {

class Marca : public vb::Object {};

// Values of every kind a Variant holds, including those that need more than eight bytes.
std::vector<vb::Variant> everyKind()
{
    return {vb::Variant(),
            vb::Variant::Null(),
            true,
            false,
            9007199254740993LL,
            -1LL,
            0.1,
            -1e300,
            vb::Currency::fromDouble(12.3456),
            vb::Date(45366.4309027778),
            vb::Date(-1.75),
            QString(),
            QStringLiteral("ñandú"),
            QString(9000, QLatin1Char('x')),
            vb::Decimal::parse(QStringLiteral("79228162514264337593543950335")),
            std::make_shared<Marca>()};
}

std::string describe(const vb::Variant& v)
{
    return std::to_string(static_cast<int>(v.type()));
}

void expectRow(const ado::Rows& rows, size_t row, const std::vector<vb::Variant>& expected)
{
    ASSERT_EQ(rows[row].size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(rows[row][i] == expected[i])
            << "row " << row << ", value " << i << " of kind " << describe(expected[i]) << " came back as kind "
            << describe(rows[row][i]);
}

// A text of its own for each row and column, of a length that changes with both.
QString textOf(size_t row, size_t column)
{
    return QStringLiteral("%1/%2-").arg(row).arg(column).repeated(static_cast<int>((row + column) % 40));
}

TEST(Rows, EveryKindOfValueComesBackExactly)
{
    const std::vector<vb::Variant> values = everyKind();
    ado::Rows rows;
    rows.push_back(values);
    rows.push_back(values);
    expectRow(rows, 0, values);
    expectRow(rows, 1, values);
    for (size_t i = 0; i < values.size(); ++i)
        rows.set(1, i, values[values.size() - 1 - i]);
    expectRow(rows, 0, values);
    expectRow(rows, 1, std::vector<vb::Variant>(values.rbegin(), values.rend()));
    for (long long i = 0; i < 1000; ++i)
        rows.set(0, 4, 9007199254740993LL + i);
    EXPECT_EQ(rows[0][4], vb::Variant(9007199254740993LL + 999));
    rows.set(0, 4, 0.5);
    rows.set(0, 4, QStringLiteral("otra"));
    EXPECT_EQ(rows[0][4], vb::Variant(QStringLiteral("otra")));
    expectRow(rows, 1, std::vector<vb::Variant>(values.rbegin(), values.rend()));
    EXPECT_EQ(rows[0][13].toString().size(), 9000);
    EXPECT_TRUE(rows[0][11].toString().isNull()) << "a null string stays null";
}

// Values written by a reader, row after row, over many blocks of rows and many chunks of text.
TEST(Rows, AReaderFillsManyRowsOfTextsAndNumbers)
{
    constexpr size_t kRows = 20000;
    constexpr size_t kWidth = 6;
    ado::Rows rows;
    for (size_t r = 0; r < kRows; ++r) {
        ado::Rows::Writer w = rows.appendRow(kWidth);
        w.setLong(0, static_cast<long long>(r) - 10000);
        w.setText(1, textOf(r, 1));
        w.setDouble(2, static_cast<double>(r) / 8);
        w.setDate(3, vb::Date(40000.5 + static_cast<double>(r)));
        if (r % 3 == 0)
            w.setNull(4);
        else
            w.setBoolean(4, r % 2 == 0);
        w.setText(5, r % 1000 == 0 ? QString(10000 + r % 7, QChar(0x00F1)) : textOf(r, 5));
    }
    ASSERT_EQ(rows.size(), kRows);
    for (size_t r = 0; r < kRows; ++r) {
        const vb::Variant flag = r % 3 == 0 ? vb::Variant::Null() : vb::Variant(r % 2 == 0);
        const QString last = r % 1000 == 0 ? QString(10000 + r % 7, QChar(0x00F1)) : textOf(r, 5);
        expectRow(rows, r,
                  {static_cast<long long>(r) - 10000, textOf(r, 1), static_cast<double>(r) / 8,
                   vb::Date(40000.5 + static_cast<double>(r)), flag, last});
    }
}

TEST(Rows, TextsOfEveryLengthAroundTheChunkSizes)
{
    ado::Rows rows;
    std::vector<QString> texts;
    for (const int length : {0, 1, 8191, 8192, 8193, 16383, 16384, 16385, 32767, 32768, 32769, 70000})
        texts.push_back(QString(length, QChar(0x20AC)));
    for (int round = 0; round < 3; ++round)
        for (const QString& text : texts)
            rows.appendRow(1).setText(0, text);
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i][0].toString(), texts[i % texts.size()]) << "text " << i;
    EXPECT_FALSE(rows[0][0].toString().isNull()) << "an empty text read is not a null string";
}

// A row wider than a chunk of memory, and rows of no values at all.
TEST(Rows, RowsOfAnyWidth)
{
    constexpr size_t kWide = 9000;
    ado::Rows wide;
    for (size_t r = 0; r < 3; ++r) {
        ado::Rows::Writer w = wide.appendRow(kWide);
        for (size_t c = 0; c < kWide; ++c)
            w.setLong(c, static_cast<long long>(r * kWide + c));
    }
    for (size_t r = 0; r < 3; ++r)
        for (size_t c = 0; c < kWide; c += 997)
            EXPECT_EQ(wide[r][c].toLongLong(), static_cast<long long>(r * kWide + c));
    wide.pop_back();
    EXPECT_EQ(wide.size(), 2u);
    EXPECT_EQ(wide.back()[kWide - 1].toLongLong(), static_cast<long long>(2 * kWide - 1));

    ado::Rows empty;
    empty.push_back({});
    empty.push_back({});
    EXPECT_EQ(empty.size(), 2u);
    EXPECT_EQ(empty[1].size(), 0u);
}

TEST(Rows, CopiesAndMovesKeepTheirOwnValues)
{
    ado::Rows original;
    for (size_t r = 0; r < 3000; ++r) {
        ado::Rows::Writer w = original.appendRow(2);
        w.setText(0, textOf(r, 0));
        w.setLong(1, static_cast<long long>(r));
    }
    original.set(7, 0, vb::Decimal::parse(QStringLiteral("1.5")));
    ado::Rows copy = original;
    copy.set(0, 0, QStringLiteral("cambiado"));
    EXPECT_EQ(original[0][0].toString(), textOf(0, 0));
    EXPECT_EQ(copy[0][0].toString(), "cambiado");
    EXPECT_TRUE(copy[7][0] == vb::Variant(vb::Decimal::parse(QStringLiteral("1.5"))));
    for (size_t r = 1; r < 3000; r += 111)
        EXPECT_EQ(copy[r][0].toString(), original[r][0].toString());

    ado::Rows moved = std::move(copy);
    EXPECT_EQ(moved.size(), 3000u);
    EXPECT_EQ(moved[2999][1].toLongLong(), 2999);
    copy = moved;
    EXPECT_EQ(copy[2999][0].toString(), textOf(2999, 0));
    moved = std::move(copy);
    EXPECT_EQ(moved[1][0].toString(), textOf(1, 0));
}

TEST(Rows, RemovedRowsLeaveTheOthersInOrder)
{
    ado::Rows rows;
    for (size_t r = 0; r < 5000; ++r) {
        ado::Rows::Writer w = rows.appendRow(2);
        w.setLong(0, static_cast<long long>(r));
        w.setText(1, textOf(r, 1));
    }
    rows.eraseIf([](const ado::RowView& row) { return row[0].toLongLong() % 3 != 0; });
    ASSERT_EQ(rows.size(), 1667u);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][0].toLongLong(), static_cast<long long>(3 * i));
        EXPECT_EQ(rows[i][1].toString(), textOf(3 * i, 1));
    }
    rows.eraseIf([](const ado::RowView&) { return true; });
    EXPECT_TRUE(rows.empty());
    rows.push_back({QStringLiteral("otra vez"), 1});
    EXPECT_EQ(rows.front()[0].toString(), "otra vez");
}

// A store built after another one was dropped sees none of the values left in the memory it gets back.
TEST(Rows, ReusedMemoryShowsNoOldValues)
{
    {
        ado::Rows first;
        for (size_t r = 0; r < 4000; ++r) {
            ado::Rows::Writer w = first.appendRow(3);
            w.setText(0, textOf(r, 0));
            w.setLong(1, 7);
            w.setNull(2);
        }
    }
    ado::Rows second;
    for (size_t r = 0; r < 4000; ++r)
        second.appendRow(3).setDouble(1, 0.5);
    for (size_t r = 0; r < 4000; r += 7)
        expectRow(second, r, {vb::Variant(), 0.5, vb::Variant()});
    second.clear();
    EXPECT_TRUE(second.empty());
    second.push_back({1, 2, 3, 4});
    expectRow(second, 0, {1, 2, 3, 4});
}

// Texts handed out outlive their store, change on their own, and keep the memory they use from the next
// store.
TEST(Rows, TextsHandedOutAreTheirOwn)
{
    QString first;
    QString second;
    QString alone;
    {
        ado::Rows rows;
        for (const char* text : {"abc", "def", "ghi"})
            rows.appendRow(1).setText(0, QString::fromLatin1(text));
        first = rows[0][0].toString();
        second = rows[1][0].toString();
        EXPECT_EQ(first.utf16()[first.size()], u'\0');
        first.append(QStringLiteral("XYZ"));
        EXPECT_EQ(rows[1][0].toString(), "def");
        EXPECT_EQ(rows[0][0].toString(), "abc");
    }
    {
        ado::Rows rows;
        rows.appendRow(1).setText(0, QStringLiteral("jkl"));
        alone = rows[0][0].toString();
    }
    alone.append(QStringLiteral("mnopqrstuvwxyz"));
    second[0] = QLatin1Char('D');
    ado::Rows later;
    for (size_t r = 0; r < 20000; ++r)
        later.appendRow(1).setText(0, textOf(r, 0));
    EXPECT_EQ(first, "abcXYZ");
    EXPECT_EQ(second, "Def");
    EXPECT_EQ(alone, "jklmnopqrstuvwxyz");
    for (size_t r = 0; r < 20000; r += 1999)
        EXPECT_EQ(later[r][0].toString(), textOf(r, 0));
}

// A text handed out is as long as its characters and no longer: what a caller keeps or builds from it (a
// label, a key with more appended) takes no capacity from the place the text had among the others.
TEST(Rows, ATextHandedOutHoldsExactlyItsCharacters)
{
    ado::Rows rows;
    for (size_t r = 0; r < 3000; ++r)
        rows.appendRow(1).setText(0, textOf(r, 0));
    for (size_t r : {size_t(1), size_t(1500), size_t(2999)}) {
        QString text = rows[r][0].toString();
        EXPECT_EQ(text.capacity(), text.size()) << "row " << r;
        text.append(QStringLiteral("-hoja"));
        EXPECT_LE(text.capacity(), 2 * text.size() + 16) << "row " << r;
    }
}

TEST(Rows, ReadingAndWritingOutsideTheRowsIsRefused)
{
    ado::Rows rows = {{1, QStringLiteral("a")}, {2, QStringLiteral("b")}};
    EXPECT_EQ(rows.size(), 2u);
    EXPECT_THROW(rows.at(2), std::out_of_range);
    EXPECT_THROW(rows.at(0).at(2), std::out_of_range);
    EXPECT_THROW(rows.set(0, 2, 5), std::out_of_range);
    EXPECT_THROW(rows.set(2, 0, 5), std::out_of_range);
    EXPECT_THROW(rows.push_back({1}), std::invalid_argument);
    QStringList seen;
    for (const auto& row : rows)
        for (const auto& value : row)
            seen << value.toString();
    EXPECT_EQ(seen, QStringList({"1", "a", "2", "b"}));
    const ado::Row copied = rows[1];
    EXPECT_EQ(copied, ado::Row({2, QStringLiteral("b")}));
}

} // namespace
