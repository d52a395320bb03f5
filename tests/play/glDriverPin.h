// Keeps the GL driver loaded until the process ends, for the leak checker of a play run.
#pragma once

// The driver is unloaded when the window closes, before the leak checker runs at exit; the
// memory it keeps for good could then no longer be told from the game's. Pinned, it is named
// and its own suppressions apply. Call once the window is open.
void pinGlDriver();
