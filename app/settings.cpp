// Settings: the user's INI file, read with QSettings; each bad value is
// named at its line.
#include "app/settings.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTextStream>
#include <algorithm>
#include <map>

namespace {

// Where each "section/entry" stands in the file, 1-based (QSettings does not say).
std::map<QString, int> entryLines(const QString& path) {
    std::map<QString, int> lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return lines;
    QTextStream in(&file);
    QString section;
    for (int number = 1; !in.atEnd(); ++number) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith('[') && line.endsWith(']'))
            section = line.mid(1, line.size() - 2).trimmed();
        else if (line.contains('=') && !line.startsWith(';') && !line.startsWith('#'))
            lines.emplace(section + "/" + line.section('=', 0, 0).trimmed(), number);
    }
    return lines;
}

} // namespace

QString Settings::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/kolvar/kolvar.ini";
}

Settings Settings::read(const QString& path, QStringList& problems) {
    Settings settings;
    if (!QFileInfo(path).isFile())
        return settings;
    const std::map<QString, int> lines = entryLines(path);
    const auto problem = [&](const QString& entry, const QString& text) {
        const auto at = lines.find(entry);
        const QString section = entry.section('/', 0, 0);
        problems << path + ":" + QString::number(at == lines.end() ? 1 : at->second) +
                        ":1: waarschuwing: [" + section + "] " + entry.section('/', 1) + ": " +
                        text;
    };
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        problems << path + ":1:1: waarschuwing: het bestand is geen INI-bestand; de "
                           "standaardinstellingen gelden";
        return settings;
    }
    // A list (a value with commas) read as one text, as written.
    const auto text = [&](const QString& entry) {
        const QVariant value = file.value(entry);
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
        if (value.typeId() == QMetaType::QStringList)
#else
        if (value.type() == QVariant::StringList)
#endif
            return value.toStringList().join(", ");
        return value.toString().trimmed();
    };
    const QStringList known = {"mouse/sensitivity", "mouse/invertY", "view/frameRate"};
    for (const QString& entry : file.allKeys()) {
        bool isKey = false;
        for (int i = 0; i < KeyBindings::kMoves; ++i)
            isKey |= entry == QString("keys/") + KeyBindings::moveName(KeyBindings::moveAt(i));
        if (!known.contains(entry) && !isKey)
            problem(entry, "onbekende instelling, wordt genegeerd");
    }

    if (file.contains("mouse/sensitivity")) {
        bool ok = false;
        const double value = text("mouse/sensitivity").toDouble(&ok);
        if (ok && value >= kMinSensitivity && value <= kMaxSensitivity)
            settings.sensitivity = value;
        else
            problem("mouse/sensitivity", "\"" + text("mouse/sensitivity") +
                                             "\" is geen getal van 0.05 tot 20; de standaard "
                                             "1.0 geldt");
    }
    if (file.contains("mouse/invertY")) {
        const QString value = text("mouse/invertY").toLower();
        if (value == "true" || value == "1" || value == "yes" || value == "on")
            settings.invertY = true;
        else if (!(value == "false" || value == "0" || value == "no" || value == "off"))
            problem("mouse/invertY", "\"" + text("mouse/invertY") +
                                         "\" is geen true of false; de standaard "
                                         "false geldt");
    }
    if (file.contains("view/frameRate")) {
        bool ok = false;
        const int value = text("view/frameRate").toInt(&ok);
        if (ok && (value == 0 || (value >= kMinFrameRate && value <= kMaxFrameRate)))
            settings.frameRate = value;
        else
            problem("view/frameRate", "\"" + text("view/frameRate") +
                                          "\" is geen 0 (de verversing van het scherm) of "
                                          "een aantal beelden per seconde van 10 tot 500; "
                                          "de standaard 0 geldt");
    }

    // Keys: every entry is checked against the defaults and the entries
    // before it; a key given to two movements stays with the first.
    std::vector<quint32> taken;
    for (int i = 0; i < KeyBindings::kMoves; ++i) {
        const Move move = KeyBindings::moveAt(i);
        const QString entry = QString("keys/") + KeyBindings::moveName(move);
        if (!file.contains(entry))
            continue;
        QStringList defaults;
        for (quint32 code : settings.keys.keysOf(move))
            defaults << KeyBindings::placeOf(code)->name;
        const QString fallback = "; de standaard " + defaults.join(", ") + " geldt";
        const QStringList names = text(entry).split(',', Qt::SkipEmptyParts);
        if (names.isEmpty() || names.size() > KeyBindings::kMaxKeys) {
            problem(entry, "\"" + text(entry) + "\" is niet een of twee toetsen" + fallback);
            continue;
        }
        std::vector<quint32> codes;
        QString wrong;
        for (const QString& raw : names) {
            const QString name = raw.trimmed();
            const KeyBindings::Place* place = KeyBindings::placeNamed(name);
            if (!place)
                wrong = name + " is geen toets die Kolvar kent (zie README.md)";
            else if (KeyBindings::isReserved(place->code))
                wrong = name + " is al een toets van de wereld of van het bewerken";
            else if (std::find(taken.begin(), taken.end(), place->code) != taken.end())
                wrong = name + " is al gegeven aan een andere beweging";
            else
                codes.push_back(place->code);
            if (!wrong.isEmpty())
                break;
        }
        if (!wrong.isEmpty()) {
            problem(entry, wrong + fallback);
            continue;
        }
        taken.insert(taken.end(), codes.begin(), codes.end());
        settings.keys.bind(move, codes);
    }
    return settings;
}
