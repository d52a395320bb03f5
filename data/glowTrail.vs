// Glow ribbon: each vertex holds a sample in x, y and the sample before it in z, w, and its
// signed half-width in the colour's alpha; it is pushed sideways to the segment by that amount.
#version 120

varying vec3 tint;
varying float side;

void main() {
    vec2 here = gl_Vertex.xy;
    vec2 before = gl_Vertex.zw;
    vec2 along = here - before;
    float segment = length(along);
    vec2 normal = segment > 0.0001 ? vec2(-along.y, along.x) / segment : vec2(0.0, 0.0);
    float halfWidth = gl_Color.a;
    side = halfWidth < 0.0 ? -1.0 : 1.0;
    tint = gl_Color.rgb;
    gl_Position = gl_ModelViewProjectionMatrix * vec4(here + normal * halfWidth, 0.0, 1.0);
}
