// The game shell: start-up, the frame loop with its bindings, camera and overlay, and the
// per-world drivers.
#include "gameMain.h"

#include <SDL/SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <optional>

#include "background.h"
#include "camera.h"
#include "courseMarker.h"
#include "effectLayer.h"
#include "engineSound.h"
#include "font.h"
#include "glHeaders.h"
#include "hud.h"
#include "loadGalaxy.h"
#include "quitSignals.h"
#include "screenFit.h"
#include "scriptReload.h"
#include "scriptGuard.h"
#include "shipIndex.h"
#include "shipPass.h"
#include "soundEffects.h"
#include "spriteBatch.h"
#include "startLua.h"
#include "textures.h"
#include "timer.h"
#include "twinSquares.h"
#include "uiDisplay.h"
#include "worldState.h"

namespace {
const int HISTORY_SIZE = 5000;
const int RESPAWN_THRESHOLD = 9;
const float RESPAWN_MIN_DISTANCE = 100.0f;
const int RESPAWN_SPREAD = 2000;
const float ZOOM_STEP = 1.2f;
const float CURSOR_FAR_LIMIT = 100.0f;
const float ADDITIVE_COLOUR[4] = {1.0f, 0.0f, 0.0f, 1.0f};
const float OVERLAY_COLOUR[4] = {0.0f, 0.7f, 0.0f, 1.0f};
// The numbers of the test event raised by the key e; the script agrees on them.
const std::vector<float> TEST_EVENT = {1.0f, 6.4f, 9.4f, -94.0f};
// How long the latest script error stays on screen.
const uint32_t SCRIPT_ERROR_SHOW_MS = 5000;
// The line that answers F9, in the error line's place: green when the new script runs.
const float RELOADED_COLOUR[4] = {0.55f, 1.0f, 0.55f, 1.0f};
const char* const SCRIPT_FILE = "ui.lua";

float clampPercent(float v) {
    if (v < 0.0f) return 0.0f;
    if (v > CURSOR_FAR_LIMIT) return CURSOR_FAR_LIMIT;
    return v;
}
}  // namespace

point mouseToGame(point p, float left, float right, float bottom, float top) {
    return {left + p.x * (right - left) / 100.0f, bottom + p.y * (top - bottom) / 100.0f};
}

