// Map: the world. Holds every blueprint, placed object, light and the
// camera, draws the scene each frame with the texture store it is
// given, answers the camera's questions (WorldQuery), and handles world keys,
// picking and the overlay text. Keyed containers are ordered by byte-wise
// key order and every walk (drawing, picking, collision) goes in that order.
//
// Each placed object has a handle (ObjectId): its index among the objects
// placed in this world, given when it is placed and stable for the world's
// life, with its keys and where the map defines it. Picking, driving, the
// readouts and a reload's rebinding go by handle; the keys find handles.
//
// Split by concern: map.cpp (model), map_draw.cpp, map_keys.cpp,
// map_pick.cpp, map_overlay.cpp, map_readout.cpp.
#pragma once

#include "camera/camera.h"
#include "camera/worldquery.h"
#include "mapfile/mapdiagnostics.h"
#include "mapfile/worldrules.h"
#include "scene/light.h"
#include "scene/roadtrack.h"
#include "scene/tobject.h"
#include "world/occlusion.h"
#include "world/viewvolume.h"

#include <GL/gl.h>
#include <QObject>
#include <QString>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class QKeyEvent;
class QMouseEvent;
class TextureFactory;

class Map : public QObject, public WorldQuery {
    Q_OBJECT
public:
    // A placed object's handle: its index in placement order.
    using ObjectId = std::size_t;
    static constexpr ObjectId kNoObject = ObjectId(-1);
    struct PlacedObject {
        TObject* object = nullptr; // its placement; never null
        std::string blueprintKey;
        std::string objectKey;
        MapPlace source;       // where the map defines it; an empty file when no map does
        bool replaced = false; // a later object of the same two keys took its place
    };

    // The display projection, which the canvas sets and picking must match.
    static constexpr double kFieldOfViewDegrees = 40.0; // vertical
    static constexpr double kNearPlane = 1.0;
    static constexpr double kFarPlane = 750.0;

    // textures: the store the world's texture keys resolve in, not owned;
    // it must outlive the world.
    explicit Map(TextureFactory& textures);
    ~Map() override;
    Map(const Map&) = delete;
    Map& operator=(const Map&) = delete;

    // Loading. The world holds what it is given; it owns what it is told
    // to own (own), the camera and its display lists.
    void setCamera(const Camera& camera);
    void addBlueprint(const std::string& key, TObject* blueprint);
    // Places object; its handle, or kNoObject when no blueprint has the key
    // (the object is then not held). source: where the map defines it.
    ObjectId addObject(const std::string& blueprintKey, const std::string& objectKey,
                       TObject* object, const MapPlace& source = MapPlace());
    void addMobileKey(const std::string& objectKey);
    void addLight(Light* light);
    void addFlashlight(Light* light);
    // The world frees these with itself (the builder's objects; tests may
    // add objects they own themselves).
    void own(TObject* object);
    void own(Light* light);
    // After a reload: the viewer of the world this one replaces stands where
    // they stood, looking where they looked, with the same switches (lights
    // by their number); a driven car is driven on, where it stands, if this
    // world has a mobile object of the same blueprint and object keys.
    void takeViewerFrom(const Map& old);
    // Says so, once, when no map file gave a camera: the world then starts
    // at the default start point.
    void ensureCamera();
    // Puts the viewer at the start point: the map's own (the camera section's,
    // remembered by setCamera), or (0, 2.5, 35) looking along -z without one.
    void resetViewer();

    // Queries.
    bool hasBlueprint(const std::string& key) const;
    TObject* getBlueprint(const std::string& key) const;
    bool isMobile(const std::string& objectKey) const;
    // The placed object of that object key in the first group, in blueprint
    // key order, that has one; null (kNoObject) when none has.
    TObject* findObject(const std::string& objectKey) const;
    ObjectId findObjectId(const std::string& objectKey) const;
    // The object placed under both keys, or kNoObject.
    ObjectId objectId(const std::string& blueprintKey, const std::string& objectKey) const;
    // The handle of a placement held by the world, or kNoObject.
    ObjectId idOf(const TObject* object) const;
    // Handles run from 0 to objectCount() - 1.
    std::size_t objectCount() const { return placed.size(); }
    const PlacedObject& placedObject(ObjectId id) const { return placed[id]; }
    bool hasLight(int n) const;
    // The lights in load order (index = light number of the keys 0..7).
    const std::vector<Light*>& lightList() const { return lights; }

