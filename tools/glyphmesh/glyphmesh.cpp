// glyphmesh: tessellates the game's text face as the desktop build does (FreeType outlines,
// GLU tessellator) and writes the triangles for the web build, which embeds them.
//   glyphmesh OUTFILE
#include "render/glyph_mesh.h"
#include "render/glyph_tessellation.h"

#include <cstdio>

namespace {

bool MakeGlyphMeshes(std::vector<GlyphMesh>& meshes) {
    std::vector<GlyphOutline> outlines;
    if (!LoadGlyphOutlines(outlines)) {
        std::fprintf(stderr, "glyphmesh: no scalable bold Arial (or nearest) face found\n");
        return false;
    }
    std::vector<GlyphPoint> triangles;
    for (const GlyphOutline& outline : outlines) {
        if (!TessellateGlyph(outline, triangles)) {
            std::fprintf(stderr, "glyphmesh: the GLU tessellator cannot be made\n");
            return false;
        }
        GlyphMesh mesh;
        mesh.advance = static_cast<float>(outline.advance);
        mesh.hasOutline = !outline.contours.empty();
        for (const GlyphPoint& p : triangles) {
            mesh.triangleXy.push_back(static_cast<float>(p.x));
            mesh.triangleXy.push_back(static_cast<float>(p.y));
        }
        meshes.push_back(std::move(mesh));
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: glyphmesh OUTFILE\n");
        return 2;
    }
    std::vector<GlyphMesh> meshes;
    if (!MakeGlyphMeshes(meshes)) {
        return 1;
    }
    const std::vector<uint8_t> bytes = SerializeGlyphMesh(meshes);
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "glyphmesh: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
