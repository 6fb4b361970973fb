/*
 * FlowerFruit.vert
 * A flower's fruit: the unit sphere model moved, turned and scaled onto the stalk's tip;
 * its normal points away from the sphere's centre.
 * Created: 2026-12-08
 */

uniform mat4 uTransformationMatrix;
uniform vec3 uSphereCenter;

attribute vec2 aGridPoint;

varying vec2 vGridPoint;
varying vec3 vNormal;
varying vec3 vGlobalCoordinates;

void main()
{
    vec4 realPoint = uTransformationMatrix * gl_Vertex;
    gl_Position = gl_ModelViewProjectionMatrix * realPoint;
    vNormal = realPoint.xyz - uSphereCenter;
    vGlobalCoordinates = realPoint.xyz;
    vGridPoint = aGridPoint;
}
