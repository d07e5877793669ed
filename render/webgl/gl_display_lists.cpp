// Display lists, which WebGL lacks: a list records the calls made while it is compiled
// (matrix and state changes as calls, primitives as finished triangles in object space) and
// plays them back when called, through the same paths as the calls themselves.
#include "render/webgl/gl_layer_state.h"

#include <cassert>
#include <cstring>
#include <map>

namespace {

struct DisplayList {
    std::vector<std::function<void()>> calls;
};

// Lists by name; names are handed out in ascending runs and never reused within a context.
std::map<GLuint, DisplayList> Lists;
GLuint NextListName = 1;
GLuint CompilingName = 0;
DisplayList Compiling;
// Compiling changes the current attributes as the calls would; they are put back at the end.
CurrentAttributes AttributesBeforeCompile;
GLuint ListBase = 0;
std::vector<GLuint> SavedListBases;
// A list that calls itself, directly or not, would never end; GL stops at 64 levels.
constexpr int MaxCallDepth = 64;
int CallDepth = 0;

} // namespace

bool RecordingList() {
    return CompilingName != 0;
}

void RecordCall(std::function<void()> call) {
    Compiling.calls.push_back(std::move(call));
}

namespace {

void TakeCurrent(LayerVertex& v, uint8_t fromList) {
    if ((fromList & NormalBit) == 0) {
        std::memcpy(v.normal, Current.normal, sizeof v.normal);
    }
    if ((fromList & ColourBit) == 0) {
        std::memcpy(v.colour, Current.colour, sizeof v.colour);
    }
    if ((fromList & TexCoordBit) == 0) {
        std::memcpy(v.texCoord, Current.texCoord, sizeof v.texCoord);
    }
}

void TakeSet(const CurrentAttributes& after, uint8_t set) {
    if ((set & NormalBit) != 0) {
        std::memcpy(Current.normal, after.normal, sizeof after.normal);
    }
    if ((set & ColourBit) != 0) {
        std::memcpy(Current.colour, after.colour, sizeof after.colour);
    }
    if ((set & TexCoordBit) != 0) {
        std::memcpy(Current.texCoord, after.texCoord, sizeof after.texCoord);
    }
}

} // namespace

void RecordTriangles(std::vector<LayerVertex> triangles, std::vector<uint8_t> fromList,
                     uint8_t setAfter, const CurrentAttributes& after) {
    bool sameBits = true;
    for (uint8_t bits : fromList) {
        sameBits = sameBits && bits == fromList.front();
    }
    // Where every vertex takes the same attributes from the list, the triangles stay in the
    // list buffer and the shader takes the others from the current ones when the list runs.
    if (sameBits) {
        const uint8_t inherit = fromList.empty() ? 0 : AllAttributeBits & ~fromList.front();
        const size_t first = KeepListTriangles(triangles.data(), triangles.size());
        Compiling.calls.push_back([first, count = triangles.size(), inherit, setAfter, after] {
            DrawListTriangles(first, count, inherit);
            TakeSet(after, setAfter);
        });
        return;
    }
    Compiling.calls.push_back(
        [triangles = std::move(triangles), fromList = std::move(fromList), setAfter, after] {
            std::vector<LayerVertex> filled = triangles;
            for (size_t i = 0; i < filled.size(); ++i) {
                TakeCurrent(filled[i], fromList[i]);
            }
            SubmitTriangles(filled.data(), filled.size());
            TakeSet(after, setAfter);
        });
}

void ResetDisplayLists() {
    Lists.clear();
    ForgetListTriangles();
    NextListName = 1;
    CompilingName = 0;
    Compiling = DisplayList{};
    ListBase = 0;
    SavedListBases.clear();
    CallDepth = 0;
}

extern "C" {

GLuint glGenLists(GLsizei range) {
    if (range <= 0) {
        return 0;
    }
    const GLuint first = NextListName;
    for (GLsizei i = 0; i < range; ++i) {
        Lists[first + static_cast<GLuint>(i)] = DisplayList{};
    }
    NextListName += static_cast<GLuint>(range);
    return first;
}

void glDeleteLists(GLuint first, GLsizei range) {
    for (GLsizei i = 0; i < range; ++i) {
        Lists.erase(first + static_cast<GLuint>(i));
    }
    if (Lists.empty()) {
        ForgetListTriangles();
    }
}

GLboolean glIsList(GLuint name) {
    return Lists.count(name) != 0 ? GL_TRUE : GL_FALSE;
}

void glNewList(GLuint name, GLenum mode) {
    assert(mode == GL_COMPILE && "lists are compiled, not executed while compiled");
    assert(!RecordingList() && "glNewList inside glNewList ... glEndList");
    if (name == 0 || RecordingList()) {
        return;
    }
    (void)mode;
    CompilingName = name;
    Compiling = DisplayList{};
    AttributesBeforeCompile = Current;
    ClearListAttributesSet();
}

void glEndList() {
    if (!RecordingList()) {
        return;
    }
    Lists[CompilingName] = std::move(Compiling);
    Compiling = DisplayList{};
    CompilingName = 0;
    Current = AttributesBeforeCompile;
}

void glCallList(GLuint name) {
    if (RecordingList()) {
        RecordCall([name] { glCallList(name); });
        return;
    }
    auto found = Lists.find(name);
    if (found == Lists.end() || CallDepth >= MaxCallDepth) {
        return;
    }
    ++CallDepth;
    for (const auto& call : found->second.calls) {
        call();
    }
    --CallDepth;
}

void glListBase(GLuint base) {
    ListBase = base;
}

void glCallLists(GLsizei n, GLenum type, const GLvoid* names) {
    assert(type == GL_UNSIGNED_BYTE && "list names as bytes only");
    if (type != GL_UNSIGNED_BYTE || names == nullptr) {
        return;
    }
    const auto* bytes = static_cast<const GLubyte*>(names);
    for (GLsizei i = 0; i < n; ++i) {
        glCallList(ListBase + bytes[i]);
    }
}

// Only the list base is kept by the attribute stack here: it is all the renderer pushes.
void glPushAttrib(GLbitfield mask) {
    assert(mask == GL_LIST_BIT && "the layer's attribute stack keeps the list base only");
    (void)mask;
    SavedListBases.push_back(ListBase);
}

void glPopAttrib() {
    if (!SavedListBases.empty()) {
        ListBase = SavedListBases.back();
        SavedListBases.pop_back();
    }
}

} // extern "C"
