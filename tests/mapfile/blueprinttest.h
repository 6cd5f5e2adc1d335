// Fixture of the blueprint reader tests: a map file holding only the given
// blueprints, read through the loader into a fresh world.
#pragma once

#include "mapfile/maploader.h"
#include "tests/support/gltest.h"
#include "world/map.h"

#include <gtest/gtest.h>
#include <string>

class BlueprintTest : public ::testing::Test {
protected:
    void SetUp() override { testgl::makeCurrent(); }

    // Writes the map and loads it; what it printed lands in console. The empty
    // top-level textures section keeps the blueprints' own "textures" elements
    // from being read as the file's texture list.
    void load(const std::string& blueprints) {
        dir.write("maps/x.xml",
                  "<map><textures/><blueprints>" + blueprints + "</blueprints></map>");
        testgl::StdoutCapture out;
        ASSERT_TRUE(MapLoader(&world).load("maps/x.xml"));
        console = out.text();
    }

    testgl::TempWorkDir dir;
    Map world;
    std::string console;
};
