// The smoke drawing that data/smokeTrail.fs replaced (see smokeTrail.vs here).
// Smoke: the puff texture tinted by the colour ramp at the particle's age, fading out as it ages.
#version 120

uniform sampler2D smoke;
uniform sampler2D color;

varying vec2 texel;
varying float age;

void main() {
    vec4 puff = texture2D(smoke, texel);
    vec4 tint = texture2D(color, vec2(age, 0.5));
    float fade = 1.0 - age * age;
    gl_FragColor = vec4(puff.rgb * tint.rgb, puff.a * tint.a * fade * 0.55);
}
