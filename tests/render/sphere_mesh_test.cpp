// The particle sphere: subdivision counts and order, unit length, and the corners it shares.
#include "render/sphere_mesh.h"

#include "render/render.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

void ExpectVertex(const SphereVertex& v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

struct Mesh {
    const SphereTriangle* triangles = nullptr;
    int32_t count = 0;
    explicit Mesh(uint32_t levels) { BuildSphereMesh(levels, &triangles, &count); }
    ~Mesh() {
        if (!IsBaseSphereMesh(triangles)) {
            delete[] triangles;
        }
    }
};

TEST(SphereMesh, EachLevelQuadruplesTheTrianglesAndKeepsThemOnTheSphere) {
    const int32_t expected[] = {8, 8, 32, 128, 512};
    for (uint32_t levels = 0; levels <= 4; ++levels) {
        Mesh mesh(levels);
        ASSERT_EQ(mesh.count, expected[levels]) << "levels " << levels;
        for (int32_t i = 0; i < mesh.count; ++i) {
            for (const SphereVertex& v : mesh.triangles[i].corners) {
                EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 1.0f, 1e-6f);
            }
        }
    }
}

TEST(SphereMesh, OneLevelIsTheOctahedronAndTwoLevelsSplitItInOrder) {
    Mesh base(1);
    EXPECT_TRUE(IsBaseSphereMesh(base.triangles));
    ExpectVertex(base.triangles[0].corners[0], 1, 0, 0);
    ExpectVertex(base.triangles[0].corners[1], 0, 0, 1);
    ExpectVertex(base.triangles[0].corners[2], 0, 1, 0);
    ExpectVertex(base.triangles[7].corners[2], 0, 0, -1);

    Mesh two(2);
    const float h = 0.70710678f;
    // Children of base triangle 0: (A, mAB, mAC), (mAB, B, mBC), (mAC, mAB, mBC), (mAC, mBC, C).
    ExpectVertex(two.triangles[0].corners[0], 1, 0, 0);
    ExpectVertex(two.triangles[0].corners[1], h, 0, h);
    ExpectVertex(two.triangles[0].corners[2], h, h, 0);
    ExpectVertex(two.triangles[1].corners[1], 0, 0, 1);
    ExpectVertex(two.triangles[1].corners[2], 0, h, h);
    ExpectVertex(two.triangles[2].corners[0], h, h, 0);
    ExpectVertex(two.triangles[3].corners[2], 0, 1, 0);
    // Children of base triangle 1 start at place 4 with its first corner.
    ExpectVertex(two.triangles[4].corners[0], 0, 1, 0);
}

TEST(SphereMesh, OppositePointsGiveTheZeroVector) {
    SphereVertex m = NormalizedMidpoint({1, 0, 0}, {-1, 0, 0});
    ExpectVertex(m, 0, 0, 0);
    m = NormalizedMidpoint({0, 0, 2}, {2, 0, 0});
    ExpectVertex(m, 0.70710678f, 0, 0.70710678f);
}

// Shared corners must come out bit for bit the same from every triangle that holds them, or
// the particles, which deform each distinct corner once, would tear apart.
TEST(SphereMesh, ThreeLevelsHaveSixtySixDistinctCorners) {
    Mesh mesh(3);
    std::vector<SphereVertex> distinct;
    for (int32_t i = 0; i < mesh.count; ++i) {
        for (const SphereVertex& v : mesh.triangles[i].corners) {
            bool seen = false;
            for (const SphereVertex& d : distinct) {
                seen = seen || std::memcmp(&d, &v, sizeof v) == 0;
            }
            if (!seen) {
                distinct.push_back(v);
            }
        }
    }
    EXPECT_EQ(distinct.size(), 66u);
}

TEST(SphereMesh, StartUpBuildSetsTheSharedMesh) {
    BuildSphereMesh(int32_t{3});
    ASSERT_NE(SphereMesh, nullptr);
    EXPECT_EQ(SphereMeshTriangleCount, 128);
}

} // namespace
