#pragma once
// The show's font as the data generator copies it, or its source while data/
// has not been made yet.
const char* showFontPath();
