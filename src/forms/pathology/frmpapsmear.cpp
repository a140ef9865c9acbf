#include "forms/pathology/frmpapsmear.h"

#include "ui_frmpapsmear.h"

#include "forms/common/checkgroup.h"
#include "services/signoff/frmmedtech.h"
#include "session/sessioncontext.h"

namespace corvane {

frmPapsmear::frmPapsmear(QWidget *parent)
    : PathologyForm(QStringLiteral("frmPapsmear"), parent), ui(std::make_unique<Ui::frmPapsmear>())
{
    ui->setupUi(this);
    m_specimen = {ui->chkSpecimen_0, ui->chkSpecimen_1, ui->chkSpecimen_2, ui->chkSpecimen_3};
    m_adequacy = {ui->chkSAdequacy_0, ui->chkSAdequacy_1};
    m_category = {ui->chkGC_0, ui->chkGC_1};
    m_type = {ui->optSpecimenType_0, ui->optSpecimenType_1};
    initPathology();
}

frmPapsmear::~frmPapsmear() = default;

Command frmPapsmear::resultQuery() const
{
    return Command("LABORATORY..Lab_GetResultPapsmear  '") << SessionContext::current().RequestNum << "'";
}

void frmPapsmear::fillResultFields(const Recordset &row)
{
    const auto f = [&](const char *column) { return row.field(QLatin1String(column)).toStringOr(); };
    ui->txtCytology->setText(f("CytologyNum"));
    ui->txtLMP->setText(f("LMP"));
    setCheckGroup(m_specimen, f("Specimen"));
    setCheckGroup(m_adequacy, f("SpAdequacy"));
    setCheckGroup(m_category, f("Generalcategory"));
    ui->rtfInterpretation->setPlainText(f("Remarks"));
    ui->txtCDiagnosis->setText(f("clinicaldiagnosis"));
    ui->txtSA1->setText(f("SA1"));
    ui->txtSA2->setText(f("SA2"));
    setSpecimenType(f("SpecimenType"));
    loadConforme();
}

void frmPapsmear::fillNewResult(const QDateTime &today)
{
    // Every picker from the server; nothing is stored yet to say otherwise.
    ResultForm::fillNewResult(today);
    setCheckGroup(m_specimen, QStringLiteral("0|0|0|0"));
    setCheckGroup(m_adequacy, QStringLiteral("1|0|"));
    setCheckGroup(m_category, QStringLiteral("1|0|"));
    loadConforme();
}

void frmPapsmear::loadConforme()
{
    conforme().load(SessionContext::current().RequestNum);
}

QString frmPapsmear::specimenType() const
{
    for (qsizetype i = 0; i < m_type.size(); ++i) {
        if (m_type[i]->isChecked())
            return QString::number(i);
    }
    return {};
}

void frmPapsmear::setSpecimenType(const QString &stored)
{
    if (stored.isEmpty()) {
        // Neither chosen: exclusive option buttons only clear with exclusivity off.
        for (QRadioButton *option : std::as_const(m_type)) {
            option->setAutoExclusive(false);
            option->setChecked(false);
            option->setAutoExclusive(true);
        }
        return;
    }
    m_type[stored == QLatin1String("0") ? 0 : 1]->setChecked(true);
}

Command frmPapsmear::saveCommand(int flag, const SaveTexts &texts) const
{
    Command c(flag == 0 ? "Laboratory..Lab_Save_Papsmear 0, '" : "Laboratory..Lab_Save_Papsmear 1, '");
    c << SessionContext::current().RequestNum << "','" << ui->txtCytology->text() << "','" << ui->txtLMP->text()
      << "','" << checkGroupText(m_specimen) << "','" << checkGroupText(m_adequacy) << "','" << checkGroupText(m_category) + QLatin1Char('|')
      << "','" << ui->rtfInterpretation->toPlainText() << "','" << ui->txtCDiagnosis->text() << "','" << texts.report
      << "','" << ui->txtDoctorID->text() << "','" << ui->txtPhysicianID->text() << "','" << ui->txtPhysician->text()
      << "','" << ui->txtResidentId->text() << "','" << ui->txtSA1->text() << "','" << ui->txtSA2->text() << "','"
      << specimenType() << "'";
    return c;
}

QList<Command> frmPapsmear::saveCommands(int flag, const SaveTexts &texts) const
{
    const QString &requestNum = SessionContext::current().RequestNum;
    return {saveCommand(flag, texts),
            conforme().saveCommand(requestNum)};
}

LogbookEntry frmPapsmear::logbookEntry() const
{
    return {pickerValue(kSubmitted), pickerValue(kLra), ui->txtCytology->text(), LogbookExtra::null()};
}

ReportRequest frmPapsmear::report() const
{
    const SessionContext &s = SessionContext::current();
    const QString title = QStringLiteral("Department of Laboratory Medicine");
    if (frmMedTech::shared().PaperSize() == QLatin1String("W"))
        return {QStringLiteral("LabPrint_PapsmearBIG.RPT"), title, {s.HospitalTitle, s.HospitalAddress, s.RequestNum}};
    return {QStringLiteral("LabPrint_PapsmearSML.RPT"),
            title,
            {s.HospitalTitle, s.HospitalAddress, s.RequestNum, conformeValue(), signatureValue(), conformePathologist()}};
}

void frmPapsmear::prepareSignOff(frmMedTech &signOff)
{
    preparePathologistSignOff(signOff);
}

QList<QWidget *> frmPapsmear::emptiedWhenNew() const
{
    return {};
}

QLineEdit *frmPapsmear::numberBox() const
{
    return ui->txtCytology;
}

} // namespace corvane
