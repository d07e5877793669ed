// Builds the particle sphere by repeated four-way subdivision of an octahedron.
#include "render/sphere_mesh.h"

#include "render/render.h"

#include <cassert>
#include <cmath>

const SphereTriangle* SphereMesh = nullptr;
int32_t SphereMeshTriangleCount = 0;

namespace {

// The octahedron, wound clockwise seen from outside; children keep their parent's winding.
const SphereTriangle BaseMesh[8] = {
    {{{1, 0, 0}, {0, 0, 1}, {0, 1, 0}}},    {{{0, 1, 0}, {0, 0, 1}, {-1, 0, 0}}},
    {{{-1, 0, 0}, {0, 0, 1}, {0, -1, 0}}},  {{{0, -1, 0}, {0, 0, 1}, {1, 0, 0}}},
    {{{1, 0, 0}, {0, 1, 0}, {0, 0, -1}}},   {{{0, 1, 0}, {-1, 0, 0}, {0, 0, -1}}},
    {{{-1, 0, 0}, {0, -1, 0}, {0, 0, -1}}}, {{{0, -1, 0}, {1, 0, 0}, {0, 0, -1}}},
};
constexpr int32_t BaseTriangleCount = 8;

// Splits every triangle of `source` into four; `target` holds 4 * count triangles.
void SubdivideOnce(const SphereTriangle* source, int32_t count, SphereTriangle* target) {
    for (int32_t j = 0; j < count; ++j) {
        const SphereVertex& a = source[j].corners[0];
        const SphereVertex& b = source[j].corners[1];
        const SphereVertex& c = source[j].corners[2];
        SphereVertex mAB = NormalizedMidpoint(a, b);
        SphereVertex mAC = NormalizedMidpoint(a, c);
        SphereVertex mBC = NormalizedMidpoint(b, c);
        SphereTriangle* children = target + 4 * j;
        children[0] = {{a, mAB, mAC}};
        children[1] = {{mAB, b, mBC}};
        children[2] = {{mAC, mAB, mBC}};
        children[3] = {{mAC, mBC, c}};
    }
}

} // namespace

SphereVertex NormalizedMidpoint(const SphereVertex& p, const SphereVertex& q) {
    SphereVertex m = {(p.x + q.x) * 0.5f, (p.y + q.y) * 0.5f, (p.z + q.z) * 0.5f};
    float lengthSquared = m.x * m.x + m.y * m.y + m.z * m.z;
    if (lengthSquared != 0.0f) {
        float scale = 1.0f / std::sqrt(lengthSquared);
        m.x *= scale;
        m.y *= scale;
        m.z *= scale;
    }
    return m;
}

void BuildSphereMesh(uint32_t levels, const SphereTriangle** triangles, int32_t* count) {
    // 8 * 4^14 triangles would already overflow the 32-bit count.
    assert(levels <= 14 && "BuildSphereMesh: use at most 14 levels");
    const SphereTriangle* current = BaseMesh;
    int32_t currentCount = BaseTriangleCount;
    for (uint32_t level = 2; level <= levels; ++level) {
        auto* next = new SphereTriangle[static_cast<size_t>(currentCount) * 4];
        SubdivideOnce(current, currentCount, next);
        if (current != BaseMesh) {
            delete[] current;
        }
        current = next;
        currentCount *= 4;
    }
    *triangles = current;
    *count = currentCount;
}

bool IsBaseSphereMesh(const SphereTriangle* triangles) {
    return triangles == BaseMesh;
}

void BuildSphereMesh(int32_t levels) {
    // Start-up builds the mesh once; a second call replaces it rather than leaking it.
    if (SphereMesh != nullptr && !IsBaseSphereMesh(SphereMesh)) {
        delete[] SphereMesh;
    }
    BuildSphereMesh(static_cast<uint32_t>(levels < 0 ? 0 : levels), &SphereMesh,
                    &SphereMeshTriangleCount);
}
