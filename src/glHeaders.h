// The OpenGL headers in the order GLEW requires.
#pragma once
#include <GL/glew.h>
#include <GL/glu.h>
