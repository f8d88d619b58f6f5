#include "record/quote.h"

#include <cstdio>

namespace {

// Length of the UTF-8 sequence at `i` and its code point, or 0 when the
// bytes there are not one (stray continuation, overlong, surrogate, cut off).
size_t utf8At(const std::string& s, size_t i, unsigned& cp) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    size_t n;
    unsigned min;
    if (b < 0x80) {
        cp = b;
        return 1;
    } else if ((b & 0xe0) == 0xc0) {
        n = 2, cp = b & 0x1f, min = 0x80;
    } else if ((b & 0xf0) == 0xe0) {
        n = 3, cp = b & 0x0f, min = 0x800;
    } else if ((b & 0xf8) == 0xf0) {
        n = 4, cp = b & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        const unsigned char c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xc0) != 0x80) return 0;
        cp = (cp << 6) | (c & 0x3f);
    }
    if (cp < min || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) return 0;
    return n;
}

bool invisibleMark(unsigned cp) {
    return (cp >= 0x80 && cp <= 0x9f) ||      // C1 controls: CSI, OSC... on some terminals
           (cp >= 0x200e && cp <= 0x200f) ||  // left-to-right and right-to-left marks
           (cp >= 0x2028 && cp <= 0x202e) ||  // separators, embeddings and overrides
           (cp >= 0x2066 && cp <= 0x2069);    // isolates
}

void hexBytes(std::string& out, const std::string& s, size_t i, size_t n) {
    char hex[8];
    for (size_t k = 0; k < n; ++k) {
        std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(s[i + k]));
        out += hex;
    }
}

// Appends the escaped form of `s` from the start while it stays within
// `limit` characters; gives how many bytes of `s` went in.
size_t escapeInto(std::string& out, const std::string& s, size_t limit, bool quoteMark) {
    size_t shown = 0, i = 0;
    while (i < s.size()) {
        unsigned cp = 0;
        const size_t n = utf8At(s, i, cp);
        std::string piece;
        if (n == 0) {
            hexBytes(piece, s, i, 1);
        } else if (cp == '\t') {
            piece = "\\t";
        } else if (cp == '\n') {
            piece = "\\n";
        } else if (cp == '\r') {
            piece = "\\r";
        } else if (cp == '\\') {
            piece = "\\\\";
        } else if (cp == '\'' && quoteMark) {
            piece = "\\'";
        } else if (cp < 0x20 || cp == 0x7f || invisibleMark(cp)) {
            hexBytes(piece, s, i, n);
        } else {
            piece = s.substr(i, n);
        }
        const size_t width = n == 0 || piece.size() > n ? piece.size() : 1;
        if (shown + width > limit) break;
        out += piece;
        shown += width;
        i += n == 0 ? 1 : n;
    }
    return i;
}

}  // namespace

std::string escaped(const std::string& text) {
    std::string out;
    escapeInto(out, text, std::string::npos, false);
    return out;
}

std::string quoted(const std::string& text, size_t limit) {
    std::string out = "'";
    const size_t used = escapeInto(out, text, limit, true);
    out += "'";
    if (used < text.size()) out += "... (" + std::to_string(text.size()) + " bytes)";
    return out;
}
