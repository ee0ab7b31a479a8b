// Entry of the GL tests: opens the game's window (under Xvfb in the test run)
// once for the whole process, as the game does, and then runs the tests.
#include <cstdio>
#include <chrono>
#include <cstdlib>
#include <thread>

#include <dlfcn.h>

#include <gtest/gtest.h>

#include "core/System.h"

namespace {

class WindowEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        System& system = System::Instance();
        // Under a heavily loaded test run the X server has now and then
        // refused a window; a second try a moment later gets one.
        bool opened = false;
        for (int attempt = 0; attempt < 3 && !opened; ++attempt) {
            if (attempt > 0)
                std::this_thread::sleep_for(std::chrono::seconds(1));
            // Not the game's title: the whole-game tests close their game by
            // its title, on the same display, at the same time.
            opened = system.OpenWindow("Vantrel GL tests", 640, 480, 4, false);
        }
        if (!opened) {
            // A skipped GL test would hide a broken display set-up: fail loudly.
            fprintf(stderr, "GL tests need a window: is DISPLAY set?\n");
            exit(1);
        }
        system.InitGraphics();
    }
};

}  // namespace

int main(int argc, char** argv)
{
    // The GL library unloads the software driver at exit, before the leak
    // checker runs; keeping it loaded lets the checker name the driver's own
    // allocations so tests/lsan.supp can set them aside.
    dlopen("swrast_dri.so", RTLD_NOW | RTLD_NODELETE);
    dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_NOW | RTLD_NODELETE);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new WindowEnvironment);
    return RUN_ALL_TESTS();
}
