// Light: stores each parameter and sends it to GL at once.
#include "scene/light.h"

Light::Light(GLenum lightId) : lightId(lightId) {}

void Light::setPosition(float x, float y, float z, float w) {
    lightPosition[0] = x;
    lightPosition[1] = y;
    lightPosition[2] = z;
    lightPosition[3] = w;
    glLightfv(lightId, GL_POSITION, lightPosition);
}

void Light::setAmbient(float r, float g, float b, float a) {
    ambient[0] = r;
    ambient[1] = g;
    ambient[2] = b;
    ambient[3] = a;
    glLightfv(lightId, GL_AMBIENT, ambient);
}

void Light::setDiffuse(float r, float g, float b, float a) {
    diffuse[0] = r;
    diffuse[1] = g;
    diffuse[2] = b;
    diffuse[3] = a;
    glLightfv(lightId, GL_DIFFUSE, diffuse);
}

void Light::setSpecular(float r, float g, float b, float a) {
    specular[0] = r;
    specular[1] = g;
    specular[2] = b;
    specular[3] = a;
    glLightfv(lightId, GL_SPECULAR, specular);
}

void Light::setSpot(float cutoff, float x, float y, float z, float w) {
    spotCutoff = cutoff;
    spotDirection[0] = x;
    spotDirection[1] = y;
    spotDirection[2] = z;
    spotDirection[3] = w;
    glLightfv(lightId, GL_SPOT_DIRECTION, spotDirection);
    glLightf(lightId, GL_SPOT_CUTOFF, spotCutoff);
}

void Light::setSpotExponent(float exponent) {
    spotExponent = exponent;
    glLightf(lightId, GL_SPOT_EXPONENT, spotExponent);
}

void Light::setAttenuation(float constant, float linear, float quadratic) {
    constantAttenuation = constant;
    linearAttenuation = linear;
    quadraticAttenuation = quadratic;
    glLightf(lightId, GL_CONSTANT_ATTENUATION, constantAttenuation);
    glLightf(lightId, GL_LINEAR_ATTENUATION, linearAttenuation);
    glLightf(lightId, GL_QUADRATIC_ATTENUATION, quadraticAttenuation);
}

void Light::enable() {
    if (on)
        glEnable(lightId);
}

void Light::disable() {
    if (on)
        glDisable(lightId);
}

void Light::draw() {
    if (!on)
        return;
    enable();
    // Position and direction are transformed by the model-view matrix in
    // force when sent, so they go again under each frame's view.
    glLightfv(lightId, GL_POSITION, lightPosition);
    glLightfv(lightId, GL_SPOT_DIRECTION, spotDirection);
}
