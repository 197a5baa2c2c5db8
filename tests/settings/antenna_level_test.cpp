#include <gtest/gtest.h>

#include "settings/antenna_level.h"

namespace {

TEST(AntennaLevel, SignalBoundaries) {
  const std::pair<int, int> cases[] = {
      {-50, 4},
      {-88, 4},
      {-89, 3},
      {-99, 3},
      {-100, 2},
      {-107, 2},
      {-108, 1},
      {-130, 1},
      {-131, 0},
      {-200, 0},
      {0, kNoAntennaLevel},
  };
  for (const auto& [dbm, level] : cases) EXPECT_EQ(AntennaLevelFromSignal(dbm), level) << dbm;
}

TEST(AntennaLevel, MissingReadingShowsNoBars) {
  EXPECT_EQ(AntennaLevelFromSignal(std::nullopt), kNoAntennaLevel);
  EXPECT_EQ(AntennaPictureId(AntennaLevelFromSignal(std::nullopt)), 0);
}

TEST(AntennaLevel, PictureOfEachLevel) {
  EXPECT_EQ(AntennaPictureId(0), 381);
  EXPECT_EQ(AntennaPictureId(4), 385);
  EXPECT_EQ(AntennaPictureId(kNoAntennaLevel), 0);
  EXPECT_EQ(AntennaPictureId(5), 0);
}

}  // namespace
