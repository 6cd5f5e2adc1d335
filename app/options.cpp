// Options: the command line.
#include "app/options.h"

Options parseOptions(const QStringList& arguments) {
    Options options;
    bool haveMap = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == "--check") {
            options.check = true;
        } else if (arg == "--frames") {
            bool ok = false;
            const int n = i + 1 < arguments.size() ? arguments[i + 1].toInt(&ok) : 0;
            if (!ok || n <= 0) {
                options.error = "--frames verwacht een aantal beelden groter dan 0";
                return options;
            }
            options.frames = n;
            ++i;
        } else if (arg.startsWith("--")) {
            options.error = "onbekende optie " + arg;
            return options;
        } else if (haveMap) {
            options.error = "slechts een map kan geopend worden, niet ook " + arg;
            return options;
        } else {
            options.mapPath = arg;
            haveMap = true;
        }
    }
    return options;
}
