#pragma once
// A 3 x 3 single-precision matrix stored row by row: element (i, j) is m[3i + j].

class Matrix3 {
public:
    float m[9];

    Matrix3();
    Matrix3(float m0, float m1, float m2, float m3, float m4, float m5, float m6, float m7, float m8);
    explicit Matrix3(float fill);
    explicit Matrix3(const float* fillRef);  // fills all nine from *fillRef
    Matrix3(const Matrix3&) = default;
    Matrix3& operator=(const Matrix3&) = default;

    Matrix3 setIdentity();
    Matrix3 setDiagonal(float d0, float d1, float d2);
    // Rotation about x by ax, then y by ay, then z by az, for row vectors.
    Matrix3 setRotation(float ax, float ay, float az);

    Matrix3 operator+(const Matrix3& b) const;
    Matrix3 operator-(const Matrix3& b) const;
    Matrix3 operator+=(const Matrix3& b);
    Matrix3 operator-=(const Matrix3& b);
    Matrix3 operator*(const float& s) const;
    Matrix3 operator*=(const float& s);
    Matrix3 operator*(const Matrix3& b) const;
    Matrix3 operator*=(const Matrix3& b);
    bool operator==(const Matrix3& b) const;
};
