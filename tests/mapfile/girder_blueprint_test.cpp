// Girder blueprints read from real map files: shapes, corner points, and the
// per-side textures, materials and normals.
#include "scene/girder.h"
#include "scene/girderrect.h"
#include "tests/mapfile/blueprinttest.h"

#include <gtest/gtest.h>
#include <string>

namespace {

class GirderBlueprint : public BlueprintTest {
protected:
    Girder* girder(const std::string& key) {
        return dynamic_cast<Girder*>(world.getBlueprint(key));
    }
};

void expectPoint(const FPoint& p, float x, float y, float z) {
    EXPECT_FLOAT_EQ(p.x, x);
    EXPECT_FLOAT_EQ(p.y, y);
    EXPECT_FLOAT_EQ(p.z, z);
}

TEST_F(GirderBlueprint, RectAndCubeBecomeBoxesOfTheirSizes) {
    load("<blueprint type=\"girder\" key=\"rect\">"
         "<params subtype=\"rect\" width=\"2\" height=\"3\" depth=\"4\"/></blueprint>"
         "<blueprint type=\"girder\" key=\"cube\">"
         "<params subtype=\"cube\" width=\"4\" height=\"9\" depth=\"9\"/></blueprint>"
         "<blueprint type=\"girder\" key=\"flat\">"
         "<params subtype=\"rect\" width=\"2\" height=\"3\"/></blueprint>");
    auto* rect = dynamic_cast<GirderRect*>(world.getBlueprint("rect"));
    auto* cube = dynamic_cast<GirderRect*>(world.getBlueprint("cube"));
    auto* flat = dynamic_cast<GirderRect*>(world.getBlueprint("flat"));
    ASSERT_TRUE(rect && cube && flat);
    EXPECT_EQ(rect->width, 2);
    EXPECT_EQ(rect->height, 3);
    EXPECT_EQ(rect->depth, 4);
    EXPECT_EQ(cube->width, 4);
    EXPECT_EQ(cube->height, 4);
    EXPECT_EQ(cube->depth, 4);
    EXPECT_EQ(flat->depth, 0);
    // Each girder announces its six untextured sides.
    std::string six;
    for (int side = 0; side < 6; ++side)
        six += "------> " + std::to_string(side) + " wordt op 0 gezet \n";
    EXPECT_EQ(console, six + six + six);
}

TEST_F(GirderBlueprint, ASubtypeDifferingOnlyInCaseIsBuiltFromPoints) {
    load("<blueprint type=\"girder\" key=\"g\">"
         "<params subtype=\"Rect\" width=\"2\" height=\"3\" depth=\"4\"/></blueprint>"
         "<blueprint type=\"girder\" key=\"noParams\"/>");
    for (const char* key : {"g", "noParams"}) {
        Girder* g = girder(key);
        ASSERT_NE(g, nullptr) << key;
        EXPECT_EQ(dynamic_cast<GirderRect*>(g), nullptr) << key;
        for (const FPoint* p :
             {&g->position, &g->ftr, &g->fbl, &g->fbr, &g->btl, &g->btr, &g->bbl, &g->bbr})
            expectPoint(*p, 0, 0, 0);
    }
}

TEST_F(GirderBlueprint, PointsMayComeInAnyOrderAndEachLandsOnItsCorner) {
    const char* inOrder = "<point p=\"ftl\" x=\"1\" y=\"2\" z=\"3\"/>"
                          "<point p=\"ftr\" x=\"4\" y=\"5\" z=\"6\"/>"
                          "<point p=\"fbl\" x=\"7\" y=\"8\" z=\"9\"/>"
                          "<point p=\"fbr\" x=\"10\" y=\"11\" z=\"12\"/>"
                          "<point p=\"btl\" x=\"13\" y=\"14\" z=\"15\"/>"
                          "<point p=\"btr\" x=\"16\" y=\"17\" z=\"18\"/>"
                          "<point p=\"bbl\" x=\"19\" y=\"20\" z=\"21\"/>"
                          "<point p=\"bbr\" x=\"22\" y=\"23\" z=\"24\"/>";
    // Shuffled, with a corner given twice (the last wins) and names that are no corner.
    const char* shuffled = "<point p=\"bbr\" x=\"22\" y=\"23\" z=\"24\"/>"
                           "<point p=\"fbr\" x=\"-1\" y=\"-1\" z=\"-1\"/>"
                           "<point p=\"btl\" x=\"13\" y=\"14\" z=\"15\"/>"
                           "<point p=\"ftr\" x=\"4\" y=\"5\" z=\"6\"/>"
                           "<point p=\"FTL\" x=\"99\" y=\"99\" z=\"99\"/>"
                           "<point p=\"bbl\" x=\"19\" y=\"20\" z=\"21\"/>"
                           "<point x=\"98\" y=\"98\" z=\"98\"/>"
                           "<point p=\"fbl\" x=\"7\" y=\"8\" z=\"9\"/>"
                           "<point p=\"btr\" x=\"16\" y=\"17\" z=\"18\"/>"
                           "<point p=\"fbr\" x=\"10\" y=\"11\" z=\"12\"/>"
                           "<point p=\"ftl\" x=\"1\" y=\"2\" z=\"3\"/>";
    load(std::string("<blueprint type=\"girder\" key=\"a\"><points>") + inOrder +
         "</points></blueprint><blueprint type=\"girder\" key=\"b\"><points>" + shuffled +
         "</points></blueprint>");
    for (const char* key : {"a", "b"}) {
        Girder* g = girder(key);
        ASSERT_NE(g, nullptr);
        SCOPED_TRACE(key);
        expectPoint(g->position, 1, 2, 3);
        expectPoint(g->ftr, 4, 5, 6);
        expectPoint(g->fbl, 7, 8, 9);
        expectPoint(g->fbr, 10, 11, 12);
        expectPoint(g->btl, 13, 14, 15);
        expectPoint(g->btr, 16, 17, 18);
        expectPoint(g->bbl, 19, 20, 21);
        expectPoint(g->bbr, 22, 23, 24);
    }
}

TEST_F(GirderBlueprint, TexturesForAllSidesThenOneSideAndUnknownNamesOnTheTop) {
    load("<blueprint type=\"girder\" key=\"g\"><params subtype=\"cube\" width=\"1\"/>"
         "<textures><texture side=\"all\" textureKey=\"steel\"/>"
         "<texture side=\"top\" textureKey=\"rust\"/>"
         "<texture side=\"front\" textureKey=\"paint\"/></textures></blueprint>"
         "<blueprint type=\"girder\" key=\"h\"><params subtype=\"cube\" width=\"1\"/>"
         "<textures><texture side=\"Back\" textureKey=\"odd\"/></textures></blueprint>");
    Girder* g = girder("g");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->textureKeys.at(SideTop), "rust");
    EXPECT_EQ(g->textureKeys.at(SideFront), "paint");
    for (int side : {SideBack, SideLeft, SideRight, SideBottom})
        EXPECT_EQ(g->textureKeys.at(side), "steel") << "side " << side;
    for (int side = 0; side < 6; ++side)
        EXPECT_TRUE(g->texturedSides.at(side));
    EXPECT_NE(console.find("------> 5 wordt op 1 gezet \n------> 4 wordt op 1 gezet \n"
                           "------> 0 wordt op 1 gezet \n"),
              std::string::npos);

