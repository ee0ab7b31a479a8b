#include <gtest/gtest.h>

#include "render/Directory.h"
#include "tests/support/TestFiles.h"

TEST(Directory, ListsMatchingFilesSortedAndSkipsTheRest)
{
    TempDir dir;
    for (const char* name : {"b.png", "a.png", "C.png", "notes.txt", "x.png.bak", ".png"})
        dir.Write(name, "x");
    dir.Write("sub.png/inner.png", "x");  // a directory with a matching name

    EXPECT_EQ(ListFilesWithExtension(dir.Path(), ".png"), (std::vector<std::string>{"C.png", "a.png", "b.png"}));
    EXPECT_TRUE(ListFilesWithExtension(dir.Path() + "missing/", ".png").empty());
}
