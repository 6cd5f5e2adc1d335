// Light: one fixed-function GL light (GL_LIGHT0..GL_LIGHT7). Every setter
// stores its values and sends them to GL at once; draw applies the light.
#pragma once

#include <GL/gl.h>

class Light {
public:
    explicit Light(GLenum lightId);

    void setPosition(float x, float y, float z, float w);
    void setAmbient(float r, float g, float b, float a);
    void setDiffuse(float r, float g, float b, float a);
    void setSpecular(float r, float g, float b, float a);
    void setSpot(float cutoff, float x, float y, float z, float w);
    void setSpotExponent(float exponent);
    void setAttenuation(float constant, float linear, float quadratic);
    void enable();  // only while on
    void disable(); // only while on
    // Applies the light (only while on): enable, then send position and spot direction.
    void draw();

    GLenum lightId;
    bool on = true;
    float lightPosition[4] = {0, 0, 0, 0};    // w 0: directional, 1: positional
    float ambient[4] = {0, 0, 0, 1};
    float diffuse[4] = {1, 1, 1, 1};
    float specular[4] = {1, 1, 1, 1};
    float spotCutoff = 180;                   // degrees; GL's default, no spot
    float spotDirection[4] = {0, 0, -1, 0};   // GL's default; w kept, never sent
    float spotExponent = 0;
    float constantAttenuation = 1;
    float linearAttenuation = 0;
    float quadraticAttenuation = 0;
};
