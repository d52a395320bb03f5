// Entry point: start the game and run its frame loop.
#include "gameMain.h"

int main(int argc, char** argv) {
    Game game;
    int status = game.startUp(argc, argv);
    if (status != 0) return status;
    return game.run();
}
