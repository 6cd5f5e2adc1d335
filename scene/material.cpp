// Material: sends a lighting material to GL for both faces.
#include "scene/material.h"

#include <GL/gl.h>

namespace {
constexpr float kShininessScale = 128.0f; // fraction 0..1 -> GL_SHININESS 0..128
}

Material::Material(float ambientR, float ambientG, float ambientB, float ambientA, float diffuseR,
                   float diffuseG, float diffuseB, float diffuseA, float specularR, float specularG,
                   float specularB, float specularA, float shininess)
    : ambient{ambientR, ambientG, ambientB, ambientA}, diffuse{diffuseR, diffuseG, diffuseB,
                                                               diffuseA},
      specular{specularR, specularG, specularB, specularA}, shininess(shininess) {}

void Material::apply() const {
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess * kShininessScale);
}

void applyDefaultMaterial() {
    Material().apply();
}