void processProjectiles(WorldState& world, Universe& universe, int dt, int now) {
    // The pass is additive, so the order of the shots does not change the picture: they are
    // gathered and drawn as one array per texture instead of one small draw each.
    SpriteBatch shots;
    // Nothing adds, removes or moves a ship while the shots fly, so one index serves them all.
    const ShipIndex ships(world.ships);
    for (auto it = world.projectiles.begin(); it != world.projectiles.end();) {
        if (it->update(dt, world, universe, now, &shots, &ships))
            ++it;
        else
            it = world.projectiles.erase(it);
    }
    if (!shots.empty()) {
        // Each shot set white before its square; the colour stays so for what follows.
        glColor3f(1.0f, 1.0f, 1.0f);
        shots.draw();
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

void processStars(WorldState& world, Player* player, int dt) {
    for (size_t i = 0; i < world.stars.size(); ++i) world.stars[i].update(world, player, dt);
}

void processShips(Universe& universe, Player* player, int dt, int now, float pixelSize) {
    WorldState& world = universe.currentWorld();
    ShipPass pass(pixelSize);
    for (auto it = world.ships.begin(); it != world.ships.end();) {
        if (it->update(dt, now, universe, player, &pass)) {
            pass.addSprite(it->getTexture(), it->getPosition(), it->getTheta(), it->getSize());
            ++it;
        } else {
            it = world.ships.erase(it);
        }
    }
    pass.finish();
}

void processWormholes(Universe& universe, int now, EffectLayer* layer) {
    // A copy, so every wormhole present at the start is handled even after one moved the player.
    std::vector<Wormhole> wormholes = universe.currentWorld().wormholes;
    for (Wormhole& wormhole : wormholes) wormhole.update(universe, now, layer);
}

void reportShipLosses(WorldState& world, lua_State* L) {
    // Taken first: the hook may destroy or spawn ships itself, which lands in the next report.
    std::vector<ShipLoss> losses;
    losses.swap(world.losses);
    for (const ShipLoss& loss : losses) callShipDestroyed(L, loss.faction, loss.typeName, loss.byPlayer);
}

void afterGameLoaded(Universe& universe, lua_State* L) {
    // A load closes every window, so nothing is left that could hand the controls back: a game
    // saved with a window open would otherwise load with the ship unsteerable.
    if (universe.player) universe.player->setInput(true);
    callGameLoaded(L);
}

void drawFrameGraph(const std::vector<int>& history, unsigned index, int width, std::vector<float>& vertices) {
    // One array for GL: five thousand single vertex calls cost more than drawing the line.
    const size_t count = history.size();
    vertices.resize(2 * count);
    const float step = static_cast<float>(width) / static_cast<float>(count);
    for (size_t j = 0; j < count; ++j) {
        vertices[2 * j] = static_cast<float>(j) * step;
        vertices[2 * j + 1] = 3.0f * static_cast<float>(history[(index + j) % count]) + 5.0f;
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, vertices.data());
    glDrawArrays(GL_LINE_STRIP, 0, static_cast<GLsizei>(count));
    glDisableClientState(GL_VERTEX_ARRAY);
}

void respawnShips(Universe& universe) {
    WorldState& world = universe.currentWorld();
    if (world.ships.size() > static_cast<size_t>(RESPAWN_THRESHOLD)) return;
    point playerPos = universe.player->getPosition();
    for (size_t i = 1; i < universe.shipTypes.size(); ++i) {
        point where{0.0f, 0.0f};
        // Bounded so a player parked on the origin cannot hang the frame.
        for (int attempt = 0; attempt < 1000; ++attempt) {
            where = {closeRandLoc(RESPAWN_SPREAD), closeRandLoc(RESPAWN_SPREAD)};
            if (pointDistance(where, playerPos) >= RESPAWN_MIN_DISTANCE) break;
        }
        std::cout << "Ival: " << i << std::endl;
        world.ships.push_front(Ship(where, universe.shipTypes[i].name, static_cast<unsigned>(i), universe));
    }
}

Game::Game(GameOptions gameOptions) : options(std::move(gameOptions)) {}

Game::~Game() {
    // Sound first (the effects, then ALUT's shut-down with the engine sound), then the model, the font and finally the Lua state.
    effects.reset();
    sound.reset();
    universePtr.reset();
    hudFont.reset();
    backgroundPass.reset();
    effectLayer.reset();
    twinSquares.reset();
    luaState.reset();
}

lua_State* Game::lua() const { return luaState ? luaState->get() : nullptr; }

// Start-up runs these stages in this order; each either goes on (an empty answer) or ends the
// start with the exit status it answers:
//   1. enterDataDirectory  the working directory holds every run-time file
//   2. openWindow          SDL, the window and its input settings
//   3. prepareDrawing      GLEW, the first projection, the textures, the drawing passes
//   4. loadContent         the universe, the script file, the font, the stars and the player
//   5. startPlaying        the script's first call, the automatic save, the first ship, the
//                          sound and the clock
// A quit signal between stages ends the start with 0: the first frame then ends the game.
int Game::startUp(int argc, char** argv) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    std::cout << "Starting this thing" << std::endl;
    for (StartStage stage : {&Game::enterDataDirectory, &Game::openWindow, &Game::prepareDrawing,
                             &Game::loadContent}) {
        if (std::optional<int> status = (this->*stage)()) return *status;
    }
    startPlaying(argc, argv);
    return 0;
}

std::optional<int> Game::enterDataDirectory() {
    if (!options.dataDirectory.empty() && chdir(options.dataDirectory.c_str()) != 0) {
        std::cout << "Error, cannot enter data directory " << options.dataDirectory << std::endl;
        return 1;
    }
    return std::nullopt;
}

std::optional<int> Game::openWindow() {
    // Only X11 gives an OpenGL window; without a display SDL would fall back to a text-mode
    // driver and fail later, less clearly.
    setenv("SDL_VIDEODRIVER", "x11", 0);
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "SDL init failed: %s\n", SDL_GetError());
        return 1;
    }
    std::cout << "SDL initialized" << std::endl;
    std::atexit(SDL_Quit);
    sdlStarted = true;

    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_putenv(const_cast<char*>("SDL_VIDEO_CENTERED=center"));
    // The picture is always w x h; the window may be smaller (or larger) and shows it scaled.
    const char* forcedWindow = std::getenv("QUORBLE_WINDOW");
    screenMode = std::make_unique<ScreenMode>(PixelSize{w, h}, forcedWindow ? forcedWindow : "");
    if (!screenMode->open()) {
        std::printf("Unable to set %d x %d 32b video: %s\n", screenMode->windowed().width,
                    screenMode->windowed().height, SDL_GetError());
        std::fflush(stdout);
        return 1;
    }
    if (quitSignalled()) return 0;
    SDL_WM_SetCaption("Quorble", "Quorble?");
    if (options.sdlInput) SDL_WM_GrabInput(SDL_GRAB_ON);
    SDL_ShowCursor(SDL_DISABLE);
    SDL_EnableUNICODE(1);
    return std::nullopt;
}

