// Draws the screen furniture around the simulation: background, border, cursor, radar, map and
// the mouse-over label.
#include "hud.h"

#include <iostream>

#include "background.h"
#include "font.h"
#include "basics.h"
#include "glHeaders.h"
#include "planet.h"
#include "player.h"
#include "ship.h"
#include "spriteBatch.h"
#include "star.h"
#include "textures.h"
#include "worldState.h"

namespace {

// Texture slots of the fixed HUD users.
constexpr int SLOT_CURSOR = 1;
constexpr int SLOT_RADAR = 11;
constexpr int SLOT_ENEMY_BLIP = 12;
constexpr int SLOT_PLAYER_BLIP = 13;
constexpr int SLOT_MAP = 19;
constexpr int SLOT_WHITE_DOT = 20;

constexpr float PANEL_SIZE = 200.0f;
constexpr float PANEL_CENTRE = 100.0f;
constexpr float RADAR_SCALE = 0.00825f;
constexpr float MAP_SCALE = 0.00084f;
constexpr float RADAR_BLIP = 500.0f;
constexpr float MAP_PLAYER_BLIP = 10000.0f;
constexpr float MAP_STAR_BLIP = 10000.0f;
constexpr float MAP_PLANET_BLIP = 8000.0f;

constexpr float CURSOR_HALF = 30.0f;

constexpr float LABEL_X = 50.0f;
constexpr float LABEL_TOP_Y = 95.0f;
constexpr float LABEL_SECOND_Y = 92.0f;
constexpr float BAR_LEFT = 40.0f;
constexpr float BAR_WIDTH = 20.0f;
constexpr float BAR_BOTTOM = 89.0f;
constexpr float BAR_TOP = 90.0f;

// The script error strip, in pixels: clear of the radar and map panels by ERROR_MARGIN, its
// bottom above the windows' tops (95 % of the height) and the mouse-over label centred there.
constexpr float ERROR_MARGIN = 12.0f;
constexpr float ERROR_TOP_GAP = 4.0f;
constexpr float ERROR_HEIGHT = 30.0f;
constexpr float ERROR_PADDING = 8.0f;
constexpr float ERROR_TEXT_SIZE = 9.0f;
constexpr float ERROR_STRIP_COLOUR[4] = {0.0f, 0.0f, 0.0f, 0.65f};
constexpr float ERROR_TEXT_COLOUR[4] = {1.0f, 0.55f, 0.45f, 1.0f};

// The hint strip, in the band between the radar and the map below their lower edges (80.5 % of
// the height) and above the windows' tops (80.3 %), under the mouse-over label (92 %).
constexpr float HINT_BOTTOM = 0.835f;
constexpr float HINT_HEIGHT = 34.0f;
constexpr float HINT_TEXT_SIZE = 10.0f;
constexpr float HINT_STRIP_COLOUR[4] = {0.02f, 0.05f, 0.12f, 0.8f};
constexpr float HINT_TEXT_COLOUR[4] = {1.0f, 0.92f, 0.55f, 1.0f};

// One textured square of half size `s` around the current origin, texture upright.
void texturedSquare(float s) {
    drawTexturedSquare(s);
}

// One corner-by-corner square of the world border at depth z; `lead` repeats the first corner.
void borderSquare(float z, bool lead) {
    if (lead) glVertex3f(-XBOUND, -YBOUND, z);
    glVertex3f(-XBOUND, -YBOUND, z);
    glVertex3f(-XBOUND, YBOUND, z);
    glVertex3f(XBOUND, YBOUND, z);
    glVertex3f(XBOUND, -YBOUND, z);
    glVertex3f(-XBOUND, -YBOUND, z);
}

// A horizontal bar from x0 to x1 sampling the middle row of the bound texture.
void barQuad(float x0, float x1) {
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.5f);
    glVertex2f(x0, BAR_BOTTOM);
    glTexCoord2f(1.0f, 0.5f);
    glVertex2f(x0, BAR_TOP);
    glTexCoord2f(1.0f, 0.5f);
    glVertex2f(x1, BAR_TOP);
    glTexCoord2f(0.0f, 0.5f);
    glVertex2f(x1, BAR_BOTTOM);
    glEnd();
}

