// Waiting for the X server named by DISPLAY before anything connects to it for real.
#pragma once

// Polls the display until a connection succeeds or `seconds` pass; true once it answers.
// Without DISPLAY there is nothing to wait for and the answer is false at once.
bool waitForDisplay(double seconds = 10.0);
