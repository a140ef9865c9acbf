#include "forms/common/screentraits.h"

#include "session/errors.h"

#include <array>

namespace corvane {

namespace {

// Screens that only open and close the logbook lookup in the verification steps record their
// verifier through the sign-off dialog alone.
constexpr std::array kScreens{
    //            name                     verification
    ScreenTraits{"frmAPTT",                 false},
    ScreenTraits{"frmABG",                  false},
    ScreenTraits{"frmWithNormalValues",     true},
    ScreenTraits{"frmWithCutOff",           true},
    ScreenTraits{"frmNVExams",              true},
    ScreenTraits{"frmSpecificFormat",       true},
    ScreenTraits{"frmWithInterpretation",   false},
    ScreenTraits{"frmNormalRange",          true},
    ScreenTraits{"frmMyCustom",             true},
    ScreenTraits{"frmCS",                   true},
    ScreenTraits{"frmMicrobiology",         true},
    ScreenTraits{"frmGramStain",            true},
    ScreenTraits{"frmAfb",                  true},
    ScreenTraits{"frmUrineWright",          true},
    ScreenTraits{"frmCrossmatching",        false},
    ScreenTraits{"frmERAPRA",               true},
    ScreenTraits{"frmCerb",                 true},
    ScreenTraits{"frmANAPanel",             true},
    ScreenTraits{"frmUrinalysis",           true},
    ScreenTraits{"frmFecalysis",            false},
    ScreenTraits{"frmStool",                false},
    ScreenTraits{"frmBodyFluid",            false},
    ScreenTraits{"frmSemenAnalysis",        false},
    ScreenTraits{"frmSpermCount",           true},
    ScreenTraits{"frmStone",                true},
    ScreenTraits{"frmExecutive",            true},
    ScreenTraits{"frmPanel",                true},
    ScreenTraits{"frmHistopath",            true},
    ScreenTraits{"frmCytology",             true},
    ScreenTraits{"frmPapsmear",             false},
    ScreenTraits{"frmBethesda",             false},
};

} // namespace

const ScreenTraits &screenTraits(const QString &screenName)
{
    for (const ScreenTraits &t : kScreens) {
        if (screenName == QLatin1String(t.name))
            return t;
    }
    throw ComponentError(QStringLiteral("No save rules are known for the screen %1.").arg(screenName));
}

} // namespace corvane
