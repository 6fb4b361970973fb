/*
 * CreatureHorns.frag
 * The creature's horns: dull grey, diffuse light only.
 * Created: 2026-12-08
 */

// Light falls straight down; the viewer sits at the camera.
const vec3 LightDirection = vec3(0.0, -1.0, 0.0);
const vec3 UserPoint = vec3(0.0, 0.0, 4.0);

const vec3 Color = vec3(0.5922, 0.5922, 0.5922);

varying vec3 vNormal;

vec3 Shade(vec3 normal, vec3 ownColor)
{
    float value = dot(normal, LightDirection);
    float diffuse = 0.0;
    if (value < 0.0)
        diffuse = -value;
    return ownColor * (0.3 + 0.7 * diffuse);
}

void main()
{
    gl_FragColor = vec4(Shade(normalize(vNormal), Color), 1.0);
}
