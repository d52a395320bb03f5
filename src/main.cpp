// Entry point: start the game and run its frame loop.
#include "gameMain.h"
#include "quitSignals.h"

int main(int argc, char** argv) {
    // SIGTERM and SIGINT end the game with the same shut-down as the key q, in every state.
    QuitSignals quitSignals;
    Game game;
    int status = game.startUp(argc, argv);
    if (status != 0) return status;
    return game.run();
}
