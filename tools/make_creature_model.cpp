// Generates the winged creature's body model as a C++ source of constant tables:
// four mesh parts (scaled body, wrinkled belly, two eyes, two horns) and a terminator.
// The model lies along +x with the head at the large-x end, symmetric about y = 0,
// z up. Every part is a closed surface wound counter-clockwise seen from outside.
//
//   make_creature_model <output .cpp>
//
// Deterministic: no random numbers, no time.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

const double kPi = 3.14159265358979323846;

struct V3 {
    double x = 0.0, y = 0.0, z = 0.0;
    V3() = default;
    V3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
    V3 operator+(const V3& b) const { return V3(x + b.x, y + b.y, z + b.z); }
    V3 operator-(const V3& b) const { return V3(x - b.x, y - b.y, z - b.z); }
    V3 operator*(double s) const { return V3(x * s, y * s, z * s); }
};

double Dot(const V3& a, const V3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Cross(const V3& a, const V3& b)
{
    return V3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
double Length(const V3& a) { return std::sqrt(Dot(a, a)); }
V3 Unit(const V3& a)
{
    const double d = Length(a);
    return d > 0.0 ? a * (1.0 / d) : V3(1.0, 0.0, 0.0);
}

struct Vertex {
    V3 position;
    double u = 0.0, v = 0.0;
    V3 normal, gridX, gridY;
};

struct Mesh {
    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> indices;  // three per triangle
};

// A closed grid: `rings` rings of `columns` points each (the first point of a ring is
// repeated at the end with the closing v, so that v is continuous), closed at both
// ends by pole points. Pole points are repeated once per column so that every copy
// keeps the grid coordinates of its own column.
struct ClosedGrid {
    int rings = 0;
    int columns = 0;   // distinct points per ring
    bool seam = true;  // repeat the first column at the end (for continuous v)
    std::vector<V3> points;  // rings * columns
    std::vector<double> ringU;
    std::vector<double> columnV;  // columns + 1 values
    V3 rearPole, frontPole;
    double rearU = 0.0, frontU = 0.0;
};

// Index of ring r, column c in the vertex list (c may be `columns` for the seam copy).
struct GridLayout {
    int rings, stride;
    std::uint32_t Ring(int r, int c) const { return static_cast<std::uint32_t>(r * stride + c); }
};

using WeldKey = std::tuple<long long, long long, long long>;
WeldKey Weld(const V3& p)
{
    const double q = 1e7;
    return WeldKey(std::llround(p.x * q), std::llround(p.y * q), std::llround(p.z * q));
}

// Area-weighted vertex normals over welded positions, so that seam and pole copies share
// one normal.
void ComputeNormals(Mesh& mesh)
{
    std::map<WeldKey, V3> sums;
    for (std::size_t t = 0; t + 2 < mesh.indices.size(); t += 3) {
        const V3& a = mesh.vertices[mesh.indices[t]].position;
        const V3& b = mesh.vertices[mesh.indices[t + 1]].position;
        const V3& c = mesh.vertices[mesh.indices[t + 2]].position;
        const V3 n = Cross(b - a, c - a);
        for (int k = 0; k < 3; ++k) {
            V3& s = sums[Weld(mesh.vertices[mesh.indices[t + k]].position)];
            s = s + n;
        }
    }
    for (Vertex& v : mesh.vertices)
        v.normal = Unit(sums[Weld(v.position)]);
}

// Orthonormal surface frame: gridX along the u direction, gridY along v, both
// perpendicular to the normal.
void SetFrame(Vertex& v, const V3& alongU, const V3& alongV)
{
    const V3& n = v.normal;
    V3 gx = alongU - n * Dot(n, alongU);
    if (Length(gx) < 1e-9) {
        // Degenerate direction: any tangent will do.
        gx = Cross(n, std::fabs(n.x) < 0.9 ? V3(1, 0, 0) : V3(0, 1, 0));
    }
    gx = Unit(gx);
    V3 gy = Cross(n, gx);
    if (Dot(gy, alongV) < 0.0)
        gy = gy * -1.0;
    v.gridX = gx;
    v.gridY = Unit(gy);
}

double SignedVolume(const Mesh& mesh)
{
    double volume = 0.0;
    for (std::size_t t = 0; t + 2 < mesh.indices.size(); t += 3) {
        const V3& a = mesh.vertices[mesh.indices[t]].position;
        const V3& b = mesh.vertices[mesh.indices[t + 1]].position;
        const V3& c = mesh.vertices[mesh.indices[t + 2]].position;
        volume += Dot(a, Cross(b, c)) / 6.0;
    }
    return volume;
}

Mesh BuildClosedGrid(const ClosedGrid& g)
{
    Mesh mesh;
    const int stride = g.columns + (g.seam ? 1 : 0);
    const GridLayout layout{g.rings, stride};
    for (int r = 0; r < g.rings; ++r) {
        for (int c = 0; c < stride; ++c) {
            Vertex v;
            v.position = g.points[static_cast<std::size_t>(r * g.columns + c % g.columns)];
            v.u = g.ringU[static_cast<std::size_t>(r)];
            v.v = g.columnV[static_cast<std::size_t>(c)];
            mesh.vertices.push_back(v);
        }
    }
    // Pole copies: one per column without seam repetition, v at the column's middle.
    const std::uint32_t rearBase = static_cast<std::uint32_t>(mesh.vertices.size());
    const int poleCopies = g.seam ? g.columns : 1;
    for (int c = 0; c < poleCopies; ++c) {
        Vertex v;
        v.position = g.rearPole;
        v.u = g.rearU;
        v.v = g.seam ? 0.5 * (g.columnV[static_cast<std::size_t>(c)] + g.columnV[static_cast<std::size_t>(c + 1)])
                     : g.columnV[0];
        mesh.vertices.push_back(v);
    }
    const std::uint32_t frontBase = static_cast<std::uint32_t>(mesh.vertices.size());
    for (int c = 0; c < poleCopies; ++c) {
        Vertex v = mesh.vertices[rearBase + static_cast<std::uint32_t>(c)];
        v.position = g.frontPole;
        v.u = g.frontU;
        mesh.vertices.push_back(v);
    }

    auto column = [&](int c) { return g.seam ? c : c % g.columns; };
    auto pole = [&](std::uint32_t base, int c) { return base + static_cast<std::uint32_t>(g.seam ? c : 0); };
    auto triangle = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        mesh.indices.push_back(a);
        mesh.indices.push_back(b);
        mesh.indices.push_back(c);
    };
    for (int c = 0; c < g.columns; ++c)
        triangle(pole(rearBase, c), layout.Ring(0, column(c + 1)), layout.Ring(0, c));
    for (int r = 0; r + 1 < g.rings; ++r) {
        for (int c = 0; c < g.columns; ++c) {
            const std::uint32_t a = layout.Ring(r, c), b = layout.Ring(r, column(c + 1));
            const std::uint32_t d = layout.Ring(r + 1, c), e = layout.Ring(r + 1, column(c + 1));
            triangle(a, b, e);
            triangle(a, e, d);
        }
    }
    for (int c = 0; c < g.columns; ++c)
        triangle(pole(frontBase, c), layout.Ring(g.rings - 1, c), layout.Ring(g.rings - 1, column(c + 1)));

    // Wind counter-clockwise seen from outside.
    if (SignedVolume(mesh) < 0.0) {
        for (std::size_t t = 0; t + 2 < mesh.indices.size(); t += 3)
            std::swap(mesh.indices[t + 1], mesh.indices[t + 2]);
    }
    ComputeNormals(mesh);

    // Frames from the neighbouring grid points.
    auto point = [&](int r, int c) {
        r = std::max(0, std::min(g.rings - 1, r));
        c = ((c % g.columns) + g.columns) % g.columns;
        return g.points[static_cast<std::size_t>(r * g.columns + c)];
    };
    for (int r = 0; r < g.rings; ++r) {
        for (int c = 0; c < stride; ++c) {
            Vertex& v = mesh.vertices[layout.Ring(r, c)];
            const V3 alongU = (r + 1 < g.rings ? point(r + 1, c) : g.frontPole) -
                              (r > 0 ? point(r - 1, c) : g.rearPole);
            const V3 alongV = point(r, c + 1) - point(r, c - 1);
            SetFrame(v, alongU, alongV);
        }
    }
    for (int c = 0; c < poleCopies; ++c) {
        Vertex& rear = mesh.vertices[rearBase + static_cast<std::uint32_t>(c)];
        const V3 out = (point(0, c) + point(0, c + 1)) * 0.5 - g.rearPole;
        SetFrame(rear, out, point(0, c + 1) - point(0, c));
        Vertex& front = mesh.vertices[frontBase + static_cast<std::uint32_t>(c)];
        const V3 in = g.frontPole - (point(g.rings - 1, c) + point(g.rings - 1, c + 1)) * 0.5;
        SetFrame(front, in, point(g.rings - 1, c + 1) - point(g.rings - 1, c));
    }
    return mesh;
}

// Monotone cubic (Fritsch-Carlson) through keyframes: smooth, and never overshoots
// its keys, so the keys fix the extents.
class Profile {
public:
    Profile(std::vector<double> xs, std::vector<double> ys) : x_(std::move(xs)), y_(std::move(ys))
    {
        const std::size_t n = x_.size();
        std::vector<double> d(n - 1);
        for (std::size_t i = 0; i + 1 < n; ++i)
            d[i] = (y_[i + 1] - y_[i]) / (x_[i + 1] - x_[i]);
        m_.assign(n, 0.0);
        m_[0] = d[0];
        m_[n - 1] = d[n - 2];
        for (std::size_t i = 1; i + 1 < n; ++i)
            m_[i] = (d[i - 1] * d[i] <= 0.0) ? 0.0 : 0.5 * (d[i - 1] + d[i]);
        for (std::size_t i = 0; i + 1 < n; ++i) {
            if (d[i] == 0.0) {
                m_[i] = m_[i + 1] = 0.0;
                continue;
            }
            const double a = m_[i] / d[i], b = m_[i + 1] / d[i];
            const double s = a * a + b * b;
            if (s > 9.0) {
                const double t = 3.0 / std::sqrt(s);
                m_[i] = t * a * d[i];
                m_[i + 1] = t * b * d[i];
            }
        }
    }

    double operator()(double x) const
    {
        if (x <= x_.front())
            return y_.front();
        if (x >= x_.back())
            return y_.back();
        std::size_t i = 0;
        while (x > x_[i + 1])
            ++i;
        const double h = x_[i + 1] - x_[i];
        const double t = (x - x_[i]) / h;
        const double t2 = t * t, t3 = t2 * t;
        return (2 * t3 - 3 * t2 + 1) * y_[i] + (t3 - 2 * t2 + t) * h * m_[i] + (-2 * t3 + 3 * t2) * y_[i + 1] +
               (t3 - t2) * h * m_[i + 1];
    }

private:
    std::vector<double> x_, y_, m_;
};

// Body: x from the tail tip to the nose.
const double kTailX = -6.07;
const double kNoseX = 5.77;
const double kNoseCap = 0.6;  // length of the rounded snout

// Keyframes of the body's cross-sections: tail tip, tail, trunk (flat underside from
// -2.2 to 2.75 where the belly hangs), neck, head, snout.
const std::vector<double> kKeysX = {-6.07, -5.5, -4.4, -3.2, -2.2, -1.4, 0.4, 1.9, 2.75, 3.35, 3.75, 4.25, 4.75, 5.17, 5.77};
const Profile kHalfWidth(kKeysX, {0.0, 0.16, 0.40, 0.72, 1.08, 1.27, 1.29, 1.24, 1.02, 0.58, 0.56, 0.60, 0.52, 0.42, 0.42});
const Profile kCentreZ(kKeysX, {0.30, 0.30, 0.28, 0.22, 0.10, 0.10, 0.10, 0.10, 0.10, 0.28, 0.32, 0.36, 0.34, 0.28, 0.24});
const Profile kTop(kKeysX, {0.0, 0.12, 0.34, 0.60, 0.90, 1.00, 1.00, 0.98, 0.86, 0.50, 0.50, 0.58, 0.46, 0.34, 0.34});
const Profile kBottom(kKeysX, {0.0, 0.10, 0.28, 0.50, 0.85, 0.85, 0.85, 0.85, 0.85, 0.44, 0.44, 0.50, 0.46, 0.36, 0.36});
// Super-ellipse exponents: a flat underside where the belly hangs.
const Profile kTopPower(kKeysX, {2.0, 2.0, 2.1, 2.2, 2.4, 2.4, 2.4, 2.4, 2.4, 2.2, 2.2, 2.2, 2.2, 2.1, 2.1});
const Profile kBottomPower(kKeysX, {2.0, 2.0, 2.2, 3.0, 8.0, 8.0, 8.0, 8.0, 8.0, 2.4, 2.3, 2.3, 2.3, 2.2, 2.2});

// The rounded snout: all cross-section sizes shrink like a quarter ellipse.
double NoseFactor(double x)
{
    const double start = kNoseX - kNoseCap;
    if (x <= start)
        return 1.0;
    const double t = (x - start) / kNoseCap;
    return std::sqrt(std::max(0.0, 1.0 - t * t));
}

struct Section {
    double halfWidth, centreZ, top, bottom, topPower, bottomPower;
};

Section BodySection(double x)
{
    const double f = NoseFactor(x);
    return Section{kHalfWidth(x) * f, kCentreZ(x), kTop(x) * f, kBottom(x) * f, kTopPower(x), kBottomPower(x)};
}

// Signed power keeping the sign of the base.
double SPow(double value, double e) { return (value < 0 ? -1.0 : 1.0) * std::pow(std::fabs(value), e); }

// A point of the super-elliptic cross-section at angle theta (0 at +y, pi/2 at the top).
V3 SectionPoint(const Section& s, double x, double theta)
{
    // cos(pi/2) is 6e-17, not 0, and a fractional power would blow that up into an
    // asymmetry of 1e-4.
    auto snap = [](double value) { return std::fabs(value) < 1e-12 ? 0.0 : value; };
    const double c = snap(std::cos(theta)), sn = snap(std::sin(theta));
    const double p = sn >= 0.0 ? s.topPower : s.bottomPower;
    const double h = sn >= 0.0 ? s.top : s.bottom;
    return V3(x, s.halfWidth * SPow(c, 2.0 / p), s.centreZ + h * SPow(sn, 2.0 / p));
}

// z of the body's underside at x and |y| (inside the section's width).
double BodyUnderside(double x, double y)
{
    const Section s = BodySection(x);
    const double a = std::min(1.0, std::fabs(y) / s.halfWidth);
    return s.centreZ - s.bottom * std::pow(1.0 - std::pow(a, s.bottomPower), 1.0 / s.bottomPower);
}

// Ring stations denser towards both ends, where the tail tip and the head need them.
double Station(double t) { return t - 0.62 * std::sin(2.0 * kPi * t) / (2.0 * kPi); }

Mesh MakeBody()
{
    ClosedGrid g;
    g.rings = 34;
    g.columns = 20;  // v spans 12 in steps of the scale height 0.6
    const double uScale = 14.27 / (kNoseX - kTailX);
    for (int r = 0; r < g.rings; ++r) {
        const double t = Station((r + 1.0) / (g.rings + 1.0));
        const double x = kTailX + (kNoseX - kTailX) * t;
        const Section s = BodySection(x);
        for (int c = 0; c < g.columns; ++c) {
            // Start under the side (theta = -pi/2 + ...) so the seam runs along the belly.
            const double theta = -0.5 * kPi + 2.0 * kPi * c / g.columns;
            g.points.push_back(SectionPoint(s, x, theta));
        }
        g.ringU.push_back((x - kTailX) * uScale);
    }
    for (int c = 0; c <= g.columns; ++c)
        g.columnV.push_back(-4.0 + 12.0 * c / g.columns);
    g.rearPole = V3(kTailX, 0.0, kCentreZ(kTailX));
    g.frontPole = V3(kNoseX, 0.0, kCentreZ(kNoseX));
    g.rearU = 0.0;
    g.frontU = 14.27;
    return BuildClosedGrid(g);
}

// Belly: a pouch under the trunk, its rim on the body's flat underside, bulging wider
// below it; the top is closed by a lid hidden inside the body.
const double kBellyRear = -2.01;
const double kBellyFront = 2.77;

Mesh MakeBelly()
{
    ClosedGrid g;
    g.rings = 11;
    const int arc = 8;      // segments of the hanging curve
    g.columns = arc + 1;    // plus the lid
    const double length = kBellyFront - kBellyRear;
    for (int r = 0; r < g.rings; ++r) {
        const double t = (r + 1.0) / (g.rings + 1.0);
        const double x = kBellyRear + length * t;
        const double envelope = std::pow(std::sin(kPi * t), 0.55);
        const double width = 1.28 * envelope;  // widest half-width of the pouch
        const double depth = 0.75 * envelope;  // half-height of its ellipse
        const double rimY = 0.75 * kHalfWidth(x) * envelope;
        const double rimZ = BodyUnderside(x, rimY);
        // The ellipse passes through the rim: cos(psi0) = rimY / width.
        const double psi0 = std::acos(std::min(1.0, rimY / width));
        const double centreZ = rimZ - depth * std::sin(psi0);
        for (int c = 0; c <= arc; ++c) {
            // From the +y rim down under the belly to the -y rim.
            const double psi = psi0 - (kPi + 2.0 * psi0) * c / arc;
            g.points.push_back(V3(x, width * std::cos(psi), centreZ + depth * std::sin(psi)));
        }
        g.ringU.push_back(9.56 * t);
    }
    for (int c = 0; c <= g.columns; ++c)
        g.columnV.push_back(1.35 + 5.3 * c / g.columns);
    g.rearPole = V3(kBellyRear, 0.0, BodyUnderside(kBellyRear, 0.0));
    g.frontPole = V3(kBellyFront, 0.0, BodyUnderside(kBellyFront, 0.0));
    g.rearU = 0.0;
    g.frontU = 9.56;
    return BuildClosedGrid(g);
}

// One eye: a sphere with its poles along x, 10 segments and 9 rings.
Mesh MakeEye(double side)
{
    const V3 centre(4.715, 0.565 * side, 0.39);
    const double radius = 0.255;
    ClosedGrid g;
    g.rings = 9;
    g.columns = 10;
    g.seam = false;
    for (int r = 0; r < g.rings; ++r) {
        const double a = kPi * (r + 1.0) / (g.rings + 1.0);  // from the rear pole
        for (int c = 0; c < g.columns; ++c) {
            const double b = 2.0 * kPi * c / g.columns;
            g.points.push_back(centre + V3(-std::cos(a), std::sin(a) * std::cos(b), std::sin(a) * std::sin(b)) * radius);
        }
        g.ringU.push_back(0.66 * (1.0 - std::cos(a)) * 0.5);
    }
    for (int c = 0; c < g.columns; ++c)
        g.columnV.push_back(0.66 * c / g.columns);
    g.rearPole = centre + V3(-radius, 0.0, 0.0);
    g.frontPole = centre + V3(radius, 0.0, 0.0);
    g.rearU = 0.0;
    g.frontU = 0.66;
    Mesh mesh = BuildClosedGrid(g);
    // A sphere's own normals are exact.
    for (Vertex& v : mesh.vertices) {
        v.normal = Unit(v.position - centre);
        SetFrame(v, V3(1, 0, 0), v.gridY);
    }
    return mesh;
}

// One horn: a curved cone from inside the head out sideways and up to a sharp tip.
Mesh MakeHorn(double side)
{
    const V3 base(4.25, 0.30 * side, 0.93);
    const V3 bend(4.25, 0.98 * side, 0.98);
    const V3 tip(4.25, 1.22 * side, 1.60);
    const double baseRadius = 0.11;
    auto curve = [&](double t) { return base * ((1 - t) * (1 - t)) + bend * (2 * t * (1 - t)) + tip * (t * t); };
    auto tangent = [&](double t) { return Unit((bend - base) * (2 * (1 - t)) + (tip - bend) * (2 * t)); };
    ClosedGrid g;
    g.rings = 14;
    g.columns = 10;
    g.seam = false;
    for (int r = 0; r < g.rings; ++r) {
        const double t = r / (g.rings - 0.4);
        const V3 centre = curve(t);
        const V3 along = tangent(t);
        const V3 across = Unit(Cross(V3(1, 0, 0), along));
        const V3 other = Cross(along, across);
        const double radius = baseRadius * std::pow(1.0 - t, 0.85);
        for (int c = 0; c < g.columns; ++c) {
            const double b = 2.0 * kPi * c / g.columns;
            g.points.push_back(centre + (other * std::cos(b) + across * std::sin(b)) * radius);
        }
        g.ringU.push_back(0.0);
    }
    for (int c = 0; c < g.columns; ++c)
        g.columnV.push_back(0.2 * c / g.columns);
    g.rearPole = base - tangent(0.0) * (0.6 * baseRadius);
    g.frontPole = tip;
    Mesh mesh = BuildClosedGrid(g);
    // u grows with x from the horn's rear end.
    double least = 1e9, greatest = -1e9;
    for (const Vertex& v : mesh.vertices) {
        least = std::min(least, v.position.x);
        greatest = std::max(greatest, v.position.x);
    }
    for (Vertex& v : mesh.vertices)
        v.u = 0.2 * (v.position.x - least) / (greatest - least);
    return mesh;
}

Mesh Join(const Mesh& a, const Mesh& b)
{
    Mesh m = a;
    const std::uint32_t offset = static_cast<std::uint32_t>(a.vertices.size());
    m.vertices.insert(m.vertices.end(), b.vertices.begin(), b.vertices.end());
    for (std::uint32_t i : b.indices)
        m.indices.push_back(i + offset);
    return m;
}

std::string Number(double value)
{
    if (std::fabs(value) < 5e-13)
        value = 0.0;
    char text[40];
    std::snprintf(text, sizeof text, "%.12g", value);
    return text;
}

std::string Vec(const V3& v) { return "{" + Number(v.x) + ", " + Number(v.y) + ", " + Number(v.z) + "}"; }

void WritePart(std::FILE* out, const Mesh& mesh, const char* name)
{
    std::fprintf(out, "RibbonMeshVertex k%sVertices[%zu] = {\n", name, mesh.vertices.size());
    for (const Vertex& v : mesh.vertices) {
        std::fprintf(out, "    {%s, {%s, %s}, %s, %s, %s},\n", Vec(v.position).c_str(), Number(v.u).c_str(),
                     Number(v.v).c_str(), Vec(v.normal).c_str(), Vec(v.gridX).c_str(), Vec(v.gridY).c_str());
    }
    std::fprintf(out, "};\n\n");
    // The index list carries its two counts in front of the triangles.
    std::fprintf(out, "const std::uint32_t k%sIndexList[%zu] = {\n    %zu, %zu,", name, mesh.indices.size() + 2,
                 mesh.vertices.size(), mesh.indices.size() / 3);
    for (std::size_t i = 0; i < mesh.indices.size(); ++i)
        std::fprintf(out, "%s%u,", i % 3 == 0 ? (i % 24 == 0 ? "\n    " : " ") : " ", mesh.indices[i]);
    std::fprintf(out, "\n};\n\n");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_creature_model <output.cpp>\n");
        return 2;
    }
    const Mesh parts[4] = {MakeBody(), MakeBelly(), Join(MakeEye(1.0), MakeEye(-1.0)),
                           Join(MakeHorn(1.0), MakeHorn(-1.0))};
    const char* const names[4] = {"Body", "Belly", "Eyes", "Horns"};

    std::FILE* out = std::fopen(argv[1], "w");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(out,
                 "// Made by tools/make_creature_model at build time; not to be edited.\n"
                 "#include \"scene/WingedCreatureModel.h\"\n\nnamespace {\n\n");
    for (int k = 0; k < 4; ++k)
        WritePart(out, parts[k], names[k]);
    std::fprintf(out, "}  // namespace\n\nRibbonMeshPart WingedCreatureModel[5] = {\n");
    for (int k = 0; k < 4; ++k) {
        std::fprintf(out, "    {%zu, %zu, k%sVertices, k%sIndexList + 2, 0, 0},\n", parts[k].vertices.size(),
                     parts[k].indices.size() / 3, names[k], names[k]);
    }
    std::fprintf(out, "    {0, 0, nullptr, nullptr, 0, 0},\n};\n\n");
    std::fprintf(out, "const std::uint32_t* const WingedCreatureModelIndexLists[4] = {\n");
    for (int k = 0; k < 4; ++k)
        std::fprintf(out, "    k%sIndexList,\n", names[k]);
    std::fprintf(out, "};\n");
    const bool failed = std::ferror(out) != 0;
    if (std::fclose(out) != 0 || failed) {
        std::fprintf(stderr, "make_creature_model: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
