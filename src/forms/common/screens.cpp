#include "forms/common/screens.h"

#include "forms/bloodbank/frmanapanel.h"
#include "forms/bloodbank/frmcerb.h"
#include "forms/bloodbank/frmcrossmatching.h"
#include "forms/bloodbank/frmerapra.h"
#include "forms/chemistry/frmwithnormalvalues.h"
#include "forms/common/frmabg.h"
#include "forms/common/frmaptt.h"
#include "forms/examsets/frmnvexams.h"
#include "forms/examsets/frmspecificformat.h"
#include "forms/interpretation/frmmycustom.h"
#include "forms/interpretation/frmnormalrange.h"
#include "forms/interpretation/frmwithinterpretation.h"
#include "forms/fluids/frmbodyfluid.h"
#include "forms/fluids/frmsemenanalysis.h"
#include "forms/fluids/frmspermcount.h"
#include "forms/fluids/frmstone.h"
#include "forms/packages/frmexecutive.h"
#include "forms/packages/frmpanel.h"
#include "forms/pathology/frmbethesda.h"
#include "forms/pathology/frmcytology.h"
#include "forms/pathology/frmhistopath.h"
#include "forms/microscopy/frmfecalysis.h"
#include "forms/microscopy/frmstool.h"
#include "forms/microscopy/frmurinalysis.h"
#include "forms/microbiology/frmcs.h"
#include "forms/microbiology/frmmicrobiology.h"
#include "forms/microbiology/stains/frmafb.h"
#include "forms/microbiology/stains/frmgramstain.h"
#include "forms/microbiology/stains/frmurinewright.h"

namespace corvane {

namespace {
template<typename Screen>
ScreenMaker maker()
{
    return [] { return std::make_unique<Screen>(); };
}
} // namespace

void forEachBuiltInScreen(const std::function<void(const QString &, ScreenMaker)> &visit)
{
    visit(QStringLiteral("frmAPTT"), maker<frmAPTT>());
    visit(QStringLiteral("frmABG"), maker<frmABG>());
    visit(QStringLiteral("frmWithNormalValues"), maker<frmWithNormalValues>());
    visit(QStringLiteral("frmNVExams"), maker<frmNVExams>());
    visit(QStringLiteral("frmSpecificFormat"), maker<frmSpecificFormat>());
    visit(QStringLiteral("frmHistopath"), maker<frmHistopath>());
    visit(QStringLiteral("frmCytology"), maker<frmCytology>());
    visit(QStringLiteral("frmBethesda"), maker<frmBethesda>());
    visit(QStringLiteral("frmUrinalysis"), maker<frmUrinalysis>());
    visit(QStringLiteral("frmFecalysis"), maker<frmFecalysis>());
    visit(QStringLiteral("frmStool"), maker<frmStool>());
    visit(QStringLiteral("frmBodyFluid"), maker<frmBodyFluid>());
    visit(QStringLiteral("frmSemenAnalysis"), maker<frmSemenAnalysis>());
    visit(QStringLiteral("frmSpermCount"), maker<frmSpermCount>());
    visit(QStringLiteral("frmStone"), maker<frmStone>());
    visit(QStringLiteral("frmExecutive"), maker<frmExecutive>());
    visit(QStringLiteral("frmPanel"), maker<frmPanel>());
    visit(QStringLiteral("frmCS"), maker<frmCS>());
    visit(QStringLiteral("frmMicrobiology"), maker<frmMicrobiology>());
    visit(QStringLiteral("frmGramStain"), maker<frmGramStain>());
    visit(QStringLiteral("frmAfb"), maker<frmAfb>());
    visit(QStringLiteral("frmUrineWright"), maker<frmUrineWright>());
    visit(QStringLiteral("frmCrossmatching"), maker<frmCrossmatching>());
    visit(QStringLiteral("frmERAPRA"), maker<frmERAPRA>());
    visit(QStringLiteral("frmCerb"), maker<frmCerb>());
    visit(QStringLiteral("frmANAPanel"), maker<frmANAPanel>());
    visit(QStringLiteral("frmWithInterpretation"), maker<frmWithInterpretation>());
    visit(QStringLiteral("frmNormalRange"), maker<frmNormalRange>());
    visit(QStringLiteral("frmMyCustom"), maker<frmMyCustom>());
}

} // namespace corvane
