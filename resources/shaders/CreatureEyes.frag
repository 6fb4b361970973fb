/*
 * CreatureEyes.frag
 * The creature's eyes: smooth, glossy and turquoise.
 * Created: 2026-12-08
 */

// Light falls straight down; the viewer sits at the camera.
const vec3 LightDirection = vec3(0.0, -1.0, 0.0);
const vec3 UserPoint = vec3(0.0, 0.0, 4.0);

const vec3 EyesColor = vec3(0.0078, 0.9765, 0.6667);
const vec3 EyesSpecular = vec3(1.0, 1.0, 1.0);

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
        if (r > 0.0) {
            // r to the power 32 by 5 squarings: pow costs an exp2 and a log2 a pixel.
            float power = r * r;
            power *= power;
            power *= power;
            power *= power;
            power *= power;
            specular = power;
        }
    }
    return ownColor * (0.3 + 0.7 * diffuse) + EyesSpecular * specular;
}

void main()
{
    gl_FragColor = vec4(Shade(normalize(vNormal), EyesColor), 1.0);
}
