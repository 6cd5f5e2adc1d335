// Camera: per-frame viewer steps from keys and mouse, the on-foot collision
// frame and the car frame with road following. y is up; the camera's yaw is
// in radians, vehicle headings in degrees. All steps are per frame.
#include "camera/camera.h"

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

// The arrow keys do what the overlay says of them: Up is Z, Down S, Left Q, Right D.
int letterOf(int key) {
    switch (key) {
    case Qt::Key_Up:
        return Qt::Key_Z;
    case Qt::Key_Down:
        return Qt::Key_S;
    case Qt::Key_Left:
        return Qt::Key_Q;
    case Qt::Key_Right:
        return Qt::Key_D;
    default:
        return key;
    }
}

} // namespace

Camera::Camera(double eyeX, double eyeY, double eyeZ, double centreX, double centreY,
               double centreZ, double upX, double upY, double upZ) {
    setLookAt(eyeX, eyeY, eyeZ, centreX, centreY, centreZ, upX, upY, upZ);
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
    } else {
        moveForward(forwardStep);
        turn(turnStep);
        strafe(strafeStep);
    }
}

void Camera::applyView() const {
    gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], up[0], up[1], up[2]);
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
    const double dx = centre[0] - eye[0];
    const double dz = centre[2] - eye[2];
    const float s = std::sin(a);
    const float c = std::cos(a);
    centre[2] = float(eye[2] + s * dx + c * dz);
    centre[0] = float(eye[0] + c * dx - s * dz);
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
    ObjectTracker* car = inCar ? &tracker : nullptr;
    switch (letterOf(event->key())) {
    case Qt::Key_Z:
        forwardStep = kWalkStep;
        if (car) {
            car->acceleration = kCarAcceleration;
            car->driveState = ObjectTracker::Forward;
        }
        break;
    case Qt::Key_S:
        forwardStep = -kWalkStep;
        if (car) {
            car->acceleration = -kCarAcceleration;
            car->driveState = ObjectTracker::Backward;
        }
        break;
    case Qt::Key_Q:
        strafeStep = -kStrafeStep;
        if (car)
            car->turnRate = kCarTurnRateDeg;
        break;
    case Qt::Key_D:
        strafeStep = kStrafeStep;
        if (car)
            car->turnRate = -kCarTurnRateDeg;
        break;
    case Qt::Key_A:
        turnStep = -kTurnStepRad;
        break;
    case Qt::Key_E:
        turnStep = kTurnStepRad;
        break;
    case Qt::Key_R:
        verticalStep = kClimbStep;
        break;
    case Qt::Key_F:
        verticalStep = -kClimbStep;
        break;
    default:
        break;
    }
}

void Camera::keyReleased(QKeyEvent* event) {
    if (event->isAutoRepeat()) {
        event->ignore();
        return;
    }
    keyReleased(event->key());
}

void Camera::keyReleased(int key) {
    ObjectTracker* car = inCar ? &tracker : nullptr;
    switch (letterOf(key)) {
    case Qt::Key_Z:
        if (car) {
            if (car->speed >= -ObjectTracker::kStandstillSpeed)
                car->acceleration = -kCarAcceleration;
            if (car->driveState == ObjectTracker::Forward)
                car->driveState = ObjectTracker::None;
        }
        forwardStep = 0;
        break;
    case Qt::Key_S:
        if (car) {
            if (car->speed <= ObjectTracker::kStandstillSpeed)
                car->acceleration = kCarAcceleration;
            if (car->driveState == ObjectTracker::Backward)
                car->driveState = ObjectTracker::None;
        }
        forwardStep = 0;
        break;
    case Qt::Key_Q:
    case Qt::Key_D:
        strafeStep = 0;
        if (car)
            car->turnRate = 0;
        break;
    case Qt::Key_A:
    case Qt::Key_E:
        turnStep = 0;
        break;
    case Qt::Key_R:
    case Qt::Key_F:
        verticalStep = 0;
        break;
    case Qt::Key_Tab:
        viewMode = viewMode == kViewModes - 1 ? 0 : viewMode + 1;
        break;
    default:
        break;
    }
}

// NOTE: one fixed step per event; the distance the mouse moved is not used.
void Camera::mouseMoved(QMouseEvent* event) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const QPoint at = event->position().toPoint();
#else
    const QPoint at = event->pos();
#endif
    const int x = at.x();
    const int y = at.y();
    if (x < mouseRefX)
        turn(-kMouseTurnRad);
    else if (x > mouseRefX)
        turn(kMouseTurnRad);
    if (y > mouseRefY)
        centre[1] -= kMouseTilt;
    else if (y < mouseRefY)
        centre[1] += kMouseTilt;
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
