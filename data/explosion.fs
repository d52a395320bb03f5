// Both turned copies of the explosion's texture, each weighted by its alpha and added, as the
// additive pass would add the two squares drawn one after the other. Outside a copy's square
// that copy adds nothing.
#version 120

uniform sampler2D picture;

varying vec2 first;
varying vec2 second;

float inside(vec2 texel) {
    vec2 within = step(vec2(0.0), texel) * step(texel, vec2(1.0));
    return within.x * within.y;
}

void main() {
    vec4 a = texture2D(picture, first) * inside(first);
    vec4 b = texture2D(picture, second) * inside(second);
    // Blended with (source alpha, one): an alpha of one adds the sum as it is.
    gl_FragColor = vec4(a.rgb * a.a + b.rgb * b.a, 1.0);
}
