// Occlusion: the query functions asked for at run time, each unit's last
// result, and the box pass at the end of a frame.
#include "world/occlusion.h"

#include <QOpenGLContext>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Added to every side of a box, world units: a surface lying on the box's
// face must not win the depth test against the box by rounding. A 24-bit
// depth buffer with the near plane at 1 resolves about 0.03 units at 750.
constexpr float kBoxMargin = 0.1f;
// Frames between two queries of a unit found in view: kVisiblePeriod after
// it came into view, doubling with every answer "in view" since, up to
// kVisiblePeriod << kMaxBackOff.
constexpr std::uint64_t kVisiblePeriod = 8;
constexpr unsigned kMaxBackOff = 3;

// The query entry points (GL 1.5, or the same calls of ARB_occlusion_query).
struct QueryFunctions {
    PFNGLGENQUERIESPROC gen = nullptr;
    PFNGLDELETEQUERIESPROC remove = nullptr;
    PFNGLBEGINQUERYPROC begin = nullptr;
    PFNGLENDQUERYPROC end = nullptr;
    PFNGLGETQUERYOBJECTUIVPROC result = nullptr;
    PFNGLGETQUERYIVPROC info = nullptr;
};

QueryFunctions gl;

template <typename F> bool resolve(QOpenGLContext* context, F& f, const char* name, bool arb) {
    const QByteArray full = QByteArray(name) + (arb ? "ARB" : "");
    f = reinterpret_cast<F>(context->getProcAddress(full));
    return f != nullptr;
}

} // namespace

Occlusion::~Occlusion() {
    if (!QOpenGLContext::currentContext() || !gl.remove)
        return;
    for (const Unit& unit : units)
        if (unit.query)
            gl.remove(1, &unit.query);
}

bool Occlusion::supported() {
    // 0 not asked yet, 1 there, -1 absent; one context per process.
    static int state = 0;
    if (state != 0)
        return state > 0;
    QOpenGLContext* context = QOpenGLContext::currentContext();
    if (!context)
        return false; // ask again once a context is current
    const QSurfaceFormat format = context->format();
    const bool core = format.version() >= qMakePair(1, 5);
    const bool arb = !core && context->hasExtension("GL_ARB_occlusion_query");
    state = -1;
    if (!core && !arb)
        return false;
    if (!resolve(context, gl.gen, "glGenQueries", arb) ||
        !resolve(context, gl.remove, "glDeleteQueries", arb) ||
        !resolve(context, gl.begin, "glBeginQuery", arb) ||
        !resolve(context, gl.end, "glEndQuery", arb) ||
        !resolve(context, gl.result, "glGetQueryObjectuiv", arb) ||
        !resolve(context, gl.info, "glGetQueryiv", arb))
        return false;
    // An implementation may offer the calls with a counter of no bits: no answers.
    GLint bits = 0;
    gl.info(GL_SAMPLES_PASSED, GL_QUERY_COUNTER_BITS, &bits);
    state = bits > 0 ? 1 : -1;
    return state > 0;
}

void Occlusion::reset(std::size_t count) {
    pending.clear();
    if (gl.remove && QOpenGLContext::currentContext())
        for (std::size_t i = count; i < units.size(); ++i)
            if (units[i].query)
                gl.remove(1, &units[i].query);
    units.resize(count);
    for (Unit& unit : units)
        unit.queriedIn = 0, unit.visible = true;
}

void Occlusion::beginFrame(const double eye[3]) {
    pending.clear();
    active = false;
    hiddenLastFrame = 0;
    if (!enabled)
        return;
    GLint mode = GL_RENDER;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    if (mode != GL_RENDER || !supported())
        return;
    GLfloat p[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    // A perspective projection has -1 in the w row's z column; from it the
    // near plane's distance n and its half sizes n / p[0], n / p[5].
    if (p[11] != -1.0f || p[3] != 0.0f || p[7] != 0.0f || p[15] != 0.0f || p[0] == 0.0f ||
        p[5] == 0.0f || p[10] == 1.0f)
        return;
    const float n = p[14] / (p[10] - 1.0f);
    if (!(n > 0.0f) || !std::isfinite(n))
        return;
    nearReach = n * std::sqrt(1.0f + 1.0f / (p[0] * p[0]) + 1.0f / (p[5] * p[5])) + kBoxMargin;
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
    for (int i = 0; i < 3; ++i)
        eyeAt[i] = float(eye[i]);
    active = true;
    ++frame;
}

bool Occlusion::hidden(std::size_t unit, const Box& box) {
    if (!active || unit >= units.size() || !box.known())
        return false;
    Unit& u = units[unit];
    // A unit that was not in view (or was near the eye) last frame is drawn.
    const bool fresh = u.seenIn + 1 != frame;
    u.seenIn = frame;
    // A box around the eye may be cut open by the near plane and pass no
    // sample while what is inside shows: always drawn.
    bool near = true;
    for (int i = 0; i < 3; ++i)
        near = near && eyeAt[i] > box.lo[i] - nearReach && eyeAt[i] < box.hi[i] + nearReach;
    if (near) {
        u.seenIn = 0;
        return false;
    }
    if (fresh) {
        u.visible = true;
        u.inViewAnswers = 0;
    } else if (u.queriedIn + 1 == frame) {
        // Only the answer about the frame just before counts.
        GLuint available = 0;
        gl.result(u.query, GL_QUERY_RESULT_AVAILABLE, &available);
        GLuint samples = 1; // not answered yet: drawn
        if (available)
            gl.result(u.query, GL_QUERY_RESULT, &samples);
        u.visible = samples > 0;
        u.inViewAnswers = u.visible ? std::min(u.inViewAnswers + 1, kMaxBackOff) : 0;
    }
    // A hidden unit is asked about every frame, to come back at once; one in
    // view only every few frames, spread over the frames, and the less often
    // the longer it stays in view: each query costs the rasteriser a pass
    // over its bins and the box's pixels, which a world where all is in view
    // would pay for nothing.
    const std::uint64_t period = kVisiblePeriod << u.inViewAnswers;
    if (!u.visible || fresh || (frame + unit) % period == 0)
        pending.push_back({unit, box});
    if (!u.visible)
        ++hiddenLastFrame;
    return !u.visible;
}

void Occlusion::endFrame() {
    if (!active || pending.empty())
        return;
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_POLYGON_BIT);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDepthMask(GL_FALSE);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_STENCIL_TEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadMatrixf(view);
    for (const Pending& p : pending) {
        Unit& u = units[p.unit];
        if (!u.query)
            gl.gen(1, &u.query);
        gl.begin(GL_SAMPLES_PASSED, u.query);
        drawBox(p.box);
        gl.end(GL_SAMPLES_PASSED);
        u.queriedIn = frame;
    }
    glPopMatrix();
    glPopAttrib();
    pending.clear();
}

// The box, grown by kBoxMargin, as six quads.
void Occlusion::drawBox(const Box& box) const {
    float lo[3], hi[3];
    for (int i = 0; i < 3; ++i)
        lo[i] = box.lo[i] - kBoxMargin, hi[i] = box.hi[i] + kBoxMargin;
    // Corner i has x from bit 0, y from bit 1, z from bit 2.
    static const int faces[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 2, 6, 4},
                                    {1, 5, 7, 3}, {0, 4, 5, 1}, {2, 3, 7, 6}};
    glBegin(GL_QUADS);
    for (const auto& face : faces)
        for (const int c : face)
            glVertex3f(c & 1 ? hi[0] : lo[0], c & 2 ? hi[1] : lo[1], c & 4 ? hi[2] : lo[2]);
    glEnd();
}
