#include "settings/antenna_level.h"

int AntennaLevelFromSignal(std::optional<int> signalDbm) {
  if (!signalDbm.has_value() || *signalDbm == 0) return kNoAntennaLevel;
  const int v = *signalDbm;
  if (v >= -88) return 4;
  if (v >= -99) return 3;
  if (v >= -107) return 2;
  if (v >= -130) return 1;
  return 0;
}

int AntennaPictureId(int level) { return level >= 0 && level <= 4 ? 381 + level : 0; }
