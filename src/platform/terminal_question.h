#pragma once
// The start-up question asked on a terminal, where there is no display.

#include <cstdio>
#include <optional>
#include <string>

#include "platform/fullscreen_answer.h"

// A line typed on the terminal: y, n or c (either case); empty means Yes.
std::optional<FullscreenAnswer> parseTerminalAnswer(const std::string& line);
// Asks on a terminal until a valid answer or the end of input (Cancel).
FullscreenAnswer askOnTerminal(const char* title, const char* text, std::FILE* in, std::FILE* out);
