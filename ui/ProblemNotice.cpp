#include "ui/ProblemNotice.h"

#include "core/Problems.h"
#include "render/ScreenDraw.h"

namespace {

// The strip behind the text, so that it reads over any picture.
const float kStripTop = 480.0f - TextRenderer::kGlyphHeight - 4;

}  // namespace

std::string ProblemNotice::Compose(int count, const std::string& latest)
{
    // Forty glyphs hold little; the console has the whole message. Keep the
    // words: drop the script prefix (the entry point's name stays) and the
    // directories of paths, which are nearly always under data/.
    static const std::string kScriptPrefix = "Script error in ";
    std::string message = latest.compare(0, kScriptPrefix.size(), kScriptPrefix) == 0
                              ? latest.substr(kScriptPrefix.size())
                              : latest;
    std::string line = std::to_string(count) + (count == 1 ? " problem: " : " problems: ");
    size_t wordStart = line.size();
    for (char c : message) {
        // Messages may span lines (a shader log, a traceback); the notice is one.
        if (static_cast<unsigned char>(c) < 32)
            c = ' ';
        if (c == ' ' || c == '"')
            wordStart = line.size() + 1;
        if (c == '/') {
            line.resize(wordStart);
            continue;
        }
        line += c;
    }
    if (line.size() > static_cast<size_t>(kMaxGlyphs))
        line = line.substr(0, kMaxGlyphs - 3) + "...";
    return line;
}

void ProblemNotice::Update(float dt)
{
    const int count = Problems::Count();
    if (count != seen) {
        // Fewer than before: the log was reset, and a new run starts clean.
        if (count > seen) {
            remaining = kShowMilliseconds;
            text = Compose(count, Problems::Latest());
        } else {
            remaining = 0;
        }
        seen = count;
        return;
    }
    if (remaining > 0)
        remaining -= dt;
}

void ProblemNotice::Render() const
{
    if (!IsShown())
        return;
    ScreenDraw::PushOrtho(0.0, 640.0, 480.0, 0.0);
    ScreenDraw::SetDepthTest(false);
    ScreenDraw::Colour(0.0f, 0.0f, 0.0f, 0.75f);
    ScreenDraw::Quad({{0, 0, 0, kStripTop}, {0, 0, 0, 480}, {0, 0, 640, 480}, {0, 0, 640, kStripTop}});
    ScreenDraw::Colour(1.0f, 0.55f, 0.35f);
    TextRenderer::Instance().Print(0, 480, text.c_str(), 2, 0);
    ScreenDraw::Colour(1.0f, 1.0f, 1.0f);
    ScreenDraw::PopOrtho();
}
