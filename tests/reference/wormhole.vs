// The stacked wormhole drawing that data/wormhole.vs replaced, kept as the picture the one-pass
// drawing must match (tests/wormholeTest.cpp). Each of the 100 stacked unit squares (layer = z in
// [0, 1)) becomes one ring of a funnel, deeper rings smaller and turning faster; the twist
// between neighbouring rings lines their bright arcs up into spiral arms.
#version 120

uniform float time;
uniform float radius;

varying vec2 local;
varying float layer;

void main() {
    layer = gl_Vertex.z;
    local = gl_Vertex.xy;
    float spin = time * (0.5 + 2.0 * layer) + layer * 6.0;
    float scale = radius * (1.0 - 0.93 * sqrt(layer));
    float c = cos(spin);
    float s = sin(spin);
    vec2 turned = vec2(c * local.x - s * local.y, s * local.x + c * local.y) * scale;
    gl_Position = gl_ModelViewProjectionMatrix * vec4(turned, 0.0, 1.0);
}
