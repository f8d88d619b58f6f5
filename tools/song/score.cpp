#include "score.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace song {
namespace {

// ------------------------------------------------------------------ harmony

enum ChordId { Fmaj7, F6, F7, D7, Gm7, C7, Am7, Bbmaj7, Bbm6, Eb7, kChordCount };

struct ChordDef {
    int root;        // pitch class, C = 0
    int tones[4];    // chord tones above the root
    int scale[7];    // the scale a line may use over the chord
    int voicing[4];  // pitch classes above the root for the piano's left hand
};

const ChordDef kChords[kChordCount] = {
    /* Fmaj7  */ {5, {0, 4, 7, 11}, {0, 2, 4, 5, 7, 9, 11}, {4, 7, 11, 14}},
    /* F6     */ {5, {0, 4, 7, 9}, {0, 2, 4, 5, 7, 9, 11}, {4, 7, 9, 14}},
    /* F7     */ {5, {0, 4, 7, 10}, {0, 2, 4, 5, 7, 9, 10}, {10, 14, 16, 21}},
    /* D7     */ {2, {0, 4, 7, 10}, {0, 2, 4, 5, 7, 8, 10}, {10, 14, 16, 19}},
    /* Gm7    */ {7, {0, 3, 7, 10}, {0, 2, 3, 5, 7, 9, 10}, {3, 7, 10, 14}},
    /* C7     */ {0, {0, 4, 7, 10}, {0, 2, 4, 5, 7, 9, 10}, {10, 14, 16, 21}},
    /* Am7    */ {9, {0, 3, 7, 10}, {0, 1, 3, 5, 7, 8, 10}, {3, 7, 10, 14}},
    /* Bbmaj7 */ {10, {0, 4, 7, 11}, {0, 2, 4, 6, 7, 9, 11}, {4, 7, 11, 14}},
    /* Bbm6   */ {10, {0, 3, 7, 9}, {0, 2, 3, 5, 7, 9, 11}, {3, 7, 9, 14}},
    /* Eb7    */ {3, {0, 4, 7, 10}, {0, 2, 4, 6, 7, 9, 10}, {10, 14, 16, 21}},
};

struct BarChords {
    ChordId first, second;  // second == first: one chord for the whole bar
};

enum SectionKind { Intro, HeadA, HeadA2, HeadB, HeadA3, SoloA, SoloA2, SoloB, SoloA3, Tag };

struct Section {
    SectionKind kind;
    std::vector<BarChords> bars;
};

std::vector<BarChords> aChanges(ChordId last1, ChordId last2) {
    return {{Fmaj7, Fmaj7}, {D7, D7},   {Gm7, Gm7}, {C7, C7},
            {Am7, Am7},     {D7, D7},   {Gm7, C7},  {last1, last2}};
}

std::vector<BarChords> bChanges() {
    return {{Bbmaj7, Bbmaj7}, {Bbm6, Eb7}, {Am7, Am7}, {D7, D7},
            {Gm7, Gm7},       {C7, C7},    {Am7, D7},  {Gm7, C7}};
}

const std::vector<Section>& form() {
    static const std::vector<Section> f = {
        {Intro, {{Fmaj7, Fmaj7}, {D7, D7}, {Gm7, Gm7}, {C7, C7}}},
        {HeadA, aChanges(F6, C7)},
        {HeadA2, aChanges(F6, F7)},
        {HeadB, bChanges()},
        {HeadA3, aChanges(F6, C7)},
        {SoloA, aChanges(F6, C7)},
        {SoloA2, aChanges(F6, F7)},
        {SoloB, bChanges()},
        {SoloA3, aChanges(F6, C7)},
        {Tag, {{Am7, D7}, {Gm7, C7}, {Am7, D7}, {Gm7, C7}}},
    };
    return f;
}

// One chord over a stretch of beats, with where it sits in the form.
struct Span {
    ChordId chord;
    double start;  // in beats from the top of the piece
    double beats;
    SectionKind section;
    int barInSection;
    int sectionIndex;
};

std::vector<Span> timeline() {
    std::vector<Span> spans;
    double beat = 0;
    int index = 0;
    for (const Section& s : form()) {
        for (size_t b = 0; b < s.bars.size(); ++b) {
            const BarChords& bc = s.bars[b];
            if (bc.first == bc.second) {
                spans.push_back({bc.first, beat, 4, s.kind, int(b), index});
            } else {
                spans.push_back({bc.first, beat, 2, s.kind, int(b), index});
                spans.push_back({bc.second, beat + 2, 2, s.kind, int(b), index});
            }
            beat += kBeatsPerBar;
        }
        ++index;
    }
    return spans;
}

// ------------------------------------------------------------------ time

long framesAt(double beats) { return std::lround(swingBeats(beats) * kFramesPerBeat); }

long jitter(Rng& rng, double ms) { return std::lround(rng.range(-ms, ms) * kRate / 1000.0); }

// ------------------------------------------------------------------ melody

struct Tone {
    double start;  // beats from the top of the piece
    double beats;
    int midi;
    double velocity;
};

int parsePitch(const std::string& s) {
    static const int letters[] = {9, 11, 0, 2, 4, 5, 7};  // A..G
    int pc = letters[s[0] - 'A'];
    size_t i = 1;
    if (s[i] == '#') { ++pc; ++i; }
    else if (s[i] == 'b') { --pc; ++i; }
    int octave = std::atoi(s.c_str() + i);
    return 12 * (octave + 1) + pc;
}

// Reads a line written as "A4:1 C5:.5 r:.5 ..." (pitch and length in beats,
// "r" for a rest) starting at the given beat.
std::vector<Tone> parseLine(const std::vector<const char*>& bars, double startBeat) {
    std::vector<Tone> tones;
    double beat = startBeat;
    for (const char* bar : bars) {
        double barStart = beat;
        std::string text(bar);
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = text.find(' ', pos);
            if (end == std::string::npos) end = text.size();
            std::string token = text.substr(pos, end - pos);
            pos = end + 1;
            if (token.empty()) continue;
            size_t colon = token.find(':');
            double len = std::atof(token.c_str() + colon + 1);
            std::string name = token.substr(0, colon);
            if (name != "r") {
                // Notes on the beat are leaned on a little more than the ones off it.
                bool onBeat = std::fabs(beat - std::floor(beat)) < 1e-9;
                tones.push_back({beat, len, parsePitch(name), onBeat ? 0.8 : 0.7});
            }
            beat += len;
        }
        if (std::fabs(beat - barStart - kBeatsPerBar) > 1e-9) {
            std::fprintf(stderr, "mksong: a bar of the melody does not add up to 4 beats: %s\n", bar);
            std::exit(1);
        }
    }
    return tones;
}

