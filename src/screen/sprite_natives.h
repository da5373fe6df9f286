#pragma once

namespace zunka {

// Registers the drawing natives: `classes.scr.Sprite` (patterns, rotated and
// scaled patterns, lines, filled rectangles, pattern sizes; map and chip natives
// draw nothing, as no map surface exists in this player) and the drawing offset
// natives of `classes.lang.Object` (setAdjust; setMapPat and pset do nothing).
void RegisterSpriteNatives();

}  // namespace zunka
