// Whole numbers from doubles that come from outside (saves, data files, scripts): a plain cast
// of NaN or of a value beyond the int range is undefined behaviour, so those are pinned down.
#pragma once

// `value` truncated toward zero, clamped to [INT_MIN, INT_MAX] (so ±infinity gives the bound);
// NaN gives `nanValue`, which callers whose "no number" means something else pick themselves.
int clampedInt(double value, int nanValue = 0);
