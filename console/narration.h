// narration: whether the progress lines are printed ("Texture inladen : ...",
// "We gaan de map inladen : " and the like, which tell what is being read,
// not what is wrong). kolvar -q/--quiet switches them off for the whole
// process; problem lines and summaries are printed either way. Set once at
// start-up, before anything is read, and read on the GUI thread only.
#pragma once

namespace narration {

inline bool quiet = false;

// True when a progress line should be printed.
inline bool on() {
    return !quiet;
}

} // namespace narration
