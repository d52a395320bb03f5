// The arrow that points along the course, and the map's wormholes, course ring and hover names.
#include "courseMarker.h"

#include <cmath>

#include "font.h"
#include "glHeaders.h"
#include "hud.h"
#include "planet.h"
#include "star.h"
#include "textures.h"
#include "worldState.h"

namespace {

// The arrow: its tip this far from the ship's pixel, far enough to clear the ship at any usual
// zoom and near enough to stay clear of the radar, the map and the hint strip.
constexpr float ARROW_RING = 120.0f;
constexpr float ARROW_LENGTH = 34.0f;
constexpr float ARROW_HALF_WIDTH = 12.0f;
// Where the notch at the back sits, as a share of the length from the tip.
constexpr float ARROW_NOTCH = 0.7f;
constexpr float ARROW_OUTLINE = 3.0f;
// The label's two lines, centred beyond the tip.
constexpr float LABEL_GAP = 8.0f;
constexpr float LABEL_TEXT_SIZE = 9.0f;
constexpr float LABEL_LINE_STEP = 20.0f;
constexpr float LABEL_PADDING = 6.0f;
constexpr float ARROW_COLOUR[4] = {1.0f, 0.85f, 0.2f, 0.95f};
constexpr float WORMHOLE_ARROW_COLOUR[4] = {0.8f, 0.55f, 1.0f, 0.95f};
constexpr float OUTLINE_COLOUR[4] = {0.0f, 0.0f, 0.0f, 0.8f};
constexpr float LABEL_BACK_COLOUR[4] = {0.02f, 0.05f, 0.12f, 0.75f};
constexpr float DETAIL_COLOUR[4] = {0.85f, 0.9f, 1.0f, 1.0f};

// The map panel (hud.cpp draws it: 200 pixels square in the top-right corner).
constexpr float MAP_PANEL = 200.0f;
constexpr float MAP_PIXELS_PER_UNIT = 0.00084f;
// Dots as the map draws them (half sizes in game units), and the wormholes' own.
constexpr float MAP_STAR_DOT = 10000.0f;
constexpr float MAP_PLANET_DOT = 8000.0f;
constexpr float MAP_WORMHOLE_DOT = 6000.0f;
// The cursor names a dot this many pixels beyond its edge too: the dots are small.
constexpr float HOVER_SLACK = 3.0f;
constexpr int SLOT_WHITE_DOT = 20;
constexpr float WORMHOLE_DOT_COLOUR[4] = {0.75f, 0.45f, 1.0f, 1.0f};
constexpr float COURSE_RING_PIXELS = 9.0f;
constexpr int RING_SEGMENTS = 24;
constexpr float CROSS_HALF = 5.0f;
constexpr float HOVER_TEXT_SIZE = 8.0f;
constexpr float HOVER_STRIP_HEIGHT = 22.0f;

// Pixels per game unit on the map, across and up.
float mapScaleX() { return MAP_PIXELS_PER_UNIT * static_cast<float>(w) / (static_cast<float>(w) + MAP_PANEL); }
float mapScaleY() { return MAP_PIXELS_PER_UNIT * static_cast<float>(h) / (static_cast<float>(h) + MAP_PANEL); }

// The map's dots are drawn in a projection 200 units wider and taller than the screen, origin 100
// units in from the top-right corner (hud.cpp), so in pixels its centre and scale are these.
float mapCentreX() { return (static_cast<float>(w) + MAP_PANEL / 2.0f) * mapScaleX() / MAP_PIXELS_PER_UNIT; }
float mapCentreY() { return (static_cast<float>(h) + MAP_PANEL / 2.0f) * mapScaleY() / MAP_PIXELS_PER_UNIT; }

void quad(float left, float bottom, float right, float top) {
    glBegin(GL_QUADS);
    glVertex2f(left, bottom);
    glVertex2f(left, top);
    glVertex2f(right, top);
    glVertex2f(right, bottom);
    glEnd();
}

// A dart pointing along `angle` with its tip at `tip`, grown by `grow` on every side: two wings
// and a notch at the back, so that its direction reads at a glance.
void arrowHead(point tip, float angle, float grow) {
    const float c = std::cos(angle), s = std::sin(angle);
    const float length = ARROW_LENGTH + 2.0f * grow, half = ARROW_HALF_WIDTH + grow;
    const point apex{tip.x + c * grow, tip.y + s * grow};
    const point back{apex.x - c * length, apex.y - s * length};
    const point notch{apex.x - c * length * ARROW_NOTCH, apex.y - s * length * ARROW_NOTCH};
    const point left{back.x - s * half, back.y + c * half};
    const point right{back.x + s * half, back.y - c * half};
    glBegin(GL_TRIANGLES);
    glVertex2f(apex.x, apex.y);
    glVertex2f(left.x, left.y);
    glVertex2f(notch.x, notch.y);
    glVertex2f(apex.x, apex.y);
    glVertex2f(notch.x, notch.y);
    glVertex2f(right.x, right.y);
    glEnd();
}

// Tinted text, then the texture unit back to replacing colours.
void tintedText(Font* font, const std::string& text, float x, float y, float size, const float* colour, bool centred) {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4fv(colour);
    font->displayText(text, x, y, size, centred);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void ring(point centre, float radius) {
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < RING_SEGMENTS; ++i) {
        const float a = 6.28318f * static_cast<float>(i) / RING_SEGMENTS;
        glVertex2f(centre.x + radius * std::cos(a), centre.y + radius * std::sin(a));
    }
    glEnd();
}

// A map dot under `pixel`: whether it is nearer than the best so far, by pixels beyond its edge.
bool closer(point dot, float halfSizeUnits, point pixel, float& best) {
    const float reach = halfSizeUnits * std::fmin(mapScaleX(), mapScaleY()) + HOVER_SLACK;
    const float gap = pointDistance(dot, pixel);
    if (gap > reach || gap >= best) return false;
    best = gap;
    return true;
}

}  // namespace

