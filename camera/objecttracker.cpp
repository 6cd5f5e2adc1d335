// ObjectTracker: speed ramp, steering, heading vector and road footprint of
// the driven vehicle. Headings are degrees, 0 toward +z, 90 toward +x.
#include "camera/objecttracker.h"

#include "scene/tobject.h"

#include <cmath>

ObjectTracker::ObjectTracker(TObject* object) : object(object) {
    if (object) {
        position = object->position;
        rotation = object->rotation;
    }
}

// NOTE: a speed past the limit is clamped in the frame after it was reached,
// so |speed| may exceed maxSpeed by one acceleration step for one frame.
void ObjectTracker::updateSpeed() {
    if (speed >= -maxSpeed && speed <= maxSpeed) {
        if (speed >= -kStandstillSpeed && speed <= kStandstillSpeed && driveState == None)
            acceleration = 0;
        speed += acceleration;
    } else {
        speed = speed > 0 ? maxSpeed : -maxSpeed;
    }
}

void ObjectTracker::turnStep() {
    if (speed <= -kStandstillSpeed || speed >= kStandstillSpeed)
        rotation.y += turnRate;
}

void ObjectTracker::writeBack() {
    if (!object)
        return;
    object->position = position;
    object->rotation = rotation;
}

void ObjectTracker::forward(double& fx, double& fz) const {
    const double a = (double(rotation.y) - 90.0) * kPi / 180.0;
    fx = std::cos(a);
    fz = -std::sin(a);
}

// The footprint is folded onto headings 0..180 and built from the corner
// angle of a w x l rectangle, in single precision.
void ObjectTracker::footprint(float corners[4][2]) const {
    constexpr float kDegToRad = float(kPi) / 180.0f;
    const float w = kFootprintWidth;
    const float l = kFootprintLength;

    // The heading is never wrapped; a car that has turned full circles must
    // fold like the same heading within one turn.
    float theta = std::fabs(std::fmod(rotation.y, 360.0f));
    if (theta >= 180.0f)
        theta = 360.0f - theta;

    const float r = std::sqrt((w / 2) * (w / 2) + (l / 2) * (l / 2));
    const float phi = std::atan((w / 2) / (l / 2)) / kDegToRad;

    const float alpha = 90.0f - theta - phi;
    float dx = std::cos(alpha * kDegToRad) * r;
    float dz = std::sin(alpha * kDegToRad) * r;
    if (alpha < 0) {
        dx = -dx;
        dz = -dz;
    }
    if (alpha < 90.0f)
        dx = -dx;

    const float beta = 90.0f - theta;
    float ex = std::cos(beta * kDegToRad) * w;
    float ez = std::sin(beta * kDegToRad) * l;
    if (beta < 0) {
        ex = -ex;
        ez = -ez;
    }

    const float c1x = position.x + dx, c1z = position.z + dz;
    const float c3x = position.x - dx, c3z = position.z - dz;
    corners[0][0] = c1x;
    corners[0][1] = c1z;
    corners[1][0] = c3x + ex;
    corners[1][1] = c3z + ez;
    corners[2][0] = c3x;
    corners[2][1] = c3z;
    corners[3][0] = c1x - ex;
    corners[3][1] = c1z - ez;
}
