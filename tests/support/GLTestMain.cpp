// Entry of the GL tests: opens the game's window (under Xvfb in the test run)
// once for the whole process, as the game does, and then runs the tests.
#include <cstdio>

#include <gtest/gtest.h>

#include "core/System.h"

namespace {

class WindowEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        System& system = System::Instance();
        ASSERT_TRUE(system.OpenWindow("Vantrel 0.2", 640, 480, 4, false)) << "no window: is DISPLAY set?";
        system.InitGraphics();
    }
};

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new WindowEnvironment);
    return RUN_ALL_TESTS();
}
