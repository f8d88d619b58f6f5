#include "math/matrix3.h"

#include <cmath>

Matrix3::Matrix3() {
    for (float& e : m) e = 0;
}

Matrix3::Matrix3(float m0, float m1, float m2, float m3, float m4, float m5, float m6, float m7, float m8)
    : m{m0, m1, m2, m3, m4, m5, m6, m7, m8} {}

Matrix3::Matrix3(float fill) {
    for (float& e : m) e = fill;
}

Matrix3::Matrix3(const float* fillRef) {
    for (float& e : m) e = *fillRef;
}

Matrix3 Matrix3::setIdentity() { return setDiagonal(1, 1, 1); }

Matrix3 Matrix3::setDiagonal(float d0, float d1, float d2) {
    for (float& e : m) e = 0;
    m[0] = d0;
    m[4] = d1;
    m[8] = d2;
    return *this;
}

Matrix3 Matrix3::setRotation(float ax, float ay, float az) {
    const float sx = static_cast<float>(std::sin(static_cast<double>(ax)));
    const float cx = static_cast<float>(std::cos(static_cast<double>(ax)));
    const float sy = static_cast<float>(std::sin(static_cast<double>(ay)));
    const float cy = static_cast<float>(std::cos(static_cast<double>(ay)));
    const float sz = static_cast<float>(std::sin(static_cast<double>(az)));
    const float cz = static_cast<float>(std::cos(static_cast<double>(az)));
    m[0] = cy * cz;
    m[1] = cy * sz;
    m[2] = -sy;
    m[3] = sx * sy * cz - cx * sz;
    m[4] = sx * sy * sz + cx * cz;
    m[5] = sx * cy;
    m[6] = cx * sy * cz + sx * sz;
    m[7] = cx * sy * sz - sx * cz;
    m[8] = cx * cy;
    return *this;
}

Matrix3 Matrix3::operator+(const Matrix3& b) const {
    Matrix3 r(*this);
    return r += b;
}

Matrix3 Matrix3::operator-(const Matrix3& b) const {
    Matrix3 r(*this);
    return r -= b;
}

Matrix3 Matrix3::operator+=(const Matrix3& b) {
    for (int i = 0; i < 9; ++i) m[i] += b.m[i];
    return *this;
}

Matrix3 Matrix3::operator-=(const Matrix3& b) {
    for (int i = 0; i < 9; ++i) m[i] -= b.m[i];
    return *this;
}

Matrix3 Matrix3::operator*(const float& s) const {
    Matrix3 r(*this);
    return r *= s;
}

Matrix3 Matrix3::operator*=(const float& s) {
    for (float& e : m) e *= s;
    return *this;
}

Matrix3 Matrix3::operator*(const Matrix3& b) const {
    Matrix3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[3 * i + j] = static_cast<float>(static_cast<double>(m[3 * i]) * b.m[j] +
                                                static_cast<double>(m[3 * i + 1]) * b.m[3 + j] +
                                                static_cast<double>(m[3 * i + 2]) * b.m[6 + j]);
    return r;
}

Matrix3 Matrix3::operator*=(const Matrix3& b) {
    *this = *this * b;  // the product is complete before anything is stored
    return *this;
}

bool Matrix3::operator==(const Matrix3& b) const {
    for (int i = 0; i < 9; ++i)
        if (m[i] != b.m[i]) return false;
    return true;
}
