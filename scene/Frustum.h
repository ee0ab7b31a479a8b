// The six clip planes of a view volume, taken from the projection and
// modelview matrices in GL's column-major order, in the modelview's object
// space. Used to skip terrain that cannot reach the picture; no GL here.
#pragma once

class Frustum {
public:
    Frustum(const float projection[16], const float modelview[16]);

    // The range [xMin, xMax] of x for which a box [x, x + width] x [y0, y1] x
    // [z0, z1] is not wholly outside one of the planes; false when there is
    // none. Conservative: a box outside the range is never seen, a box inside
    // it may still be off screen in a corner.
    bool XRange(float width, float y0, float y1, float z0, float z1, float& xMin, float& xMax) const;
    // The same along z, for a box [x0, x1] x [y0, y1] x [z, z + depth].
    bool ZRange(float depth, float x0, float x1, float y0, float y1, float& zMin, float& zMax) const;

private:
    // The range along `axis` for a box whose other two axes span low to high.
    bool Range(int axis, float size, const float low[3], const float high[3], float& min, float& max) const;

    // a x + b y + c z + d >= 0 inside.
    float planes[6][4];
};
