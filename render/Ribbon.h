#pragma once

#include <cstddef>
#include <vector>

#include "render/RibbonMeshPart.h"
#include "render/RibbonNode.h"
#include "render/VectorMath.h"

// The skeleton of every long bending body: a chain of nodes, node 0 the head, whose
// frames a ribbon vertex shader uses to bend a rigid mesh modelled along x in (0, 1].
// The node count must equal the shader's NumberOfNodes.
class Ribbon {
public:
    // A straight chain from x = 1 towards x = 0 with identity frames.
    explicit Ribbon(int nodeCount);

    int NodeCount() const { return nodeCount_; }
    // Owners may write the nodes directly.
    RibbonNode* Nodes() { return nodes_.data(); }
    const RibbonNode* Nodes() const { return nodes_.data(); }
    RibbonNode& Node(int i) { return nodes_[static_cast<std::size_t>(i)]; }
    const RibbonNode& Node(int i) const { return nodes_[static_cast<std::size_t>(i)]; }

    // Lays the chain out straight behind origin, nodes |direction|/n apart. Nothing is
    // normalised.
    void Initialize(const Vector3& origin, const Vector3& up, const Vector3& direction);
    void MoveHead(const Vector3& position, const Vector3& up);
    // Drags every node to 1/n behind its predecessor and rebuilds all frames.
    void FollowHead();
    // Re-lays the chain along the head's direction with the given total length.
    void Straighten(double length);

    // Ribbon-local point to world: the processor twin of the ribbon vertex shader.
    // point.x is not used; x chooses the node.
    Vector3 TransformVertex(const Vector3& point, double x) const;
    // Ribbon-local direction to world (rotation only).
    Vector3 TransformNormal(const Vector3& direction, double x) const;

    // Per node a column-major 3x3 matrix with the columns tangent, side, up.
    const float* PackMatrixes();
    // Per node its position.
    const float* PackVertexes();

    // Scales a table of parts (ending with a part of vertex count 0) uniformly so that
    // its x range spans 0.01 ... 1.00. A table whose x values are all equal is left alone.
    static void FitModelToRibbon(RibbonMeshPart* parts);

    // Vertex-buffer layout of a mesh part: five float blocks, in this order.
    static std::size_t MeshPositionsOffset(int /*vertexCount*/) { return 0; }
    static std::size_t MeshGridXOffset(int vertexCount) { return 12 * Count(vertexCount); }
    static std::size_t MeshGridYOffset(int vertexCount) { return 24 * Count(vertexCount); }
    static std::size_t MeshNormalOffset(int vertexCount) { return 36 * Count(vertexCount); }
    static std::size_t MeshGridPointOffset(int vertexCount) { return 48 * Count(vertexCount); }
    static std::size_t MeshBufferBytes(int vertexCount) { return 56 * Count(vertexCount); }
    // Writes the five blocks into out, which holds MeshBufferBytes / 4 floats.
    static void FillMeshBuffer(const RibbonMeshPart& part, float* out);

    // Creates and fills the part's static vertex and index buffers (GL context current).
    // 0 on success, 1 when the staging memory cannot be had.
    static int BuildMeshBuffers(RibbonMeshPart* part);

protected:
    // Node 0's frame from its position, node 1's position and its own up.
    void RebuildHeadFrame();
    // Side and up of node i from its tangent and up.
    void Reorthogonalize(int i);
    // Node index for a ribbon-local x, kept inside the chain.
    int NodeIndexFor(double x) const;

    static std::size_t Count(int n) { return n > 0 ? static_cast<std::size_t>(n) : 0; }

    int nodeCount_;
    std::vector<RibbonNode> nodes_;
    std::vector<float> matrixes_;  // 9 per node
    std::vector<float> vertexes_;  // 3 per node
};
