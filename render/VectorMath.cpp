#include "render/VectorMath.h"

#include <cstdlib>

#include "platform/OpenGL.h"

void Vector3::Normalize()
{
    const double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0) {
        x = 1.0;
        y = 0.0;
        z = 0.0;
        return;
    }
    const double inverse = 1.0 / length;
    x *= inverse;
    y *= inverse;
    z *= inverse;
}

Vector3 Vector3::RotateAroundAxis(const Vector3& axis, double angle) const
{
    Vector3 u = axis;
    u.Normalize();
    const double s = std::sin(angle);
    const double c = std::cos(angle);
    const double t = 1.0 - c;
    return Vector3((c + t * u.x * u.x) * x + (t * u.x * u.y - s * u.z) * y + (t * u.x * u.z + s * u.y) * z,
                   (t * u.x * u.y + s * u.z) * x + (c + t * u.y * u.y) * y + (t * u.y * u.z - s * u.x) * z,
                   (t * u.x * u.z - s * u.y) * x + (t * u.y * u.z + s * u.x) * y + (c + t * u.z * u.z) * z);
}

int RandomDraw()
{
    // The high bits: the low ones of some generators are the least random.
    constexpr unsigned long kSpan = static_cast<unsigned long>(RAND_MAX) + 1ul;
    return static_cast<int>(static_cast<unsigned long>(std::rand()) / (kSpan / 32768ul));
}

double RandomUnit() { return RandomUnitFromDraw(RandomDraw()); }

TransformationMatrix MakeTransformationMatrix(const Vector3& a, const Vector3& b, const Vector3& c,
                                              const Vector3& translation, double scale)
{
    const Vector3 columns[3] = {a * scale, b * scale, c * scale};
    TransformationMatrix result{};
    for (int i = 0; i < 3; ++i) {
        result.m[i * 4 + 0] = static_cast<float>(columns[i].x);
        result.m[i * 4 + 1] = static_cast<float>(columns[i].y);
        result.m[i * 4 + 2] = static_cast<float>(columns[i].z);
        result.m[i * 4 + 3] = 0.0f;
    }
    result.m[12] = static_cast<float>(translation.x);
    result.m[13] = static_cast<float>(translation.y);
    result.m[14] = static_cast<float>(translation.z);
    result.m[15] = 1.0f;
    return result;
}

void EmitVertex(const Vector3& v) { glVertex3d(v.x, v.y, v.z); }

void EmitTexCoord(const Vector2& t) { glTexCoord2d(t.x, t.y); }

void EmitTexturedSquare(const Vector3& centre, double halfSize)
{
    const Vector3& c = centre;
    const double h = halfSize;
    EmitTexCoord(Vector2(0.0, 0.0));
    EmitVertex(Vector3(c.x - h, c.y - h, c.z));
    EmitTexCoord(Vector2(1.0, 0.0));
    EmitVertex(Vector3(c.x + h, c.y - h, c.z));
    EmitTexCoord(Vector2(1.0, 1.0));
    EmitVertex(Vector3(c.x + h, c.y + h, c.z));
    EmitTexCoord(Vector2(0.0, 1.0));
    EmitVertex(Vector3(c.x - h, c.y + h, c.z));
}

void SetUniformFloat(int location, double value) { glUniform1f(location, static_cast<float>(value)); }

void SetUniformVector3(int location, const Vector3& v)
{
    glUniform3f(location, static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z));
}
