// The game shell: start-up in its fixed order, the frame loop with its bindings, camera,
// cursor, respawning and debug overlay, and the per-world drivers.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "autosave.h"
#include "basics.h"
#include "soundCue.h"
#include "zoomStops.h"
#include "disabledShip.h"

class BackgroundPass;
struct CourseLeg;
struct CameraView;
class EffectLayer;
class EngineSound;
class Font;
class LuaState;
class Player;
class ScreenMode;
class SoundEffects;
class TwinSquares;
class Universe;
class WorldState;
struct lua_State;

point mouseToGame(point p, float left, float right, float bottom, float top);
void processProjectiles(WorldState& world, Universe& universe, int dt, int now);
void processStars(WorldState& world, Player* player, int dt);
// Updates the AI ships and draws their trails and sprites; `pixelSize` is the world units one
// pixel spans at the ships' plane.
void processShips(Universe& universe, Player* player, int dt, int now, float pixelSize = 1.0f);
void processWormholes(Universe& universe, int now, EffectLayer* layer = nullptr);
// Tells the script ("shipDestroyed") of every ship of the world destroyed since the last call,
// in the order they went, and forgets them.
void reportShipLosses(WorldState& world, lua_State* L);
// After a saved game was loaded: the controls are the player's again (the load closed every
// window) and the script's optional "gameLoaded" hears of it.
void afterGameLoaded(Universe& universe, lua_State* L);
// The frame-time graph: a line strip through the deltas of `history` from the oldest (at
// `index`) to the newest, across `width` pixels at 3 pixels a millisecond above y = 5, with
// texturing off (texture 0) in the current colour. `vertices` is scratch space kept by the caller.
void drawFrameGraph(const std::vector<int>& history, unsigned index, int width, std::vector<float>& vertices);
// The frame loop's refill: while the world holds 9 ships or fewer, one ship of every type but
// the first, around the origin and at least 100 units from the player.
void respawnShips(Universe& universe);

struct GameOptions {
    std::string dataDirectory;   // content directory ("" = working directory)
    bool sdlInput = true;        // poll SDL for input (false: input is scripted by the caller)
    bool sound = true;
};

class Game {
public:
    explicit Game(GameOptions options = {});
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Start-up in the fixed order; 0 on success, 1 when the game cannot start. Also 0 when a quit
    // signal arrived during start-up: the first frame then ends the game.
    int startUp(int argc, char** argv);
    // One frame at tick `now`; false once the player has asked to quit.
    bool frame(uint32_t now);
    // Frames until quit; the exit status.
    int run();

    Universe& universe() { return *universePtr; }
    lua_State* lua() const;
    point cursor() const { return cursorPos; }
    float viewHeight() const { return viewHeightValue; }
    float depthFactor() const { return depth; }
    point mouseGamePosition() const;
    const std::string& fpsText() const { return debugTexts[0]; }
    // The window and where the picture sits in it; null before start-up opened the window.
    const ScreenMode* screen() const { return screenMode.get(); }
    // The sound effects; null without sound.
    const SoundEffects* soundEffects() const { return effects.get(); }
    // The line at the top of the screen (the latest script error or the answer to F9).
    const std::string& scriptLine() const { return scriptErrorText; }

private:
    // The stages of start-up, in their order (see startUp): nothing to go on, or the exit status.
    using StartStage = std::optional<int> (Game::*)();
    std::optional<int> enterDataDirectory();
    std::optional<int> openWindow();
    std::optional<int> prepareDrawing();
    std::optional<int> loadContent();
    void startPlaying(int argc, char** argv);
    void dispatchEvents();
    void handleKey(int key, bool shiftDown);
    CameraView cameraView() const;
    // World units per pixel on the world plane.
    float pixelSize() const;
    // World-plane height seen per unit of view height (the eye sits a little above the near plane).
    float planeScale() const;
    ZoomStops zoomStops() const;
    void setCamera();
    void drawBackgroundLayers();
    void drawOverlay(int dt);
    void drawDisplays();
    // The latest script error, for a few seconds from the frame that first saw it.
    void drawScriptErrorLine(uint32_t now);
    // The script's hint, while it has one.
    void drawHintLine();
    // The steps of a frame, in their order (see frame).
    int advanceClock(uint32_t now);
    void moveCursorAndWindows(int dt);
    void simulateAndDrawWorld(uint32_t now, int dt);
    void answerWhatHappened(const PlayerLook& before, uint32_t now, int dt);
    void drawScreenFurniture(uint32_t now, int dt);
    void presentFrame();
    // F9: the script read again into the running game (windows closed first).
    void reloadScriptNow();
    PlayerLook lookAtPlayer() const;
    // Plays what the frame asked for and what the player's ship did since `before`; empties the
    // worlds' cues.
    void playSounds(const PlayerLook& before, uint32_t now);
    // The course arrow around the ship, and the map's wormholes, course ring and hover name.
    void drawCourseLine(const CourseLeg& leg);
    void drawMapOverlay(const CourseLeg& leg);
    // Pixels with the origin at the bottom left, for the overlay's own marks.
    void setPixelProjection();

    GameOptions options;
    std::unique_ptr<Universe> universePtr;
    std::unique_ptr<LuaState> luaState;
    std::unique_ptr<Font> hudFont;
    std::unique_ptr<EngineSound> sound;
    std::unique_ptr<BackgroundPass> backgroundPass;
    std::unique_ptr<ScreenMode> screenMode;
    std::unique_ptr<SoundEffects> effects;
    std::unique_ptr<EffectLayer> effectLayer;  // the smoke's reduced-resolution target
    std::unique_ptr<TwinSquares> twinSquares;  // the explosions' one-square drawing
    std::vector<Font*> fonts;
    uint32_t lastTick = 0;
    float fpsTimeSum = 0.0f;
    float fpsFrameCount = 0.0f;
    std::vector<int> frameHistory = std::vector<int>(5000, 0);
    unsigned historyIndex = 0;
    std::vector<float> graphVertices;  // the graph's line strip, rebuilt every frame
    point cursorPos{50.0f, 50.0f};
    float mouseSensitivity = 0.15f;
    float viewHeightValue = 4000.0f;
    float aspect = 1.25f;
    float depth = 1.0f;
    float farFactor = 1.0f;
    std::array<std::string, 5> debugTexts;
    bool quitRequested = false;
    bool sdlStarted = false;
    unsigned scriptErrorsSeen = 0;
    uint32_t scriptErrorSince = 0;
    std::string scriptErrorText;
    bool reloadNoticeShown = false;  // the line on screen answers F9
    bool reloadOk = false;
    Autosave autosave;
    DisabledWatch disabledWatch;
};
