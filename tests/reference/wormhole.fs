// The stacked wormhole drawing that data/wormhole.fs replaced (see wormhole.vs here): a thin ring
// per layer with three bright arcs, blue at the mouth, violet deeper and white at the throat,
// where the smallest rings crowd together.
#version 120

uniform float time;
uniform sampler2D flame;

varying vec2 local;
varying float layer;

void main() {
    float r = length(local);
    if (r > 1.0) discard;
    float ring = smoothstep(0.62, 0.86, r) * smoothstep(1.0, 0.9, r);
    float angle = atan(local.y, local.x);
    float arms = 0.5 + 0.5 * sin(3.0 * angle + sin(time * 0.7 + layer * 4.0));
    arms = arms * arms;
    float turbulence = texture2D(flame, local * 0.4 + 0.5).a;
    vec3 mouth = vec3(0.2, 0.5, 1.0);
    vec3 deep = vec3(0.65, 0.3, 1.0);
    vec3 throat = vec3(1.0, 0.9, 1.0);
    vec3 colour = mix(mouth, deep, smoothstep(0.0, 0.6, layer));
    colour = mix(colour, throat, smoothstep(0.75, 1.0, layer));
    float strength = ring * (0.15 + 0.85 * arms) * (0.6 + 0.6 * turbulence);
    // The deepest layers fill in, so the throat glows instead of showing a hole.
    strength = mix(strength, (1.0 - r) * 1.6, smoothstep(0.86, 1.0, layer));
    gl_FragColor = vec4(colour, strength * 0.16);
}
