/*
 * FlowerStalk.frag
 * A flower stalk: violet along its length, turning green over the top two fifths,
 * fading to black at the ground.
 * Created: 2026-12-08
 */

// Light falls straight down; the viewer sits at the camera.
const vec3 LightDirection = vec3(0.0, -1.0, 0.0);
const vec3 UserPoint = vec3(0.0, 0.0, 4.0);

const vec3 FirstColor = vec3(0.0902, 0.0, 0.9099);
const vec3 SecondColor = vec3(0.0, 0.9, 0.0);
const vec3 Specular = vec3(0.5, 0.5, 0.5);

varying vec2 vGridPoint;
varying vec3 vNormal;
varying vec3 vGlobalCoordinates;

// Diffuse from the light falling on the surface, specular from the light mirrored
// towards the viewer.
vec3 Shade(vec3 normal, vec3 ownColor)
{
    vec3 view = normalize(vGlobalCoordinates - UserPoint);
    float value = dot(normal, LightDirection);
    float diffuse = 0.0;
    float specular = 0.0;
    if (value < 0.0) {
        diffuse = -value;
        float r = 2.0 * value * dot(normal, view) - dot(LightDirection, view);
        if (r > 0.0)
            // r to the power 3, multiplied out: pow costs an exp2 and a log2 a pixel.
            specular = r * r * r;
    }
    return ownColor * (0.4 + 0.6 * diffuse) + Specular * specular;
}

void main()
{
    float u = vGridPoint.x;
    float k = 1.0;
    if (u > 0.6)
        k = (1.0 - u) / 0.4;
    vec3 color = Shade(vNormal, mix(SecondColor, FirstColor, k));
    if (u < 0.1)
        color *= u / 0.1;
    gl_FragColor = vec4(color, 1.0);
}
