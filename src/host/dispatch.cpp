// The dispatch table: exam format codes (FormType, ValueType) and the host's intResult -> screen.

#include "host/dispatch.h"

#include "services/ui/messagebox.h"

#include <array>
#include <optional>

namespace corvane {

namespace {

using Kind = Dispatch::Kind;
using Codes = std::array<const char *, 4>; // any one of these; unused slots stay null

constexpr Codes anyCode{};                  // the code is not looked at
constexpr std::optional<qint16> anyResult;  // intResult is not looked at

struct DispatchRow {
    Codes formTypes;
    Codes valueTypes;
    std::optional<qint16> intResult;
    Kind kind;
    const char *screen;
};

constexpr Kind Screen = Kind::Screen;
constexpr Kind Message = Kind::Message;
constexpr Kind Silent = Kind::Silent;

// clang-format off
constexpr DispatchRow kDispatchTable[] = {
    // FormType             ValueType             intResult  outcome
    {{"H"},                 {"A"},                anyResult, Screen,  "frmAPTT"},
    {{"H"},                 {"B"},                anyResult, Screen,  "frmStone"},
    {{"H"},                 {"U"},                anyResult, Screen,  "frmUrinalysis"},
    {{"H"},                 {"H"},                12,        Screen,  "frmERAPRA"},
    {{"H"},                 {"H"},                605,       Screen,  "frmCerb"},
    {{"H"},                 {"H"},                anyResult, Screen,  "frmHistopath"},
    {{"H"},                 {"P"},                anyResult, Screen,  "frmBethesda"},
    {{"H"},                 {"C"},                anyResult, Screen,  "frmCytology"},
    {{"H"},                 {"W"},                anyResult, Screen,  "frmUrineWright"},
    {{"H"},                 {"R"},                anyResult, Screen,  "frmABG"},
    {{"H"},                 {"S"},                anyResult, Screen,  "frmStool"},
    {{"H"},                 {"L"},                anyResult, Screen,  "frmBodyFluid"},
    {{"H"},                 {"T", "E", "O"},      anyResult, Screen,  "frmFecalysis"},
    {{"H"},                 {"F"},                anyResult, Screen,  "frmSemenAnalysis"},
    {{"H"},                 {"2"},                anyResult, Screen,  "frmWithInterpretation"},
    {{"H"},                 {"K"},                anyResult, Screen,  "frmGramStain"},
    {{"H"},                 {"X"},                anyResult, Screen,  "frmNormalRange"},
    {{"H"},                 {"Y"},                anyResult, Screen,  "frmANAPanel"},
    {{"H"},                 {"Z"},                anyResult, Screen,  "frmExecutive"},
    {{"H"},                 {"3"},                anyResult, Screen,  "frmPanel"},
    {{"H"},                 {"4"},                anyResult, Screen,  "frmAfb"},
    {{"H"},                 anyCode,              anyResult, Message, nullptr},
    {{"P"},                 {"5", "D", "I"},      anyResult, Screen,  "frmWithCutOff"},
    {{"P"},                 {"2", "3", "6"},      anyResult, Screen,  "frmNVExams"},
    {{"P"},                 {"1", "7", "8", "B"}, anyResult, Screen,  "frmWithNormalValues"},
    {{"P"},                 anyCode,              anyResult, Message, nullptr},
    {{"D"},                 anyCode,              anyResult, Screen,  "frmWithCutOff"},
    {{"J"},                 anyCode,              anyResult, Screen,  "frmCS"},
    {{"2", "3", "6", "9"},  anyCode,              anyResult, Screen,  "frmNVExams"},
    {{"4"},                 anyCode,              anyResult, Screen,  "frmSpecificFormat"},
    {{"1", "7", "8", "B"},  anyCode,              anyResult, Screen,  "frmWithNormalValues"},
    {{"5", "W", "I"},       anyCode,              anyResult, Screen,  "frmWithCutOff"},
    {{"X"},                 {"1", "2"},           anyResult, Screen,  "frmCrossmatching"},
    {{"X"},                 anyCode,              anyResult, Silent,  nullptr},
    {{"K"},                 anyCode,              anyResult, Screen,  "frmMyCustom"},
    {{"Q", "Z"},            anyCode,              anyResult, Silent,  nullptr},
    {anyCode,               anyCode,              anyResult, Message, nullptr},
};
// clang-format on

bool matches(const Codes &codes, const QString &value)
{
    if (codes == anyCode)
        return true;
    for (const char *code : codes) {
        if (code && value == QLatin1String(code))
            return true;
    }
    return false;
}

} // namespace

Dispatch chooseScreen(const QString &formType, const QString &valueType, qint16 intResult)
{
    for (const DispatchRow &row : kDispatchTable) {
        if (!matches(row.formTypes, formType) || !matches(row.valueTypes, valueType))
            continue;
        if (row.intResult && *row.intResult != intResult)
            continue;
        return Dispatch{row.kind, row.screen ? QString::fromLatin1(row.screen) : QString()};
    }
    return Dispatch{Kind::Message, QString()}; // the table ends in a catch-all; kept for safety
}

QStringList dispatchScreenNames()
{
    QStringList names;
    for (const DispatchRow &row : kDispatchTable) {
        if (row.screen && !names.contains(QLatin1String(row.screen)))
            names.append(QString::fromLatin1(row.screen));
    }
    return names;
}

void showExamNotFormatted()
{
    MessageBox::show(QStringLiteral("Exam not yet formatted."), QStringLiteral("Invalid Exam Format"),
                     QMessageBox::Information, QMessageBox::Ok);
}

} // namespace corvane
