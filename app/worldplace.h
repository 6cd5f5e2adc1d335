// WorldPlace: the folder a world is opened from and its map there. A map
// file's includes ("maps/" + name), images and models are named relative
// to the folder that holds its maps/, so a map inside a folder named maps
// is opened from the folder above that maps/, as if Kolvar had been
// started there; any other map from the current folder. Without a map, the
// current folder's maps/basicMap.xml is opened or, when there is none, the
// installed default world.
//
// Paths are bytes, as the system gives them: a folder or file name need
// not be valid UTF-8.
#pragma once

#include <QByteArray>
#include <QString>

struct Options;

struct WorldPlace {
    QByteArray folder; // absolute, to work from; empty: the current folder
    QByteArray map;    // the map's path from that folder
    QString shownName; // the map as the user gave it, for messages

    // given: MAP from the command line (empty: none); current: the current
    // folder (absolute); installed: the installed default world's folder.
    static WorldPlace locate(const QByteArray& given, const QByteArray& current,
                             const QByteArray& installed);
    // The installed default world: share/kolvar beside the bin/ of this program.
    static QByteArray installedWorld();
    // A path fit for messages: as decoded by the system when it survives the
    // round trip, else with every byte outside ASCII written as \xNN.
    static QString shown(const QByteArray& path);

    // Makes folder the working directory and fills the options' map path,
    // map name and screenshot folder; false, with the reason, when the
    // folder cannot be entered.
    bool enter(Options& options, QString& problem) const;
};
