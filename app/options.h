// Options: what the command line asks of the program.
//   kolvar [MAP]               open MAP (default maps/basicMap.xml)
//   kolvar --check [MAP]       read and check MAP without a window
//   kolvar --frames N [MAP]    render N frames as fast as possible, print timings, exit
//   kolvar --frame-rate N      frames a second for this run (0: the display's rate)
//   kolvar --frame-log FILE    one line a drawn frame: ms eye_x eye_y eye_z yaw pitch
//   kolvar -q [MAP]            no progress lines, only problems and summaries
#pragma once

#include <QByteArray>
#include <QString>

struct Options {
    QString mapPath = "maps/basicMap.xml"; // opened, relative to the working directory
    QString mapName;          // the map as the user gave it, in messages; empty: mapPath
    QString screenshotFolder; // where F12 saves; empty: the working directory
    QByteArray givenMap;      // MAP as the system gave it; empty when none was given
    bool check = false;       // --check: no window, report problems
    bool quiet = false;       // -q, --quiet: no progress lines, problems only
    int frames = 0;           // --frames N: N > 0 times N frames and exits
    int frameRate = -1;       // --frame-rate N; -1: as the settings say
    QString frameLog;         // --frame-log FILE; empty: none
};

// Reads the command line. False when the program ends now with exitStatus
// (after --help or --version, or a command line that makes no sense).
bool parseOptions(int argc, char** argv, Options& options, int& exitStatus);
