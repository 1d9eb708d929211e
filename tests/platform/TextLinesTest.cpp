#include "platform/vb/TextLines.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct TextCase {
    const char* name;
    QByteArray bytes;
    QStringList lines;
};

void PrintTo(const TextCase& c, std::ostream* out)
{
    *out << c.name;
}

class ReadTextLinesTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ReadTextLinesTest, SplitsAsLineInputReads)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/a.txt";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(GetParam().bytes);
    file.close();
    EXPECT_EQ(vb::ReadTextLines(path), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadTextLinesTest,
                         ::testing::Values(TextCase{"Empty", "", {}}, TextCase{"OneLineWithoutBreak", "a", {"a"}},
                                           TextCase{"OneLine", "a\r\n", {"a"}}, TextCase{"OnlyABreak", "\r\n", {""}},
                                           TextCase{"EmptyLastLine", "a\r\n\r\n", {"a", ""}},
                                           TextCase{"EveryKindOfBreak", "a\nb\rc\r\nd", {"a", "b", "c", "d"}},
                                           TextCase{"Ansi", "a\xF1o\r\n", {QString::fromUtf8("año")}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadTextLines, MissingFileHasNoLines)
{
    QTemporaryDir dir;
    EXPECT_TRUE(vb::ReadTextLines(dir.path() + "/no.txt").isEmpty());
    EXPECT_TRUE(vb::ReadTextLines(dir.path()).isEmpty());
}

} // namespace