    // The camera's questions (see WorldQuery). A placed object blocks with
    // its blueprint's box centred on its position (neither scaled nor
    // turned); the sky box's box is centred at (0, 50, 0) wherever it stands.
    bool isBlocked(const FPoint& point) override;
    bool entersBlock(const FPoint& from, const FPoint& to) override;
    bool isOnRoad(const FPoint& point) override;

    // Drawing (map_draw.cpp). Static objects are compiled into lists that
    // each hold the objects of one blueprint near one another (a batch);
    // mobile objects are drawn directly every frame and have no list. The
    // lists are made again, the old ones deleted, when anything has been
    // added since; drawFrame sees to that too.
    void compileDisplayLists();
    // One step of the world (every 50 ms): the camera (or the driven car)
    // takes its step. Drawing and picking never move anything.
    void step();
    // Nothing moves until a key or the mouse says so (see Camera::isStill).
    bool isStill() const { return viewer.isStill(); }
    // Draws the scene from where the camera stands.
    void drawFrame();
    // Keys (map_keys.cpp).
    void keyPressed(QKeyEvent* event);
    void keyReleased(QKeyEvent* event);
    void mouseMoved(QMouseEvent* event);
    // Picking (map_pick.cpp). The event's position is in device-independent
    // pixels, which devicePixelRatio turns into the physical pixels of the GL
    // viewport; pick's x, y are physical pixels, origin top-left.
    void mousePressed(QMouseEvent* event, double devicePixelRatio = 1.0);
    void pick(int x, int y);
    void processHits(GLint hits, const GLuint* buffer);
    // Right click: prints where the placed object under x, y (physical
    // pixels, origin top-left) is defined and a ready <object> element at
    // its current place. Every object is named, static ones too.
    void printObjectAt(int x, int y);
    // The placed object drawn nearest the eye under x, y (physical pixels,
    // origin top-left), any kind, static or mobile; kNoObject over nothing.
    ObjectId objectAt(int x, int y);

    // Editing in the window: the selected object is outlined (its box in
    // yellow lines) and named in the overlay. kNoObject: none.
    void select(ObjectId id) { selected = id; }
    ObjectId selection() const { return selected; }
    // The placed object being driven, or kNoObject.
    ObjectId driven() const;
    // The y a map file gives the object: its world y without the height offset.
    double fileHeight(ObjectId id) const;
    // Puts a placed object at position (as a map file gives it: the height
    // offset is added) with rotation (degrees about x, y, z), as a load of
    // the file would place it, without loading: its batch's list is compiled
    // again when next drawn. False, with nothing changed, where only a load
    // can (a road piece, whose place is the network's, a tiled ground, a
    // placement refused by the cell budget).
    bool moveObject(ObjectId id, const FPoint& position, const FPoint& rotation);
    // Readouts (map_readout.cpp). G: the viewer's place as a ready
    // <startingPos/> element; an object's place in the map and a ready
    // <object> element where it stands now.
    void printViewerPlace() const;
    void printObject(ObjectId id) const;
    // Overlay (map_overlay.cpp).
    void buildOverlayText();

    // The store the world's texture keys resolve in.
    TextureFactory& textureStore() const { return textures; }
    // What the canvas reads after each frame.
    Camera& camera() { return viewer; }
    const Camera& camera() const { return viewer; }
    const QString& overlayText() const { return overlay; }
    bool overlayShown() const { return overlayOn; }
    bool mouseTracking() const { return mouseLook; }
    // Switches the keys also flip (L).
    void setLighting(bool on) { lightingOn = on; }
    // Which keys move the viewer (the settings' [keys]), named in the overlay.
    void setKeyBindings(const KeyBindings& bindings) { keys = bindings; }
    // What the last frame skipped: out of view, and the occlusion queries.
    int culledLastFrame() const { return culled; }
    Occlusion& occlusion() { return hidden; }

    // The placed objects of one blueprint, resolved from the keys: the walks
    // of every frame (collisions, the road test) go through these rather than
    // looking keys up. Positions are read through the pointers, so objects
    // that move (cars) are seen where they are.
    struct Placement {
        TObject* blueprint = nullptr; // never null
        bool skybox = false;          // the key is "skybox"
        RoadTrack::Measure measure = RoadTrack::ByBlueprint;
        std::vector<TObject*> objects; // object key order, no null
    };
    // Blueprint key order, one for each group whose blueprint exists;
    // rebuilt when blueprints, objects or mobile keys have changed.
    const std::vector<Placement>& placements();
    // One for each key of the road track that has a placement, in the
    // track's order (a key registered twice is there twice).
    const std::vector<RoadTrack::Pieces>& roadPieces();