// Replaces the projection with a panel-centred one scaled to game units around `centre`.
void pushPanelProjection(float left, float right, float bottom, float top, float scale, point centre) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(left, right, bottom, top);
    glScalef(scale, scale, 0.0f);
    glTranslatef(-centre.x, -centre.y, 0.0f);
    glMatrixMode(GL_MODELVIEW);
}

void popProjection() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void drawShipLabel(Universe& universe, const Ship& ship, Font* font) {
    if (font) {
        font->displayText(ship.getShipType(), LABEL_X, LABEL_TOP_Y, 1.0f, true);
        font->displayText(factionLabel(universe, static_cast<int>(ship.getFaction())), LABEL_X, LABEL_SECOND_Y,
                          1.0f, true);
    }
    float ratio = 0.0f;
    if (!healthRatio(universe, ship, ratio)) return;
    glBindTexture(GL_TEXTURE_2D, universe.loadDynamicTexture("whiteLaser.png", 1));
    reportError();
    barQuad(BAR_LEFT, BAR_LEFT + BAR_WIDTH);
    glBindTexture(GL_TEXTURE_2D, universe.loadDynamicTexture("laser.png", 1));
    barQuad(BAR_LEFT, BAR_LEFT + BAR_WIDTH * ratio);
    glBindTexture(GL_TEXTURE_2D, 0);
    std::cout << toString(ratio) << std::endl;
}

}  // namespace

void drawBackground() {
    // The dust is mostly fully transparent: dropping those fragments leaves the picture as it is
    // (they would blend to the colour already there) and saves the software rasteriser the work.
    glAlphaFunc(GL_GREATER, 0.0f);
    glEnable(GL_ALPHA_TEST);
    glBindTexture(GL_TEXTURE_2D, textureSlot(SLOT_DUST));
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-XBOUND, -YBOUND, 0.0f);
    glTexCoord2f(0.0f, DUST_REPEATS);
    glVertex3f(-XBOUND, YBOUND, 0.0f);
    glTexCoord2f(DUST_REPEATS, DUST_REPEATS);
    glVertex3f(XBOUND, YBOUND, 0.0f);
    glTexCoord2f(DUST_REPEATS, 0.0f);
    glVertex3f(XBOUND, -YBOUND, 0.0f);
    glEnd();
    glDisable(GL_ALPHA_TEST);

    glPushMatrix();
    glTranslatef(0.0f, 0.0f, NEBULA_DEPTH);
    glBindTexture(GL_TEXTURE_2D, textureSlot(SLOT_NEBULA));
    // The world is square, so the far layer is the ordinary sprite quad at 1.5 world half-widths.
    static_assert(XBOUND == YBOUND, "the far layer assumes a square world");
    drawTexturedSquare(NEBULA_EXTENT * XBOUND);
    glPopMatrix();
}

void drawBoundary() {
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    glBegin(GL_LINE_STRIP);
    glColor3f(1.0f, 1.0f, 1.0f);
    borderSquare(0.0f, false);
    glColor3f(1.0f, 0.0f, 0.0f);
    borderSquare(-10000.0f, true);
    glColor3f(0.0f, 0.0f, 1.0f);
    borderSquare(-100000.0f, true);
    glEnd();
    glColor4fv(colour);
}

void drawMouse(point p) {
    glPushMatrix();
    reportError();
    glTranslatef(p.x, p.y, 0.0f);
    glBindTexture(GL_TEXTURE_2D, textureSlot(SLOT_CURSOR));
    reportError();
    texturedSquare(CURSOR_HALF);
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopMatrix();
}

void drawRadarBlip(point centre, int textureSlotNumber, float halfSize) {
    glPushMatrix();
    reportError();
    glTranslatef(centre.x, centre.y, 0.0f);
    glBindTexture(GL_TEXTURE_2D, textureSlot(textureSlotNumber));
    reportError();
    texturedSquare(halfSize);
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopMatrix();
}

