// Glow ribbon: brightest along its middle, fading to nothing at both edges.
#version 120

varying vec3 tint;
varying float side;

void main() {
    float centre = 1.0 - abs(side);
    vec3 colour = mix(tint, vec3(1.0), centre * centre * 0.6);
    gl_FragColor = vec4(colour, centre * centre * 0.9);
}
