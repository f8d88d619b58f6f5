#include "math/vector3.h"

#include <cmath>

#include "math/curves.h"

float Vector3::length() const {
    return static_cast<float>(std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y +
                                        static_cast<double>(z) * z));
}

Vector3 Vector3::normalize() {
    const float len = length();
    if (len == 0) return Vector3(0, 0, 0);
    x = x / len;
    y = y / len;
    z = z / len;
    return *this;
}

float Vector3::dot(const Vector3& b) const {
    return static_cast<float>(static_cast<double>(x) * b.x + static_cast<double>(y) * b.y +
                              static_cast<double>(z) * b.z);
}

Vector3 Vector3::cross(const Vector3& b) const {
    return Vector3(y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x);
}

Vector3 Vector3::operator+(const Vector3& b) const { return Vector3(x + b.x, y + b.y, z + b.z); }
Vector3 Vector3::operator-(const Vector3& b) const { return Vector3(x - b.x, y - b.y, z - b.z); }

Vector3 Vector3::operator+=(const Vector3& b) {
    *this = *this + b;
    return *this;
}

Vector3 Vector3::operator-=(const Vector3& b) {
    *this = *this - b;
    return *this;
}

Vector3 Vector3::operator*(float s) const { return Vector3(x * s, y * s, z * s); }

Vector3 Vector3::operator*=(float s) {
    *this = *this * s;
    return *this;
}

Vector3 Vector3::operator*=(const Matrix3& mat) {
    *this = mat * *this;  // all three sums use the old components
    return *this;
}

Vector3 Vector3::operator/(float s) const {
    if (s > 0) return Vector3(x / s, y / s, z / s);
    return Vector3(0, 0, 0);
}

bool Vector3::operator==(const Vector3& b) const {
    const float tol = 0.001f;
    return std::fabs(x - b.x) < tol && std::fabs(y - b.y) < tol && std::fabs(z - b.z) < tol;
}

bool Vector3::operator!=(const Vector3& b) const {
    const float tol = 0.001f;
    return std::fabs(x - b.x) > tol || std::fabs(y - b.y) > tol || std::fabs(z - b.z) > tol;
}

Vector3 operator*(const Matrix3& mat, const Vector3& a) {
    const float* m = mat.m;
    return Vector3(
        static_cast<float>(static_cast<double>(m[0]) * a.x + static_cast<double>(m[1]) * a.y +
                           static_cast<double>(m[2]) * a.z),
        static_cast<float>(static_cast<double>(m[3]) * a.x + static_cast<double>(m[4]) * a.y +
                           static_cast<double>(m[5]) * a.z),
        static_cast<float>(static_cast<double>(m[6]) * a.x + static_cast<double>(m[7]) * a.y +
                           static_cast<double>(m[8]) * a.z));
}

Vector3 randomCentredVector() {
    const float z = random01() - 0.5f;
    const float y = random01() - 0.5f;
    const float x = random01() - 0.5f;
    return Vector3(x, y, z);
}

Vector3 randomVector01() {
    const float z = random01();
    const float y = random01();
    const float x = random01();
    return Vector3(x, y, z);
}

Vector3 randomDirection() {
    const float u1 = random01();
    const float u2 = random01();
    const float theta = u2 * 3.141592f * 2;
    const float phi = u1 * 3.141592f;
    return Vector3(static_cast<float>(std::sin(theta) * std::cos(phi)),
                   static_cast<float>(std::sin(theta) * std::sin(phi)),
                   static_cast<float>(std::cos(theta)));
}
