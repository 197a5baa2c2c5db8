#pragma once
// The antenna check shows the cellular module's signal as a picture of an
// antenna with up to three bars. These map the module's reading to that
// picture.
#include <optional>

constexpr int kNoAntennaLevel = -1;

// Level 0 to 4 of a signal reading in dBm, or kNoAntennaLevel when there is
// no reading: the module did not report a value (nullopt) or reported 0.
//   v >= -88: 4 (three bars)     -99 <= v < -88: 3     -107 <= v < -99: 2
//   -130 <= v < -107: 1 (mast only)      v < -130: 0 (crossed-out mast)
int AntennaLevelFromSignal(std::optional<int> signalDbm);

// Picture resource of a level (381 for level 0 to 385 for level 4), or 0
// when the level shows no picture.
int AntennaPictureId(int level);
