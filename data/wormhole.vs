// Wormhole, drawn in one pass. The engine sends 100 stacked unit squares (layer = z in [0, 1)),
// one per ring of the funnel; the first becomes the whole mouth and its fragments add up every
// ring that covers them (wormhole.fs), the other 99 are sent out of view and cost nothing.
#version 130

uniform float radius;

out vec2 offset;  // from the centre, in game units

void main() {
    if (gl_Vertex.z > 0.0) {
        offset = vec2(0.0);
        gl_Position = vec4(2.0, 2.0, 2.0, 1.0);
        return;
    }
    offset = gl_Vertex.xy * radius;
    gl_Position = gl_ModelViewProjectionMatrix * vec4(offset, 0.0, 1.0);
}
