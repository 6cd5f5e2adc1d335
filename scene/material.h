// Material: a GL lighting material. Shininess is a fraction 0..1, applied x 128.
#pragma once

class Material {
public:
    Material(float ambientR = 1, float ambientG = 1, float ambientB = 1, float ambientA = 1,
             float diffuseR = 1, float diffuseG = 1, float diffuseB = 1, float diffuseA = 1,
             float specularR = 0.5f, float specularG = 0.5f, float specularB = 0.5f,
             float specularA = 1, float shininess = 0.5f);

    // glMaterial on both faces: ambient, diffuse, specular, shininess x 128.
    void apply() const;

    float ambient[4];
    float diffuse[4];
    float specular[4];
    float shininess; // 0..1
};

// The program's default material, the same as Material().apply().
void applyDefaultMaterial();
