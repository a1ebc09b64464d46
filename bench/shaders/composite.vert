#version 430 core
// Required work of the composite: the quad's inputs as the demo's shader has them; the
// bench binds them to the demo program's locations before linking.
in vec3 vpos;
in vec3 tex;

void main() { gl_Position = vec4(vpos.xy, 0.0, 1.0); }
