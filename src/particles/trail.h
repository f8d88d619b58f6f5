#pragma once
// The trail of sparks that follows the mouse pointer, with a burst after a left click.

void startTrailBurst();
void spawnTrail();
void updateAndDrawTrail();

// How many sparks one batch makes at the given burst level (1000 right after
// a click, counting down): 5 at the top, 1 with no burst, 0 at -250 or less.
int trailBatchSize(float burst);
// The tilt in radians that every spark of such a batch gets.
float trailTilt(float burst);