std::optional<int> Game::prepareDrawing() {
    GLenum glewStatus = glewInit();
    if (glewStatus != GLEW_OK)
        std::cout << "Error, " << glewGetErrorString(glewStatus) << std::endl;
    else
        std::cout << "Glew is initialized" << std::endl;

    aspect = static_cast<float>(w) / static_cast<float>(h);
    screenMode->applyViewport();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(-1.1 * YBOUND * aspect, 1.1 * YBOUND * aspect, -1.1 * YBOUND, 1.1 * YBOUND);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);

    loadTextures();
    loadUITextures();
    backgroundPass = std::make_unique<BackgroundPass>();
    effectLayer = std::make_unique<EffectLayer>();
    twinSquares = std::make_unique<TwinSquares>();
    return std::nullopt;
}

std::optional<int> Game::loadContent() {
    lastTick = SDL_GetTicks();
    int ignoredX = 0, ignoredY = 0;
    SDL_GetRelativeMouseState(&ignoredX, &ignoredY);

    universePtr = std::make_unique<Universe>();
    if (!universePtr->loaded()) {
        std::cout << universePtr->getLoadError() << std::endl;
        return 1;
    }
    Universe& universe = *universePtr;

    std::cout << "Loading LUA" << std::endl;
    luaState = std::make_unique<LuaState>();
    loadScript(lua(), SCRIPT_FILE);
    stackDump(lua());
    if (quitSignalled()) return 0;

    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);

    std::cout << "Loading font" << std::endl;
    hudFont = std::make_unique<Font>("subatomic.quillory.ttf");

    std::cout << "Initializing stars" << std::endl;
    initializeShaders(universe);
    if (!initializeStars(universe, lua())) {
        universePtr.reset();
        return 1;
    }
    universe.player = initializePlayer(universe);
    if (!universe.player) {
        std::cout << "Error, the player could not be built" << std::endl;
        return 1;
    }
    std::cout << "Player initialized" << std::endl;
    if (quitSignalled()) return 0;
    return std::nullopt;
}

