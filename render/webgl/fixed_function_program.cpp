// The shader that stands in for GL 1.1's fixed-function pipeline. Vertices are moved into eye
// space by the modelview uniform: the identity for the streamed triangles, which the layer has
// moved itself, the matrix of the moment for a display list's triangles, which stay in a
// buffer of their own. A list's vertices take the attributes the list did not set from the
// current-attribute uniforms. Lighting is per vertex as in GL: the scene's ambient light (0.2)
// plus light 0, white and shining along -z of eye space, with no specular part (the default
// material has none). Fog is linear in the eye-space depth, computed per fragment.
#define GL_GLEXT_PROTOTYPES
#include "render/webgl/fixed_function_program.h"

#include <cstdio>

namespace {

constexpr const char* VertexSource = R"(
attribute vec3 aPosition;
attribute vec3 aNormal;
attribute vec4 aColour;
attribute vec2 aTexCoord;
uniform mat4 uProjection;
uniform mat4 uModelview;
uniform mat3 uNormalMatrix;
// 1 where the normal (x), colour (y) and texture coordinate (z) are the current ones.
uniform vec3 uInherit;
uniform vec3 uCurrentNormal;
uniform vec4 uCurrentColour;
uniform vec2 uCurrentTexCoord;
uniform bool uLighting;
uniform bool uLight0;
uniform bool uColourMaterial;
uniform bool uNormalize;
varying vec4 vColour;
varying vec2 vTexCoord;
varying float vFogDepth;

const vec3 SceneAmbient = vec3(0.2);
const vec3 LightDirection = vec3(0.0, 0.0, 1.0);

void main() {
    vec4 eye = uModelview * vec4(aPosition, 1.0);
    gl_Position = uProjection * eye;
    vec4 vertexColour = mix(aColour, uCurrentColour, uInherit.y);
    vec4 colour = vertexColour;
    if (uLighting) {
        vec4 ambient = uColourMaterial ? vertexColour : vec4(0.2, 0.2, 0.2, 1.0);
        vec4 diffuse = uColourMaterial ? vertexColour : vec4(0.8, 0.8, 0.8, 1.0);
        vec3 n = uNormalMatrix * mix(aNormal, uCurrentNormal, uInherit.x);
        if (uNormalize && dot(n, n) > 0.0) {
            n = normalize(n);
        }
        vec3 lit = ambient.rgb * SceneAmbient;
        if (uLight0) {
            lit += diffuse.rgb * max(dot(n, LightDirection), 0.0);
        }
        colour = vec4(lit, diffuse.a);
    }
    vColour = clamp(colour, 0.0, 1.0);
    vTexCoord = mix(aTexCoord, uCurrentTexCoord, uInherit.z);
    vFogDepth = abs(eye.z);
}
)";

constexpr const char* FragmentSource = R"(
precision highp float;
uniform bool uTexturing;
uniform sampler2D uSampler;
uniform bool uFog;
uniform vec3 uFogColour;
uniform float uFogStart;
uniform float uFogEnd;
varying vec4 vColour;
varying vec2 vTexCoord;
varying float vFogDepth;

void main() {
    vec4 colour = vColour;
    if (uTexturing) {
        colour *= texture2D(uSampler, vTexCoord);
    }
    if (uFog) {
        float f = clamp((uFogEnd - vFogDepth) / (uFogEnd - uFogStart), 0.0, 1.0);
        colour.rgb = mix(uFogColour, colour.rgb, f);
    }
    gl_FragColor = colour;
}
)";

GLuint CompileShader(GLenum type, const char* source) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        char log[512] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "WebGL shader: %s\n", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

GLuint LinkProgram(GLuint vertexShader, GLuint fragmentShader) {
    GLuint program = glCreateProgram();
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    glLinkProgram(program);
    glDeleteShader(vertexShader);
    glDeleteShader(fragmentShader);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        std::fprintf(stderr, "WebGL program does not link\n");
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

void FindLocations(FixedFunctionProgram& p) {
    p.position = glGetAttribLocation(p.program, "aPosition");
    p.normal = glGetAttribLocation(p.program, "aNormal");
    p.colour = glGetAttribLocation(p.program, "aColour");
    p.texCoord = glGetAttribLocation(p.program, "aTexCoord");
    p.projection = glGetUniformLocation(p.program, "uProjection");
    p.modelview = glGetUniformLocation(p.program, "uModelview");
    p.normalMatrix = glGetUniformLocation(p.program, "uNormalMatrix");
    p.inherit = glGetUniformLocation(p.program, "uInherit");
    p.currentNormal = glGetUniformLocation(p.program, "uCurrentNormal");
    p.currentColour = glGetUniformLocation(p.program, "uCurrentColour");
    p.currentTexCoord = glGetUniformLocation(p.program, "uCurrentTexCoord");
    p.lighting = glGetUniformLocation(p.program, "uLighting");
    p.light0 = glGetUniformLocation(p.program, "uLight0");
    p.colourMaterial = glGetUniformLocation(p.program, "uColourMaterial");
    p.normalize = glGetUniformLocation(p.program, "uNormalize");
    p.texturing = glGetUniformLocation(p.program, "uTexturing");
    p.sampler = glGetUniformLocation(p.program, "uSampler");
    p.fog = glGetUniformLocation(p.program, "uFog");
    p.fogColour = glGetUniformLocation(p.program, "uFogColour");
    p.fogStart = glGetUniformLocation(p.program, "uFogStart");
    p.fogEnd = glGetUniformLocation(p.program, "uFogEnd");
}

} // namespace

bool BuildFixedFunctionProgram(FixedFunctionProgram& program) {
    program = FixedFunctionProgram{};
    GLuint vertexShader = CompileShader(GL_VERTEX_SHADER, VertexSource);
    GLuint fragmentShader = CompileShader(GL_FRAGMENT_SHADER, FragmentSource);
    if (vertexShader == 0 || fragmentShader == 0) {
        glDeleteShader(vertexShader);
        glDeleteShader(fragmentShader);
        return false;
    }
    program.program = LinkProgram(vertexShader, fragmentShader);
    if (program.program == 0) {
        return false;
    }
    FindLocations(program);
    return true;
}
