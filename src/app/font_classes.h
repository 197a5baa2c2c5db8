#pragma once
// The dialog font sizes follow the height of the screen: five classes of the
// logical screen height (pixels at 96 dpi), each with a base point size and
// the reductions for ordinary dialogs and for the measurement page, read from
// the string table.

struct DialogFontSizes {
  int baseSize = 12;
  int measurePageReduction = 2;
  int dialogReduction = 2;
};

// Screen height in pixels at 96 pixels per inch (rounded multiply-divide).
// A non-positive dpi counts as 96.
int LogicalScreenHeight(int pixelHeight, int dpiY);

// 0: h < 500, 1: < 700, 2: < 800, 3: < 1050, 4: otherwise. A height equal
// to a boundary belongs to the higher class.
int ScreenHeightClass(int logicalHeight);

// The sizes of a class from strings 223 to 237. A text that is not a number
// reads 0; a base size of 0 becomes 10.
DialogFontSizes FontSizesForClass(int heightClass);

// The sizes for the primary screen (96 dpi and 768 pixels assumed without one).
DialogFontSizes FontSizesForPrimaryScreen();
