// Smoke: the puff texture times the particle's tint and fade (smokeTrail.vs).
#version 120

uniform sampler2D smoke;

varying vec2 texel;
varying vec4 tint;

void main() {
    gl_FragColor = texture2D(smoke, texel) * tint;
}