void Game::startPlaying(int argc, char** argv) {
    Universe& universe = *universePtr;
    fonts = {hudFont.get()};
    fpsTimeSum = 0.0f;
    fpsFrameCount = 0.0f;
    viewHeightValue = 4000.0f;
    depth = 1.0f;
    farFactor = 1.0f;

    initLua(universe, lua());
    testXML();
    // An earlier game's automatic save stays until this game takes off or loads, so the landing
    // every new game starts with cannot overwrite what F6 would continue.
    bool earlierGame = autosaveExists(universe);
    autosave = Autosave(!earlierGame);
    if (earlierGame) universe.hint.show("F6 continues your last game (it saves itself at every landing)");
    if (quitSignalled()) return;

    universe.currentWorld().ships.push_front(Ship({50.0f, 50.0f}, universe.shipTypes[0].name, 1, universe));

    std::fill(frameHistory.begin(), frameHistory.end(), 0);
    historyIndex = 0;

    if (options.sound) {
        sound = std::make_unique<EngineSound>(argc, argv, "sounds/engine.wav");
        effects = std::make_unique<SoundEffects>();
    }

    std::cout << getTime() << std::endl;
    setTime(0);
    std::cout << getTime() << std::endl;
    std::cout << "Done with that, now starting main loop" << std::endl;
}

int Game::run() {
    while (frame(SDL_GetTicks())) {
    }
    return 0;
}

point Game::mouseGamePosition() const {
    point p = universePtr->player->getPosition();
    float halfHeight = viewHeightValue / 2.0f;
    return mouseToGame(cursorPos, p.x - halfHeight * aspect, p.x + halfHeight * aspect, p.y - halfHeight,
                       p.y + halfHeight);
}

void Game::handleKey(int key, bool shiftDown) {
    Universe& universe = *universePtr;
    if (key == SDLK_q) {
        quitRequested = true;
    } else if (key == SDLK_n) {
        depth *= ZOOM_STEP;
    } else if (key == SDLK_m) {
        depth /= ZOOM_STEP;
    } else if (key == SDLK_c) {
        universe.currentWorld().ships.clear();
    } else if (key == SDLK_e) {
        std::cout << "Firing event" << std::endl;
        std::vector<float> event = TEST_EVENT;
        uiEvent(universe, event, fonts, lua());
        std::cout << "Event completed" << std::endl;
    } else if (key >= SDLK_F1 && key <= SDLK_F5) {
        std::string slot = std::to_string(key - SDLK_F1 + 1);
        // The event's own modifiers count too: all pending events are pumped before the keyboard
        // state is read, so a quick Shift+F1 could otherwise look like a plain F1 (a load).
        bool shift = shiftDown || universe.input.keyHeld(SDLK_LSHIFT) || universe.input.keyHeld(SDLK_RSHIFT);
        if (shift) {
            universe.saveGame(slot);
        } else if (universe.loadGame(slot, lua())) {
            afterGameLoaded(universe, lua());
            autosave.gameLoaded();
        }
    } else if (key == SDLK_F6) {
        if (universe.loadGame(AUTOSAVE_SLOT, lua())) {
            afterGameLoaded(universe, lua());
            autosave.gameLoaded();
        }
    } else if (key == SDLK_F9) {
        reloadScriptNow();
    } else if (key == SDLK_F11) {
        if (screenMode) screenMode->toggleFullScreen();
    } else if (key >= SDLK_1 && key <= SDLK_7) {
        universe.player->setWeapon(static_cast<unsigned>(key - SDLK_1));
    }
}

void Game::dispatchEvents() {
    Universe& universe = *universePtr;
    if (options.sdlInput) universe.input.pollSdl();
    for (const InputEvent& event : universe.input.takeEvents()) {
        if (quitRequested) return;
        switch (event.kind) {
        case InputEvent::Quit: quitRequested = true; break;
        case InputEvent::KeyDown: handleKey(event.code, event.shift); break;
        case InputEvent::ButtonDown:
            if (event.code == SDL_BUTTON_LEFT) {
                for (uiDisplay& display : universe.displays) display.mouseClick(cursorPos, universe, lua());
            } else if (event.code == SDL_BUTTON_WHEELUP || event.code == SDL_BUTTON_WHEELDOWN) {
                viewHeightValue = zoomStops().afterNotch(viewHeightValue, event.code == SDL_BUTTON_WHEELUP, ZOOM_STEP,
                                                         planeScale());
            }
            break;
        case InputEvent::ButtonUp:
            if (event.code == SDL_BUTTON_LEFT || event.code == SDL_BUTTON_RIGHT) universe.player->buttonUp();
            break;
        }
    }
}

