// The fixed-function OpenGL 1.1 and GLU calls the renderer makes, provided over WebGL for the
// web build: what the shell tells it about the context, and when pending drawing must go out.
// The renderer itself calls the plain GL and GLU names and knows nothing of this layer.
#pragma once

// Sets the layer up on the WebGL context that has just been made current: its shader, its
// vertex buffer and the GL 1.1 state every new context starts with. False when WebGL cannot
// compile or link the shader (the context is then of no use). Called by the web shell after
// the context is made, before the renderer's set-up.
bool StartWebGlLayer();

// Forgets everything that belonged to the context (display lists, shader, buffers, state),
// which is going away. Called by the web shell before the context is destroyed; safe twice.
void StopWebGlLayer();

// Sends every triangle still waiting in the layer to WebGL. Called before the frame is
// shown or read back; the layer itself flushes whenever drawing state changes.
void FlushWebGl();
