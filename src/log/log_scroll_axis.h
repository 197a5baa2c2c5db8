#pragma once
// One scrolling direction of the log view, kept apart from the scroll bar
// widget so that its rules can be checked on their own.
//
// The range is classic: positions run from 0 to maximum, and a page of
// `page` units must fit, so the largest position is maximum - page + 1
// (never below 0). The log view asks for "display count + 1" to mean "the
// bottom"; the clamp turns that into the last full page.
class LogScrollAxis {
 public:
  int Maximum() const { return maximum_; }
  int Page() const { return page_; }
  int Position() const { return position_; }
  // The largest position the range allows.
  int LastPosition() const;

  // Sets a new range. Nothing changes when the axis already has a range
  // (maximum not 0) with the same maximum and page. When the maximum grew by
  // exactly one and the position is not 0, the position advances by one, so
  // a view that sits at the end keeps following new lines. A position that
  // is not below the new maximum falls back to 0.
  void SetRange(int maximum, int page);

  // Moves to `position` clamped to the range; true when the position changed.
  bool MoveTo(int position);
  int Clamp(int position) const;

 private:
  int maximum_ = 0;
  int page_ = 0;
  int position_ = 0;
};
