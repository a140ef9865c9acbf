#include "forms/packages/frmexecutive.h"

#include "ui_frmexecutive.h"

#include "session/sessioncontext.h"

namespace corvane {

namespace {

PackageTraits executiveTraits()
{
    return {"LABORATORY..sp_Search_ExecutivePanel '",
            "LABORATORY..Lab_GetResultExecutivePanel '",
            "DELETE FROM Laboratory..tbLABResultExecutivePanel WHERE RequestNum = '",
            "LAB_Save_ResultExecutivePanel '",
            {9, 10, 11},
            {0, 1, 9, 10, 11},
            "Lab_Save_ResultExecutiveCBC '",
            16,
            true,
            "ExecutivePanel.rpt",
            "Executive Panel"};
}

} // namespace

frmExecutive::frmExecutive(QWidget *parent)
    : PackageForm(QStringLiteral("frmExecutive"), executiveTraits(), parent), ui(std::make_unique<Ui::frmExecutive>())
{
    ui->setupUi(this);
    ui->tabCBC->showPanelRows(false);
    initPackage();
}

frmExecutive::~frmExecutive() = default;

QString frmExecutive::packageFor(int selector)
{
    static const char *const codes[] = {"275", "276", "271", "274"};
    return selector >= 0 && selector < 4 ? QLatin1String(codes[selector]) : QString();
}

QString frmExecutive::choosePackageCode() const
{
    return packageFor(SessionContext::current().intResult);
}

} // namespace corvane
