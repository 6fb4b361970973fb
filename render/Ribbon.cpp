#include "render/Ribbon.h"

#include <cmath>
#include <new>

#include "platform/OpenGL.h"

namespace {

// The double that 1 - 0.8 gives: the share of the predecessor's roll a node takes.
const double kRollFollow = 0.19999999999999996;
const double kRollKeep = 0.8;

Vector3 Normalized(Vector3 v)
{
    v.Normalize();
    return v;
}

void PutVector3(float* out, const Vector3& v)
{
    out[0] = static_cast<float>(v.x);
    out[1] = static_cast<float>(v.y);
    out[2] = static_cast<float>(v.z);
}

}  // namespace

// Fewer than two nodes would leave the head frame without a neighbour to aim at.
Ribbon::Ribbon(int nodeCount)
    : nodeCount_(nodeCount < 2 ? 2 : nodeCount),
      nodes_(static_cast<std::size_t>(nodeCount_)),
      matrixes_(static_cast<std::size_t>(nodeCount_) * 9),
      vertexes_(static_cast<std::size_t>(nodeCount_) * 3)
{
    Initialize(Vector3(1, 0, 0), Vector3(0, 0, 1), Vector3(1, 0, 0));
}

void Ribbon::Initialize(const Vector3& origin, const Vector3& up, const Vector3& direction)
{
    const Vector3 step = direction * (-1.0 / nodeCount_);
    const Vector3 side = Cross(up, direction);
    for (int i = 0; i < nodeCount_; ++i) {
        RibbonNode& node = Node(i);
        node.position = origin + step * i;
        node.tangent = direction;
        node.side = side;
        node.up = up;
    }
}

void Ribbon::MoveHead(const Vector3& position, const Vector3& up)
{
    Node(0).position = position;
    Node(0).up = up;
    FollowHead();
}

void Ribbon::RebuildHeadFrame()
{
    RibbonNode& head = Node(0);
    head.tangent = Normalized(head.position - Node(1).position);
    head.side = Normalized(Cross(head.up, head.tangent));
    head.up = Normalized(Cross(head.tangent, head.side));
}

void Ribbon::Reorthogonalize(int i)
{
    RibbonNode& node = Node(i);
    node.side = Normalized(Cross(node.up, node.tangent));
    node.up = Normalized(Cross(node.tangent, node.side));
}

void Ribbon::FollowHead()
{
    const double spacing = 1.0 / nodeCount_;
    for (int i = 1; i < nodeCount_; ++i) {
        const Vector3& leader = Node(i - 1).position;
        Vector3& follower = Node(i).position;
        const double c = (leader - follower).Length();
        if (c == 0.0) {
            // Two nodes at one place have no direction between them.
            follower = leader;
            follower.x -= spacing;
        } else {
            const double d = (1.0 / c) / nodeCount_;
            follower = follower * d + leader * (1.0 - d);
        }
    }

    RebuildHeadFrame();
    for (int i = 1; i < nodeCount_; ++i) {
        RibbonNode& node = Node(i);
        if (i + 1 < nodeCount_)
            node.tangent = Normalized(node.position - Node(i + 1).position);
        else
            node.tangent = Node(i - 1).tangent;
        node.up = Node(i - 1).up * kRollFollow + node.up * kRollKeep;
        Reorthogonalize(i);
    }
}

void Ribbon::Straighten(double length)
{
    RebuildHeadFrame();
    const double step = length / (nodeCount_ - 1);
    for (int i = 1; i < nodeCount_; ++i) {
        RibbonNode& node = Node(i);
        const RibbonNode& previous = Node(i - 1);
        node.position = previous.position - previous.tangent * step;
        // Node i + 1 still holds its position from before this call.
        if (i + 1 < nodeCount_)
            node.tangent = Normalized(node.position - Node(i + 1).position);
        else
            node.tangent = previous.tangent;
        node.up = previous.up;
        Reorthogonalize(i);
    }
}

int Ribbon::NodeIndexFor(double x) const
{
    // x = 0 would address one past the last node; callers keep x in (0, 1].
    const double k = std::floor(nodeCount_ * (1.0 - x));
    if (!(k >= 0.0))
        return 0;
    if (k > nodeCount_ - 1)
        return nodeCount_ - 1;
    return static_cast<int>(k);
}

