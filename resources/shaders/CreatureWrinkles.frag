/*
 * CreatureWrinkles.frag
 * The creature's belly: grooves across the body, each a shallow cylinder
 * WrinkleWidth wide, bent into the surface normal.
 * Created: 2026-12-08
 */

// Light falls straight down; the viewer sits at the camera.
const vec3 LightDirection = vec3(0.0, -1.0, 0.0);
const vec3 UserPoint = vec3(0.0, 0.0, 4.0);

const float WrinkleWidth = 0.4;
const float WrinkleRadius = 2.0;
const vec3 WrinkleColor = vec3(0.2, 0.6, 0.2);
const vec3 WrinkleSpecular = vec3(0.6, 0.6, 0.6);

varying vec2 vGridPoint;
varying vec3 vNormal;
varying vec3 vGridX;
varying vec3 vGridY;
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
        if (r > 0.0) {
            // r to the power 8 by 3 squarings: pow costs an exp2 and a log2 a pixel.
            float power = r * r;
            power *= power;
            power *= power;
            specular = power;
        }
    }
    return ownColor * (0.3 + 0.7 * diffuse) + WrinkleSpecular * specular;
}

void main()
{
    float x = mod(vGridPoint.x, WrinkleWidth);
    vec3 localNormal = normalize(vec3(x - WrinkleWidth * 0.5, 0.0, WrinkleRadius));
    vec3 normal = normalize(vGridX * localNormal.x + vGridY * localNormal.y + vNormal * localNormal.z);
    gl_FragColor = vec4(Shade(normal, WrinkleColor), 1.0);
}
