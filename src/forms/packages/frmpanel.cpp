#include "forms/packages/frmpanel.h"

#include "ui_frmpanel.h"

#include "session/sessioncontext.h"

#include <QTabWidget>

namespace corvane {

namespace {

PackageTraits panelTraits()
{
    return {"LABORATORY..sp_Search_OtherPanel '",
            "LABORATORY..Lab_GetResultOtherPanel '",
            "DELETE FROM Laboratory..tbLABResultOtherPanel WHERE RequestNum = '",
            "LAB_Save_ResultOtherPanel '",
            {6},
            {0, 1, 6},
            "Lab_Save_ResultPanelCBC '",
            21,
            false,
            "OtherPanel.rpt",
            "Panel"};
}

} // namespace

frmPanel::frmPanel(QWidget *parent)
    : PackageForm(QStringLiteral("frmPanel"), panelTraits(), parent), ui(std::make_unique<Ui::frmPanel>())
{
    ui->setupUi(this);
    initPackage();
}

frmPanel::~frmPanel() = default;

// The host names the package through Get_ExamID; without it the request's own exam is the package.
QString frmPanel::choosePackageCode() const
{
    const SessionContext &s = SessionContext::current();
    return s.ExamID.trimmed().isEmpty() ? s.RequestRecord.code : s.ExamID;
}

// Chemistry-only packages report no blood count and no urinalysis; two others no urinalysis.
void frmPanel::preparePages(const QString &code)
{
    const bool testsOnly = code == QLatin1String("284") || code == QLatin1String("285");
    const bool noUrine = testsOnly || code == QLatin1String("589") || code == QLatin1String("590");
    pages()->setTabVisible(pages()->indexOf(ui->tabCBC), !testsOnly);
    pages()->setTabVisible(pages()->indexOf(ui->tabUrinalysis), !noUrine);
}

} // namespace corvane
