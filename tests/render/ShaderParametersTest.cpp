#include <gtest/gtest.h>

#include "render/ShaderParameters.h"

TEST(ShaderParameters, SetOverwritesByNameAndKeepsInsertionOrder)
{
    ShaderParameters p;
    p.SetInt("width", 640);
    p.SetInt("height", 480);
    p.SetFloat("alpha", 0.25f);
    p.SetFloat("alpha", 0.75f);
    p.SetInt("width", 320);
    // The same name as an integer and a float are independent entries.
    p.SetFloat("width", 1.5f);

    ASSERT_EQ(p.GetInts().size(), 2u);
    EXPECT_EQ(p.GetInts()[0], (std::pair<std::string, int>{"width", 320}));
    EXPECT_EQ(p.GetInts()[1], (std::pair<std::string, int>{"height", 480}));
    ASSERT_EQ(p.GetFloats().size(), 2u);
    EXPECT_EQ(p.GetFloats()[0], (std::pair<std::string, float>{"alpha", 0.75f}));
    EXPECT_EQ(p.GetFloats()[1], (std::pair<std::string, float>{"width", 1.5f}));
}

TEST(ShaderParameters, NamesAreCaseSensitive)
{
    ShaderParameters p;
    p.SetInt("camY", 1);
    p.SetInt("camy", 2);
    EXPECT_EQ(p.GetInts().size(), 2u);
}
