// The HUD's way-finding marks: the arrow around the ship that points along the course with the
// target's name and distance, the course and the wormholes picked out on the map, and the name of
// the map dot under the cursor. The placement arithmetic is separate from the GL.
#pragma once

#include <string>

#include "basics.h"
#include "navCourse.h"

class Font;
class Universe;

// The arrow around the ship: its tip, the direction it points (radians, counter-clockwise from
// the x axis) and where its two label lines are centred, in pixels with the origin bottom left.
struct MarkerPlacement {
    point tip;
    float angle;
    point labelCentre;
};
// The arrow for a target at `target` seen from the ship at `ship`, the ship standing at pixel
// `screenCentre`, its label a box of the given half sizes kept clear beyond the tip; a target on
// the ship itself points straight up.
MarkerPlacement markerPlacement(point ship, point target, point screenCentre, float labelHalfWidth = 0.0f,
                                float labelHalfHeight = 0.0f);

// The two lines under the arrow: what it points at, and how far (or where the wormhole leads).
std::string markerTitle(const CourseLeg& leg);
std::string markerDetail(const CourseLeg& leg);

// Where a game position lands on the map panel (pixels, origin bottom left), the player at its
// centre; and back.
point gameToMap(point game, point player);
point mapToGame(point pixel, point player);
// Whether a pixel lies on the map panel.
bool onMapPanel(point pixel);

// The name of the map dot under the cursor pixel in the player's world ("" for none): a star,
// a planet with its owner, or a wormhole with the world it leads to; the nearest dot wins.
std::string mapHoverLabel(Universe& universe, point cursorPixel);

// The arrow with its label; the pixel projection (origin bottom left) must be set. Leaves texture
// 0 bound, the texture unit replacing colours and the colour white.
void drawCourseMarker(const CourseLeg& leg, Font* font);
// The map's extra marks over the map panel: every wormhole of the world, the course's target ring,
// and, with the cursor over the panel, a cross at the cursor and the name of the dot under it.
// Same projection and leavings as drawCourseMarker.
void drawMapMarks(Universe& universe, const CourseLeg& leg, point cursorPixel, Font* font);
