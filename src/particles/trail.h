#pragma once
// The trail of sparks that follows the mouse pointer, with a burst after a left click.

void startTrailBurst();
void spawnTrail();
void updateAndDrawTrail();
