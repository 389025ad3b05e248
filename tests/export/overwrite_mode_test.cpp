#include "jobs/overwrite_mode.h"
#include "tests/support/row_number.h"

#include <gtest/gtest.h>

namespace larkspool {
namespace {

struct DecisionCase {
    OverwriteMode mode;
    int answer; // -2: no question expected
    ConflictRule rule;
    OverwriteMode modeAfter;
};

class OverwriteModes : public ::testing::TestWithParam<DecisionCase> {};

TEST_P(OverwriteModes, answers_set_the_standing_mode_and_decide_the_conflict)
{
    const DecisionCase& row = GetParam();
    OverwriteMode mode = row.mode;
    int asked = 0;

    const ConflictRule rule = DecideConflict(mode, [&] {
        ++asked;
        return row.answer;
    });

    EXPECT_EQ(rule, row.rule);
    EXPECT_EQ(mode, row.modeAfter);
    EXPECT_EQ(asked, row.answer == -2 ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    OverwriteMode, OverwriteModes,
    ::testing::Values(DecisionCase{OverwriteMode::None, kAnswerYes, ConflictRule::Write, OverwriteMode::None},
                      DecisionCase{OverwriteMode::None, kAnswerYesAll, ConflictRule::Write, OverwriteMode::All},
                      DecisionCase{OverwriteMode::None, kAnswerNo, ConflictRule::Keep, OverwriteMode::None},
                      DecisionCase{OverwriteMode::None, kAnswerCancel, ConflictRule::Stop, OverwriteMode::None},
                      DecisionCase{OverwriteMode::None, kAnswerYesAllNewer, ConflictRule::WriteIfNewer,
                                   OverwriteMode::Newer},
                      DecisionCase{OverwriteMode::None, kAnswerNoAll, ConflictRule::Keep, OverwriteMode::NoneAll},
                      DecisionCase{OverwriteMode::None, -1, ConflictRule::Keep, OverwriteMode::None},
                      DecisionCase{OverwriteMode::All, -2, ConflictRule::Write, OverwriteMode::All},
                      DecisionCase{OverwriteMode::Newer, -2, ConflictRule::WriteIfNewer, OverwriteMode::Newer},
                      DecisionCase{OverwriteMode::NoneAll, -2, ConflictRule::Keep, OverwriteMode::NoneAll}),
                         larkspool::testing::RowNumber());

TEST(OverwriteAnswers, buttons_answer_by_their_names)
{
    EXPECT_EQ(AnswerOfButton("btnYes"), kAnswerYes);
    EXPECT_EQ(AnswerOfButton("btnYesAll"), kAnswerYesAll);
    EXPECT_EQ(AnswerOfButton("btnNo"), kAnswerNo);
    EXPECT_EQ(AnswerOfButton("btnCancel"), kAnswerCancel);
    EXPECT_EQ(AnswerOfButton("btnYesAllNewDate"), kAnswerYesAllNewer);
    EXPECT_EQ(AnswerOfButton("btnNoAll"), kAnswerNoAll);
    EXPECT_EQ(AnswerOfButton("btnMaybe"), -1);
}

} // namespace
} // namespace larkspool