const std::vector<const char*> kThemeA = {
    "A4:1 C5:.5 E5:.5 D5:1.5 C5:.5",    "F#5:1 E5:.5 D5:.5 C5:1 A4:1",
    "Bb4:1.5 A4:.5 G4:.5 Bb4:.5 D5:.5 F5:.5", "E5:1.5 D5:.5 C5:1 Bb4:.5 G4:.5",
    "A4:1 C5:.5 E5:.5 G5:1.5 E5:.5",    "F#5:.5 A5:.5 F#5:.5 E5:.5 D5:1 C5:1",
    "Bb4:.5 D5:.5 F5:1 E5:1 D5:.5 Bb4:.5", "A4:2.5 r:.5 G4:.5 Bb4:.5",
};

const std::vector<const char*> kThemeA2 = {
    "A4:.5 Bb4:.5 C5:.5 E5:.5 D5:1.5 C5:.5", "F#5:1 E5:.5 D5:.5 C5:.5 A4:.5 F#4:1",
    "G4:.5 Bb4:.5 D5:.5 F5:.5 A5:1.5 G5:.5", "E5:1.5 G5:.5 E5:.5 C5:.5 Bb4:1",
    "A4:1 C5:.5 E5:.5 G5:1 A5:.5 G5:.5",     "F#5:1.5 E5:.5 D5:1 C5:1",
    "D5:.5 F5:.5 Bb5:1 A5:.5 G5:.5 E5:1",    "F5:2 r:.5 Eb5:.5 D5:.5 C5:.5",
};

