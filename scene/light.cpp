// Light: stores each parameter and sends it to GL at once.
#include "scene/light.h"

namespace {
void store(float (&to)[4], float a, float b, float c, float d) {
    to[0] = a;
    to[1] = b;
    to[2] = c;
    to[3] = d;
}
} // namespace

Light::Light(GLenum lightId) : lightId(lightId) {}

void Light::setPosition(float x, float y, float z, float w) {
    store(lightPosition, x, y, z, w);
    glLightfv(lightId, GL_POSITION, lightPosition);
}

void Light::setAmbient(float r, float g, float b, float a) {
    store(ambient, r, g, b, a);
    glLightfv(lightId, GL_AMBIENT, ambient);
}

void Light::setDiffuse(float r, float g, float b, float a) {
    store(diffuse, r, g, b, a);
    glLightfv(lightId, GL_DIFFUSE, diffuse);
}

void Light::setSpecular(float r, float g, float b, float a) {
    store(specular, r, g, b, a);
    glLightfv(lightId, GL_SPECULAR, specular);
}

void Light::setSpot(float cutoff, float x, float y, float z, float w) {
    spotCutoff = cutoff;
    store(spotDirection, x, y, z, w);
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
