#include "platform/vb/ErrorAction.h"

#include <gtest/gtest.h>
#include <stdexcept>

using vb::Flow;

TEST(ErrorAction, RepeatRunsTheStatementAgainUntilItPasses)
{
    int tries = 0;
    int asked = 0;
    const Flow f = vb::RunStatement(
        [&] {
            if (++tries < 3)
                throw vb::Error(3704, "cerrado");
        },
        [&](const vb::Error& e) {
            EXPECT_EQ(e.Number(), 3704);
            ++asked;
            return vb::kRepeat;
        });
    EXPECT_EQ(f, Flow::Next);
    EXPECT_EQ(tries, 3);
    EXPECT_EQ(asked, 2);
}

TEST(ErrorAction, ContinueAndLeave)
{
    struct Case {
        int answer;
        Flow expected;
    };
    for (const Case c : {Case{vb::kContinue, Flow::Next}, Case{3, Flow::Leave}, Case{0, Flow::Leave}, Case{7, Flow::Leave}}) {
        int tries = 0;
        const Flow f = vb::RunStatement([&] { ++tries, throw std::runtime_error("x"); }, [&](const vb::Error& e) {
            EXPECT_EQ(e.Number(), 5);
            return c.answer;
        });
        EXPECT_EQ(f, c.expected) << c.answer;
        EXPECT_EQ(tries, 1);
    }
}

TEST(ErrorAction, ResumeNextSwallowsAnyError)
{
    EXPECT_TRUE(vb::ResumeNext([] {}));
    EXPECT_FALSE(vb::ResumeNext([] { throw vb::Error(53, "no"); }));
    EXPECT_FALSE(vb::ResumeNext([] { throw std::runtime_error("no"); }));
}
