// The explosions' two turned copies of one texture, drawn as one square each through the
// "explosion" program, which samples the texture at both turns and adds them. That square
// covers only the disc in which the texture has any alpha, so far fewer pixels are blended than
// by the two whole squares, and the sum each pixel gets is the same.
#pragma once

#include <map>

class ShaderList;

class TwinSquares {
public:
    // The program of this frame, 0 when there is none; one that did not link counts as none.
    // Without one, the squares are drawn one by one.
    void setProgram(int program);
    // The "explosion" program of `shaders`; content from before it has none.
    void useProgramOf(const ShaderList& shaders);
    int program() const { return currentProgram; }
    // The fraction of a square's half-width within which the texture's texels with alpha lie,
    // with a margin for the spread of its smaller mipmap levels; measured once per texture.
    float reach(unsigned texture);
    // The same from an image's alpha channel, `width` by `height`, row by row.
    static float reachOf(const unsigned char* alpha, int width, int height);

private:
    int currentProgram = 0;
    int checkedProgram = 0;  // the last program asked for, and whether it linked
    bool checkedLinked = false;
    std::map<unsigned, float> reaches;
};
