#include "particles/particle_system.h"

#include <cmath>
#include <cstdlib>
#include <iterator>

#include <SDL/SDL_opengl.h>

#include "math/curves.h"

void ParticleEmitter::spawn(Vector3, Uint32, float) {}

// ---------------------------------------------------------------- spark

void SparkEmitter::spawn(Vector3 at, Uint32 nowMs, float tilt) {
    init(at, nowMs);
    tiltDeg = static_cast<float>(tilt * 57.29);
    wobbleRate = random01();
}

void SparkEmitter::init(Vector3 at, Uint32 nowMs) {
    startMs = nowMs;
    endMs = nowMs + kSparkMotionMs;
    ageMs = 0;
    width = 24;
    height = 24;
    position = Vector3(at.x - width / 2, at.y - height / 2, at.z);

    // Random speed and heading, in this order, then the palette.
    const int r1 = std::rand() % 100;
    const float speed = static_cast<float>((r1 / 100.0 - 0.5) * 60 + 60);
    const int r2 = std::rand() % 100;
    const float heading = static_cast<float>((r2 / 100.0) * 2 * 3.1415925);

    // The start is pushed a few pixels away from the spawn point.
    const double h = heading;
    position += Vector3(static_cast<float>(8 * std::cos(h + 0.5)), static_cast<float>(8 * std::sin(0.5 - h)), 0);
    velocity = Vector3(static_cast<float>(speed * std::cos(h)), static_cast<float>(speed * std::sin(h)), 0);

    palette = std::rand() % 3;
    tintBoost = 0;
}

bool SparkEmitter::update(Sint32 deltaMs) {
    ageMs += static_cast<Uint32>(deltaMs);
    if (startMs + ageMs > endMs) return false;

    const float dt = static_cast<float>(deltaMs * 0.001);
    // Sideways speed grows away from zero; gravity pulls down.
    if (velocity.x > 0)
        velocity.x += 45 * dt;
    else
        velocity.x -= 45 * dt;
    velocity.y -= 35 * dt;
    velocity.y += 250 * dt;
    position.x += dt * velocity.x;
    position.y += dt * velocity.y;
    return true;
}

float SparkEmitter::scale() const {
    const Uint32 now = startMs + ageMs;
    const float grow = ramp(static_cast<float>(now), static_cast<float>(startMs), static_cast<float>(startMs + 150));
    const float shrink =
        ramp(static_cast<float>(now), static_cast<float>(startMs + 450), static_cast<float>(endMs + (kSparkVisibleMs - kSparkMotionMs)));
    return grow - shrink;
}

float SparkEmitter::angle() const {
    const float phase = static_cast<float>(ageMs * 0.0035 * wobbleRate);
    return static_cast<float>(30 * std::sin(4.5 * phase) + tiltDeg);
}

void SparkEmitter::colour(float rgba[4]) const {
    switch (palette) {
    case 0:
        rgba[0] = 0.3f;
        rgba[1] = 0.15f + tintBoost;
        rgba[2] = 0.656f + tintBoost;
        break;
    case 1:
        rgba[0] = 0.213f + tintBoost;
        rgba[1] = 0.3f;
        rgba[2] = 0.46f + tintBoost;
        break;
    default:
        rgba[0] = 0.1f + tintBoost;
        rgba[1] = 0.2f + tintBoost;
        rgba[2] = 0.97f;
        break;
    }
    rgba[3] = 0.7f;
}

void SparkEmitter::draw() {
    const float s = scale();
    const float a = angle();
    float rgba[4];
    colour(rgba);
    glColor4f(rgba[0], rgba[1], rgba[2], rgba[3]);

    const int x = static_cast<int>(position.x);
    const int y = static_cast<int>(position.y);
    const int hw = width / 2;
    const int hh = height / 2;
    glPushMatrix();
    glTranslatef(static_cast<float>(x + hw), static_cast<float>(y + hh), 0);
    glScalef(s, s, s);
    glRotatef(a, 0, 0, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(1, 0);
    glVertex3f(static_cast<float>(hw), static_cast<float>(-hh), 0);
    glTexCoord2f(0, 0);
    glVertex3f(static_cast<float>(-hw), static_cast<float>(-hh), 0);
    glTexCoord2f(0, 1);
    glVertex3f(static_cast<float>(-hw), static_cast<float>(hh), 0);
    glTexCoord2f(1, 1);
    glVertex3f(static_cast<float>(hw), static_cast<float>(hh), 0);
    glEnd();
    glPopMatrix();
}

// ---------------------------------------------------------------- system

ParticleSystem::~ParticleSystem() {
    clear();
    for (ParticleEmitter* e : spare) delete e;
}

void ParticleSystem::spawn(Sint32 x, Sint32 y, Sint32 kind, Uint32 nowMs, float tilt, float tintBoost) {
    if (paused || kind != 0) return;
    // A spent spark, with its place in the list, is used again before any
    // new one is made, so a running trail allocates nothing.
    if (spare.empty()) spare.push_back(new SparkEmitter);
    SparkEmitter* spark = static_cast<SparkEmitter*>(spare.front());
    *spark = SparkEmitter();
    spark->spawn(Vector3(static_cast<float>(x), static_cast<float>(y), 0), nowMs, tilt);
    spark->tintBoost = tintBoost;
    emitters.splice(emitters.end(), spare, spare.begin());
}

void ParticleSystem::update(Sint32 deltaMs) {
    for (ParticleEmitter* e : emitters) e->update(deltaMs);
    // A spark that has shrunk to nothing never shows again; dropping it keeps
    // the per-frame work bounded however long the show runs. Sparks go to
    // the spare list, anything else is deleted.
    for (auto it = emitters.begin(); it != emitters.end();) {
        if (!(*it)->finished()) {
            ++it;
        } else if (dynamic_cast<SparkEmitter*>(*it)) {
            const auto next = std::next(it);
            spare.splice(spare.end(), emitters, it);
            it = next;
        } else {
            delete *it;
            it = emitters.erase(it);
        }
    }
}

void ParticleSystem::draw() {
    for (ParticleEmitter* e : emitters) e->draw();
}

void ParticleSystem::clear() {
    for (ParticleEmitter* e : emitters) delete e;
    emitters.clear();
}

bool ParticleSystem::togglePaused() {
    paused = !paused;
    return paused;
}
