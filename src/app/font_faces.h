#pragma once
// The Japanese dialog font face of the string table ("ＭＳ ゴシック") names a
// font of another platform. Qt resolves it through font substitution to a
// Japanese Gothic font installed here (IPA Gothic from fonts-ipafont-gothic,
// or another Japanese Gothic). The English catalogue names a proportional
// sans-serif face (DejaVu Sans from fonts-dejavu-core), whose Latin letters
// take far less room than the Gothic font's fixed-width ones.

// Registers the substitutions; needs a QGuiApplication. Safe to call again.
void InstallFontSubstitutions();
