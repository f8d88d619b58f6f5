#include "record/tour.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "record/frames.h"
#include "record/quote.h"

namespace {

struct KeyName {
    const char* name;
    SDLKey key;
};
const KeyName kKeys[] = {
    {"left", SDLK_LEFT},     {"right", SDLK_RIGHT},   {"escape", SDLK_ESCAPE}, {"space", SDLK_SPACE},
    {"return", SDLK_RETURN}, {"up", SDLK_UP},         {"down", SDLK_DOWN},
};

bool lowerEquals(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) return false;
    return true;
}

bool parseKey(std::string word, SDLKey& key) {
    if (word.size() > 5 && lowerEquals(word.substr(0, 5), "sdlk_")) word = word.substr(5);
    for (const KeyName& k : kKeys)
        if (lowerEquals(word, k.name)) {
            key = k.key;
            return true;
        }
    return false;
}

// A plain decimal: digits with an optional fraction (12, 12.5, .5), nothing
// else: no sign, exponent, hexadecimal or spaces that strtod would take.
bool parseNumber(const std::string& word, double& value) {
    size_t digits = 0, points = 0;
    for (char c : word) {
        if (c >= '0' && c <= '9') ++digits;
        else if (c == '.') ++points;
        else return false;
    }
    if (digits == 0 || points > 1 || word.size() > 32) return false;
    value = std::strtod(word.c_str(), nullptr);
    return std::isfinite(value);
}

bool parseInt(const std::string& word, int& value) {
    double d;
    if (!parseNumber(word, d) || d != std::floor(d) || std::fabs(d) > 100000) return false;
    value = static_cast<int>(d);
    return true;
}

// Seconds, m:ss.s, or +seconds after `previous`.
bool parseTime(const std::string& word, unsigned previous, unsigned& ms) {
    double seconds = 0;
    std::string w = word;
    bool relative = false;
    if (!w.empty() && w[0] == '+') {
        relative = true;
        w = w.substr(1);
    }
    const size_t colon = w.find(':');
    if (colon != std::string::npos) {
        double minutes, rest;
        if (relative || w.find('.') < colon || !parseNumber(w.substr(0, colon), minutes) ||
            !parseNumber(w.substr(colon + 1), rest) || rest >= 60)
            return false;
        seconds = minutes * 60 + rest;
    } else if (!parseNumber(w, seconds)) {
        return false;
    }
    if (seconds < 0 || seconds > 24 * 3600) return false;
    const unsigned value = static_cast<unsigned>(std::lround(seconds * 1000));
    ms = relative ? previous + value : value;
    return true;
}

std::string fmtSeconds(unsigned ms) {
    std::ostringstream s;
    s << ms / 1000.0;
    return s.str();
}

}  // namespace

unsigned Tour::endMs() const {
    unsigned end = 0;
    for (const TourAction& a : actions) end = std::max(end, a.timeMs + a.durationMs);
    return end;
}

bool Tour::hasQuit() const {
    return std::any_of(actions.begin(), actions.end(), [](const TourAction& a) { return a.kind == TourAction::Quit; });
}