RadarView radarView(const WorldState& world, point centre) {
    RadarView view;
    for (const Ship& ship : world.ships)
        if (onRadar(pointDistance(ship.getPosition(), centre))) view.ships.push_back(&ship);
    for (const Star& star : world.stars) {
        if (onRadar(pointDistance(star.getLoc(), centre))) view.bodies.push_back({&star, nullptr});
        // A planet shows by its own distance, even when its star is out of range.
        for (const Planet& planet : star.getPlanets())
            if (onRadar(pointDistance(planet.getLoc(), centre))) view.bodies.push_back({nullptr, &planet});
    }
    return view;
}

void topLeftUI(WorldState& world, Player* player) {
    glBindTexture(GL_TEXTURE_2D, textureSlot(SLOT_RADAR));
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, -PANEL_SIZE);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(PANEL_SIZE, -PANEL_SIZE);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(PANEL_SIZE, 0.0f);
    glEnd();
    if (!player) return;

    const point centre = player->getPosition();
    pushPanelProjection(-PANEL_CENTRE, w - PANEL_CENTRE, PANEL_CENTRE - h, PANEL_CENTRE, RADAR_SCALE, centre);
    drawRadarBlip(centre, SLOT_PLAYER_BLIP, RADAR_BLIP);
    const RadarView view = radarView(world, centre);
    // Every ship's blip is the same square: one array, in the ships' order, not one draw each.
    SpriteBatch blips;
    for (const Ship* ship : view.ships) blips.add(textureSlot(SLOT_ENEMY_BLIP), ship->getPosition(), 0.0f, RADAR_BLIP);
    blips.draw();
    for (const RadarBody& body : view.bodies) {
        if (body.star)
            body.star->draw();
        else
            body.planet->draw();
    }
    popProjection();
    reportError();
}

void topRightUI(WorldState& world, Player* player) {
    glBindTexture(GL_TEXTURE_2D, textureSlot(SLOT_MAP));
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-PANEL_SIZE, -PANEL_SIZE);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-PANEL_SIZE, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(0.0f, -PANEL_SIZE);
    glEnd();
    if (!player) return;

    const point centre = player->getPosition();
    pushPanelProjection(-w - PANEL_CENTRE, PANEL_CENTRE, -h - PANEL_CENTRE, PANEL_CENTRE, MAP_SCALE, centre);
    // Blips take the current colour.
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    for (const Star& star : world.stars) {
        if (onMap(pointDistance(star.getLoc(), centre))) {
            glColor3f(1.0f, 0.2f, 0.2f);
            drawRadarBlip(star.getLoc(), SLOT_WHITE_DOT, MAP_STAR_BLIP);
        }
        for (const Planet& planet : star.getPlanets()) {
            if (!onMap(pointDistance(planet.getLoc(), centre))) continue;
            glColor3f(0.0f, 1.0f, 0.2f);
            drawRadarBlip(planet.getLoc(), SLOT_WHITE_DOT, MAP_PLANET_BLIP);
        }
    }
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    drawRadarBlip(centre, SLOT_PLAYER_BLIP, MAP_PLAYER_BLIP);
    popProjection();
    reportError();
}

std::string ownerLabel(const Universe& universe, int factionOwner) {
    if (factionOwner < 0 || static_cast<size_t>(factionOwner) >= universe.factionNames.size()) return "Unclaimed";
    return universe.factionNames[factionOwner];
}

std::string factionLabel(const Universe& universe, int faction) {
    if (faction < 0 || static_cast<size_t>(faction) >= universe.factionNames.size()) return "";
    return universe.factionNames[faction];
}

bool healthRatio(const Universe& universe, const Ship& ship, float& ratio) {
    const int code = ship.getShipCode();
    if (code < 0 || static_cast<size_t>(code) >= universe.shipTypes.size()) return false;
    const float full = universe.shipTypes[code].hitpoints;
    if (!(full > 0.0f)) return false;
    ratio = ship.getHitpoints() / full;
    return true;
}

