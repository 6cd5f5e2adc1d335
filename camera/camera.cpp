// Camera: per-frame viewer steps from keys and mouse, the on-foot collision
// frame and the car frame with road following. y is up; the camera's yaw is
// in radians, vehicle headings in degrees. All steps are per frame.
#include "camera/camera.h"

#include "scene/tobject.h"

#include <GL/glu.h>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cmath>

namespace {

constexpr float kWalkStep = 0.2f;         // fraction of eye-to-centre per frame (Z, S)
constexpr float kStrafeStep = 0.2f;       // fraction of eye-to-centre per frame (Q, D)
constexpr float kTurnStepRad = 0.07f;     // yaw per frame (A, E)
constexpr float kClimbStep = 0.5f;        // world units per frame (R, F)
constexpr float kMouseTurnRad = 0.03f;    // yaw per mouse move event
constexpr float kMouseTilt = 0.07f;       // world units of centre y per mouse move event
constexpr float kCarAcceleration = 0.1f;  // world units per frame, per frame
constexpr float kCarTurnRateDeg = 6.0f;   // heading change per frame while moving
constexpr double kFollowAhead = 5.0;      // view 0: eye this far ahead of the vehicle
constexpr double kFollowAheadLook = 10.0; // view 0: point looked at
constexpr double kFollowBehind = 10.0;    // views 1..3: eye this far behind the vehicle
constexpr int kViewModes = 4;

// Yaw of the point c about the vertical line through e (see Camera::turn).
void turnAbout(const double e[3], double c[3], float a) {
    const double dx = c[0] - e[0];
    const double dz = c[2] - e[2];
    const float s = std::sin(a);
    const float co = std::cos(a);
    c[2] = float(e[2] + s * dx + co * dz);
    c[0] = float(e[0] + co * dx - s * dz);
}

double mix(double from, double to, double alpha) {
    return from + (to - from) * alpha;
}

} // namespace

Camera::Camera(double eyeX, double eyeY, double eyeZ, double centreX, double centreY,
               double centreZ, double upX, double upY, double upZ) {
    setLookAt(eyeX, eyeY, eyeZ, centreX, centreY, centreZ, upX, upY, upZ);
    settle();
}

void Camera::setLookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY,
                       double centreZ, double upX, double upY, double upZ) {
    eye[0] = eyeX;
    eye[1] = eyeY;
    eye[2] = eyeZ;
    centre[0] = centreX;
    centre[1] = centreY;
    centre[2] = centreZ;
    up[0] = upX;
    up[1] = upY;
    up[2] = upZ;
}

void Camera::enterCar(TObject* object) {
    tracker = ObjectTracker(object);
    inCar = true;
}

void Camera::leaveCar() {
    tracker = ObjectTracker();
    inCar = false;
}

void Camera::update() {
    if (inCar) {
        carStep();
        viewPending = false;
    } else {
        moveForward(forwardStep);
        turn(turnStep);
        strafe(strafeStep);
    }
}

void Camera::applyView() const {
    double e[3], c[3];
    shownView(e, c);
    gluLookAt(e[0], e[1], e[2], c[0], c[1], c[2], up[0], up[1], up[2]);
}

void Camera::keepPrevious() {
    for (int i = 0; i < 3; ++i) {
        previousEye[i] = eye[i];
        previousCentre[i] = centre[i];
    }
    previousCarPosition = tracker.position;
    previousCarRotation = tracker.rotation;
}

void Camera::settle() {
    keepPrevious();
    blend = 1.0;
}

void Camera::shownView(double shownEye[3], double shownCentre[3]) const {
    for (int i = 0; i < 3; ++i) {
        shownEye[i] = mix(previousEye[i], eye[i], blend);
        shownCentre[i] = mix(previousCentre[i], centre[i], blend);
    }
}

TObject Camera::shownPlacement(const TObject& object) const {
    TObject shown = object;
    if (!inCar || tracker.object != &object)
        return shown;
    const FPoint& p = previousCarPosition;
    const FPoint& r = previousCarRotation;
    const FPoint& q = tracker.position;
    const FPoint& s = tracker.rotation;
    shown.position = FPoint(float(mix(p.x, q.x, blend)), float(mix(p.y, q.y, blend)),
                            float(mix(p.z, q.z, blend)));
    // Headings are never wrapped, so the blend turns the short way.
    shown.rotation = FPoint(float(mix(r.x, s.x, blend)), float(mix(r.y, s.y, blend)),
                            float(mix(r.z, s.z, blend)));
    return shown;
}

