// Finds the text face with fontconfig and turns its glyphs into flattened contours with
// FreeType. Everything that knows these two libraries lives in this file.
#include "render/glyph_outlines.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// Curves are cut into straight pieces that stray at most this far from the curve, in em.
// At the largest text on screen (the title, some 100 pixels per em) that is a tenth of a pixel.
constexpr double FlatnessEm = 0.002;
constexpr int MaxCurveSegments = 64;

// Unicode for the bytes 0x80..0x9F of Windows-1252; 0 marks the five undefined bytes.
// clang-format off
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
// clang-format on

// Collects one glyph's contours while FreeType walks its outline (coordinates in font units).
struct OutlineSink {
    std::vector<std::vector<GlyphPoint>> contours;
    GlyphPoint pen = {0.0, 0.0};
    double tolerance = 1.0;
};

GlyphPoint ToPoint(const FT_Vector* v) {
    return {static_cast<double>(v->x), static_cast<double>(v->y)};
}

// Segments needed so that a curve whose second derivative is bounded by `bend` (per unit
// parameter squared) stays within the tolerance: the chord error is bend / (8 n^2).
int SegmentsFor(double bend, double tolerance) {
    int n = static_cast<int>(std::ceil(std::sqrt(bend / (8.0 * tolerance))));
    return std::clamp(n, 1, MaxCurveSegments);
}

void AddPoint(OutlineSink& sink, GlyphPoint p) {
    sink.contours.back().push_back(p);
    sink.pen = p;
}

int MoveTo(const FT_Vector* to, void* user) {
    auto& sink = *static_cast<OutlineSink*>(user);
    sink.contours.emplace_back();
    AddPoint(sink, ToPoint(to));
    return 0;
}

int LineTo(const FT_Vector* to, void* user) {
    AddPoint(*static_cast<OutlineSink*>(user), ToPoint(to));
    return 0;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto& sink = *static_cast<OutlineSink*>(user);
    GlyphPoint p0 = sink.pen;
    GlyphPoint p1 = ToPoint(control);
    GlyphPoint p2 = ToPoint(to);
    double bend = 2.0 * std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y);
    int n = SegmentsFor(bend, sink.tolerance);
    for (int i = 1; i <= n; ++i) {
        double t = static_cast<double>(i) / n;
        double u = 1.0 - t;
        AddPoint(sink, {u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x,
                        u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y});
    }
    return 0;
}

int CubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user) {
    auto& sink = *static_cast<OutlineSink*>(user);
    GlyphPoint p0 = sink.pen;
    GlyphPoint p1 = ToPoint(control1);
    GlyphPoint p2 = ToPoint(control2);
    GlyphPoint p3 = ToPoint(to);
    double bend = 6.0 * std::max(std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y),
                                 std::hypot(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y));
    int n = SegmentsFor(bend, sink.tolerance);
    for (int i = 1; i <= n; ++i) {
        double t = static_cast<double>(i) / n;
        double u = 1.0 - t;
        double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        AddPoint(sink, {a * p0.x + b * p1.x + c * p2.x + d * p3.x,
                        a * p0.y + b * p1.y + c * p2.y + d * p3.y});
    }
    return 0;
}

// The file and face index fontconfig picks for bold Arial; empty when it has nothing.
bool FindFaceFile(std::string& path, int& faceIndex) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Arial:bold"));
    if (pattern == nullptr) {
        return false;
    }
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return false;
    }
    FcChar8* file = nullptr;
    bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
    if (found) {
        path = reinterpret_cast<const char*>(file);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &faceIndex) != FcResultMatch) {
            faceIndex = 0;
        }
    }
    FcPatternDestroy(match);
    return found;
}

// Drops the closing point FreeType repeats at a contour's end and contours too small to fill,
// then scales font units to em.
void FinishContours(OutlineSink& sink, double unitsPerEm, GlyphOutline& glyph) {
    for (auto& contour : sink.contours) {
        if (contour.size() > 1 && contour.front().x == contour.back().x &&
            contour.front().y == contour.back().y) {
            contour.pop_back();
        }
        if (contour.size() < 3) {
            continue;
        }
        for (GlyphPoint& p : contour) {
            p.x /= unitsPerEm;
            p.y /= unitsPerEm;
        }
        glyph.contours.push_back(std::move(contour));
    }
}

// One glyph of the face, unscaled and unhinted so that its shape is the designed outline.
GlyphOutline LoadOneGlyph(FT_Face face, char32_t codePoint) {
    GlyphOutline glyph;
    FT_UInt index = FT_Get_Char_Index(face, codePoint);
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP)) {
        return glyph;
    }
    double unitsPerEm = face->units_per_EM;
    glyph.advance = static_cast<double>(face->glyph->metrics.horiAdvance) / unitsPerEm;
    if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
        return glyph;
    }
    static const FT_Outline_Funcs funcs = {MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
    OutlineSink sink;
    sink.tolerance = FlatnessEm * unitsPerEm;
    if (FT_Outline_Decompose(&face->glyph->outline, &funcs, &sink) == 0) {
        FinishContours(sink, unitsPerEm, glyph);
    }
    return glyph;
}

} // namespace

char32_t Windows1252ToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F && Windows1252High[byte - 0x80] != 0) {
        return Windows1252High[byte - 0x80];
    }
    return byte;
}

bool LoadGlyphOutlines(std::vector<GlyphOutline>& glyphs) {
    glyphs.clear();
    std::string path;
    int faceIndex = 0;
    if (!FindFaceFile(path, faceIndex)) {
        return false;
    }
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library)) {
        return false;
    }
    FT_Face face = nullptr;
    bool usable = FT_New_Face(library, path.c_str(), faceIndex, &face) == 0;
    if (usable && (!FT_IS_SCALABLE(face) || face->units_per_EM == 0)) {
        usable = false;
    }
    if (usable) {
        glyphs.reserve(GlyphCodeCount);
        for (int code = 0; code < GlyphCodeCount; ++code) {
            glyphs.push_back(
                LoadOneGlyph(face, Windows1252ToUnicode(static_cast<unsigned char>(code))));
        }
    }
    if (face != nullptr) {
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return usable;
}