const std::vector<const char*> kThemeB = {
    "D5:1.5 C5:.5 D5:1 F5:1",         "Db5:1.5 C5:.5 Bb4:1 G4:1",
    "C5:1.5 E5:.5 G5:1 E5:1",         "F#5:1.5 E5:.5 D5:1 C5:1",
    "Bb4:1 D5:.5 F5:.5 A5:1.5 G5:.5", "E5:1 G5:.5 E5:.5 C5:1 Bb4:1",
    "A4:.5 C5:.5 E5:1 D5:.5 F#5:.5 A5:1", "G5:1.5 F5:.5 E5:1 C5:1",
};

// The tag: marimba asks, vibraphone answers, and the last answer climbs to
// the B flat that falls onto the A of the intro's first bar.
const std::vector<const char*> kTagCall = {
    "E5:.5 G5:.5 C6:1 r:.5 A5:.5 F#5:1", "r:4", "E5:.5 G5:.5 C6:1 r:.5 A5:.5 F#5:1", "r:4"};
const std::vector<const char*> kTagAnswer = {
    "r:4", "Bb5:.5 A5:.5 G5:.5 F5:.5 E5:1 r:1", "r:4", "Bb5:.5 A5:.5 G5:.5 E5:.5 D5:.5 E5:.5 G5:.5 Bb5:.5"};
const std::vector<const char*> kIntroLanding = {"A5:3 r:1", "r:4", "r:4", "r:4"};

using Voice = void (*)(Mix&, const Note&);

void playLine(Mix& mix, const std::vector<Tone>& line, Voice voice, int transpose, double level,
              double pan, double reverb, Rng& rng) {
    for (const Tone& t : line) {
        Note n;
        long a = framesAt(t.start), b = framesAt(t.start + t.beats);
        n.start = a + jitter(rng, 4);
        n.length = std::max<long>(long((b - a) * 0.9), kRate / 50);
        n.midi = t.midi + transpose;
        n.velocity = std::min(1.0, t.velocity * level * rng.range(0.92, 1.05));
        n.pan = pan;
        n.reverb = reverb;
        voice(mix, n);
    }
}

const Span& spanAt(const std::vector<Span>& spans, double beat) {
    for (const Span& s : spans)
        if (beat >= s.start - 1e-9 && beat < s.start + s.beats - 1e-9) return s;
    return spans.back();
}

bool isChordTone(const ChordDef& c, int midi) {
    int pc = ((midi - c.root) % 12 + 12) % 12;
    for (int t : c.tones)
        if (t == pc) return true;
    return false;
}

bool inScale(const ChordDef& c, int midi) {
    int pc = ((midi - c.root) % 12 + 12) % 12;
    for (int t : c.scale)
        if (t == pc) return true;
    return false;
}

// A vibraphone chorus made up on the spot (from a fixed seed): two-bar
// phrases of swung eighths that land on chord tones on the beat and move by
// scale steps between them, with a breath at the end of every phrase.
std::vector<Tone> improvise(const std::vector<Span>& spans, double from, double to, Rng& rng) {
    const int low = 69, high = 89;
    std::vector<Tone> line;
    int pitch = 77;
    int dir = 1;
    for (double phrase = from; phrase < to - 1e-9; phrase += 8) {
        double start = phrase + (rng.chance(0.5) ? 0.5 : 0.0) + (rng.chance(0.25) ? 1.0 : 0.0);
        double stop = phrase + 5.0 + 0.5 * rng.below(5);  // the phrase ends between beats 5 and 7
        for (double e = start; e < stop - 1e-9; e += 0.5) {
            const ChordDef& c = kChords[spanAt(spans, e).chord];
            bool onBeat = std::fabs(e - std::floor(e)) < 1e-9;
            if (rng.chance(0.2)) dir = -dir;
            if (pitch > high - 3) dir = -1;
            if (pitch < low + 3) dir = 1;
            int next = pitch;
            bool last = e + 0.5 >= stop - 1e-9;
            if (onBeat || last) {
                // Nearest chord tone in the direction of travel.
                next = pitch + dir;
                while (!isChordTone(c, next)) next += dir;
                if (std::abs(next - pitch) > 5) {
                    next = pitch - dir;
                    while (!isChordTone(c, next)) next -= dir;
                }
            } else {
                next = pitch + dir;
                while (!inScale(c, next)) next += dir;
                if (rng.chance(0.15)) {  // an occasional leap of a chord tone
                    next = pitch + 3 * dir;
                    while (!isChordTone(c, next)) next += dir;
                }
            }
            next = std::clamp(next, low, high);
            pitch = next;
            double len = 0.5;
            if (last) len = 1.0 + 0.5 * rng.below(2);
            else if (onBeat && rng.chance(0.15)) len = 1.0;
            double vel = onBeat ? rng.range(0.6, 0.7) : rng.range(0.7, 0.8);
            if (e == start) vel = 0.8;
            line.push_back({e, len, pitch, vel});
            e += len - 0.5;
        }
    }
    return line;
}

