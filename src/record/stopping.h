#pragma once
// How a recording stops without leaving a half file: every signal that
// would end the process ends the recording at the next frame instead, and a
// crash, which cannot wait, takes the temporary file with it.

#include <signal.h>

#include <string>

// The first stop signal that came, or 0.
extern volatile sig_atomic_t stopSignal;

// Catches the stop signals (again: SDL's start-up may have taken some). One
// ignored when we start (nohup, a shell's background job), or taken by a
// runtime of its own (a profiler, a sanitizer), is left as it is.
void catchStopSignals();
// The crash signals remove the temporary file, then do what they did before.
void catchFaults();
// "SIGINT", "SIGRTMIN+3", "signal 99".
const char* signalName(int sig);

// The temporary file the recording is written under: removePart() takes it
// away on a failure and at exit, a crash takes it too; once it is renamed
// into place the path is set to "".
void setPartPath(const std::string& path);
const std::string& partPath();
void removePart();
