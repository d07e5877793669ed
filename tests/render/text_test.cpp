// Shadowed outline-font text: where it lands, what it leaves behind, and bytes that are not
// format directives or glyphs.
#include "gl_test_env.h"
#include "render/outline_font.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

// A plain grey background without depth, so only the text is in the picture.
void ClearGrey() {
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

FrameImage TextFrame(const char* text, float x = -0.5f, float y = 0.0f, float size = 0.1f) {
    return Capture([&] {
        ClearGrey();
        DrawTextAt(x, y, 1.0f, 1.0f, 1.0f, size, text);
    });
}

// The same bytes placed glyph list by glyph list, with no formatting step in between.
FrameImage RawGlyphFrame(const char* bytes, size_t count, float x, float y, float size) {
    return Capture([&] {
        ClearGrey();
        for (int copy = 0; copy < 2; ++copy) {
            float offset = copy == 0 ? -0.01f : 0.0f;
            glLoadIdentity();
            glTranslatef(x + offset, y + offset, -1.0f);
            float shade = copy == 0 ? 0.0f : 1.0f;
            glColor3f(shade, shade, shade);
            glScalef(size, size, size);
            for (size_t i = 0; i < count; ++i) {
                glCallList(FontListBase + static_cast<unsigned char>(bytes[i]));
            }
        }
    });
}

// The glyph lists move the pen, so only an empty text leaves the bare translation and scale.
TEST(DrawTextAt, LeavesTheLastTransformTheColourAndTheListBase) {
    REQUIRE_GL();
    glListBase(7);
    glLoadIdentity();
    glRotatef(33.0f, 0.0f, 0.0f, 1.0f);
    DrawTextAt(0.1f, 0.2f, 0.25f, 0.5f, 0.75f, 0.05f, "");
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const GLfloat expected[16] = {0.05f, 0, 0,     0, 0,    0.05f, 0,  0,
                                  0,     0, 0.05f, 0, 0.1f, 0.2f,  -1, 1};
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(m[i], expected[i], 1e-6f) << "element " << i;
    }
    DrawTextAt(0.1f, 0.2f, 0.25f, 0.5f, 0.75f, 0.05f, "Hi");
    GLfloat afterText[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, afterText);
    EXPECT_GT(afterText[12], 0.1f + 0.05f * 0.5f);
    EXPECT_FLOAT_EQ(afterText[13], 0.2f);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.25f);
    EXPECT_FLOAT_EQ(colour[1], 0.5f);
    EXPECT_FLOAT_EQ(colour[2], 0.75f);
    GLint listBase = 0;
    glGetIntegerv(GL_LIST_BASE, &listBase);
    EXPECT_EQ(listBase, 7);
    glListBase(0);
    glLoadIdentity();
}

TEST(DrawTextAt, DrawsWhiteTextOnABlackShadowInsideItsBoxOnly) {
    REQUIRE_GL();
    FrameImage blank = TextFrame("");
    FrameImage text = TextFrame("Kesselfass");
    PlaneBox box = TextBox(-0.5f, 0.0f, 0.1f, 6.5f);
    EXPECT_GT(CountPixels(text, box, IsWhite), 400);
    EXPECT_GT(CountPixels(text, box, IsBlack), 100);
    EXPECT_EQ(CountDifferencesOutside(blank, text, {box}), 0);
    // An empty text draws nothing at all.
    EXPECT_EQ(CountPixels(blank, WholeScreen(),
                          [](const uint8_t* p) { return p[0] != 127 && p[0] != 128; }),
              0);
}

TEST(DrawTextAt, PlacesTextTheSameWhateverTheMatrixWasBefore) {
    REQUIRE_GL();
    FrameImage plain = TextFrame("Wurst");
    FrameImage afterOtherMatrix = Capture([] {
        ClearGrey();
        glLoadIdentity();
        glTranslatef(3.0f, -2.0f, -7.0f);
        glRotatef(40.0f, 1.0f, 1.0f, 0.0f);
        DrawTextAt(-0.5f, 0.0f, 1.0f, 1.0f, 1.0f, 0.1f, "Wurst");
    });
    EXPECT_EQ(CountDifferences(plain, afterOtherMatrix), 0);
}

// Text is placed as it stands: "%" is a character, never a format directive.
TEST(DrawTextAt, ShowsPercentSignsLiterally) {
    REQUIRE_GL();
    const char* text = "%s%d 100%";
    FrameImage drawn = TextFrame(text);
    FrameImage reference = RawGlyphFrame(text, std::strlen(text), -0.5f, 0.0f, 0.1f);
    EXPECT_EQ(CountDifferences(drawn, reference), 0);
    EXPECT_GT(CountPixels(drawn, WholeScreen(), IsWhite), 200);
}

TEST(DrawTextAt, Byte255DrawsNothingAndDoesNotAdvance) {
    REQUIRE_GL();
    FrameImage withByte = TextFrame("A\xff"
                                    "B");
    FrameImage without = TextFrame("AB");
    EXPECT_EQ(CountDifferences(withByte, without), 0);
}

TEST(PrintText, CutsLongResultsAndIgnoresANullFormat) {
    REQUIRE_GL();
    char longText[400];
    std::memset(longText, 'i', sizeof longText - 1);
    longText[sizeof longText - 1] = '\0';
    FrameImage cut = Capture([&] {
        ClearGrey();
        glLoadIdentity();
        glTranslatef(-1.0f, 0.0f, -1.0f);
        glScalef(0.01f, 0.01f, 0.01f);
        PrintText("%s", longText);
        PrintText(nullptr);
    });
    FrameImage reference = Capture([] {
        ClearGrey();
        glLoadIdentity();
        glTranslatef(-1.0f, 0.0f, -1.0f);
        glScalef(0.01f, 0.01f, 0.01f);
        for (int i = 0; i < 255; ++i) {
            glCallList(FontListBase + 'i');
        }
    });
    EXPECT_EQ(CountDifferences(cut, reference), 0);
}

} // namespace
