// The glyph outlines behind the text: the byte mapping and the shapes' scale and closure.
#include "render/glyph_outlines.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(Windows1252, MapsTheHighControlRangeAndKeepsTheRest) {
    EXPECT_EQ(Windows1252ToUnicode('A'), U'A');
    EXPECT_EQ(Windows1252ToUnicode(0x80), U'\u20AC');
    EXPECT_EQ(Windows1252ToUnicode(0x8A), U'\u0160');
    EXPECT_EQ(Windows1252ToUnicode(0x99), U'\u2122');
    EXPECT_EQ(Windows1252ToUnicode(0x9F), U'\u0178');
    EXPECT_EQ(Windows1252ToUnicode(0x81), char32_t{0x81});
    EXPECT_EQ(Windows1252ToUnicode(0xA0), char32_t{0xA0});
    EXPECT_EQ(Windows1252ToUnicode(0xE4), U'\u00E4');
    EXPECT_EQ(Windows1252ToUnicode(0xFE), U'\u00FE');
}

struct Extent {
    double minY = 1e9;
    double maxY = -1e9;
};

Extent VerticalExtent(const GlyphOutline& glyph) {
    Extent extent;
    for (const auto& contour : glyph.contours) {
        for (const GlyphPoint& p : contour) {
            extent.minY = std::min(extent.minY, p.y);
            extent.maxY = std::max(extent.maxY, p.y);
        }
    }
    return extent;
}

TEST(GlyphOutlines, GivesEveryByteBut255AGlyphInEmUnits) {
    std::vector<GlyphOutline> glyphs;
    ASSERT_TRUE(LoadGlyphOutlines(glyphs)) << "no face for Arial:bold: install fonts-liberation2";
    ASSERT_EQ(glyphs.size(), static_cast<size_t>(GlyphCodeCount));
    // A capital stands on the baseline and reaches about 0.7 em; the em height is 1.
    Extent h = VerticalExtent(glyphs['H']);
    EXPECT_NEAR(h.minY, 0.0, 1e-9);
    EXPECT_NEAR(h.maxY, 0.716, 0.03);
    EXPECT_GT(glyphs['H'].advance, 0.6);
    EXPECT_LT(glyphs['H'].advance, 0.8);
    // Space moves the pen and draws nothing; "o" has an outer and an inner contour.
    EXPECT_TRUE(glyphs[' '].contours.empty());
    EXPECT_GT(glyphs[' '].advance, 0.2);
    EXPECT_EQ(glyphs['o'].contours.size(), 2u);
    // The euro sign sits at 0x80 and has a shape of its own.
    EXPECT_FALSE(glyphs[0x80].contours.empty());
    EXPECT_GT(glyphs[0xE4].contours.size(), glyphs['a'].contours.size());
}

// Curves are cut finely: the inner contour of "o" follows a circle-like curve with many
// points, none of them repeating the contour's first point at its end.
TEST(GlyphOutlines, FlattensCurvesFinelyIntoOpenPointLists) {
    std::vector<GlyphOutline> glyphs;
    ASSERT_TRUE(LoadGlyphOutlines(glyphs)) << "no face for Arial:bold: install fonts-liberation2";
    for (const auto& contour : glyphs['o'].contours) {
        EXPECT_GE(contour.size(), 24u);
        const GlyphPoint& first = contour.front();
        const GlyphPoint& last = contour.back();
        EXPECT_FALSE(first.x == last.x && first.y == last.y);
    }
}

} // namespace
