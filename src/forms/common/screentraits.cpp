#include "forms/common/screentraits.h"

#include "session/errors.h"

#include <array>

namespace corvane {

namespace {

// Screens that only open and close the logbook lookup in the verification steps record their
// verifier through the sign-off dialog alone.
constexpr std::array kScreens{
    //            name                     verification  before reagents
    ScreenTraits{"frmAPTT",                 false,        true},
    ScreenTraits{"frmABG",                  false,        true},
    ScreenTraits{"frmWithNormalValues",     true,         true},
    ScreenTraits{"frmWithCutOff",           true,         true},
    ScreenTraits{"frmNVExams",              true,         true},
    ScreenTraits{"frmSpecificFormat",       true,         true},
    ScreenTraits{"frmWithInterpretation",   false,        true},
    ScreenTraits{"frmNormalRange",          true,         true},
    ScreenTraits{"frmMyCustom",             true,         true},
    ScreenTraits{"frmCS",                   true,         true},
    ScreenTraits{"frmMicrobiology",         true,         true},
    ScreenTraits{"frmGramStain",            true,         true},
    ScreenTraits{"frmAfb",                  true,         true},
    ScreenTraits{"frmUrineWright",          true,         true},
    ScreenTraits{"frmCrossmatching",        false,        true},
    ScreenTraits{"frmERAPRA",               true,         true},
    ScreenTraits{"frmCerb",                 true,         true},
    ScreenTraits{"frmANAPanel",             true,         true},
    ScreenTraits{"frmUrinalysis",           true,         true},
    ScreenTraits{"frmFecalysis",            false,        true},
    ScreenTraits{"frmStool",                false,        true},
    ScreenTraits{"frmBodyFluid",            false,        true},
    ScreenTraits{"frmSemenAnalysis",        false,        true},
    ScreenTraits{"frmSpermCount",           true,         true},
    ScreenTraits{"frmStone",                true,         true},
    ScreenTraits{"frmExecutive",            true,         true},
    ScreenTraits{"frmPanel",                true,         true},
    ScreenTraits{"frmHistopath",            true,         true},
    ScreenTraits{"frmCytology",             true,         true},
    ScreenTraits{"frmPapsmear",             false,        true},
    ScreenTraits{"frmBethesda",             false,        true},
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
