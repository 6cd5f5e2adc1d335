// The authors' reference, docs/map-format.md, against the format the loader
// checks maps with: every element and attribute of every section has its
// row, with its kind, so the two cannot drift apart.
#include "mapfile/mapformat.h"

#include <QFile>
#include <gtest/gtest.h>
#include <map>

namespace {

// The words the reference's Kind column uses.
const std::map<ValueKind, std::string> kKindWords = {
    {ValueKind::Text, "text"},
    {ValueKind::Number, "number"},
    {ValueKind::Size, "size"},
    {ValueKind::Fraction, "fraction"},
    {ValueKind::NonNegative, "number ≥ 0"},
    {ValueKind::SpotCutoff, "angle"},
    {ValueKind::SpotExponent, "exponent"},
    {ValueKind::LightNumber, "light number"},
    {ValueKind::Flag, "flag"},
    {ValueKind::Presence, "presence"},
    {ValueKind::Mobile, "mobile flag"},
    {ValueKind::Side, "side"},
    {ValueKind::NormalSide, "side (no all)"},
    {ValueKind::Corner, "corner"},
    {ValueKind::TextureKey, "texture key"},
    {ValueKind::ImageFile, "image file"},
    {ValueKind::ModelFile, "3DS file"},
};

TEST(MapFormatReference, NamesEveryElementAndAttributeWithItsKindInItsSection) {
    QFile file(qEnvironmentVariable("KOLVAR_SOURCE_DIR") + "/docs/map-format.md");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::string doc = file.readAll().toStdString();
    for (const SectionFormat& section : MapFormat::sections()) {
        const std::string heading = std::string("### Section `") + section.name + "`";
        const std::size_t begin = doc.find(heading);
        ASSERT_NE(begin, std::string::npos) << heading;
        const std::string part = doc.substr(begin, doc.find("\n## ", begin + 1) - begin);
        const std::string body = part.substr(0, part.find("\n### ", 1));
        for (const ElementFormat& element : section.elements) {
            const std::string cell = std::string("| `<") + element.name + ">` | ";
            if (element.attributes.empty()) {
                EXPECT_NE(body.find(cell + "— |"), std::string::npos) << section.name << cell;
            }
            for (const AttributeFormat& attribute : element.attributes) {
                ASSERT_TRUE(kKindWords.count(attribute.kind)) << attribute.name;
                const std::string row =
                    cell + "`" + attribute.name + "` | " + kKindWords.at(attribute.kind) + " |";
                EXPECT_NE(body.find(row), std::string::npos) << section.name << ": " << row;
            }
        }
    }
}

} // namespace
