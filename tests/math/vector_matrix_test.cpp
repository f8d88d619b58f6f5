#include <gtest/gtest.h>

#include <cstdlib>

#include "math/matrix3.h"
#include "math/vector3.h"

static void expectVec(const Vector3& v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

TEST(Vector3, NormalizeChangesReceiverUnlessZero) {
    Vector3 zero;
    expectVec(zero.normalize(), 0, 0, 0);
    expectVec(zero, 0, 0, 0);
    Vector3 v(3, 0, 4);
    expectVec(v.normalize(), 0.6f, 0, 0.8f);
    expectVec(v, 0.6f, 0, 0.8f);
    EXPECT_FLOAT_EQ(Vector3(3, 4, 12).length(), 13.0f);
}

TEST(Vector3, GuardedDivisionAndProducts) {
    expectVec(Vector3(1, 2, 3) / 2, 0.5f, 1, 1.5f);
    expectVec(Vector3(1, 2, 3) / 0, 0, 0, 0);
    expectVec(Vector3(1, 2, 3) / -2, 0, 0, 0);
    expectVec(Vector3(1, 0, 0).cross(Vector3(0, 1, 0)), 0, 0, 1);
    expectVec(Vector3(0, 1, 0).cross(Vector3(0, 0, 1)), 1, 0, 0);
    expectVec(Vector3(0, 0, 1).cross(Vector3(1, 0, 0)), 0, 1, 0);
    EXPECT_FLOAT_EQ(Vector3(1, 2, 3).dot(Vector3(4, -5, 6)), 12.0f);
}

TEST(Vector3, TolerantComparisons) {
    EXPECT_TRUE(Vector3(1, 1, 1) == Vector3(1.0005f, 0.9995f, 1));
    EXPECT_FALSE(Vector3(1, 1, 1) == Vector3(1.002f, 1, 1));
    EXPECT_TRUE(Vector3(1, 1, 1) != Vector3(1.002f, 1, 1));
    // exactly at the tolerance: neither equal nor unequal
    EXPECT_FALSE(Vector3(0.001f, 0, 0) == Vector3(0, 0, 0));
    EXPECT_FALSE(Vector3(0.001f, 0, 0) != Vector3(0, 0, 0));
}

TEST(Vector3, CompoundOperationsYieldTheNewValue) {
    Vector3 a(1, 2, 3);
    const Vector3 r = (a += Vector3(1, 1, 1));
    expectVec(a, 2, 3, 4);
    expectVec(r, 2, 3, 4);
    expectVec(a -= Vector3(2, 3, 4), 0, 0, 0);
    Vector3 b(1, -2, 0.5f);
    expectVec(b *= 2, 2, -4, 1);
    expectVec(b, 2, -4, 1);
}

TEST(Vector3, MatrixAppliedAsColumnVector) {
    const Matrix3 m(1, 2, 3, 4, 5, 6, 7, 8, 9);
    expectVec(m * Vector3(1, 0, 0), 1, 4, 7);
    Vector3 v(1, 1, 1);
    expectVec(v *= m, 6, 15, 24);  // all rows read the old components
    expectVec(v, 6, 15, 24);
}

TEST(Vector3, RandomVectorsDrawZThenYThenX) {
    std::srand(11);
    const int a = std::rand(), b = std::rand(), c = std::rand();
    std::srand(11);
    const Vector3 v = randomVector01();
    EXPECT_FLOAT_EQ(v.z, (a % 10000) / 10000.0f);
    EXPECT_FLOAT_EQ(v.y, (b % 10000) / 10000.0f);
    EXPECT_FLOAT_EQ(v.x, (c % 10000) / 10000.0f);
    std::srand(11);
    const Vector3 w = randomCentredVector();
    EXPECT_FLOAT_EQ(w.z, (a % 10000) / 10000.0f - 0.5f);
    EXPECT_FLOAT_EQ(w.x, (c % 10000) / 10000.0f - 0.5f);
    for (int i = 0; i < 1000; ++i) EXPECT_NEAR(randomDirection().length(), 1.0f, 1e-6);
}

TEST(Matrix3, IdentityRotationAndDiagonal) {
    Matrix3 id;
    id.setIdentity();
    EXPECT_TRUE(Matrix3().setRotation(0, 0, 0) == id);
    Matrix3 r;
    r.setRotation(0, 0, 1.5707963f);
    const float expected[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(r.m[i], expected[i], 1e-6) << i;
    Matrix3 d;
    d.setDiagonal(2, 3, 4);
    const float s = 0.5f;
    EXPECT_TRUE(d * s == Matrix3(1, 0, 0, 0, 1.5f, 0, 0, 0, 2));
    EXPECT_TRUE(Matrix3() == Matrix3(0.0f));
    const float fill = 0;
    EXPECT_TRUE(Matrix3() == Matrix3(&fill));
}

TEST(Matrix3, ProductsInPlaceUseTheOldElements) {
    Matrix3 a(1, 2, 3, 4, 5, 6, 7, 8, 9);
    const Matrix3 square = a * a;
    EXPECT_TRUE(square == Matrix3(30, 36, 42, 66, 81, 96, 102, 126, 150));
    const Matrix3 r = (a *= a);
    EXPECT_TRUE(a == square);
    EXPECT_TRUE(r == square);
    Matrix3 b(1.0f);
    b += Matrix3(1.0f);
    EXPECT_TRUE(b == Matrix3(2.0f));
    b -= Matrix3(0.5f);
    EXPECT_TRUE(b == Matrix3(1.5f));
    EXPECT_FALSE(b == Matrix3(1.5f) + Matrix3(0, 0, 0, 0, 0, 0, 0, 0, 1));
}