bool Camera::isStill() const {
    if (viewPending)
        return false; // the next step puts the eye where the new view has it
    for (int i = 0; i < 3; ++i)
        if (previousEye[i] != eye[i] || previousCentre[i] != centre[i])
            return false;
    if (inCar) {
        const ObjectTracker& t = tracker;
        return t.acceleration == 0 && t.driveState == ObjectTracker::None &&
               t.speed >= -ObjectTracker::kStandstillSpeed &&
               t.speed <= ObjectTracker::kStandstillSpeed;
    }
    return forwardStep == 0 && turnStep == 0 && strafeStep == 0 && verticalStep == 0;
}

void Camera::moveForward(float s) {
    const double dx = centre[0] - eye[0];
    const double dz = centre[2] - eye[2];
    eye[0] += s * dx;
    eye[2] += s * dz;
    centre[0] += s * dx;
    centre[2] += s * dz;
    eye[1] += verticalStep;
    centre[1] += verticalStep;
}

// NOTE: sine, cosine and the new centre are rounded to single precision.
void Camera::turn(float a) {
    turnAbout(eye, centre, a);
}

void Camera::strafe(float s) {
    const double dx = centre[0] - eye[0];
    const double dz = centre[2] - eye[2];
    eye[0] += s * -dz;
    eye[2] += s * dx;
    centre[0] += s * -dz;
    centre[2] += s * dx;
}

void Camera::carStep() {
    ObjectTracker& t = tracker;
    t.updateSpeed();
    double fx, fz;
    t.forward(fx, fz);
    t.position.x = float(t.position.x + fx * t.speed);
    t.position.z = float(t.position.z + fz * t.speed);
    t.turnStep();

    t.forward(fx, fz);
    const double back = (double(t.rotation.y) + 90.0) * ObjectTracker::kPi / 180.0;
    const double bx = std::cos(back);
    const double bz = -std::sin(back);
    const FPoint& p = t.position;
    switch (viewMode) {
    case 0:
        setLookAt(p.x + kFollowAhead * fx, p.y + 0.2, p.z + kFollowAhead * fz,
                  p.x + kFollowAheadLook * fx, p.y, p.z + kFollowAheadLook * fz, 0, 1, 0);
        break;
    case 2:
        setLookAt(p.x + kFollowBehind * bx, p.y + 20.0, p.z + kFollowBehind * bz, p.x, p.y, p.z, 0,
                  1, 0);
        break;
    case 3:
        setLookAt(p.x + kFollowBehind * bx, p.y + 50.0, p.z + kFollowBehind * bz, p.x, p.y, p.z, 0,
                  1, 0);
        break;
    default:
        setLookAt(p.x + kFollowBehind * bx, p.y + 2.0, p.z + kFollowBehind * bz, p.x, p.y, p.z, 0,
                  1, 0);
        break;
    }
    t.writeBack();
}

void Camera::footFrame(WorldQuery& world) {
    const double old[3] = {eye[0], eye[1], eye[2]};
    const FPoint from{float(old[0]), float(old[1]), float(old[2])};
    update();
    // A move along an axis is undone only where it enters a box the eye was
    // not already in, so a viewer standing in one can walk out of it. The
    // eye goes back and the centre goes with it by the same amount, so a
    // turn of the same frame stays.
    auto undo = [&](int axis) {
        centre[axis] -= eye[axis] - old[axis];
        eye[axis] = old[axis];
    };
    if (!world.entersBlock(from, FPoint(eye[0], eye[1], eye[2])))
        return;
    if (world.entersBlock(from, FPoint(eye[0], old[1], old[2])))
        undo(0);
    if (world.entersBlock(from, FPoint(old[0], old[1], eye[2])))
        undo(2);
    if (world.entersBlock(from, FPoint(old[0], eye[1], old[2])))
        undo(1);
    // A diagonal step across a box corner passes each single-axis test but
    // still ends inside the box: such a step is undone whole.
    if (world.entersBlock(from, FPoint(eye[0], eye[1], eye[2])))
        for (int axis = 0; axis < 3; ++axis)
            undo(axis);
}

void Camera::carFrame(WorldQuery& world) {
    const FPoint before = tracker.position;
    update();
    if (!inCar || isCarOnRoad(tracker, world))
        return;
    tracker.position.x = before.x;
    if (!isCarOnRoad(tracker, world))
        tracker.position.z = before.z;
    keyReleased(Qt::Key_Z);
    keyReleased(Qt::Key_S);
}