CameraView Game::cameraView() const {
    return CameraView::forGame(universePtr->player->getPosition(), viewHeightValue, depth, farFactor, aspect, w, h);
}

float Game::pixelSize() const {
    const CameraView view = cameraView();
    float halfWidth = 0.0f, halfHeight = 0.0f;
    if (!view.halfExtentsAt(0.0f, halfWidth, halfHeight) || view.viewportHeight <= 0) return viewHeightValue;
    return 2.0f * halfHeight / static_cast<float>(view.viewportHeight);
}

float Game::planeScale() const {
    const CameraView view = cameraView();
    float halfWidth = 0.0f, halfHeight = 0.0f;
    if (!view.halfExtentsAt(0.0f, halfWidth, halfHeight) || view.nearHalfHeight <= 0.0f) return 1.0f;
    return halfHeight / view.nearHalfHeight;
}

ZoomStops Game::zoomStops() const {
    return ZoomStops::forWorld(XBOUND, YBOUND, aspect, universePtr->player->getRadius());
}

void Game::setCamera() { cameraView().apply(); }

void Game::drawBackgroundLayers() {
    if (backgroundPass && backgroundPass->usable())
        backgroundPass->draw(cameraView());
    else
        drawBackground();
}

void Game::drawOverlay(int dt) {
    Universe& universe = *universePtr;
    WorldState& world = universe.currentWorld();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    setPixelProjection();

    glBindTexture(GL_TEXTURE_2D, 0);
    glColor3f(0.2f, 0.2f, 0.2f);
    glBegin(GL_LINES);
    for (int k = 0; k < 10; ++k) {
        glVertex2f(0.0f, 3.0f * k + 5.0f);
        glVertex2f(static_cast<float>(w), 3.0f * k + 5.0f);
    }
    glEnd();

    glColor3f(0.3f, 0.3f, 1.0f);
    drawFrameGraph(frameHistory, historyIndex, w, graphVertices);

    debugTexts[1] = "Ships: " + toString(static_cast<float>(world.ships.size()));
    debugTexts[2] = "Projectiles: " + toString(static_cast<float>(world.projectiles.size()));
    debugTexts[3] = "Timers: " + toString(static_cast<float>(world.timers.size()));
    debugTexts[4] = "Player HP: " + toString(universe.player->getHealth());
    for (size_t i = 0; i < debugTexts.size(); ++i)
        hudFont->displayText(debugTexts[i], 0.0f, 30.0f * i, 20.0f, false);
    hudFont->displayText(toString(static_cast<float>(*universe.player->getPlanetIdPointer())), 0.0f, 150.0f, 20.0f,
                         false);

    flatProjection(0, 100, 0, 100, false);
    mouseover(universe, mouseGamePosition(), hudFont.get(), dt);
    // The glyphs leave the texture unit replacing colours; the charge bar and the windows are tinted.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    universe.player->drawUI();
}

void Game::reloadScriptNow() {
    Universe& universe = *universePtr;
    // Windows belong to the script that built them; like a load, closing them gives the controls
    // back, and whichever script runs afterwards hears of it through gameLoaded.
    universe.displays.clear();
    universe.player->setInput(true);
    std::string message;
    reloadOk = reloadScript(lua(), SCRIPT_FILE, message);
    callGameLoaded(lua());
    std::cout << message << std::endl;
    // The line replaces the error line: a failed reload's error is part of it.
    scriptErrorText = message;
    scriptErrorSince = lastTick;
    scriptErrorsSeen = scriptErrorCount(lua());
    reloadNoticeShown = true;
}

