// Options: what the command line asks of the program.
//   kolvar [MAP]               open MAP (default maps/basicMap.xml)
//   kolvar --check [MAP]       read and check MAP without a window
//   kolvar --frames N [MAP]    render N frames as fast as possible, print timings, exit
#pragma once

#include <QString>
#include <QStringList>

struct Options {
    QString mapPath = "maps/basicMap.xml"; // relative to the working directory
    bool check = false;                    // --check: no window, report problems
    int frames = 0;                        // --frames N: N > 0 times N frames and exits
    QString error;                         // non-empty when the arguments make no sense
};

// Reads the arguments after the program name.
Options parseOptions(const QStringList& arguments);
