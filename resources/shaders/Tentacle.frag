/*
 * Tentacle.frag
 * The tentacle: yellow and black bands whose number grows with its length; the root
 * fades to transparent over the first fifth.
 * Created: 2026-12-08
 */

// Light falls straight down; the viewer sits at the camera.
const vec3 LightDirection = vec3(0.0, -1.0, 0.0);
const vec3 UserPoint = vec3(0.0, 0.0, 4.0);

const vec3 FirstColor = vec3(2.0, 2.0, 0.0);
const vec3 SecondColor = vec3(0.0, 0.0, 0.0);
const vec3 Specular = vec3(0.2, 0.2, 0.2);
const float SpecularPow = 1.0;

varying vec2 vGridPoint;
varying vec3 vNormal;
varying vec3 vGlobalCoordinates;
varying float vRibbonLength;

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
            specular = pow(r, SpecularPow);
    }
    return ownColor * (0.3 + 0.7 * diffuse) + Specular * specular;
}

void main()
{
    float u = vGridPoint.x;
    float value = 0.5 * (1.0 + sin(20.0 * (1.0 - u) * vRibbonLength));
    vec3 ownColor = mix(FirstColor, SecondColor, value);
    float alpha = 1.0;
    if (u < 0.2)
        alpha = u / 0.2;
    gl_FragColor = vec4(Shade(vNormal, ownColor), alpha);
}
