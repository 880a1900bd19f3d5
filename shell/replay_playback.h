// Playing a replay back (--play FILE): the recorded match shown as it was played, or with
// --check without a window and as fast as the machine can, and at the end whether every
// round ended exactly as recorded.
#pragma once

#include <string>

#include "shell/options.h"

struct Game;

// Plays options.playPath (with options.check: without waits) and returns the status: 0 when every
// round played matched its recorded checksum (or the viewer stopped it with Esc before any
// differed), 1 when one differed or the file cannot be played. One line tells which: on standard
// output when every round matched, on standard error otherwise. Watching, the line also shows under
// the last score table until Enter or Esc (or kVerdictShownMs). The title and the settings file are
// never touched.
int runPlayback(Game& game, const std::string& assetDir, const Options& options);
