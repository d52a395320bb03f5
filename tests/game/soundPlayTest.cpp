// Every event of play is heard: the real game with sound on the silent device
// (ALSOFT_DRIVERS=null), driven through its input layer; the sources the sound module started
// are counted per kind. One child process, as the game enters its own data directory.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <cstdio>
#include <iostream>
#include <memory>

#include "contentCopy.h"
#include "displayWait.h"
#include "gameMain.h"
#include "startedGame.h"
#include "input.h"
#include "luaTables.h"
#include "player.h"
#include "soundEffects.h"
#include "testSupport.h"
#include "worldState.h"

namespace fs = boost::filesystem;

namespace {

class SoundGame {
public:
    SoundGame() : directory(fs::temp_directory_path() / fs::unique_path("quorble-sound-%%%%-%%%%")) {
        if (!copyContent(shippedDataDirectory(), directory)) return;
        waitForDisplay();
        GameOptions options;
        options.dataDirectory = directory.string();
        options.sdlInput = false;
        options.sound = true;
        game = std::make_unique<Game>(options);
        // ALUT wants an argument vector whenever it is given a count.
        static char name[] = "quorble";
        static char* argv[] = {name, nullptr};
        startOutput = captureOutput([&] { started = game->startUp(1, argv) == 0; });
        now = SDL_GetTicks();
    }
    ~SoundGame() {
        game.reset();
        boost::system::error_code ignored;
        fs::remove_all(directory, ignored);
    }
    void frame(int count = 1) {
        for (int i = 0; i < count; ++i) {
            now += 16;
            captureOutput([&] { game->frame(now); });
        }
    }
    unsigned heard(SoundKind kind) const { return game->soundEffects()->started(kind); }
    Universe& universe() { return game->universe(); }
    Player& player() { return *universe().player; }
    InputState& input() { return universe().input; }
    void takeOff(int attempt) {
        frame(30);
        input().setKey(SDLK_s, true);
        frame(25);
        input().setKey(SDLK_s, false);
        input().setKey(SDLK_w, true);
        frame(12 + 20 * attempt);
        input().setKey(SDLK_w, false);
        frame();
    }
    void script(const char* code) { luaL_dostring(game->lua(), code); }

    fs::path directory;
    std::unique_ptr<Game> game;
    std::string startOutput;
    bool started = false;
    uint32_t now = 0;
};

}  // namespace

TEST(GameSound, EveryEventOfPlayStartsItsSound) {
    inChild([] {
        SoundGame game;
        ASSERT_TRUE(game.started) << game.startOutput;
        ASSERT_TRUE(game.game->soundEffects() && game.game->soundEffects()->usable()) << game.startOutput;
        game.frame();

        // Weapons, by kind: slot 1 the pulse gun, slot 2 the beam, a missile fitted in slot 4.
        const struct {
            int key;
            SoundKind kind;
        } guns[] = {{SDLK_1, SoundKind::LightShot}, {SDLK_2, SoundKind::Beam}, {SDLK_4, SoundKind::HeavyShot}};
        game.script("installEquipment('Seeker Missile')");
        for (const auto& gun : guns) {
            game.input().pushEvent({InputEvent::KeyDown, gun.key});
            game.frame();
            const unsigned before = game.heard(gun.kind);
            game.input().setKey(SDLK_SPACE, true);
            // Long enough for a second shot: the ships' own fire may have just taken the sound.
            game.frame(20);
            game.input().setKey(SDLK_SPACE, false);
            EXPECT_GT(game.heard(gun.kind), before) << static_cast<int>(gun.kind);
        }

        // A hit on the player; a shot into another ship; a ship blown up.
        WorldState& world = game.universe().currentWorld();
        ASSERT_FALSE(world.ships.empty());
        world.ships.back().setPosition(game.player().getPosition());  // rammed
        game.frame();
        EXPECT_GE(game.heard(SoundKind::PlayerHit), 1u);
        // Ships of hostile factions fight each other within moments; the home system lies far
        // from where they gather, so they are brought within earshot first.
        const point here = game.player().getPosition();
        int placed = 0;
        for (Ship& ship : world.ships) {
            ship.setPosition({here.x + 1500.0f + 60.0f * static_cast<float>(placed % 5),
                              here.y + 60.0f * static_cast<float>(placed / 5)});
            ++placed;
        }
        for (int i = 0; i < 600 && game.heard(SoundKind::ShipHit) == 0; ++i) game.frame();
        EXPECT_GE(game.heard(SoundKind::ShipHit), 1u);
        ASSERT_FALSE(world.ships.empty());
        world.ships.front().setPosition({here.x + 800.0f, here.y});
        world.ships.front().takeDamage(1.0e9f);
        game.frame();
        EXPECT_GE(game.heard(SoundKind::Explosion), 1u);

        // Haven catches the ship a few seconds after the start.
        for (int i = 0; i < 2000 && !game.player().isLanded(); ++i) game.frame();
        ASSERT_TRUE(game.player().isLanded());
        game.frame();
        EXPECT_EQ(1u, game.heard(SoundKind::Landing) + game.heard(SoundKind::CrashLanding));

        // The planet window: a click on its Amount button is heard; the script's chime too.
        game.input().pushEvent({InputEvent::KeyDown, SDLK_e});
        game.frame();
        ASSERT_EQ(1u, game.universe().displays.size());
        game.input().addMotion(227, -130);  // to (84, 69.5) percent, the Amount button
        game.frame();
        game.input().pushEvent({InputEvent::ButtonDown, SDL_BUTTON_LEFT});
        game.frame(2);
        EXPECT_GE(game.heard(SoundKind::Click), 1u);
        game.script("playSound('sale')");
        game.frame();
        EXPECT_EQ(1u, game.heard(SoundKind::Sale));
        game.universe().displays.clear();
        game.player().setInput(true);

        // Take-off: charge with s, launch with w, longer each try (as a player does near a star).
        for (int attempt = 0; attempt < 8 && game.player().isLanded(); ++attempt) game.takeOff(attempt);
        ASSERT_FALSE(game.player().isLanded());
        EXPECT_GE(game.heard(SoundKind::TakeOff), 1u);

        // Too fast onto a planet: a crash.
        const unsigned crashes = game.heard(SoundKind::CrashLanding);
        const Planet& planet = game.universe().currentWorld().stars[0].getPlanets().back();
        game.player().setPosition({planet.getLoc().x + planet.getRadius() + 5.0f, planet.getLoc().y});
        game.player().setVelocity({-5.0f, 0.0f});
        game.frame();
        EXPECT_EQ(crashes + 1, game.heard(SoundKind::CrashLanding));

        // Into a wormhole: the jump.
        for (int attempt = 0; attempt < 8 && game.player().isLanded(); ++attempt) game.takeOff(attempt);
        const std::vector<Wormhole>& holes = game.universe().currentWorld().wormholes;
        ASSERT_FALSE(holes.empty());
        game.player().setPosition(holes[0].getLoc());
        game.player().setVelocity({0.0f, 0.0f});
        game.frame(3);
        EXPECT_GE(game.heard(SoundKind::Jump), 1u);
    });
}
