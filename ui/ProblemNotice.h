// The one-line notice at the bottom of the screen while the game runs: how
// many problems (load problems and script errors) were reported so far and
// the latest one, for ten seconds after each new one, so that a modder sees a
// mistake without watching the console. A game without problems shows
// nothing. Update reads the problem log and needs no GL; Render draws over
// whatever is on screen (after the HUD) with the text renderer, and leaves the
// GL state as it found it.
#pragma once

#include <string>

#include "ui/TextRenderer.h"

class ProblemNotice {
public:
    static constexpr float kShowMilliseconds = 10000.0f;
    // One line across the 640-pixel screen.
    static constexpr int kMaxGlyphs = 640 / TextRenderer::kGlyphWidth;

    ProblemNotice() = default;
    virtual ~ProblemNotice() = default;

    // Once per frame, dt in milliseconds; a problem reported since the last
    // call shows the notice (again) for the full time.
    void Update(float dt);
    bool IsShown() const { return remaining > 0; }
    // What is shown: "<count> problem(s): <latest message>", on one line,
    // paths without their directories, cut to kMaxGlyphs (the end then
    // reads "...").
    const std::string& GetText() const { return text; }

    void Render() const;

    static std::string Compose(int count, const std::string& latest);

private:
    int seen = 0;
    float remaining = 0;
    std::string text;
};
