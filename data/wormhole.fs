// Wormhole, drawn in one pass: the funnel of 100 thin rings, each turning at its own speed, with
// three bright arcs, blue at the mouth, violet deeper and white at the throat where the smallest
// rings crowd together and fill in. Each pixel visits only the few rings that cover it and adds
// them up as 100 additive layers would add up in an 8-bit framebuffer, each layer rounded on its
// own; on a software renderer that costs a fraction of drawing the layers one over another.
#version 130

uniform float time;
uniform float radius;
uniform sampler2D flame;

in vec2 offset;

const float LAYERS = 100.0;
// The deepest ring is this fraction of the mouth; ring r of layer l has radius * (1 - SHRINK * sqrt(l)).
const float SHRINK = 0.93;
// A ring is bright between these fractions of its radius.
const float RING_INNER = 0.62;
// From this layer on the rings fill in towards their centre.
const float FILL_FROM = 0.86;
// Ring colours at the mouth, deeper in and at the throat.
const vec3 MOUTH = vec3(0.2, 0.5, 1.0);
const vec3 DEEP = vec3(0.65, 0.3, 1.0);
const vec3 THROAT = vec3(1.0, 0.9, 1.0);

// What an 8-bit framebuffer keeps of a value in [0, 1], in 255ths, rounded as llvmpipe rounds
// (scaled by 255/256 to the nearest 256th, ties to even: 0.3 keeps 76). A renderer that rounds
// 76.5 up instead makes a few deep layers one level greener; nothing else changes.
float stored(float v) {
    return roundEven(clamp(v, 0.0, 1.0) * (255.0 / 256.0) * 256.0);
}

// The (fractional) layer whose ring has shrunk to the fraction f of the mouth.
float layerAt(float f) {
    float s = (1.0 - f) / SHRINK;
    return s * s * LAYERS;
}

// What one ring adds to the pixel, in 255ths: the pixel lies at the fraction r of the ring's
// radius, the ring has turned by `turn` and its arcs' wobble stands at `wobble`.
vec3 ringLight(float layer, float r, vec2 turn, vec2 wobble, float sin3, float cos3, float turbulence) {
    float ring = smoothstep(RING_INNER, 0.86, r) * smoothstep(1.0, 0.9, r);
    // sin(3 * (angle - spin) + sin(wobble)), the angle of the pixel within the turned layer.
    float cosTurn3 = turn.x * (4.0 * turn.x * turn.x - 3.0);
    float sinTurn3 = turn.y * (3.0 - 4.0 * turn.y * turn.y);
    float sinArc = sin3 * cosTurn3 - cos3 * sinTurn3;
    float cosArc = cos3 * cosTurn3 + sin3 * sinTurn3;
    float bend = wobble.y;
    float arms = 0.5 + 0.5 * (sinArc * cos(bend) + cosArc * sin(bend));
    arms = arms * arms;
    float lit = ring * (0.15 + 0.85 * arms);
    vec3 colour = mix(MOUTH, DEEP, smoothstep(0.0, 0.6, layer));
    colour = mix(colour, THROAT, smoothstep(0.75, 1.0, layer));
    float strength = lit * (0.6 + 0.6 * turbulence);
    strength = mix(strength, (1.0 - r) * 1.6, smoothstep(FILL_FROM, 1.0, layer));
    // Each layer was blended on its own: source colour times source alpha, both 8-bit and
    // rounded (for the small alphas here every renderer's 8-bit product agrees).
    float alpha = stored(strength * 0.16);
    vec3 tint = vec3(stored(colour.r), stored(colour.g), stored(colour.b));
    return floor(tint * alpha / 255.0 + 0.5);
}

