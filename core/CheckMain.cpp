// The vantrel-check executable: plays the level in data/ without a window and
// reports on it. Everything it does is in LevelCheck, shared with the tests.
#include "core/LevelCheck.h"

int main(int argc, char** argv)
{
    return LevelCheck::Main(argc, argv);
}