    // One step of the frame's drawing, resolved from the keys once after
    // loading, in blueprint key order, then object key order.
    struct DrawStep {
        enum Kind { Batch, Mobile } kind = Batch;
        bool skybox = false; // lit by the first light alone
        TObject* blueprint = nullptr;
        TObject* object = nullptr; // Mobile: the placed object
        GLuint pickName = 0;       // Mobile
        GLuint list = 0;           // Batch: its list (0 for a tiled quad)
        // Batch: its list is compiled when the batch is first drawn, so a
        // large world pays at load only for what is in view.
        bool compiled = false;
        bool tiled = false;            // Batch: one large quad, drawn by its tiles
        Sphere sphere;                 // Batch: around all its objects
        Box box;                       // Batch: around all its objects
        std::size_t unit = 0;          // its number for occlusion
        std::vector<const TObject*> objects; // Batch: its placed objects
        // Batch of one large quad: its cells in square tiles, each with its
        // own list and sphere (list stays 0).
        struct Tile {
            GLuint list = 0;
            Sphere sphere;
            Box box;
            std::size_t unit = 0; // its number for occlusion
        };
        std::vector<Tile> tiles;
        const std::string* blueprintKey = nullptr;
    };

signals:
    void signal_mouseTracking(bool enable);

private:
    // Rebuilds steps, and compiles their batches, when objects, blueprints
    // or mobile keys have been added since the last time.
    void resolve();
    void deleteLists();
    void compileBatches();
    void compileBatch(DrawStep& step);
    // Counts a quad's cells at a placement against the world's budget;
    // false (with a message once per blueprint) when it would go over, or
    // when the quad cannot be drawn at that placement at all.
    bool withinCellBudget(TObject* blueprint, const TObject& placement, const std::string& key);
    // Judges the cell budget over every placement in load order, and names
    // the mobile placements in that order.
    void resolveLoadOrder();

    void resolvePlacements();
    // The selected object's box in lines; the GL state as it was.
    void drawSelection();
    // The overlay's line about the selection: key, FILE:LINE and position.
    QString selectionLine() const;

    TextureFactory& textures; // not owned
    float heightOffset =
        WorldRules::kHeightOffset; // added to y of every placed object but "skybox"
    Camera viewer;                 // the current viewer
    bool cameraGiven = false;      // a map's camera section set it
    std::map<std::string, TObject*> blueprints;
    std::vector<PlacedObject> placed; // by handle
    // blueprint key -> (object key -> handle), the objects held now
    std::map<std::string, std::map<std::string, ObjectId>> objects;
    std::set<std::string> mobileKeys; // object keys whose placements are mobile
    std::vector<Light*> lights;       // load order; index = light number of the keys 0..7
    std::vector<Light*> flashlights;
    bool lightingOn = true;
    bool mouseLook = true; // mouse tracking
    bool collisionOn = true;
    GLenum renderMode = GL_FILL;
    GLenum shadeModel = GL_SMOOTH;
    QString overlay;
    bool overlayOn = true; // H hides and shows the overlay (the canvas's rows too)
    RoadTrack roadTrack;
    KeyBindings keys; // which keys move the viewer, and their names in the overlay
    double startEye[3];    // Space puts the viewer here (world units)
    double startCentre[3]; // looking at this point

    ObjectId selected = kNoObject;

    std::vector<DrawStep> steps;
    int culled = 0;   // steps skipped by the last frame as out of view
    Occlusion hidden; // skips what the last frame found hidden

    // Blueprints, objects and mobile keys added so far (they are only ever
    // added through addBlueprint, addObject and addMobileKey), and how many
    // had been when steps and placements were last resolved from the keys.
    std::size_t additions = 0;
    std::size_t stepsResolvedAt = std::size_t(-1);
    std::size_t placementsResolvedAt = std::size_t(-1);
    std::vector<Placement> placementList;
    std::vector<RoadTrack::Pieces> roadPieceList;
    double quadCells = 0; // cells of every quad compiled or drawn, against the world's budget
    // By handle: placements the cell budget refused, never compiled, drawn or picked.
    std::vector<bool> refused;
    // The mobile placements in load order; the pick name of each is 10 x its index.
    std::vector<ObjectId> mobilePlacements;
    std::vector<std::unique_ptr<TObject>> owned;
    std::vector<std::unique_ptr<Light>> ownedLights;
};