MarkerPlacement markerPlacement(point ship, point target, point screenCentre, float labelHalfWidth,
                                float labelHalfHeight) {
    float dx = target.x - ship.x, dy = target.y - ship.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (!(length > 0.0f)) {
        dx = 0.0f;
        dy = 1.0f;
    } else {
        dx /= length;
        dy /= length;
    }
    MarkerPlacement placement;
    placement.tip = {screenCentre.x + dx * ARROW_RING, screenCentre.y + dy * ARROW_RING};
    placement.angle = std::atan2(dy, dx);
    // The box's own reach along the arrow's direction, so that it never covers the tip.
    const float beyond = ARROW_RING + LABEL_GAP + std::fabs(dx) * labelHalfWidth + std::fabs(dy) * labelHalfHeight;
    placement.labelCentre = {screenCentre.x + dx * beyond, screenCentre.y + dy * beyond};
    return placement;
}

std::string markerTitle(const CourseLeg& leg) {
    if (!leg.valid) return "";
    if (leg.throughWormhole) return "Wormhole to " + leg.label.substr(std::string("wormhole to ").size());
    if (leg.label.compare(0, 3, "no ") == 0) return "No route to " + leg.planetName;
    return leg.planetName;
}

std::string markerDetail(const CourseLeg& leg) {
    if (!leg.valid || leg.label.compare(0, 3, "no ") == 0) return "";
    const std::string distance = std::to_string(std::lround(leg.distance)) + " units";
    if (leg.throughWormhole) return distance + ", on the way to " + leg.planetName;
    return distance;
}

point gameToMap(point game, point player) {
    return {mapCentreX() + (game.x - player.x) * mapScaleX(), mapCentreY() + (game.y - player.y) * mapScaleY()};
}

point mapToGame(point pixel, point player) {
    return {player.x + (pixel.x - mapCentreX()) / mapScaleX(), player.y + (pixel.y - mapCentreY()) / mapScaleY()};
}

