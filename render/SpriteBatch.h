// Flat textured quads drawn many at a time: the bullets, and the explosion
// sprites of the scene and of the distortion map. Quads are queued in drawing
// order with their own colour; Flush draws each run of neighbours that share
// a texture with one vertex-array call, so blending meets the quads in the
// order they were added and the picture is that of drawing them one by one.
// A null texture draws its quads untextured. Owned by the node that draws
// (Bullets, GraphicalEffects); it keeps its array between frames, so a steady
// scene allocates nothing.
//
// Flush draws in the current model-view matrix and leaves texture unit 0 with
// 2D texturing disabled, client unit 0 selected with the arrays it enabled
// disabled again, and the current colour opaque white. Blending and depth are
// the caller's. Adding needs no GL context, and neither does a Flush with
// nothing queued.
#pragma once

#include <cstddef>
#include <vector>

#include "render/ScreenDraw.h"

class Texture;

struct SpriteCorner {
    float s, t;     // texture coordinate
    float x, y, z;  // position
};

class SpriteBatch {
public:
    SpriteBatch() = default;
    virtual ~SpriteBatch() = default;

    void Add(const Texture* texture, const float (&colour)[4], const SpriteCorner (&corners)[4]);
    // The square of half-extent h in the plane y = centreY around (x, z),
    // turned by `degrees` about the vertical axis as glRotatef would turn it;
    // `corners` gives the corner offsets in units of h and their texture
    // coordinates, in drawing order.
    void AddFlat(const Texture* texture, const float (&colour)[4], float x, float centreY, float z, float h,
                 float degrees, const SpriteCorner (&corners)[4]);
    void Flush();
    // The window pixels that a Flush now could touch: the smallest rectangle
    // of whole pixels around the queued corners under the current matrices,
    // within the viewport. The whole viewport when a corner lies at or behind
    // the eye (its quad then has no bounds on screen); empty with nothing
    // queued. Needs a GL context.
    PixelRect WindowBounds() const;

    size_t GetQueued() const { return vertices.size() / 4; }
    // Texture runs of the quads queued so far: what Flush would draw with.
    size_t GetRuns() const { return runs.size(); }

private:
    struct Vertex {
        float s, t;
        float r, g, b, a;
        float x, y, z;
    };
    struct Run {
        const Texture* texture;
        size_t first;
        size_t count;
    };
    std::vector<Vertex> vertices;
    std::vector<Run> runs;
};