    Girder* h = girder("h");
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(h->textureKeys.size(), 1u);
    EXPECT_EQ(h->textureKeys.at(SideTop), "odd");
    EXPECT_FALSE(h->texturedSides.at(SideBack));
}

TEST_F(GirderBlueprint, MaterialsReplaceOnlyTheColoursTheyGive) {
    load("<blueprint type=\"girder\" key=\"g\"><params subtype=\"cube\" width=\"1\"/>"
         "<materials>"
         "<material side=\"all\"><ambient r=\"0.5\" g=\"0.25\" b=\"0.125\"/>"
         "<shininess value=\"0.25\"/></material>"
         "<material side=\"front\"/>"
         "<material side=\"left\"><specular r=\"1\" g=\"0\" b=\"0\" a=\"1\"/>"
         "<diffuse/><shininess/></material>"
         "</materials></blueprint>"
         "<blueprint type=\"girder\" key=\"plain\"><params subtype=\"cube\" width=\"1\"/>"
         "</blueprint>");
    Girder* g = girder("g");
    ASSERT_NE(g, nullptr);
    ASSERT_EQ(g->materials.size(), 6u);
    // From "all": ambient without "a" has alpha 0; diffuse and specular keep the defaults.
    const Material& top = g->materials.at(SideTop);
    EXPECT_FLOAT_EQ(top.ambient[0], 0.5f);
    EXPECT_FLOAT_EQ(top.ambient[1], 0.25f);
    EXPECT_FLOAT_EQ(top.ambient[2], 0.125f);
    EXPECT_FLOAT_EQ(top.ambient[3], 0.0f);
    EXPECT_FLOAT_EQ(top.diffuse[0], 1.0f);
    EXPECT_FLOAT_EQ(top.specular[0], 0.5f);
    EXPECT_FLOAT_EQ(top.shininess, 0.25f);
    // A material without colour elements is the default material.
    const Material& front = g->materials.at(SideFront);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(front.ambient[i], 1.0f);
        EXPECT_FLOAT_EQ(front.diffuse[i], 1.0f);
    }
    EXPECT_FLOAT_EQ(front.specular[0], 0.5f);
    EXPECT_FLOAT_EQ(front.specular[3], 1.0f);
    EXPECT_FLOAT_EQ(front.shininess, 0.5f);
    // Present but empty elements read as 0.
    const Material& left = g->materials.at(SideLeft);
    EXPECT_FLOAT_EQ(left.specular[0], 1.0f);
    EXPECT_FLOAT_EQ(left.specular[1], 0.0f);
    EXPECT_FLOAT_EQ(left.diffuse[0], 0.0f);
    EXPECT_FLOAT_EQ(left.diffuse[3], 0.0f);
    EXPECT_FLOAT_EQ(left.shininess, 0.0f);
    EXPECT_FLOAT_EQ(left.ambient[0], 1.0f);

    Girder* plain = girder("plain");
    ASSERT_NE(plain, nullptr);
    EXPECT_TRUE(plain->materials.empty());
}

TEST_F(GirderBlueprint, NormalsTakeTheirSideAndAllMeansTheTop) {
    load("<blueprint type=\"girder\" key=\"g\"><params subtype=\"cube\" width=\"1\"/>"
         "<normals><normal side=\"front\" x=\"0\" y=\"0\" z=\"1\"/>"
         "<normal side=\"all\" x=\"0\" y=\"1\"/></normals></blueprint>");
    Girder* g = girder("g");
    ASSERT_NE(g, nullptr);
    ASSERT_EQ(g->normals.size(), 2u);
    expectPoint(g->normals.at(SideFront), 0, 0, 1);
    expectPoint(g->normals.at(SideTop), 0, 1, 0);
    EXPECT_FALSE(g->hasNormal(SideBack));
}

} // namespace
