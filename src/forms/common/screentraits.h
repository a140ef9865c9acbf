#pragma once
// What differs between result-entry screens in the shared save sequence, kept as one table.

#include <QString>

namespace corvane {

struct ScreenTraits {
    const char *name;
    // Records the verification (LAB_Save_VerifyResults) in verify mode and on a verifying sign-off.
    bool sendsVerification;
};

// The screen's row; an unknown screen name is a programming error and throws.
const ScreenTraits &screenTraits(const QString &screenName);

} // namespace corvane
