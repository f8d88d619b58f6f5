#pragma once
// Text the user gave (a tour's words, a file name, an option's value) as it
// may be shown in a message on a terminal. A tour can come from anyone: its
// bytes must never reach the terminal raw, where an escape sequence could
// retitle the window or worse, and a huge word must not become a huge message.

#include <string>

// Control characters (C0, DEL and C1), the invisible marks that turn text
// around (bidirectional overrides and isolates, line and paragraph separators)
// and bytes that are not UTF-8 written as \t, \n, \r or \xHH; a backslash
// doubled, so that every escape reads one way.
std::string escaped(const std::string& text);

// `text` escaped and in single quotes ('...', a quote inside as \'), at most
// about `limit` characters of it; a longer one is cut and marked:
// 'AAAA'... (1048576 bytes).
std::string quoted(const std::string& text, size_t limit = 60);
