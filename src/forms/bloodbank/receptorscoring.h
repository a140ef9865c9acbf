#pragma once
// Immunohistochemistry scoring of hormone receptors: the share of tumour cells stained gives the
// extent score (1 to 5, 0 for no staining), the staining intensity 0 to 3, and their sum the total
// score (0-2 negative, 3-8 positive).

#include <QString>

namespace corvane::receptor {

// The extent score for a typed percentage: below 1 "1", 1-10 "2", 11-33 "3", 34-66 "4", 67-100
// "5"; empty text empties it; anything else (text, 10.5, 150) keeps `current`.
QString extentScore(const QString &percent, const QString &current);
// "NO STAINING", "WEAK", "MODERATE", "STRONG" for 0 to 3; empty otherwise.
QString intensityWord(const QString &score);
// Extent score plus intensity score, each read as far as it is a number (empty counts 0).
QString totalScore(const QString &extent, const QString &intensity);
// The extent text stored for an extent score of 0.
inline const char *const kNoStaining = "NO STAINING";

} // namespace corvane::receptor
