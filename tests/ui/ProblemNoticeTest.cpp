// The notice a player sees after a problem: nothing without problems, the
// count and the latest message on one 40-glyph line, ten seconds after each
// new problem (a repeat of a known one does not bring it back).
#include <gtest/gtest.h>

#include <limits>

#include "core/Problems.h"
#include "tests/support/TestFiles.h"
#include "ui/HUD.h"
#include "ui/ProblemNotice.h"

namespace {

TEST(ProblemNotice, ShowsTheCountAndTheLatestOnOneLineForTenSecondsAfterEachNewProblem)
{
    // (Hidden without a problem, shown at the first: ScreensGL.)
    Problems::Reset();
    ProblemNotice notice;
    CaptureStdout([] { Problems::Load(4, "a.txt", 3, "bad"); });
    notice.Update(16);
    EXPECT_EQ(notice.GetText(), "1 problem: a.txt:3: bad");
    for (int i = 0; i < 9; ++i)
        notice.Update(1000);
    EXPECT_TRUE(notice.IsShown());
    notice.Update(1000);
    EXPECT_FALSE(notice.IsShown());

    // A repeat is counted in the log but is no new problem.
    CaptureStdout([] { Problems::Load(4, "a.txt", 3, "bad"); });
    notice.Update(16);
    EXPECT_FALSE(notice.IsShown());

    ::testing::internal::CaptureStderr();
    Problems::Script("Script error in Update: x");
    ::testing::internal::GetCapturedStderr();
    notice.Update(16);
    notice.Update(9990);
    EXPECT_TRUE(notice.IsShown());

    Problems::Reset();
    notice.Update(16);
    EXPECT_FALSE(notice.IsShown());

    // One line, cut to the screen width, without the paths' directories.
    const struct { int count; std::string latest, text; } cases[] = {
        {3, "x.lua:1: two\nlines\tand a tab", "3 problems: x.lua:1: two lines and a tab"},
        {12, "data/levels/Level1-enemies.txt:9: no enemy type is named \"Drnoe\"",
         "12 problems: Level1-enemies.txt:9: no..."},
        {2, "Script error in Update: data/scripts/e.lua:4: boom", "2 problems: Update: e.lua:4: boom"},
        {1, "Missing sound \"data/sounds/a b.wav\"", "1 problem: Missing sound \"a b.wav\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProblemNotice::Compose(c.count, c.latest), c.text);
}

TEST(HUD, MeterLengthTruncatesAndNeverOverflows)
{
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const int max = HUD::kMaxMeterLength;
    const struct { float value, maximum; int length; } cases[] = {{99.9f, 100, 160}, {-50, 100, -80}, {150, 100, 241}, {0, 0, 0},
                                                                      {5, 0, max}, {-5, 0, -max}, {nan, 100, 0}, {inf, 100, max}};
    for (const auto& c : cases)
        EXPECT_EQ(HUD::MeterLength(c.value, c.maximum), c.length) << c.value << " / " << c.maximum;
}

}  // namespace