// ------------------------------------------------------------------ bass

int nearestWithPitchClass(int pc, int around, int low, int high) {
    int best = -1, bestDist = 1000;
    for (int m = low; m <= high; ++m) {
        if ((m % 12 + 12) % 12 != ((pc % 12) + 12) % 12) continue;
        int d = std::abs(m - around);
        if (d < bestDist) { bestDist = d; best = m; }
    }
    return best;
}

void playBassLine(Mix& mix, const std::vector<Span>& spans, Rng& rng) {
    const int low = 28, high = 50;  // E1 .. D3
    int prev = 41;                   // F2
    for (size_t i = 0; i < spans.size(); ++i) {
        const Span& s = spans[i];
        const Span& next = spans[(i + 1) % spans.size()];
        const ChordDef& c = kChords[s.chord];
        bool twoFeel = s.section == Intro || s.section == HeadA;
        int root = nearestWithPitchClass(c.root, prev, low + 1, high - 4);
        int target = nearestWithPitchClass(kChords[next.chord].root, root, low + 1, high - 4);
        std::vector<std::pair<double, int>> notes;  // (beats into the span, midi)
        if (twoFeel) {
            notes.push_back({0, root});
            if (s.beats >= 4) {
                int fifth = nearestWithPitchClass(c.root + c.tones[2], root - 2, low, high);
                notes.push_back({2, rng.chance(0.25) ? target + (target > fifth ? -1 : 1) : fifth});
            }
            for (size_t k = 0; k < notes.size(); ++k) {
                double len = (k + 1 < notes.size() ? notes[k + 1].first : s.beats) - notes[k].first;
                Note n;
                n.start = framesAt(s.start + notes[k].first) + jitter(rng, 2);
                n.length = long(len * kFramesPerBeat * 0.9);
                n.midi = notes[k].second;
                n.velocity = rng.range(0.82, 0.92);
                n.pan = 0.0;
                n.reverb = 0.06;
                playBass(mix, n);
            }
            prev = notes.back().second;
            continue;
        }
        // Walking: root, then chord tones and scale steps, then a chromatic
        // step into the next chord's root.
        int p = root;
        for (int b = 0; b < int(s.beats); ++b) {
            if (b == 0) {
                p = root;
            } else if (b == int(s.beats) - 1) {
                p = target + (p < target ? -1 : 1);
                if (rng.chance(0.3)) p = target + (p < target ? 1 : -1) * 1;  // from the other side
            } else if (b == 1) {
                int tone = c.tones[1 + rng.below(2)];
                int up = nearestWithPitchClass(c.root + tone, p + 3, low, high);
                p = (up > high - 2) ? nearestWithPitchClass(c.root + tone, p - 4, low, high) : up;
            } else {
                int step = target > p ? 1 : -1;
                int q = p + step;
                while (!inScale(c, q)) q += step;
                p = std::clamp(q, low, high);
            }
            Note n;
            n.start = framesAt(s.start + b) + jitter(rng, 2);
            n.length = long(kFramesPerBeat * 0.88);
            n.midi = p;
            n.velocity = rng.range(0.8, 0.9);
            n.pan = 0.0;
            n.reverb = 0.06;
            playBass(mix, n);
        }
        prev = p;
    }
}

// ------------------------------------------------------------------ piano