Vector3 Ribbon::TransformVertex(const Vector3& point, double x) const
{
    // The offset is taken from the same node index (as the shader does) rather than
    // from fmod, which disagrees with floor at node boundaries and there threw a
    // vertex a whole node spacing off.
    const int k = NodeIndexFor(x);
    const RibbonNode& node = Node(k);
    const double b = (1.0 - x) - k * (1.0 / nodeCount_);
    return node.position - node.tangent * b + node.side * point.y + node.up * point.z;
}

Vector3 Ribbon::TransformNormal(const Vector3& direction, double x) const
{
    const RibbonNode& node = Node(NodeIndexFor(x));
    return node.tangent * direction.x + node.side * direction.y + node.up * direction.z;
}

const float* Ribbon::PackMatrixes()
{
    float* out = matrixes_.data();
    for (const RibbonNode& node : nodes_) {
        PutVector3(out, node.tangent);
        PutVector3(out + 3, node.side);
        PutVector3(out + 6, node.up);
        out += 9;
    }
    return matrixes_.data();
}

const float* Ribbon::PackVertexes()
{
    float* out = vertexes_.data();
    for (const RibbonNode& node : nodes_) {
        PutVector3(out, node.position);
        out += 3;
    }
    return vertexes_.data();
}

void Ribbon::FitModelToRibbon(RibbonMeshPart* parts)
{
    bool any = false;
    double least = 0.0;
    double greatest = 0.0;
    for (const RibbonMeshPart* part = parts; part->vertexCount != 0; ++part) {
        for (int i = 0; i < part->vertexCount; ++i) {
            const double x = part->vertices[i].position.x;
            if (!any || x < least)
                least = x;
            if (!any || x > greatest)
                greatest = x;
            any = true;
        }
    }
    if (!any || least == greatest)
        return;

    // The tail ends at 0.01, never 0, which would address one past the last node.
    const double s = 0.99 / (greatest - least);
    for (RibbonMeshPart* part = parts; part->vertexCount != 0; ++part) {
        for (int i = 0; i < part->vertexCount; ++i) {
            Vector3& p = part->vertices[i].position;
            p = Vector3((p.x - least) * s + 0.01, p.y * s, p.z * s);
        }
    }
}

void Ribbon::FillMeshBuffer(const RibbonMeshPart& part, float* out)
{
    const int n = part.vertexCount;
    float* positions = out + MeshPositionsOffset(n) / 4;
    float* gridX = out + MeshGridXOffset(n) / 4;
    float* gridY = out + MeshGridYOffset(n) / 4;
    float* normals = out + MeshNormalOffset(n) / 4;
    float* gridPoints = out + MeshGridPointOffset(n) / 4;
    for (int i = 0; i < n; ++i) {
        const RibbonMeshVertex& v = part.vertices[i];
        PutVector3(positions + 3 * i, v.position);
        PutVector3(gridX + 3 * i, v.gridX);
        PutVector3(gridY + 3 * i, v.gridY);
        PutVector3(normals + 3 * i, v.normal);
        gridPoints[2 * i] = static_cast<float>(v.gridPoint.x);
        gridPoints[2 * i + 1] = static_cast<float>(v.gridPoint.y);
    }
}

int Ribbon::BuildMeshBuffers(RibbonMeshPart* part)
{
    const std::size_t vertexBytes = MeshBufferBytes(part->vertexCount);
    float* staging = new (std::nothrow) float[vertexBytes / 4 + 1];
    if (staging == nullptr)
        return 1;
    FillMeshBuffer(*part, staging);
    GLuint name = 0;
    glGenBuffers(1, &name);
    part->vertexBuffer = name;
    glBindBuffer(GL_ARRAY_BUFFER, name);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexBytes), staging, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    delete[] staging;

    const std::size_t indexCount = 3 * Count(part->triangleCount);
    GLuint* indices = new (std::nothrow) GLuint[indexCount + 1];
    if (indices == nullptr)
        return 1;
    for (std::size_t i = 0; i < indexCount; ++i)
        indices[i] = part->indices[i];
    glGenBuffers(1, &name);
    part->indexBuffer = name;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, name);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexCount * sizeof(GLuint)), indices,
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    delete[] indices;
    return 0;
}