void Game::drawScriptErrorLine(uint32_t now) {
    const unsigned count = scriptErrorCount(lua());
    if (count != scriptErrorsSeen) {
        scriptErrorsSeen = count;
        scriptErrorSince = now;
        scriptErrorText = latestScriptError(lua());
        reloadNoticeShown = false;
    }
    if (scriptErrorText.empty() || now - scriptErrorSince >= SCRIPT_ERROR_SHOW_MS) return;
    setPixelProjection();
    drawScriptError(scriptErrorText, hudFont.get(), reloadNoticeShown && reloadOk ? RELOADED_COLOUR : nullptr);
}

PlayerLook Game::lookAtPlayer() const {
    const Player& player = *universePtr->player;
    return {player.isLanded(), player.getWorld(), player.getHealth(), player.getPosition()};
}

void Game::playSounds(const PlayerLook& before, uint32_t now) {
    Universe& universe = *universePtr;
    const PlayerLook after = lookAtPlayer();
    for (SoundKind kind : playerSounds(before, after))
        universe.currentWorld().soundCues.push_back({kind, after.position});
    for (WorldState& world : universe.worlds) {
        if (effects && &world == &universe.currentWorld())
            for (const SoundCue& cue : world.soundCues) effects->play(cue, after.position, now);
        world.soundCues.clear();
    }
}

void Game::drawHintLine() {
    if (universePtr->hint.text().empty()) return;
    setPixelProjection();
    drawHint(universePtr->hint.text(), hudFont.get());
}

void Game::drawCourseLine(const CourseLeg& leg) {
    if (!leg.valid) return;
    setPixelProjection();
    drawCourseMarker(leg, hudFont.get());
}

void Game::drawMapOverlay(const CourseLeg& leg) {
    setPixelProjection();
    const point cursorPixel{cursorPos.x * static_cast<float>(w) / 100.0f, cursorPos.y * static_cast<float>(h) / 100.0f};
    drawMapMarks(*universePtr, leg, cursorPixel, hudFont.get());
}

void Game::setPixelProjection() {
    flatProjection(0, w, 0, h);
}

void Game::drawDisplays() {
    Universe& universe = *universePtr;
    // Windows are laid out in the 0-100 screen space, whatever the marks before them left.
    flatProjection(0, 100, 0, 100);
    // Windows start each frame untinted; the radar after them shows its panel as it is.
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    for (size_t i = 0; i < universe.displays.size();) {
        universe.displays[i].draw();
        if (universe.displays[i].update(universe, fonts, lua()))
            ++i;
        else
            universe.displays.erase(universe.displays.begin() + static_cast<long>(i));
    }
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
}

int Game::advanceClock(uint32_t now) {
    const int dt = static_cast<int>(now - lastTick);
    lastTick = now;
    fpsTimeSum += dt;
    fpsFrameCount += 1.0f;
    frameHistory[historyIndex] = dt;
    historyIndex = (historyIndex + 1) % HISTORY_SIZE;
    if (fpsTimeSum > 1000.0f) {
        debugTexts[0] = "FPS: " + toString(fpsFrameCount / (fpsTimeSum / 1000.0f));
        fpsTimeSum = 0.0f;
        fpsFrameCount = 0.0f;
    }
    return dt;
}

void Game::moveCursorAndWindows(int dt) {
    Universe& universe = *universePtr;
    for (uiDisplay& display : universe.displays) display.mouseHover(cursorPos);
    if (universe.input.buttonHeld(SDL_BUTTON_LEFT))
        for (uiDisplay& display : universe.displays) display.mouseDrag(cursorPos, dt, universe, lua());

    std::pair<int, int> motion = universe.input.takeMotion();
    cursorPos.x = clampPercent(cursorPos.x + motion.first * mouseSensitivity);
    cursorPos.y = clampPercent(cursorPos.y - motion.second * mouseSensitivity);
}