std::vector<int> voice(const ChordDef& c, double center) {
    // All rotations of the voicing, each stacked upwards from its lowest
    // note; keep the one whose middle is nearest the wanted centre.
    std::vector<int> best;
    double bestDist = 1e9;
    for (int rot = 0; rot < 4; ++rot) {
        for (int base = 48; base <= 64; ++base) {
            int first = (c.root + c.voicing[rot]) % 12;
            if (base % 12 != first) continue;
            std::vector<int> notes = {base};
            for (int k = 1; k < 4; ++k) {
                int pc = (c.root + c.voicing[(rot + k) % 4]) % 12;
                int m = notes.back() + 1;
                while (m % 12 != pc) ++m;
                notes.push_back(m);
            }
            double mean = (notes[0] + notes[3]) / 2.0;
            if (std::fabs(mean - center) < bestDist) {
                bestDist = std::fabs(mean - center);
                best = notes;
            }
        }
    }
    return best;
}

void playComping(Mix& mix, const std::vector<Span>& spans, Rng& rng) {
    // Rhythms for a whole-bar chord and for a half-bar chord: (beat, length).
    static const std::vector<std::vector<std::pair<double, double>>> whole = {
        {{0, 1.3}, {1.5, 0.4}},            // the Charleston
        {{0, 0.4}, {1.5, 1.8}},
        {{0.5, 1.0}, {2.5, 1.2}},
        {{0, 2.0}, {2.5, 0.4}, {3.5, 0.4}},
        {{1.0, 0.4}, {2.5, 1.3}},
    };
    static const std::vector<std::vector<std::pair<double, double>>> half = {
        {{0, 1.2}}, {{0, 0.4}, {1.5, 0.4}}, {{0.5, 1.2}}};
    for (const Span& s : spans) {
        const ChordDef& c = kChords[s.chord];
        double center = s.section == HeadB || s.section == SoloB ? 62 : 60;
        std::vector<int> notes = voice(c, center);
        const auto& set = s.beats >= 4 ? whole : half;
        const auto& pattern = s.section == Intro && s.beats >= 4 ? whole[0] : set[rng.below(int(set.size()))];
        double level = s.section == Intro ? 0.55 : 0.62;
        for (const auto& hit : pattern) {
            long start = framesAt(s.start + hit.first);
            long end = framesAt(s.start + hit.first + hit.second);
            for (size_t k = 0; k < notes.size(); ++k) {
                Note n;
                n.start = start + jitter(rng, 3) + long(k) * 40;  // a slight roll upwards
                n.length = end - start;
                n.midi = notes[k];
                n.velocity = level * rng.range(0.85, 1.0) * (k == 3 ? 1.1 : 1.0);
                n.pan = -0.3;
                n.reverb = 0.25;
                playRhodes(mix, n);
            }
        }
    }
}

// ------------------------------------------------------------------ drums

void playDrums(Mix& mix, int bars, Rng& rng) {
    const std::vector<Section>& f = form();
    int bar = 0;
    for (const Section& s : f) {
        for (size_t b = 0; b < s.bars.size(); ++b, ++bar) {
            double top = double(bar) * kBeatsPerBar;
            bool intro = s.kind == Intro;
            bool lastBarOfSection = b + 1 == s.bars.size();
            bool solo = s.kind >= SoloA && s.kind <= SoloA3;
            double ride = intro ? 0.0 : (s.kind == HeadA ? 0.6 : solo ? 0.85 : 0.75);
            // Ride: ding, ding-da, ding, ding-da.
            if (ride > 0) {
                static const double pattern[] = {0, 1, 1.5, 2, 3, 3.5};
                for (double p : pattern) {
                    Note h;
                    h.start = framesAt(top + p) + jitter(rng, 2);
                    bool skip = std::fabs(p - std::floor(p)) > 0.1;
                    h.velocity = ride * (skip ? 0.6 : (p == 1 || p == 3 ? 0.95 : 0.8)) * rng.range(0.9, 1.0);
                    h.pan = 0.35;
                    h.reverb = 0.15;
                    playRide(mix, h, rng);
                }
            }
            for (int beat = 0; beat < 4; ++beat) {
                // Brush swish: one stroke per beat, pulled harder into 2 and 4.
                Note w;
                w.start = framesAt(top + beat) - kFramesPerBeat / 4;
                w.length = kFramesPerBeat;
                w.velocity = (beat % 2 ? 1.0 : 0.75) * (intro ? 0.8 : 1.0);
                w.pan = -0.12;
                w.reverb = 0.1;
                playBrushSwish(mix, w, rng);
                // Feathered bass drum on every beat, hardly heard, felt.
                Note k;
                k.start = framesAt(top + beat) + jitter(rng, 1);
                k.velocity = (beat == 0 ? 0.55 : 0.4) * rng.range(0.9, 1.0);
                k.reverb = 0.02;
                playKick(mix, k);
                if (beat % 2 == 1) {
                    Note h;
                    h.start = framesAt(top + beat) + jitter(rng, 2);
                    h.velocity = rng.range(0.8, 0.95);
                    h.pan = -0.35;
                    h.reverb = 0.08;
                    playHatFoot(mix, h, rng);
                    if (!intro) {
                        Note t = h;
                        t.velocity = rng.range(0.35, 0.5);
                        t.pan = -0.12;
                        t.reverb = 0.18;
                        playBrushTap(mix, t, rng);
                    }
                }
            }
            // Snare chatter under the solo, and a triplet fill into each new section.
            if (solo) {
                for (double p = 0.5; p < 4; p += 1.0)
                    if (rng.chance(0.18)) {
                        Note t;
                        t.start = framesAt(top + p) + jitter(rng, 2);
                        t.velocity = rng.range(0.25, 0.4);
                        t.pan = -0.12;
                        t.reverb = 0.18;
                        playBrushTap(mix, t, rng);
                    }
            }
            if (lastBarOfSection) {
                for (int k = 0; k < 3; ++k) {
                    Note t;
                    t.start = long((top + 3 + k / 3.0) * kFramesPerBeat) + jitter(rng, 2);
                    t.velocity = 0.45 + 0.15 * k;
                    t.pan = -0.12;
                    t.reverb = 0.2;
                    playBrushTap(mix, t, rng);
                }
            }
        }
    }
    (void)bars;
}

}  // namespace

