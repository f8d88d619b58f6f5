#pragma once
// Short-lived glowing sprites, updated with the frame's time step and drawn as one batch.

#include <list>

#include <SDL/SDL.h>

#include "math/vector3.h"

class ParticleEmitter {
public:
    Vector3 position;
    Vector3 velocity;

    virtual ~ParticleEmitter() = default;
    virtual void draw() = 0;
    virtual void spawn(Vector3 at, Uint32 nowMs, float tilt);
    virtual void init(Vector3 at, Uint32 nowMs) = 0;
    virtual bool update(Sint32 deltaMs) = 0;
    virtual void hook() = 0;
    // True once the emitter can never show anything again, so the system may drop it.
    virtual bool finished() const { return false; }
};

// A spark moves for this long after its spawn,
constexpr Uint32 kSparkMotionMs = 550;
// and is seen this long: after it, its scale stays 0 for good.
constexpr Uint32 kSparkVisibleMs = 1250;

class SparkEmitter : public ParticleEmitter {
public:
    Sint32 width = 0;
    Sint32 height = 0;
    Uint32 ageMs = 0;
    Uint32 startMs = 0;
    Uint32 endMs = 0;  // the end of its motion, startMs + kSparkMotionMs; it is seen longer
    float wobbleRate = 0;
    float tiltDeg = 0;
    float tintBoost = 0;
    Sint32 palette = 0;

    void draw() override;
    void spawn(Vector3 at, Uint32 nowMs, float tilt) override;
    void init(Vector3 at, Uint32 nowMs) override;
    bool update(Sint32 deltaMs) override;
    void hook() override {}
    bool finished() const override { return ageMs >= kSparkVisibleMs; }

    // What draw() uses, computed without GL.
    // Size factor: grows over 150 ms, holds, shrinks from 450 ms to 0 at 1250 ms.
    float scale() const;
    // Rotation in degrees: a swing of +-30 about the tilt.
    float angle() const;
    // The palette's colour with alpha: red, green, blue, alpha.
    void colour(float rgba[4]) const;
};

class ParticleSystem {
public:
    bool paused = false;
    std::list<ParticleEmitter*> emitters;
    std::list<ParticleEmitter*> spare;  // spent sparks kept for the next spawns

    ParticleSystem() = default;
    ~ParticleSystem();
    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;

    void spawn(Sint32 x, Sint32 y, Sint32 kind, Uint32 nowMs, float tilt, float tintBoost);
    // Updates every emitter, then drops those that have finished for good.
    void update(Sint32 deltaMs);
    void draw();
    void clear();
    bool togglePaused();
};
