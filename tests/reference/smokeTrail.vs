// The smoke drawing that data/smokeTrail.vs replaced (the tint looked up per fragment), kept as
// the picture the shipped one must match (tests/trailTest.cpp).
// Smoke: each unit quad is one particle of a puff. Its z carries the particle's place in the
// puff (z - 100 for even particles), which with the puff's random number scatters it; older
// puffs (low lifetime) have spread, grown and drifted further.
#version 120

uniform vec2 velocity;
uniform float size;
uniform float particleSize;
uniform float spinSpeed;
uniform float time;
uniform vec2 position;
uniform float rand;
uniform float lifetime;

varying vec2 texel;
varying float age;

float hash(float n) {
    return fract(sin(n) * 43758.5453);
}

void main() {
    float z = gl_Vertex.z;
    float even = step(50.0, z);
    float place = z - 100.0 * even;
    float key = rand * 0.731 + place * 17.13 + even * 3.7;
    float direction = hash(key) * 6.28318;
    float reach = sqrt(hash(key + 1.913));
    age = clamp(1.0 - lifetime, 0.0, 1.0);
    vec2 drift = velocity * time * 0.25;
    vec2 spread = vec2(cos(direction), sin(direction)) * reach * size * (0.15 + 0.85 * age);
    float turn = direction + spinSpeed * time * (even > 0.5 ? 1.0 : -1.0);
    float grow = particleSize * (0.45 + 1.1 * age);
    float c = cos(turn);
    float s = sin(turn);
    vec2 corner = gl_Vertex.xy;
    vec2 offset = vec2(c * corner.x - s * corner.y, s * corner.x + c * corner.y) * grow;
    texel = corner * 0.5 + 0.5;
    gl_Position = gl_ModelViewProjectionMatrix * vec4(position + drift + spread + offset, 0.0, 1.0);
}
