#pragma once
// The whole show: the question, start-up, the four phases and shut-down.

// Runs the show and gives the process's exit status.
int runShow();
