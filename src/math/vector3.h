#pragma once
// Three single-precision floats: screen positions, velocities, points in space.

#include "math/matrix3.h"

class Vector3 {
public:
    float x, y, z;

    Vector3() : x(0), y(0), z(0) {}
    Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    float length() const;
    // Scales to length 1 and yields the new value; the zero vector stays as it is.
    Vector3 normalize();
    float dot(const Vector3& b) const;
    Vector3 cross(const Vector3& b) const;

    Vector3 operator+(const Vector3& b) const;
    Vector3 operator-(const Vector3& b) const;
    Vector3 operator+=(const Vector3& b);
    Vector3 operator-=(const Vector3& b);
    Vector3 operator*(float s) const;
    Vector3 operator*=(float s);
    // The receiver becomes M applied to it as a column vector.
    Vector3 operator*=(const Matrix3& mat);
    // Guarded: a divisor that is not positive yields the zero vector.
    Vector3 operator/(float s) const;
    // Tolerant comparisons with 0.001 per component.
    bool operator==(const Vector3& b) const;
    bool operator!=(const Vector3& b) const;
};

// M applied to a taken as a column vector: row i of M dotted with a.
Vector3 operator*(const Matrix3& mat, const Vector3& a);

// Random vectors; the three draws are made for z, then y, then x.
Vector3 randomCentredVector();
Vector3 randomVector01();
Vector3 randomDirection();
