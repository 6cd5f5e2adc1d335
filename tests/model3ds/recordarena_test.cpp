// A model large enough for the record arena: every object's vertices keep
// what that object wrote (no two arrays share memory) after the reader has
// moved on.
#include "model3ds/reader3ds.h"
#include "model3ds/writer3ds.h"

#include <algorithm>
#include <gtest/gtest.h>

TEST(RecordArena, LargeModelArraysAreDistinctAndOutliveTheReader) {
    Writer3DS w; // 8 objects of 65535 vertices: 6 MB
    w.beginFile();
    for (int o = 1; o <= 8; ++o)
        w.object({"m", std::vector<float>(3 * 65535, float(o)), {}, {}, {}});
    w.end();
    w.end();
    Reader3DS reader;
    reader.read(reinterpret_cast<const std::uint8_t*>(w.bytes().data()), w.size());
    const std::vector<Object3DS> objects = std::move(reader.objects);
    reader.read(nullptr, 0);         // the reader lets go of everything of the first read
    for (float o = 1; o <= 8; ++o) { // file (o, o, o) is held as (o, o, -o)
        const RecordArray<float>& v = objects.at(std::size_t(o) - 1).vertices;
        EXPECT_TRUE(v.get_allocator().arena && std::count(v.begin(), v.end(), -o) == 65535) << o;
    }
}