MouseoverTarget mouseoverTarget(Universe& universe, point m) {
    MouseoverTarget target;
    if (!universe.player) return target;
    const int worldNumber = universe.player->getWorld();
    if (worldNumber < 0 || static_cast<size_t>(worldNumber) >= universe.worlds.size()) return target;
    const WorldState& world = universe.worlds[worldNumber];
    for (const Star& star : world.stars) {
        if (sqPointDistance(m, star.getLoc()) <= square(star.getRadius())) {
            target.star = &star;
            return target;
        }
        for (const Planet& planet : star.getPlanets()) {
            if (sqPointDistance(m, planet.getLoc()) <= square(planet.getRadius())) {
                target.planet = &planet;
                return target;
            }
        }
    }
    for (const Ship& ship : world.ships) {
        if (sqPointDistance(m, ship.getPosition()) <= square(ship.getSize())) {
            target.ship = &ship;
            return target;
        }
    }
    return target;
}

namespace {

// Where and how a strip of one line is drawn, in pixels of the pixel projection.
struct TextStrip {
    float left, bottom, right, top;
    float textSize;
    const float* stripColour;
    const float* textColour;
};

// One line on a dark strip, cut short with "..." when it does not fit.
void drawTextStrip(const std::string& line, Font* font, const TextStrip& strip) {
    if (!font || !font->isReady() || line.empty()) return;
    // The longest start of the line that fits with "..." after it.
    std::string shown = line;
    const float room = strip.right - strip.left - 2.0f * ERROR_PADDING;
    if (Font::textWidth(shown, strip.textSize) > room) {
        size_t fits = 0, tooLong = line.size();
        while (tooLong - fits > 1) {
            const size_t middle = (fits + tooLong) / 2;
            if (Font::textWidth(line.substr(0, middle) + "...", strip.textSize) <= room)
                fits = middle;
            else
                tooLong = middle;
        }
        shown = line.substr(0, fits) + "...";
    }

    glBindTexture(GL_TEXTURE_2D, 0);
    glColor4fv(strip.stripColour);
    glBegin(GL_QUADS);
    glVertex2f(strip.left, strip.bottom);
    glVertex2f(strip.left, strip.top);
    glVertex2f(strip.right, strip.top);
    glVertex2f(strip.right, strip.bottom);
    glEnd();
    // The glyphs are tinted, then the texture unit goes back to replacing colours.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4fv(strip.textColour);
    font->displayText(shown, (strip.left + strip.right) / 2.0f, (strip.bottom + strip.top) / 2.0f, strip.textSize,
                      true);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    reportError();
}

}  // namespace

void drawScriptError(const std::string& line, Font* font, const float* textColour) {
    const float top = static_cast<float>(h) - ERROR_TOP_GAP;
    drawTextStrip(line, font,
                  {PANEL_SIZE + ERROR_MARGIN, top - ERROR_HEIGHT, static_cast<float>(w) - PANEL_SIZE - ERROR_MARGIN,
                   top, ERROR_TEXT_SIZE, ERROR_STRIP_COLOUR, textColour ? textColour : ERROR_TEXT_COLOUR});
}

void drawHint(const std::string& line, Font* font) {
    const float bottom = HINT_BOTTOM * static_cast<float>(h);
    drawTextStrip(line, font,
                  {PANEL_SIZE + ERROR_MARGIN, bottom, static_cast<float>(w) - PANEL_SIZE - ERROR_MARGIN,
                   bottom + HINT_HEIGHT, HINT_TEXT_SIZE, HINT_STRIP_COLOUR, HINT_TEXT_COLOUR});
}

void mouseover(Universe& universe, point m, Font* font, int dt) {
    const MouseoverTarget target = mouseoverTarget(universe, m);
    if (target.ship) {
        drawShipLabel(universe, *target.ship, font);
        return;
    }
    if (!font) return;
    if (target.star) font->displayText(target.star->getName(), LABEL_X, LABEL_TOP_Y, 1.0f, true);
    if (target.planet) {
        font->displayText(target.planet->getName(), LABEL_X, LABEL_TOP_Y, 1.0f, true);
        font->displayText(ownerLabel(universe, target.planet->getPlanetData().factionOwner), LABEL_X, LABEL_SECOND_Y,
                          1.0f, true);
    }
}
