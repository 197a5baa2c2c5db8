#pragma once
// Wizard flags (one word per page showing) and the page results with which a
// page closes.
namespace wizard {

// Low byte: the page's position in the run, set for each showing.
constexpr int kPositionMask = 0xFF;
constexpr int kFirstPage = 0x01;
constexpr int kOnlyPage = 0x02;
constexpr int kLastPage = 0x04;
// The page runs without the before-work and after-work hooks.
constexpr int kNoWorkHooks = 0x100;
// No refresh of the session's records after the page's work.
constexpr int kNoRefresh = 0x1000;
// Stop measurement before the page's work if the logger measures.
constexpr int kStopMeasurement = 0x2000;
// A page shown on its own outside a run: the only page, every upper bit set.
constexpr int kStandalone = static_cast<int>(0xFFFFFF02u);

// Page results.
constexpr int kResultNext = 0;
constexpr int kResultBack = 1;
constexpr int kResultCancel = 2;
// The page asks to be skipped in the direction of travel.
constexpr int kResultSkip = 3;
// Closed otherwise (the window's close box); every showing starts with it.
constexpr int kResultClosed = -1;

}  // namespace wizard
