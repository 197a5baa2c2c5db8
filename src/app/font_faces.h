#pragma once
// The dialog font face of the string table ("ＭＳ ゴシック", or "MS Gothic" in
// the English catalogue) names a font of another platform. Qt resolves it
// through font substitution to a Japanese Gothic font installed here (IPA
// Gothic from fonts-ipafont-gothic, or another Japanese Gothic).

// Registers the substitutions; needs a QGuiApplication. Safe to call again.
void InstallFontSubstitutions();
