/*
 * Tentacle.vert
 * Ribbon vertex shader of the tentacle (40 nodes); the offset along the ribbon is
 * scaled by the tentacle's length, which is also handed on for the colour bands.
 * A vertex modelled along the ribbon (x in (0, 1], 1 at the head; y across, z up) is
 * placed by the node that x falls into: that node's position plus its frame (columns
 * tangent, side, up) applied to (offset along the ribbon, y, z). Mirrors
 * Ribbon::TransformVertex on the processor; NumberOfNodes must equal the ribbon's.
 * Created: 2026-12-08
 */

const int NumberOfNodes = 40;
const float NumberOfNodes_inverse = 0.025;

uniform mat3 uRibbonMatrixes[NumberOfNodes];
uniform vec3 uRibbonVertexes[NumberOfNodes];
uniform float uRibbonLength;

attribute vec2 aGridPoint;
attribute vec3 aNormal;
attribute vec3 aGridX;
attribute vec3 aGridY;

varying vec2 vGridPoint;
varying vec3 vNormal;
varying vec3 vGridX;
varying vec3 vGridY;
varying vec3 vGlobalCoordinates;
varying float vRibbonLength;

void main()
{
    float inverseX = 1.0 - gl_Vertex.x;
    int nodeIndex = int(floor(inverseX / NumberOfNodes_inverse));
    float offset = (float(nodeIndex) * NumberOfNodes_inverse - inverseX) * uRibbonLength;
    mat3 frame = uRibbonMatrixes[nodeIndex];
    vec3 worldPosition = uRibbonVertexes[nodeIndex] + frame * vec3(offset, gl_Vertex.y, gl_Vertex.z);
    gl_Position = gl_ModelViewProjectionMatrix * vec4(worldPosition, 1.0);

    vGridPoint = aGridPoint;
    vNormal = frame * aNormal;
    vGridX = frame * aGridX;
    vGridY = frame * aGridY;
    vGlobalCoordinates = worldPosition;
    vRibbonLength = uRibbonLength;
}
