// The glyph mesh that the web build embeds: the desktop's own glyph triangles survive the trip
// through its binary form, and damaged bytes are refused without reading past their end.
#include "render/glyph_mesh.h"
#include "render/glyph_tessellation.h"

#include <gtest/gtest.h>

namespace {

std::vector<GlyphMesh> TessellatedFace() {
    std::vector<GlyphOutline> outlines;
    EXPECT_TRUE(LoadGlyphOutlines(outlines)) << "no face for Arial:bold";
    std::vector<GlyphMesh> meshes;
    std::vector<GlyphPoint> triangles;
    for (const GlyphOutline& outline : outlines) {
        EXPECT_TRUE(TessellateGlyph(outline, triangles));
        GlyphMesh mesh;
        mesh.advance = static_cast<float>(outline.advance);
        mesh.hasOutline = !outline.contours.empty();
        for (const GlyphPoint& p : triangles) {
            mesh.triangleXy.push_back(static_cast<float>(p.x));
            mesh.triangleXy.push_back(static_cast<float>(p.y));
        }
        meshes.push_back(mesh);
    }
    return meshes;
}

TEST(GlyphMesh, TheFacesTrianglesComeBackAsTheyWent) {
    const std::vector<GlyphMesh> meshes = TessellatedFace();
    ASSERT_EQ(meshes.size(), 255u);
    // A filled letter; a space has an advance and nothing to fill.
    EXPECT_GT(meshes['K'].triangleXy.size(), 6u);
    EXPECT_EQ(meshes['K'].triangleXy.size() % 6, 0u);
    EXPECT_TRUE(meshes[' '].triangleXy.empty());
    EXPECT_GT(meshes[' '].advance, 0.0f);

    const std::vector<uint8_t> bytes = SerializeGlyphMesh(meshes);
    std::vector<GlyphMesh> read;
    ASSERT_TRUE(ParseGlyphMesh(bytes.data(), bytes.size(), read));
    ASSERT_EQ(read.size(), meshes.size());
    for (size_t code = 0; code < meshes.size(); ++code) {
        EXPECT_EQ(read[code].advance, meshes[code].advance) << code;
        EXPECT_EQ(read[code].hasOutline, meshes[code].hasOutline) << code;
        EXPECT_EQ(read[code].triangleXy, meshes[code].triangleXy) << code;
    }
}

TEST(GlyphMesh, DamagedBytesAreRefusedWhole) {
    GlyphMesh glyph;
    glyph.advance = 0.5f;
    glyph.hasOutline = true;
    glyph.triangleXy = {0, 0, 1, 0, 0, 1};
    const std::vector<uint8_t> good = SerializeGlyphMesh({glyph, glyph});
    std::vector<GlyphMesh> read;
    // Every shorter prefix runs out somewhere; each is read on a buffer of exactly its size.
    for (size_t size = 0; size < good.size(); ++size) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(size));
        EXPECT_FALSE(ParseGlyphMesh(cut.data(), cut.size(), read)) << size;
        EXPECT_TRUE(read.empty());
    }
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_FALSE(ParseGlyphMesh(longer.data(), longer.size(), read));
    // A point count that is no whole number of triangles, and one far past the end.
    std::vector<uint8_t> badCount = good;
    badCount[12 + 5] = 4;
    EXPECT_FALSE(ParseGlyphMesh(badCount.data(), badCount.size(), read));
    badCount[12 + 5 + 3] = 0x7F;
    EXPECT_FALSE(ParseGlyphMesh(badCount.data(), badCount.size(), read));
    std::vector<uint8_t> badMagic = good;
    badMagic[0] = 'X';
    EXPECT_FALSE(ParseGlyphMesh(badMagic.data(), badMagic.size(), read));
    EXPECT_TRUE(ParseGlyphMesh(good.data(), good.size(), read));
    EXPECT_EQ(read.size(), 2u);
}

} // namespace
