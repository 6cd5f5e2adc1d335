// Problems3DS: one table of the reader's wordings, each with its Dutch.
#include "model3ds/problems3ds.h"

#include <QRegularExpression>
#include <QString>
#include <utility>
#include <vector>

namespace {

// The prefixes the reader puts before what is wrong; $1, $2 are carried over.
constexpr const char* kChunk = R"x(chunk (0x[0-9A-F]+) at offset (\d+): )x";
constexpr const char* kChunkNl = "chunk $1 op positie $2: ";
constexpr const char* kObject = R"x(object "(.*)": )x";
constexpr const char* kObjectNl = "object \"$1\": ";

struct Wording {
    std::string english; // a regular expression for the whole line
    std::string dutch;   // its replacement
};

const std::vector<Wording>& wordings() {
    static const std::vector<Wording> table = [] {
        const std::string chunk = kChunk, object = kObject;
        return std::vector<Wording>{
            {R"x((\d+) bytes at offset (\d+) cannot hold a chunk header; they are skipped)x",
             "$1 bytes op positie $2 zijn te weinig voor een chunkkop; ze worden overgeslagen"},
            {chunk + R"x(length (\d+) is under 6; the rest of its parent is skipped)x",
             std::string(kChunkNl) + "lengte $3 is kleiner dan 6; de rest van de omvattende "
                                     "chunk wordt overgeslagen"},
            {chunk +
                 R"x(length (\d+) reaches past the end of the file \((\d+) bytes left\); it is cut there)x",
             std::string(kChunkNl) + "lengte $3 reikt voorbij het einde van het bestand ($4 "
                                     "bytes over); ze wordt daar afgekapt"},
            {chunk +
                 R"x(length (\d+) reaches past the end of its parent \((\d+) bytes left\); it is cut there)x",
             std::string(kChunkNl) + "lengte $3 reikt voorbij het einde van de omvattende chunk "
                                     "($4 bytes over); ze wordt daar afgekapt"},
            {chunk + R"x(name "(.*)" has no terminator; it ends at its chunk)x",
             std::string(kChunkNl) + "naam \"$3\" heeft geen afsluitende nul; ze eindigt met de "
                                     "chunk"},
            {chunk + R"x(name of (\d+) bytes is cut to "(.*)")x",
             std::string(kChunkNl) + "naam van $3 bytes wordt afgekapt tot \"$4\""},
            {chunk + R"x((\d+) bytes cannot hold a colour of 3 (floats|bytes))x",
             std::string(kChunkNl) + "$3 bytes zijn te weinig voor een kleur van 3 $4"},
            {chunk + R"x(no vertex count; the chunk is left out)x",
             std::string(kChunkNl) + "geen aantal hoekpunten; de chunk wordt weggelaten"},
            {chunk + R"x((\d+) vertices do not fit in it; the (\d+) that fit are read)x",
             std::string(kChunkNl) + "$3 hoekpunten passen er niet in; de $4 die passen worden "
                                     "gelezen"},
            {chunk + R"x(no mapping coordinate count; the chunk is left out)x",
             std::string(kChunkNl) + "geen aantal textuurcoördinaten; de chunk wordt weggelaten"},
            {chunk + R"x((\d+) mapping coordinates do not fit in it; the (\d+) that fit are read)x",
             std::string(kChunkNl) + "$3 textuurcoördinaten passen er niet in; de $4 die passen "
                                     "worden gelezen"},
            {chunk + R"x(no face count; the chunk is left out)x",
             std::string(kChunkNl) + "geen aantal vlakken; de chunk wordt weggelaten"},
            {chunk +
                 R"x((\d+) faces do not fit in it; the (\d+) that fit are read, without material groups)x",
             std::string(kChunkNl) + "$3 vlakken passen er niet in; de $4 die passen worden "
                                     "gelezen, zonder materiaalgroepen"},
            {chunk + R"x(group "(.*)" has no face count; it is left out)x",
             std::string(kChunkNl) + "groep \"$3\" heeft geen aantal vlakken; ze wordt "
                                     "weggelaten"},
            {chunk + R"x((\d+) face numbers do not fit in it; the (\d+) that fit are read)x",
             std::string(kChunkNl) + "$3 vlaknummers passen er niet in; de $4 die passen worden "
                                     "gelezen"},
            {R"x(the file has (\d+) bytes, too few for a chunk header)x",
             "het bestand heeft $1 bytes, te weinig voor een chunkkop"},
            {R"x((\d+) materials past the first (\d+) are left out; groups naming them are drawn untextured)x",
             "$1 materialen na de eerste $2 worden weggelaten; groepen die ze noemen worden "
             "zonder texture getekend"},
            {R"x((\d+) objects past the first (\d+) are left out)x",
             "$1 objecten na de eerste $2 worden weggelaten"},
            {R"x((\d+) group face numbers past the first (\d+) drawn faces are left out)x",
             "$1 vlaknummers van groepen na de eerste $2 getekende vlakken worden weggelaten"},
            {object +
                 R"x((\d+) of its (\d+) faces name a vertex past its (\d+) vertices; they are not drawn)x",
             std::string(kObjectNl) + "$2 van de $3 vlakken noemen een hoekpunt voorbij de $4 "
                                      "hoekpunten; ze worden niet getekend"},
            {object +
                 R"x((\d+) of its (\d+) vertices are not finite numbers; the (\d+) faces using them are not drawn)x",
             std::string(kObjectNl) + "$2 van de $3 hoekpunten zijn geen eindige getallen; de $4 "
                                      "vlakken die ze gebruiken worden niet getekend"},
            {object +
                 R"x((\d+) mapping coordinates for (\d+) vertices; the missing ones are \(0, 0\))x",
             std::string(kObjectNl) + "$2 textuurcoördinaten voor $3 hoekpunten; de ontbrekende "
                                      "zijn (0, 0)"},
            {object + R"x(group names no material "(.*)"; it is drawn untextured)x",
             std::string(kObjectNl) + "een groep noemt materiaal \"$2\", dat er niet is; ze wordt "
                                      "zonder texture getekend"},
            {object +
                 R"x(group "(.*)": (\d+) face numbers are past its (\d+) faces; they are left out)x",
             std::string(kObjectNl) + "groep \"$2\": $3 vlaknummers liggen voorbij de $4 vlakken; "
                                      "ze worden weggelaten"},
        };
    }();
    return table;
}

} // namespace

std::string dutchProblem3DS(const std::string& english) {
    static const std::vector<std::pair<QRegularExpression, QString>> compiled = [] {
        std::vector<std::pair<QRegularExpression, QString>> list;
        for (const Wording& wording : wordings()) {
            // "$n" in the table is QString::replace's "\\n".
            QString dutch = QString::fromStdString(wording.dutch);
            for (char digit = '1'; digit <= '9'; ++digit)
                dutch.replace(QString('$') + digit, QString('\\') + digit);
            list.emplace_back(QRegularExpression(QRegularExpression::anchoredPattern(
                                  QString::fromStdString(wording.english))),
                              dutch);
        }
        return list;
    }();
    const QString line = QString::fromStdString(english);
    for (const auto& [pattern, dutch] : compiled)
        if (pattern.match(line).hasMatch())
            return QString(line).replace(pattern, dutch).toStdString();
    return english;
}
