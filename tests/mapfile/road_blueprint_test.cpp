// Road blueprints read from real map files: the four subtypes, their
// direction strings, the texture key, and what is refused.
#include "scene/road.h"
#include "tests/mapfile/blueprinttest.h"

#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <utility>

namespace {

using RoadBlueprint = BlueprintTest;

std::string road(const std::string& key, const std::string& subtype, const std::string& direction) {
    return "<blueprint type=\"road\" key=\"" + key + "\" subtype=\"" + subtype +
           "\"><params direction=\"" + direction + "\"/></blueprint>";
}

// The piece's class (by its kind) and the direction value it was given.
std::pair<int, int> kindAndDirection(TObject* blueprint) {
    if (auto* p = dynamic_cast<RoadFlat*>(blueprint))
        return {p->kind, p->direction};
    if (auto* p = dynamic_cast<RoadFlatTurn*>(blueprint))
        return {p->kind, p->direction};
    if (auto* p = dynamic_cast<RoadTurn*>(blueprint))
        return {p->kind, p->direction};
    if (auto* p = dynamic_cast<RoadTurnLarge*>(blueprint))
        return {p->kind, p->direction};
    return {-1, -1};
}

TEST_F(RoadBlueprint, EachSubtypeParsesItsOwnDirectionTable) {
    struct Case {
        const char* subtype;
        const char* direction;
        int kind, value;
    };
    const Case cases[] = {
        {"flat", "X", 0, 0},
        {"flat", "Z", 0, 1},
        {"flat", "x", 0, 1},
        {"flat", "", 0, 1},
        {"flatTurn", "Z_13", 1, 0},
        {"flatTurn", "Z_42", 1, 1},
        {"flatTurn", "X_31", 1, 2},
        {"flatTurn", "X_24", 1, 3},
        {"turn", "upLeft", 2, 0},
        {"turn", "upRight", 2, 1},
        {"turn", "downLeft", 2, 2},
        {"turn", "downRight", 2, 3},
        {"turnLarge", "upLeft", 3, 0},
        {"turnLarge", "upRight", 3, 1},
        {"turnLarge", "downLeft", 3, 2},
        {"turnLarge", "downRight", 3, 3},
    };
    std::string blueprints;
    for (size_t i = 0; i < std::size(cases); ++i)
        blueprints += road("road" + std::to_string(i), cases[i].subtype, cases[i].direction);
    load(blueprints);
    EXPECT_EQ(console.find("niet gekend"), std::string::npos);
    for (size_t i = 0; i < std::size(cases); ++i) {
        auto [kind, value] = kindAndDirection(world.getBlueprint("road" + std::to_string(i)));
        EXPECT_EQ(kind, cases[i].kind) << cases[i].subtype << " " << cases[i].direction;
        EXPECT_EQ(value, cases[i].value) << cases[i].subtype << " " << cases[i].direction;
    }
}

TEST_F(RoadBlueprint, AFlatRoadWithoutParamsRunsAlongZ) {
    load("<blueprint type=\"road\" key=\"roadA\" subtype=\"flat\"/>");
    auto [kind, value] = kindAndDirection(world.getBlueprint("roadA"));
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(value, 1);
}

TEST_F(RoadBlueprint, AnUnknownSubtypeIsSkippedWithAMessage) {
    load(road("roadBad", "Flat", "X") + road("roadGood", "turn", "upLeft"));
    EXPECT_FALSE(world.hasBlueprint("roadBad"));
    EXPECT_TRUE(world.hasBlueprint("roadGood"));
    EXPECT_NE(console.find("blueprint \"roadBad\": road subtype \"Flat\" is niet gekend (bedoelt u "
                           "flat?), wordt overgeslagen\n"),
              std::string::npos)
        << console;
}

TEST_F(RoadBlueprint, AnUnknownTurnDirectionGivesZeroWithAMessage) {
    // "Z_13" belongs to the flat turn's table, not the turn's.
    load(road("roadT", "turn", "Z_13") + road("roadF", "flatTurn", "upLeft") +
         road("roadL", "turnLarge", ""));
    for (const char* key : {"roadT", "roadF", "roadL"}) {
        ASSERT_TRUE(world.hasBlueprint(key)) << key;
        EXPECT_EQ(kindAndDirection(world.getBlueprint(key)).second, 0) << key;
    }
    EXPECT_NE(console.find("road direction \"Z_13\" is niet gekend voor turn"),
              std::string::npos);
    EXPECT_NE(console.find("road direction \"upLeft\" is niet gekend voor flatTurn"),
              std::string::npos);
    EXPECT_NE(console.find("road direction \"\" is niet gekend voor turnLarge"),
              std::string::npos);
}

TEST_F(RoadBlueprint, ThePieceTakesTheFirstTextureKeyOfItsFirstTexturesElement) {
    load("<blueprint type=\"road\" key=\"roadA\" subtype=\"turn\">"
         "<params direction=\"upRight\"/>"
         "<textures><texture textureKey=\"asphalt\"/><texture textureKey=\"grass\"/></textures>"
         "<textures><texture textureKey=\"mud\"/></textures></blueprint>" +
         road("roadB", "flat", "X"));
    auto* a = dynamic_cast<Road*>(world.getBlueprint("roadA"));
    auto* b = dynamic_cast<Road*>(world.getBlueprint("roadB"));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->textureKey, "asphalt");
    EXPECT_TRUE(a->textured);
    EXPECT_EQ(b->textureKey, "");
    EXPECT_TRUE(b->textured);
}

} // namespace