namespace {

using Words = std::vector<std::string>;  // time, action, arguments

// Empty when the action has n arguments, else what was expected.
std::string argumentCount(const Words& w, size_t n, const std::string& form) {
    const size_t argc = w.size() - 2;
    if (argc == n) return "";
    return "expected '" + form + "', found " + std::to_string(argc) + (argc == 1 ? " argument" : " arguments");
}

// Each reads one action's arguments into `a` and adds what it does to
// `out`; empty when it could, else what was expected.

std::string readKey(const Words& w, TourAction a, std::vector<TourAction>& out) {
    const std::string& verb = w[1];
    const std::string why = argumentCount(w, 1, verb + " KEY");
    if (!why.empty()) return why;
    if (!parseKey(w[2], a.key))
        return "expected a key (left, right, escape, space, return, up, down or SDLK_ name), found " + quoted(w[2]);
    a.kind = verb == "keyup" ? TourAction::KeyUp : TourAction::KeyDown;
    out.push_back(a);
    if (verb == "press") {
        a.kind = TourAction::KeyUp;
        a.timeMs += kFrameMs;
        out.push_back(a);
    }
    return "";
}

std::string readPointer(const Words& w, TourAction a, std::vector<TourAction>& out) {
    const bool glide = w[1] == "glide";
    const std::string why = argumentCount(w, glide ? 3 : 2, glide ? "glide X Y SECONDS" : "move X Y");
    if (!why.empty()) return why;
    if (!parseInt(w[2], a.x) || !parseInt(w[3], a.y) || a.x < 0 || a.x >= 800 || a.y < 0 || a.y >= 600)
        return "expected a point X Y inside the 800 x 600 picture, found " + quoted(w[2] + " " + w[3]);
    a.kind = glide ? TourAction::Glide : TourAction::Move;
    if (glide) {
        double s;
        if (!parseNumber(w[4], s) || s <= 0 || s > 3600)
            return "expected the glide's length in seconds (more than 0, at most 3600), found " + quoted(w[4]);
        a.durationMs = static_cast<unsigned>(std::lround(s * 1000));
    }
    out.push_back(a);
    return "";
}

std::string readClick(const Words& w, TourAction a, std::vector<TourAction>& out) {
    if (w.size() > 3) return argumentCount(w, 1, "click [left|middle|right]");
    a.button = SDL_BUTTON_LEFT;
    if (w.size() == 3) {
        if (w[2] == "left") a.button = SDL_BUTTON_LEFT;
        else if (w[2] == "middle") a.button = SDL_BUTTON_MIDDLE;
        else if (w[2] == "right") a.button = SDL_BUTTON_RIGHT;
        else return "expected a button (left, middle or right), found " + quoted(w[2]);
    }
    a.kind = TourAction::ButtonDown;
    out.push_back(a);
    a.kind = TourAction::ButtonUp;
    a.timeMs += kFrameMs;
    out.push_back(a);
    return "";
}

std::string readStill(const Words& w, TourAction a, std::vector<TourAction>& out) {
    const std::string why = argumentCount(w, 1, "still NAME");
    if (!why.empty()) return why;
    if (w[2].size() > kStillNameMax)
        return "expected a still's name of at most " + std::to_string(kStillNameMax) + " characters, found one of " +
               std::to_string(w[2].size());
    for (char c : w[2])
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_'))
            return "expected a still's name of letters, digits, '-' and '_', found " + quoted(w[2]);
    a.kind = TourAction::Still;
    a.name = w[2];
    out.push_back(a);
    return "";
}

std::string readQuit(const Words& w, TourAction a, std::vector<TourAction>& out) {
    const std::string why = argumentCount(w, 0, "quit");
    if (!why.empty()) return why;
    a.kind = TourAction::Quit;
    out.push_back(a);
    return "";
}

const struct {
    const char* verb;
    std::string (*read)(const Words&, TourAction, std::vector<TourAction>&);
} kActions[] = {
    {"press", readKey},      {"keydown", readKey}, {"keyup", readKey},   {"move", readPointer},
    {"glide", readPointer},  {"click", readClick}, {"still", readStill}, {"quit", readQuit},
};

// One line, its comment taken off, into `out`; `previous` is the time of
// the line before, and becomes this one's. Empty when it reads, else what
// was expected.
std::string readLine(const std::string& line, int lineNo, unsigned& previous, std::vector<TourAction>& out) {
    std::istringstream words(line.substr(0, line.find('#')));
    Words w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.empty()) return "";
    TourAction a{};
    a.line = lineNo;
    if (!parseTime(w[0], previous, a.timeMs))
        return "expected a time (seconds such as 12.5, minutes:seconds such as 1:02.5, or +seconds), found " +
               quoted(w[0]);
    if (a.timeMs < previous)
        return "time " + fmtSeconds(a.timeMs) + " s comes before the line above's " + fmtSeconds(previous) + " s";
    previous = a.timeMs;
    if (w.size() < 2)
        return "expected an action after the time (press, keydown, keyup, move, glide, click, still, quit)";
    for (const auto& action : kActions)
        if (w[1] == action.verb) return action.read(w, a, out);
    return "expected an action (press, keydown, keyup, move, glide, click, still, quit), found " + quoted(w[1]);
}

}  // namespace

bool parseTour(const std::string& text, Tour& tour, std::string& error) {
    tour.actions.clear();
    // The byte order mark some editors put at the start of a UTF-8 file.
    const char kBom[] = "\xEF\xBB\xBF";
    std::istringstream in(text.compare(0, 3, kBom) == 0 ? text.substr(3) : text);
    std::string line;
    unsigned previous = 0;
    for (int lineNo = 1; std::getline(in, line); ++lineNo) {
        std::string why;
        if (line.size() > kTourLineBytes)
            why = "the line is longer than " + std::to_string(kTourLineBytes) +
                  " bytes: a tour line is a time, an action and a few numbers";
        else
            why = readLine(line, lineNo, previous, tour.actions);
        if (!why.empty()) {
            error = std::to_string(lineNo) + ": " + why;
            return false;
        }
    }
    std::stable_sort(tour.actions.begin(), tour.actions.end(),
                     [](const TourAction& a, const TourAction& b) { return a.timeMs < b.timeMs; });
    return true;
}

const char* defaultTourText() {
    return R"(# The whole show as an attentive viewer watches it.
# The recording's chapters follow the tour: the title cards, each step when the
# tour reaches it, the scroll text and the closing cards; --captions FILE.vtt
# writes what the screen says at each moment.
# The loading screen takes about half a second; the Intro's three title cards
# run on their own for 20.5 s while the pointer drifts and leaves its sparks.
 2.0   glide 560 250 3.5
 6.5   glide 260 420 4.0
11.5   glide 470 300 4.0
16.5   glide 640 470 3.5
# The Slideshow begins at about 21 s. Each slide gets its wipe (2.5 s) and
# time to read its caption before the next one.
24.0   glide 420 220 3.0
29.0   press right
31.5   glide 180 330 3.0
37.0   press right
39.5   glide 520 260 2.0
# A burst of clicks over the picture.
42.0   click
+0.25  click
+0.25  click
+0.25  click
45.0   press right
47.5   glide 300 180 3.5
53.0   press right
55.5   glide 600 360 3.0
61.0   press right
63.5   glide 230 260 3.0
67.5   click
+0.3   click
+0.3   click
69.0   press right
# The last slide; then the pointer goes to the next button and clicks it.
71.5   glide 480 300 2.5
75.5   glide 762 564 1.5
78.0   click
# The Scroller: the text runs at its own speed for a good while.
80.0   glide 300 200 4.0
86.0   glide 620 150 5.0
92.0   click
+0.3   click
95.0   glide 450 120 4.0
# Faster for a while, then back to its own pace.
104.0  keydown right
+0.8   keyup right
+6.0   keydown left
+0.8   keyup left
+8.0   glide 700 80 3.0
# Leaving the Scroller; the closing cards play out with the music's fade-out.
126.0  press escape
)";
}
