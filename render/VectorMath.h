#pragma once

#include <cmath>

// Double-precision geometry shared by every scene object, the one random source, and
// the hand-over of values to OpenGL (where they are narrowed to floats).

struct Vector3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    Vector3() = default;
    Vector3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}

    Vector3 operator+(const Vector3& b) const { return Vector3(x + b.x, y + b.y, z + b.z); }
    Vector3 operator-(const Vector3& b) const { return Vector3(x - b.x, y - b.y, z - b.z); }
    Vector3 operator*(double s) const { return Vector3(x * s, y * s, z * s); }
    Vector3 operator/(double s) const
    {
        const double inverse = 1.0 / s;
        return Vector3(x * inverse, y * inverse, z * inverse);
    }
    Vector3& operator+=(const Vector3& b)
    {
        x += b.x;
        y += b.y;
        z += b.z;
        return *this;
    }
    Vector3& operator-=(const Vector3& b)
    {
        x -= b.x;
        y -= b.y;
        z -= b.z;
        return *this;
    }
    Vector3& operator*=(double s)
    {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }

    double Length() const { return std::sqrt(x * x + y * y + z * z); }

    // A zero vector becomes (1, 0, 0); there is no small-length threshold.
    void Normalize();

    // Right-hand rule about a copy of axis normalised as above.
    Vector3 RotateAroundAxis(const Vector3& axis, double angle) const;
};

struct Vector2 {
    double x = 0.0;
    double y = 0.0;

    Vector2() = default;
    Vector2(double x_, double y_) : x(x_), y(y_) {}

    Vector2 operator+(const Vector2& b) const { return Vector2(x + b.x, y + b.y); }
    Vector2 operator/(double s) const
    {
        const double inverse = 1.0 / s;
        return Vector2(x * inverse, y * inverse);
    }
    double Length() const { return std::sqrt(x * x + y * y); }
};

inline double Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline Vector3 Cross(const Vector3& a, const Vector3& b)
{
    return Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

// One draw of the C library's single process-wide generator (seeded with srand),
// brought to 0 ... 32767 whatever the library's RAND_MAX: every random choice of the
// scene is made from these draws.
int RandomDraw();

// Uniform in [0, 1], both ends included: RandomDraw() / 32767.
double RandomUnit();

// The mapping RandomUnit applies to one draw.
inline double RandomUnitFromDraw(int draw) { return draw * 3.0518509475997192e-05; }

// Sixteen floats in OpenGL's column-major order.
struct TransformationMatrix {
    float m[16];
};

TransformationMatrix MakeTransformationMatrix(const Vector3& a, const Vector3& b, const Vector3& c,
                                              const Vector3& translation, double scale);

// OpenGL hand-over; the uniform setters act on the program in use.
void EmitVertex(const Vector3& v);
void EmitTexCoord(const Vector2& t);
// Inside glBegin(GL_QUADS): a square facing +z at centre.z, corners counter-clockwise
// from the lower left, the texture's (0, 0) at the lower left and (1, 1) at the upper right.
void EmitTexturedSquare(const Vector3& centre, double halfSize);
void SetUniformFloat(int location, double value);
void SetUniformVector3(int location, const Vector3& v);