bool onMapPanel(point pixel) {
    return pixel.x >= static_cast<float>(w) - MAP_PANEL && pixel.x <= static_cast<float>(w) &&
           pixel.y >= static_cast<float>(h) - MAP_PANEL && pixel.y <= static_cast<float>(h);
}

std::string mapHoverLabel(Universe& universe, point cursorPixel) {
    if (!universe.player || !onMapPanel(cursorPixel)) return "";
    const int worldNumber = universe.player->getWorld();
    if (worldNumber < 0 || static_cast<size_t>(worldNumber) >= universe.worlds.size()) return "";
    const WorldState& world = universe.worlds[static_cast<size_t>(worldNumber)];
    const point player = universe.player->getPosition();
    float best = 1e9f;
    std::string label;
    // Only what the map shows can be named.
    for (const Star& star : world.stars) {
        if (onMap(pointDistance(star.getLoc(), player)) &&
            closer(gameToMap(star.getLoc(), player), MAP_STAR_DOT, cursorPixel, best))
            label = "Star " + star.getName();
        for (const Planet& planet : star.getPlanets())
            if (onMap(pointDistance(planet.getLoc(), player)) &&
                closer(gameToMap(planet.getLoc(), player), MAP_PLANET_DOT, cursorPixel, best))
                label = planet.getName() + " (" + ownerLabel(universe, planet.getPlanetData().factionOwner) + ")";
    }
    for (const Wormhole& wormhole : world.wormholes) {
        if (!onMap(pointDistance(wormhole.getLoc(), player)) ||
            !closer(gameToMap(wormhole.getLoc(), player), MAP_WORMHOLE_DOT, cursorPixel, best))
            continue;
        const int target = wormhole.getTargetWorld();
        const bool known = target >= 0 && static_cast<size_t>(target) < universe.worlds.size();
        label = "Wormhole to " + (known ? universe.worlds[static_cast<size_t>(target)].name : std::string("nowhere"));
    }
    return label;
}

void drawCourseMarker(const CourseLeg& leg, Font* font) {
    if (!leg.valid) return;
    const std::string title = markerTitle(leg);
    const std::string detail = markerDetail(leg);
    const point centre{static_cast<float>(w) / 2.0f, static_cast<float>(h) / 2.0f};
    // Without a route there is nowhere to point: the label alone stands above the ship.
    const bool pointing = !detail.empty();
    const float width =
        std::fmax(Font::textWidth(title, LABEL_TEXT_SIZE), Font::textWidth(detail, LABEL_TEXT_SIZE)) +
        2.0f * LABEL_PADDING;
    const float height = (detail.empty() ? 1.0f : 2.0f) * LABEL_LINE_STEP + LABEL_PADDING;
    const MarkerPlacement placement =
        pointing ? markerPlacement(leg.from, leg.target, centre, width / 2.0f, height / 2.0f)
                 : MarkerPlacement{centre, 1.5708f, {centre.x, centre.y + ARROW_RING}};
    glBindTexture(GL_TEXTURE_2D, 0);
    if (pointing) {
        glColor4fv(OUTLINE_COLOUR);
        arrowHead(placement.tip, placement.angle, ARROW_OUTLINE);
        glColor4fv(leg.throughWormhole ? WORMHOLE_ARROW_COLOUR : ARROW_COLOUR);
        arrowHead(placement.tip, placement.angle, 0.0f);
    }
    if (font && font->isReady()) {
        const point c = placement.labelCentre;
        glColor4fv(LABEL_BACK_COLOUR);
        quad(c.x - width / 2.0f, c.y - height / 2.0f, c.x + width / 2.0f, c.y + height / 2.0f);
        const float firstY = detail.empty() ? c.y : c.y + LABEL_LINE_STEP / 2.0f;
        tintedText(font, title, c.x, firstY, LABEL_TEXT_SIZE,
                   leg.throughWormhole ? WORMHOLE_ARROW_COLOUR : ARROW_COLOUR, true);
        if (!detail.empty()) tintedText(font, detail, c.x, c.y - LABEL_LINE_STEP / 2.0f, LABEL_TEXT_SIZE, DETAIL_COLOUR, true);
    }
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    reportError();
}

