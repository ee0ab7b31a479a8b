#include <gtest/gtest.h>

#include "render/ShaderParameters.h"

TEST(ShaderParameters, SetOverwritesByExactNameAndKeepsInsertionOrder)
{
    ShaderParameters p;
    p.SetInt("width", 640);
    p.SetInt("height", 480);
    p.SetFloat("alpha", 0.25f);
    p.SetFloat("alpha", 0.75f);
    p.SetInt("width", 320);
    p.SetInt("Width", 1);       // names are case-sensitive
    p.SetFloat("width", 1.5f);  // an integer and a float of one name are independent

    EXPECT_EQ(p.GetInts(), (std::vector<std::pair<std::string, int>>{{"width", 320}, {"height", 480}, {"Width", 1}}));
    EXPECT_EQ(p.GetFloats(), (std::vector<std::pair<std::string, float>>{{"alpha", 0.75f}, {"width", 1.5f}}));
}
