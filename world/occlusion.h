// Occlusion: skips what the last frame showed to be hidden, with GL
// occlusion queries on bounding boxes. At the end of a frame units the frame
// had in view (a batch list, a tile of a large quad, a mobile object) have
// their boxes drawn against the finished depth buffer, colour and depth
// writes off, each inside a query; the next frame skips a unit whose box
// passed no sample. The finished depth buffer holds the nearest surface of
// every pixel, so whatever lies behind it everywhere adds nothing to the
// picture, whatever the order of drawing: the pictures stay those of drawing
// everything. A hidden unit has its box queried every frame and is drawn
// from the frame after the one whose query passes; a unit in view is asked
// about again every few frames only.
//
// Results are read one frame late, so nothing waits on GL. Without the
// queries (GL older than 1.5 and no ARB_occlusion_query), outside GL_RENDER
// mode (picking's selection pass) and under a projection that is not a
// perspective one, nothing is skipped.
#pragma once

#include "world/viewvolume.h"

#include <GL/gl.h>
#include <cstddef>
#include <cstdint>
#include <vector>

class Occlusion {
public:
    Occlusion() = default;
    ~Occlusion();
    Occlusion(const Occlusion&) = delete;
    Occlusion& operator=(const Occlusion&) = delete;

    // Forgets every unit's result and sizes the table for units 0..count-1
    // (the drawing's units are numbered anew when they are rebuilt).
    void reset(std::size_t count);
    // Starts a frame: finds out whether queries run in it. eye is the
    // viewer's eye in world coordinates; reads the matrices in force.
    void beginFrame(const double eye[3]);
    // True when unit, whose box is box, is to be skipped this frame: its
    // box passed no sample at the end of the last frame. Either way the
    // box is queried at the end of this one.
    bool hidden(std::size_t unit, const Box& box);
    // Draws the boxes of the units this frame had in view, each in its query.
    // Leaves GL as it found it.
    void endFrame();

    bool enabled = true;     // false: every unit is drawn, no query is made
    int hiddenLastFrame = 0; // units the last frame skipped

private:
    struct Unit {
        GLuint query = 0;            // 0 until first needed
        std::uint64_t seenIn = 0;    // frame number it was last asked about, 0 for none
        std::uint64_t queriedIn = 0; // frame number of the last query, 0 for none
        bool visible = true;         // the last result read
        unsigned inViewAnswers = 0;  // answers "in view" in a row, at most kMaxBackOff
    };
    struct Pending {
        std::size_t unit;
        Box box;
    };
    bool supported(); // resolves the query functions once per process
    void drawBox(const Box& box) const;

    std::vector<Unit> units;
    std::vector<Pending> pending; // this frame's boxes, queried by endFrame
    std::uint64_t frame = 1;      // frames with queries so far, plus 1: frame 0 is "never"
    bool active = false;          // queries run in the frame begun last
    float eyeAt[3] = {};
    float nearReach = 0;   // world units from the eye to the far corner of the near plane
    GLfloat view[16] = {}; // the model-view matrix at beginFrame
};