void Game::simulateAndDrawWorld(uint32_t now, int dt) {
    Universe& universe = *universePtr;
    universe.player->update(dt, mouseGamePosition(), universe.input.buttonMask(), universe.currentWorld());

    setCamera();
    drawBackgroundLayers();

    if (universe.input.keyHeld(SDLK_SPACE))
        universe.player->shoot(now, universe.currentWorld(), mouseGamePosition(), dt);

    glColor4fv(ADDITIVE_COLOUR);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    if (effectLayer) effectLayer->setPixelSize(pixelSize());
    processWormholes(universe, static_cast<int>(now), effectLayer.get());
    universe.updateGravityWalls(dt);
    processProjectiles(universe.currentWorld(), universe, dt, static_cast<int>(now));
    universe.player->drawTrail(static_cast<int>(now), universe, effectLayer.get());
    if (twinSquares) twinSquares->useProgramOf(universe.shaderList);
    runTimer(static_cast<int>(now), universe.currentWorld(), twinSquares.get());

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    universe.player->draw();
    processStars(universe.currentWorld(), universe.player.get(), dt);
    processShips(universe, universe.player.get(), dt, static_cast<int>(now), pixelSize());
}

void Game::answerWhatHappened(const PlayerLook& before, uint32_t now, int dt) {
    Universe& universe = *universePtr;
    playSounds(before, now);
    reportShipLosses(universe.currentWorld(), lua());
    // A tow the script arranges for a disabled ship lands it, which the automatic save then keeps.
    disabledWatch.afterFrame(universe, lua());
    autosave.afterFrame(universe, lua(), dt);
}

void Game::drawScreenFurniture(uint32_t now, int dt) {
    Universe& universe = *universePtr;
    glColor4fv(OVERLAY_COLOUR);
    drawMouse(mouseGamePosition());
    drawBoundary();

    drawOverlay(dt);
    // Before the windows, which cover it while they are open.
    const CourseLeg leg = courseLeg(universe, universe.course.target());
    universe.course.announce(leg);
    drawCourseLine(leg);
    drawDisplays();
    drawScriptErrorLine(now);
    drawHintLine();

    flatProjection(0, w, -h, 0, false);
    topLeftUI(universe.currentWorld(), universe.player.get());
    flatProjection(-w, 0, -h, 0, false);
    topRightUI(universe.currentWorld(), universe.player.get());
    drawMapOverlay(leg);
}

void Game::presentFrame() {
    SDL_GL_SwapBuffers();
    // The one-pass background writes every pixel first thing next frame, so clearing would be
    // wasted; the layer-by-layer background blends onto what it finds and needs the clear.
    // Bars beside a scaled picture are outside everything drawn, so they are cleared too.
    if (!backgroundPass || !backgroundPass->usable() || screenMode->hasBars()) glClear(GL_COLOR_BUFFER_BIT);
}

// One frame, in the fixed order that decides what the picture looks like (most objects draw
// while they update, so a later step draws over an earlier one):
//  1. the clock: dt, the frame-time history and the FPS text;
//  2. the world refilled with AI ships, then the events (keys, clicks, wheel, quit);
//  3. the windows hear hover and drag, and the cursor moves;
//  4. the player's ship, the camera on it, the background, fire while space is held; the
//     additive pass (wormholes, gravity walls, projectiles, the player's trail, timed events);
//     the blended pass (the player, stars with their planets, AI ships);
//  5. what the frame did, answered: sounds, the script told of lost ships and a disabled
//     ship, the automatic save;
//  6. the screen's furniture: cursor, border, frame graph and debug text, mouse-over label,
//     charge bar, course dart, the windows (each drawn, then updated through the script), the
//     script error line, the hint, the radar, the map and its marks;
//  7. the swap.
bool Game::frame(uint32_t now) {
    if (quitRequested || quitSignalled()) return false;
    glLoadIdentity();
    const int dt = advanceClock(now);

    respawnShips(*universePtr);
    dispatchEvents();
    if (quitRequested) return false;
    // Taken after the events: a load is not a landing or a jump.
    const PlayerLook before = lookAtPlayer();

    moveCursorAndWindows(dt);
    simulateAndDrawWorld(now, dt);
    answerWhatHappened(before, now, dt);
    drawScreenFurniture(now, dt);
    presentFrame();
    return true;
}
