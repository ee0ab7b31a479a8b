#include <gtest/gtest.h>

#include "render/Shader.h"
#include "tests/support/TestFiles.h"

TEST(ShaderSource, SplitsSectionsByExactHeaderLines)
{
    const struct {
        const char* name;
        std::string text, vertex, fragment;
    } cases[] = {
        {"only fragment", "[fragment]\nf1\nf2\n", "", "f1\nf2\n"},
        {"lines before any header are dropped", "// preamble\n#version 110\n[vertex]\nv\n", "v\n", ""},
        {"capital letter is source text", "[vertex]\n[Vertex]\nv\n", "[Vertex]\nv\n", ""},
        {"trailing blank is source text", "[vertex]\nv\n[fragment] \nstill vertex\n",
         "v\n[fragment] \nstill vertex\n", ""},
        {"header on last line without line end", "[fragment]\nf\n[vertex]", "", "f\n[vertex]"},
        {"repeated sections are joined in order", "[vertex]\na\n[fragment]\nb\n[vertex]\nc\n", "a\nc\n", "b\n"},
        {"CRLF headers still switch sections", "[vertex]\r\nv\r\n[fragment]\r\nf\r\n", "v\r\n", "f\r\n"},
    };
    for (const auto& c : cases) {
        std::string vertex = "stale", fragment = "stale";
        Shader::SplitSource(c.text, vertex, fragment);
        EXPECT_EQ(vertex, c.vertex) << c.name;
        EXPECT_EQ(fragment, c.fragment) << c.name;
    }
    std::string vertex, fragment;
    EXPECT_FALSE(Shader::ReadSource(TempDir().Path() + "missing.shdr", vertex, fragment));
}
