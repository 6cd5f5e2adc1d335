// Camera: the viewer. Holds eye, centre and up, turns key and mouse input
// into per-frame steps, walks on foot with collisions, and while a car is
// driven hands each frame to the car step (see objecttracker.h).
#pragma once

#include "camera/keybindings.h"
#include "camera/objecttracker.h"
#include "camera/worldquery.h"
#include "scene/fpoint.h"

class TObject;
class QKeyEvent;
class QMouseEvent;

class Camera {
public:
    Camera(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ,
           double upX, double upY, double upZ);

    void setLookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY,
                   double centreZ, double upX, double upY, double upZ);
    // Drives the placed object (not owned) from where it stands.
    void enterCar(TObject* object);
    // Leaves the object where it was driven.
    void leaveCar();
    bool isInCar() const { return inCar; }

    // One frame's move: on foot moveForward, turn, strafe; in a car carStep. No GL:
    // the frame's drawing sets the view with applyView.
    void update();
    // gluLookAt with the view shown on screen (see shownView).
    void applyView() const;

    // Drawing between steps. The world keeps the viewer (and a driven car)
    // as they were before the last step; a frame shows them blend of the way
    // from there to now (0: the step before, 1: the last step).
    void keepPrevious(); // before a step
    void settle();       // after a jump (start point, reload): nothing to blend from
    void setBlend(double alpha) { blend = alpha; }
    double blendShown() const { return blend; }
    void shownView(double shownEye[3], double shownCentre[3]) const;
    // The driven object where it is shown; any other object as it stands.
    TObject shownPlacement(const TObject& object) const;
    // Nothing moves: no step is set, a driven car stands without
    // acceleration, and the last step moved nothing.
    bool isStill() const;
    void moveForward(float s); // fraction of the eye-to-centre vector, plus the vertical step
    void turn(float a);        // yaw about the eye, radians, positive turns right
    void strafe(float s);      // fraction of the eye-to-centre vector, positive moves right

    // The car part of update: tracker speed, move, steer, follow view, write back.
    void carStep();

    // One frame on foot with collisions: runs update, then undoes a move
    // into a box or out of the sky box axis by axis.
    void footFrame(WorldQuery& world);
    // One frame in a car with road following: runs update, then undoes a
    // move off the road (x first, then z) and brakes.
    void carFrame(WorldQuery& world);

    // The design's letters (Z S Q D A E R F, Tab) and the arrows, by key code.
    void keyPressed(QKeyEvent* event);
    void keyReleased(QKeyEvent* event);
    void keyReleased(int key); // a bare Qt key code, as the road brake uses
    // A movement key went down or up (see KeyBindings).
    void press(Move move);
    void release(Move move);
    void mouseMoved(QMouseEvent* event);
    void setMouseReference(int x, int y);

    // True if all four footprint corners of the tracker lie on the road.
    static bool isCarOnRoad(const ObjectTracker& tracker, WorldQuery& world);

    int viewMode = 1;       // car view 0..3, cycled by Tab
    bool viewPending = false; // in a car: Tab changed the view, no step has shown it yet
    ObjectTracker tracker;  // the vehicle while inCar
    double eye[3];          // viewer position, world units
    double centre[3];       // point looked at
    double up[3];           // up vector
    float forwardStep = 0;  // fraction of eye-to-centre moved per frame
    float turnStep = 0;     // yaw per frame, radians
    float strafeStep = 0;   // sideways fraction of eye-to-centre per frame
    float verticalStep = 0; // world units per frame added to eye y and centre y
    int mouseRefX = 0;      // widget pixels
    int mouseRefY = 0;
    bool inCar = false;
    float mouseSensitivity = 1.0f; // times the turn and tilt of one mouse event
    bool invertY = false;          // the mouse moved up looks down

    // Before the last step (see keepPrevious).
    double previousEye[3];
    double previousCentre[3];
    FPoint previousCarPosition, previousCarRotation;
    double blend = 1.0;
};