void Camera::keyPressed(QKeyEvent* event) {
    if (event->isAutoRepeat()) {
        event->ignore();
        return;
    }
    press(KeyBindings::letterMove(event->key()));
}

void Camera::keyReleased(QKeyEvent* event) {
    if (event->isAutoRepeat()) {
        event->ignore();
        return;
    }
    keyReleased(event->key());
}

void Camera::keyReleased(int key) {
    release(KeyBindings::letterMove(key));
}

void Camera::press(Move move) {
    ObjectTracker* car = inCar ? &tracker : nullptr;
    switch (move) {
    case Move::Forward:
        forwardStep = kWalkStep;
        if (car) {
            car->acceleration = kCarAcceleration;
            car->driveState = ObjectTracker::Forward;
        }
        break;
    case Move::Backward:
        forwardStep = -kWalkStep;
        if (car) {
            car->acceleration = -kCarAcceleration;
            car->driveState = ObjectTracker::Backward;
        }
        break;
    case Move::Left:
        strafeStep = -kStrafeStep;
        if (car)
            car->turnRate = kCarTurnRateDeg;
        break;
    case Move::Right:
        strafeStep = kStrafeStep;
        if (car)
            car->turnRate = -kCarTurnRateDeg;
        break;
    case Move::TurnLeft:
        turnStep = -kTurnStepRad;
        break;
    case Move::TurnRight:
        turnStep = kTurnStepRad;
        break;
    case Move::Up:
        verticalStep = kClimbStep;
        break;
    case Move::Down:
        verticalStep = -kClimbStep;
        break;
    default:
        break;
    }
}

void Camera::release(Move move) {
    ObjectTracker* car = inCar ? &tracker : nullptr;
    switch (move) {
    case Move::Forward:
        if (car) {
            if (car->speed >= -ObjectTracker::kStandstillSpeed)
                car->acceleration = -kCarAcceleration;
            if (car->driveState == ObjectTracker::Forward)
                car->driveState = ObjectTracker::None;
        }
        forwardStep = 0;
        break;
    case Move::Backward:
        if (car) {
            if (car->speed <= ObjectTracker::kStandstillSpeed)
                car->acceleration = kCarAcceleration;
            if (car->driveState == ObjectTracker::Backward)
                car->driveState = ObjectTracker::None;
        }
        forwardStep = 0;
        break;
    case Move::Left:
    case Move::Right:
        strafeStep = 0;
        if (car)
            car->turnRate = 0;
        break;
    case Move::TurnLeft:
    case Move::TurnRight:
        turnStep = 0;
        break;
    case Move::Up:
    case Move::Down:
        verticalStep = 0;
        break;
    case Move::View:
        viewMode = viewMode == kViewModes - 1 ? 0 : viewMode + 1;
        viewPending = inCar;
        break;
    default:
        break;
    }
}

// NOTE: one fixed step per event (times the sensitivity); the distance the
// mouse moved is not used. The view turns at once, on the drawn frame as
// well as for the next step: the state before the step turns with it.
void Camera::mouseMoved(QMouseEvent* event) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const QPoint at = event->position().toPoint();
#else
    const QPoint at = event->pos();
#endif
    const int x = at.x();
    const int y = at.y();
    float yaw = 0;
    if (x < mouseRefX)
        yaw = -kMouseTurnRad * mouseSensitivity;
    else if (x > mouseRefX)
        yaw = kMouseTurnRad * mouseSensitivity;
    if (yaw != 0) {
        turn(yaw);
        turnAbout(previousEye, previousCentre, yaw);
    }
    float tilt = 0;
    if (y > mouseRefY)
        tilt = -kMouseTilt * mouseSensitivity;
    else if (y < mouseRefY)
        tilt = kMouseTilt * mouseSensitivity;
    if (invertY)
        tilt = -tilt;
    centre[1] += tilt;
    previousCentre[1] += tilt;
}

void Camera::setMouseReference(int x, int y) {
    mouseRefX = x;
    mouseRefY = y;
}

bool Camera::isCarOnRoad(const ObjectTracker& tracker, WorldQuery& world) {
    float c[4][2];
    tracker.footprint(c);
    const float y = tracker.position.y;
    for (int corner : {0, 2, 1, 3}) {
        if (!world.isOnRoad(FPoint(c[corner][0], y, c[corner][1])))
            return false;
    }
    return true;
}
