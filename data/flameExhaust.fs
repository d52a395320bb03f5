// Engine flame: white-hot near the nozzle through cyan to a faint blue tip.
#version 120

uniform float thrust;
uniform sampler2D flame;

varying vec2 texel;
varying float along;

void main() {
    vec4 blob = texture2D(flame, texel);
    vec3 hot = vec3(1.0, 1.0, 0.95);
    vec3 mid = vec3(0.35, 0.85, 1.0);
    vec3 tip = vec3(0.15, 0.3, 1.0);
    vec3 colour = along < 0.35 ? mix(hot, mid, along / 0.35) : mix(mid, tip, (along - 0.35) / 0.65);
    float fade = (1.0 - along) * (0.45 + 0.55 * thrust);
    gl_FragColor = vec4(colour * blob.rgb, sqrt(blob.a) * fade * 0.2);
}
