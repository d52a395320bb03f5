// An explosion: one square carrying the texture coordinates of both of its turned copies.
#version 120

varying vec2 first;
varying vec2 second;

void main() {
    first = gl_MultiTexCoord0.xy;
    second = gl_MultiTexCoord1.xy;
    gl_Position = ftransform();
}
