// ObjectTracker: the vehicle state of a driven object. position is where the
// vehicle is and rotation.y its heading in degrees (0 drives toward +z, 90
// toward +x; never wrapped). Speeds are world units per frame. A plain value:
// the camera holds one.
#pragma once

#include "scene/fpoint.h"

class TObject;

class ObjectTracker {
public:
    // Takes the object's position and rotation; no object drives nothing.
    explicit ObjectTracker(TObject* object = nullptr);

    enum DriveState { None = 0, Forward = 1, Backward = 2 };

    static constexpr double kPi = 3.14159265;        // the program's pi for degree conversions
    static constexpr float kStandstillSpeed = 0.05f; // |speed| within this counts as standing
    static constexpr float kFootprintWidth = 1.0f;   // world units across the vehicle
    static constexpr float kFootprintLength = 3.0f;  // world units along the vehicle

    // Clamps a speed past the limit, otherwise adds the acceleration.
    void updateSpeed();
    // Heading += turn rate, unless the vehicle (nearly) stands.
    void turnStep();
    // Writes the tracker's position and rotation into the driven object.
    void writeBack();
    // Forward unit vector (x, z) for the current heading.
    void forward(double& fx, double& fz) const;
    // The four footprint corners (x, z) of a 1 x 3 vehicle, in the order 1, 2, 3, 4.
    void footprint(float corners[4][2]) const;

    float maxSpeed = 3.0f;  // limit of |speed|
    float acceleration = 0; // added to speed each frame
    float turnRate = 0;     // degrees per frame while moving
    float speed = 0;        // positive forward
    int driveState = None;
    FPoint position;           // world units
    FPoint rotation;           // degrees; y is the heading
    TObject* object = nullptr; // the placed object driven, not owned
};
