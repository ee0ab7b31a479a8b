// The outermost effect of a frame: the scene, through the inner effect, into
// render-target slot 1 attachment 0; every explosion's shockwave sprite added
// into attachment 1 (cleared to black, no depth test); then one full-screen
// pass to the window that looks the scene up displaced by that map. The scene
// must be the World, whose DrawDistortion draws the map.
//
// Off-screen passes work at 640 x 480; the composite fills the window's
// viewport as it was on entry, after clearing it, so the caller need not.
// Leaves the window bound, the clear colour, depth test and blending as at
// start-up, texture units 0 and 1 with 2D texturing disabled and no program
// current. Without slot 1 on this driver it draws the scene straight into
// the window; without its shader it copies the scene to the window
// undistorted.
//
// A calm frame, one in which no effect draws into the map, leaves the map and
// the composite out and has the inner effect send its picture straight to
// the window, when that is known to give the same picture: the window's
// viewport is the 640 x 480 of the off-screen passes, the inner effect can
// redirect its output, and the shader, tried once on the first calm frame,
// gave its source back unchanged over a clear map. A frame with shockwaves
// goes the same way when the shader, tried once on the first such frame,
// changed a picture only near a lit part of the map and read it there only
// nearby: the picture goes to the window, the part around the map's sprites
// is copied back into the scene texture, and only the pixels near the
// sprites are composited anew.
#pragma once

#include <memory>

#include "effects/RenderingEffect.h"

class FramebufferObject;
class Texture;
class Shader;
class ShaderParameters;
struct PixelRect;
struct Viewport;
class World;

class DistortEffect : public RenderingEffect {
public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;

    // The inner effect is not owned and may be null (the scene is then drawn
    // plainly into the scene texture).
    explicit DistortEffect(RenderingEffect* innerEffect);
    ~DistortEffect() override;

    void Render(Camera* camera, SceneNode* scene) override;

    static void DrawFullscreenQuad(int width, int height);

private:
    // The short way, the picture drawn straight into the window; false,
    // having drawn nothing, when it does not apply.
    bool RenderInWindow(Camera* camera, SceneNode* scene, World* world, const Viewport& window,
                        FramebufferObject& target);
    // Whether the composite over a clear map copies its source: drawn, as
    // to the window, into a target of its own and read back.
    bool CompositeCopiesOverAClearMap(FramebufferObject& target) const;
    // Whether the composite changes its source only near where the map is
    // lit, and there looks up only the source nearby: a square lit at full
    // strength over two pictures that differ only further away, drawn and
    // read back the same way. It keeps to textures of its own: it runs in
    // the middle of play, and writing to the frame's targets would first
    // wait for the frames still being drawn into them.
    bool CompositeChangesOnlyNearTheMap() const;
    // The effects' map into attachment 1 of the target.
    static void DrawMap(Camera* camera, World* world, FramebufferObject& target);
    // The scene texture displaced by the map through the distort shader (or
    // copied as it is without one) into whatever is bound: the whole
    // picture, or only the pixels of `area`, undisturbed elsewhere.
    void DrawComposite(const Texture& sceneTexture, const Texture& map, const PixelRect* area = nullptr) const;

    enum class Probe { Untried, Exact, Changes };

    Shader* distortShader = nullptr;
    std::unique_ptr<ShaderParameters> distortParameters;
    RenderingEffect* innerEffect = nullptr;
    bool reported = false;
    Probe calmCopy = Probe::Untried;
    Probe localChange = Probe::Untried;
};