void drawMapMarks(Universe& universe, const CourseLeg& leg, point cursorPixel, Font* font) {
    if (!universe.player) return;
    const int worldNumber = universe.player->getWorld();
    if (worldNumber < 0 || static_cast<size_t>(worldNumber) >= universe.worlds.size()) return;
    const WorldState& world = universe.worlds[static_cast<size_t>(worldNumber)];
    const point player = universe.player->getPosition();

    // Wormholes as dots of their own colour, like the stars and planets beside them.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, textureSlot(SLOT_WHITE_DOT));
    glColor4fv(WORMHOLE_DOT_COLOUR);
    const float halfX = MAP_WORMHOLE_DOT * mapScaleX(), halfY = MAP_WORMHOLE_DOT * mapScaleY();
    for (const Wormhole& wormhole : world.wormholes) {
        if (!onMap(pointDistance(wormhole.getLoc(), player))) continue;
        const point p = gameToMap(wormhole.getLoc(), player);
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 0.0f);
        glVertex2f(p.x - halfX, p.y - halfY);
        glTexCoord2f(0.0f, 1.0f);
        glVertex2f(p.x - halfX, p.y + halfY);
        glTexCoord2f(1.0f, 1.0f);
        glVertex2f(p.x + halfX, p.y + halfY);
        glTexCoord2f(1.0f, 0.0f);
        glVertex2f(p.x + halfX, p.y - halfY);
        glEnd();
    }
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, 0);

    // The course's target: a ring round its dot (the planet here, or the wormhole on the way).
    if (leg.valid && !markerDetail(leg).empty() && onMap(pointDistance(leg.target, player))) {
        const point p = gameToMap(leg.target, player);
        if (onMapPanel(p)) {
            glLineWidth(2.0f);
            glColor4fv(leg.throughWormhole ? WORMHOLE_ARROW_COLOUR : ARROW_COLOUR);
            ring(p, COURSE_RING_PIXELS);
            glLineWidth(1.0f);
        }
    }

    // The world's cursor is drawn under the panel: over the map it shows as a cross of its own.
    if (onMapPanel(cursorPixel)) {
        glColor4f(1.0f, 1.0f, 1.0f, 0.9f);
        glBegin(GL_LINES);
        glVertex2f(cursorPixel.x - CROSS_HALF, cursorPixel.y);
        glVertex2f(cursorPixel.x + CROSS_HALF, cursorPixel.y);
        glVertex2f(cursorPixel.x, cursorPixel.y - CROSS_HALF);
        glVertex2f(cursorPixel.x, cursorPixel.y + CROSS_HALF);
        glEnd();
        const std::string label = mapHoverLabel(universe, cursorPixel);
        if (!label.empty() && font && font->isReady()) {
            // Along the panel's lower edge, inside it: clear of everything the panel does not cover.
            const float bottom = static_cast<float>(h) - MAP_PANEL;
            glColor4fv(LABEL_BACK_COLOUR);
            quad(static_cast<float>(w) - MAP_PANEL, bottom, static_cast<float>(w), bottom + HOVER_STRIP_HEIGHT);
            float size = HOVER_TEXT_SIZE;
            // A long name shrinks to fit the panel's width.
            const float room = MAP_PANEL - 2.0f * LABEL_PADDING;
            const float width = Font::textWidth(label, size);
            if (width > room) size *= room / width;
            tintedText(font, label, static_cast<float>(w) - MAP_PANEL / 2.0f, bottom + HOVER_STRIP_HEIGHT / 2.0f, size, DETAIL_COLOUR, true);
        }
    }
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    reportError();
}
