// The unit-sphere triangle list that every fart particle is drawn from: an octahedron split
// into four per level, new corners pushed out onto the sphere. Plain memory, not GL objects.
#pragma once

#include <cstdint>

struct SphereVertex {
    float x;
    float y;
    float z;
};

// Three corners in order, 36 bytes, no normal or texture coordinate.
struct SphereTriangle {
    SphereVertex corners[3];
};

// The mesh built at start-up (128 triangles for 3 levels), read by the particle drawing every
// frame. Null and 0 until BuildSphereMesh(levels) has run; never released.
extern const SphereTriangle* SphereMesh;
extern int32_t SphereMeshTriangleCount;

// The midpoint of p and q scaled to unit length; the zero vector when p and q are opposite.
// Used by the subdivision below.
SphereVertex NormalizedMidpoint(const SphereVertex& p, const SphereVertex& q);

// Subdivides the octahedron levels - 1 times (none for 0 or 1) and hands back the triangle
// array and its count (8 * 4^(levels-1)). The caller owns an array it did not get from the
// constant base table; for levels 0 and 1 the base table itself comes back.
void BuildSphereMesh(uint32_t levels, const SphereTriangle** triangles, int32_t* count);

// True when `triangles` is the constant octahedron table, which is never released.
bool IsBaseSphereMesh(const SphereTriangle* triangles);
