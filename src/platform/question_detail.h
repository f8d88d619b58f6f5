#pragma once
// The pieces of the start-up question that tests reach directly.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/question.h"

struct DialogResult {
    bool started = false;  // the program could be started at all
    bool exited = false;   // it ended with an exit status (not by a signal)
    int status = -1;
    std::string errors;    // what it wrote on its standard error
};

// Runs a dialog program to its end, collecting its standard error; the child
// is always reaped.
DialogResult runDialog(const std::vector<std::string>& args);
// The viewer's answer, or nothing when the dialog could not be shown.
std::optional<FullscreenAnswer> interpretDialogResult(const DialogResult& result);
// A line typed on the terminal: y, n or c (either case); empty means Yes.
std::optional<FullscreenAnswer> parseTerminalAnswer(const std::string& line);
// Asks on a terminal until a valid answer or the end of input (Cancel).
FullscreenAnswer askOnTerminal(const char* title, const char* text, std::FILE* in, std::FILE* out);
