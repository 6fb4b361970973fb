/*
 * CreatureScale.frag
 * The creature's scaled hide: domed scales in columns along the body, every other
 * column shifted by half a scale.
 * Created: 2026-12-08
 */

// Light falls straight down; the viewer sits at the camera.
const vec3 LightDirection = vec3(0.0, -1.0, 0.0);
const vec3 UserPoint = vec3(0.0, 0.0, 4.0);

const float ScaleWidth = 0.6;
const float ScaleHeight = 0.6;
const float ScaleThickness = 0.3;
const vec3 ScaleBackgroundColor = vec3(0.2, 0.6, 0.2);
const vec3 ScaleColor = vec3(0.1, 0.1, 0.8);
const vec3 ScaleSpecular = vec3(0.6, 0.6, 0.6);

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
    return ownColor * (0.3 + 0.7 * diffuse) + ScaleSpecular * specular;
}

void main()
{
    int column = int(vGridPoint.x / ScaleWidth);
    float x = vGridPoint.x - (float(column) + 0.5) * ScaleWidth;
    float y = vGridPoint.y;
    if (column / 2 != (column + 1) / 2)
        y += 0.5;
    y = mod(y, ScaleHeight) - ScaleHeight * 0.5;

    float xr = abs(x) / ScaleWidth;
    float yr = abs(y) / ScaleHeight;
    float a = 1.0 - 4.0 * (xr * xr + yr * yr);
    vec3 localNormal = vec3(0.0, 0.0, 1.0);
    vec3 ownColor = ScaleBackgroundColor;
    if (a > 0.0) {
        float b = x / (ScaleWidth * ScaleWidth);
        float c = y / (ScaleHeight * ScaleHeight);
        float d = sqrt(a + 16.0 * ScaleThickness * ScaleThickness * (b * b + c * c));
        float e = 4.0 * ScaleThickness / d;
        localNormal = vec3(e * b, e * c, sqrt(a) / d);
        ownColor = mix(ScaleBackgroundColor, ScaleColor, localNormal.z);
    }
    vec3 normal = vGridX * localNormal.x + vGridY * localNormal.y + vNormal * localNormal.z;
    gl_FragColor = vec4(Shade(normal, ownColor), 1.0);
}
