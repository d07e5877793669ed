// GL 1.1's state calls over WebGL: what WebGL has (depth, blending, viewport, clearing,
// textures) goes straight through once the queued triangles are out; what only the
// fixed-function pipeline has (lighting, colour material, fog, texturing on or off) is kept for
// the shader. Calls that a display list can hold are recorded while one is compiled.
#include "render/webgl/gl_layer_state.h"

#include <cassert>

PipelineState Pipeline;

// WebGL's own entry points under the names that the layer does not take for itself.
extern "C" {
void emscripten_glEnable(GLenum capability);
void emscripten_glDisable(GLenum capability);
void emscripten_glBindTexture(GLenum target, GLuint texture);
void emscripten_glBlendFunc(GLenum source, GLenum destination);
void emscripten_glDepthMask(GLboolean flag);
void emscripten_glDepthFunc(GLenum function);
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glClear(GLbitfield mask);
void emscripten_glClearDepthf(GLclampf depth);
}

namespace {

// The switch behind a capability, or null where WebGL keeps it itself.
bool* PipelineSwitch(GLenum capability) {
    switch (capability) {
    case GL_TEXTURE_2D:
        return &Pipeline.texturing;
    case GL_LIGHTING:
        return &Pipeline.lighting;
    case GL_LIGHT0:
        return &Pipeline.light0;
    case GL_COLOR_MATERIAL:
        return &Pipeline.colourMaterial;
    case GL_NORMALIZE:
        return &Pipeline.normalize;
    case GL_FOG:
        return &Pipeline.fog;
    default:
        return nullptr;
    }
}

void SetCapability(GLenum capability, bool on) {
    FlushTriangles();
    if (bool* flag = PipelineSwitch(capability)) {
        *flag = on;
        return;
    }
    assert((capability == GL_DEPTH_TEST || capability == GL_BLEND) &&
           "a capability the WebGL layer does not provide");
    if (on) {
        emscripten_glEnable(capability);
    } else {
        emscripten_glDisable(capability);
    }
}

} // namespace

void ResetPipeline() {
    Pipeline = PipelineState{};
    emscripten_glDisable(GL_DEPTH_TEST);
    emscripten_glDisable(GL_BLEND);
    emscripten_glDepthMask(GL_TRUE);
    emscripten_glDepthFunc(GL_LESS);
    emscripten_glBlendFunc(GL_ONE, GL_ZERO);
}

extern "C" {

void glEnable(GLenum capability) {
    if (RecordingList()) {
        RecordCall([capability] { glEnable(capability); });
        return;
    }
    SetCapability(capability, true);
}

void glDisable(GLenum capability) {
    if (RecordingList()) {
        RecordCall([capability] { glDisable(capability); });
        return;
    }
    SetCapability(capability, false);
}

void glBindTexture(GLenum target, GLuint texture) {
    if (RecordingList()) {
        RecordCall([target, texture] { glBindTexture(target, texture); });
        return;
    }
    FlushTriangles();
    Pipeline.texture = texture;
    emscripten_glBindTexture(target, texture);
}

// Every texture of the game is modulated by the lit colour, which the shader always does.
void glTexEnvi(GLenum target, GLenum name, GLint value) {
    assert(target == GL_TEXTURE_ENV && name == GL_TEXTURE_ENV_MODE && value == GL_MODULATE &&
           "the layer's textures always modulate");
    (void)target, (void)name, (void)value;
}

void glFogi(GLenum name, GLint value) {
    FlushTriangles();
    if (name == GL_FOG_MODE) {
        assert(value == GL_LINEAR && "the layer's fog is linear");
        Pipeline.fogMode = static_cast<GLenum>(value);
    }
}

void glFogf(GLenum name, GLfloat value) {
    FlushTriangles();
    if (name == GL_FOG_START) {
        Pipeline.fogStart = value;
    } else if (name == GL_FOG_END) {
        Pipeline.fogEnd = value;
    }
}

void glFogfv(GLenum name, const GLfloat* values) {
    FlushTriangles();
    if (name == GL_FOG_COLOR) {
        for (int i = 0; i < 4; ++i) {
            Pipeline.fogColour[i] = values[i];
        }
    } else if (name == GL_FOG_START || name == GL_FOG_END) {
        glFogf(name, values[0]);
    }
}

void glBlendFunc(GLenum source, GLenum destination) {
    FlushTriangles();
    emscripten_glBlendFunc(source, destination);
}

void glDepthMask(GLboolean flag) {
    FlushTriangles();
    emscripten_glDepthMask(flag);
}

void glDepthFunc(GLenum function) {
    FlushTriangles();
    emscripten_glDepthFunc(function);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    FlushTriangles();
    emscripten_glViewport(x, y, width, height);
}

void glClear(GLbitfield mask) {
    FlushTriangles();
    emscripten_glClear(mask);
}

void glClearDepth(GLclampd depth) {
    emscripten_glClearDepthf(static_cast<GLclampf>(depth));
}

// Hints leave the picture to the implementation; WebGL knows neither of the game's.
void glHint(GLenum, GLenum) {}

// Colours are always interpolated across a triangle, as GL_SMOOTH does.
void glShadeModel(GLenum mode) {
    assert(mode == GL_SMOOTH && "the layer shades smoothly only");
    (void)mode;
}

} // extern "C"
