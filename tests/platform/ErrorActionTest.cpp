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

TEST(ErrorAction, RunStepsActsOnEachFailingStep)
{
    struct Case {
        int answer;
        QString ran;
        Flow expected;
    };
    for (const Case& c : {Case{vb::kRepeat, "abbc", Flow::Next}, Case{vb::kContinue, "abc", Flow::Next},
                          Case{3, "ab", Flow::Leave}}) {
        QString ran;
        bool failed = false;
        const Flow f = vb::RunSteps({[&] { return ran += 'a', true; },
                                     [&] {
                                         ran += 'b';
                                         if (!std::exchange(failed, true))
                                             throw vb::Error(3709, "perdida");
                                         return true;
                                     },
                                     [&] { return ran += 'c', true; }},
                                    [&](const vb::Error&) { return c.answer; });
        EXPECT_EQ(ran, c.ran) << c.answer;
        EXPECT_EQ(f, c.expected);
    }
}

TEST(ErrorAction, RunStepsEndsWhereAStepSaysSo)
{
    QString ran;
    const Flow f = vb::RunSteps({[&] { return ran += 'a', false; }, [&] { return ran += 'b', true; }},
                                [](const vb::Error&) { return 0; });
    EXPECT_EQ(ran, "a");
    EXPECT_EQ(f, Flow::Next);
}
