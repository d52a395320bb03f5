// Engine flame: the 100 unit slices (z in [0, 1)) are laid one behind the other along +y, away
// from the ship, shrinking and flickering towards the tip; full thrust stretches the flame.
#version 120

uniform float thrust;
uniform float time;

varying vec2 texel;
varying float along;

void main() {
    along = gl_Vertex.z;
    float flameLength = 24.0 + 90.0 * thrust;
    float flicker = 0.85 + 0.15 * sin(time * 53.0 + along * 17.0) * sin(time * 31.0);
    float halfWidth = mix(13.0, 3.0, along) * (0.75 + 0.25 * thrust) * flicker;
    vec2 centre = vec2(sin(time * 40.0 + along * 12.0) * 1.5 * along, along * flameLength * flicker);
    texel = gl_Vertex.xy * 0.5 + 0.5;
    gl_Position = gl_ModelViewProjectionMatrix * vec4(centre + gl_Vertex.xy * halfWidth, 0.0, 1.0);
}