double swingBeats(double beats) {
    const double s = 0.64;
    double b = std::floor(beats);
    double f = beats - b;
    return b + (f <= 0.5 ? f * 2.0 * s : s + (f - 0.5) * 2.0 * (1.0 - s));
}

int songBars() {
    int bars = 0;
    for (const Section& s : form()) bars += int(s.bars.size());
    return bars;
}

void performSong(Mix& mix) {
    std::vector<Span> spans = timeline();
    Rng rng(0x4D696A6F74696E65ull);

    auto sectionStart = [](SectionKind kind) {
        double beat = 0;
        for (const Section& s : form()) {
            if (s.kind == kind) return beat;
            beat += double(s.bars.size()) * kBeatsPerBar;
        }
        return beat;
    };

    // Melody: the theme on marimba, its variation on marimba, the bridge on
    // vibraphone, the theme again with pizzicato strings an octave below,
    // then the vibraphone's own chorus and the tag.
    playLine(mix, parseLine(kIntroLanding, sectionStart(Intro)), playVibes, 0, 0.8, 0.25, 0.3, rng);
    playLine(mix, parseLine(kThemeA, sectionStart(HeadA)), playMarimba, 0, 1.0, 0.2, 0.22, rng);
    playLine(mix, parseLine(kThemeA2, sectionStart(HeadA2)), playMarimba, 0, 1.0, 0.2, 0.22, rng);
    playLine(mix, parseLine(kThemeB, sectionStart(HeadB)), playVibes, 0, 1.0, 0.25, 0.3, rng);
    std::vector<Tone> last = parseLine(kThemeA, sectionStart(HeadA3));
    playLine(mix, last, playMarimba, 12, 0.85, 0.25, 0.22, rng);
    playLine(mix, last, playPizzicato, 0, 0.9, -0.45, 0.3, rng);
    double soloFrom = sectionStart(SoloA), soloTo = sectionStart(Tag);
    playLine(mix, improvise(spans, soloFrom, soloTo, rng), playVibes, 0, 1.0, 0.25, 0.3, rng);
    playLine(mix, parseLine(kTagCall, sectionStart(Tag)), playMarimba, 0, 1.0, 0.2, 0.22, rng);
    playLine(mix, parseLine(kTagAnswer, sectionStart(Tag)), playVibes, 0, 0.9, 0.3, 0.3, rng);

    playComping(mix, spans, rng);
    playBassLine(mix, spans, rng);
    playDrums(mix, songBars(), rng);
}

}  // namespace song