void main() {
    float d = length(offset);
    if (d >= radius) discard;
    float x = d / radius;
    // Layers whose ring (inner edge to rim) holds this pixel; the filled layers hold it from the
    // throat out to their rim.
    int last = min(int(ceil(layerAt(x))), int(LAYERS) - 1);
    int first = x < RING_INNER ? int(floor(layerAt(x / RING_INNER))) : 0;
    int firstFilled = int(floor(FILL_FROM * LAYERS)) + 1;
    if (last >= firstFilled) first = min(first, firstFilled);
    first = max(first - 1, 0);

    // The pixel's direction from the centre, and the cosine and sine of three times its angle.
    vec2 toward = d > 0.0 ? offset / d : vec2(1.0, 0.0);
    float cos3 = toward.x * (4.0 * toward.x * toward.x - 3.0);
    float sin3 = toward.y * (3.0 - 4.0 * toward.y * toward.y);
    // How the texture coordinates of every layer move across the screen (for the mipmap level).
    vec2 acrossX = dFdx(offset);
    vec2 acrossY = dFdy(offset);
    // Each layer turns further than the one before by a fixed step, and the arcs' wobble
    // advances by a fixed step too: both are carried from layer to layer as unit vectors.
    float spinStep = time * 2.0 / LAYERS + 6.0 / LAYERS;
    vec2 stepTurn = vec2(cos(spinStep), sin(spinStep));
    float firstLayer = float(first) / LAYERS;
    float firstSpin = time * (0.5 + 2.0 * firstLayer) + firstLayer * 6.0;
    vec2 turn = vec2(cos(firstSpin), sin(firstSpin));
    float firstWobble = time * 0.7 + firstLayer * 4.0;
    vec2 wobble = vec2(cos(firstWobble), sin(firstWobble));
    const vec2 WOBBLE_STEP = vec2(0.99920011, 0.039989334);  // cos and sin of 4 / LAYERS

    vec3 light = vec3(0.0);
    // Rings at least this deep come out smaller on screen than the texture, and their
    // turbulence needs the mipmaps; the shallower ones are magnified everywhere, where level 0
    // is what the gradients would pick, and sampling it directly saves working the level out.
    // The renderer's measure of a gradient never exceeds its length, so a ring whose gradients
    // are under one texel by length is magnified by any measure.
    float texelsAcross = max(length(acrossX), length(acrossY)) * 0.4 * float(textureSize(flame, 0).x);
    float clearRatio = (1.0 - 1.001 * texelsAcross / radius) / SHRINK;
    int firstMinified = clearRatio <= 0.0 ? 0 : int(floor(clearRatio * clearRatio * LAYERS)) + 1;
    // Two loops, so that each sends only its own kind of sample.
    int i = first;
    for (; i <= min(last, firstMinified - 1); ++i) {
        float layer = float(i) / LAYERS;
        float scale = radius * (1.0 - SHRINK * sqrt(layer));
        float r = d / scale;
        if (r < 1.0) {
            vec2 local = mat2(turn.x, -turn.y, turn.y, turn.x) / scale * offset;
            float turbulence = textureLod(flame, local * 0.4 + 0.5, 0.0).a;
            light += ringLight(layer, r, turn, wobble, sin3, cos3, turbulence);
        }
        turn = vec2(turn.x * stepTurn.x - turn.y * stepTurn.y, turn.y * stepTurn.x + turn.x * stepTurn.y);
        wobble = vec2(wobble.x * WOBBLE_STEP.x - wobble.y * WOBBLE_STEP.y,
                      wobble.y * WOBBLE_STEP.x + wobble.x * WOBBLE_STEP.y);
    }
    for (; i <= last; ++i) {
        float layer = float(i) / LAYERS;
        float scale = radius * (1.0 - SHRINK * sqrt(layer));
        float r = d / scale;
        if (r < 1.0) {
            mat2 unturn = mat2(turn.x, -turn.y, turn.y, turn.x) / scale;
            vec2 local = unturn * offset;
            float turbulence =
                textureGrad(flame, local * 0.4 + 0.5, unturn * acrossX * 0.4, unturn * acrossY * 0.4).a;
            light += ringLight(layer, r, turn, wobble, sin3, cos3, turbulence);
        }
        turn = vec2(turn.x * stepTurn.x - turn.y * stepTurn.y, turn.y * stepTurn.x + turn.x * stepTurn.y);
        wobble = vec2(wobble.x * WOBBLE_STEP.x - wobble.y * WOBBLE_STEP.y,
                      wobble.y * WOBBLE_STEP.x + wobble.x * WOBBLE_STEP.y);
    }
    // Added once with alpha 1 (the additive pass): the same sum, saturated as the layers were.
    gl_FragColor = vec4(min(light, 255.0) / 255.0, 1.0);
}
