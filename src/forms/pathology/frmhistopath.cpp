#include "forms/pathology/frmhistopath.h"

#include "ui_frmhistopath.h"

#include "services/signoff/frmmedtech.h"
#include "session/sessioncontext.h"

namespace corvane {

Command histopathLoadCommand()
{
    return Command("LABORATORY..Lab_GetResultFromTable  'H','") << SessionContext::current().RequestNum << "'";
}

frmHistopath::frmHistopath(QWidget *parent)
    : PathologyForm(QStringLiteral("frmHistopath"), parent), ui(std::make_unique<Ui::frmHistopath>())
{
    ui->setupUi(this);
    initPathology();
}

frmHistopath::~frmHistopath() = default;

Command frmHistopath::resultQuery() const
{
    return histopathLoadCommand();
}

void frmHistopath::fillResultFields(const Recordset &row)
{
    const auto f = [&](const char *column) { return row.field(QLatin1String(column)).toStringOr(); };
    ui->txtHistopathNum->setText(f("HistopathNum"));
    ui->rtfSpecimen->setPlainText(f("Specimen"));
    ui->rtfHistory->setPlainText(f("clinicaldiagnosis"));
    ui->rtfGross->setPlainText(f("GrossDescription"));
    ui->rtfDiagnosis->setPlainText(f("Diagnosis"));
    ui->rtfComments->setPlainText(f("Comments"));
    ui->txtRequestDate->setText(f("strRequestDate"));
    ui->txtDiagnosis1->setText(f("diagnosis1"));
    ui->txtDiagnosis2->setText(f("diagnosis2"));
    ui->rtfMicroscopic->setPlainText(f("microscopic"));
    showStoredConforme(f("Conforme"), f("ConPathologist"), f("Signature"));
}

Command frmHistopath::saveCommand(int flag, const SaveTexts &texts) const
{
    Command c(flag == 0 ? "Laboratory..Lab_Save_Histopath 0, '" : "Laboratory..Lab_Save_Histopath 1, '");
    c << SessionContext::current().RequestNum << "','" << ui->txtHistopathNum->text() << "','"
      << ui->rtfSpecimen->toPlainText() << "','" << ui->rtfHistory->toPlainText() << "', '"
      << ui->rtfGross->toPlainText() << "', '" << ui->rtfDiagnosis->toPlainText() << "', '"
      << ui->rtfComments->toPlainText() << "', '" << texts.report << "', '" << ui->txtDoctorID->text() << "', '"
      << ui->txtPhysicianID->text() << "', '" << ui->txtPhysician->text() << "','" << ui->txtRequestDate->text()
      << "','" << texts.submitted << "','" << texts.lra << "', '" << ui->txtResidentId->text() << "','"
      << ui->txtDiagnosis1->text() << "','" << ui->txtDiagnosis2->text() << "','"
      << ui->rtfMicroscopic->toPlainText() << "','" << conformeValue() << "','" << signatureValue() << "','"
      << conformePathologist() << "'";
    return c;
}

ReportRequest frmHistopath::report() const
{
    const SessionContext &s = SessionContext::current();
    return {QStringLiteral("LabPrint_Histopath.RPT"),
            QStringLiteral("Surgical Pathology / Cytology Report"),
            {s.HospitalTitle, s.HospitalAddress, s.EmployeeName, ui->txtDoctorName->text(), s.RequestNum,
             QStringLiteral("X"), verifyFlag()}};
}

void frmHistopath::prepareSignOff(frmMedTech &signOff)
{
    signOff.setPathologist(ui->txtDoctorName->text());
    signOff.setShowPaperSizeOption(false);
}

QList<QWidget *> frmHistopath::emptiedWhenNew() const
{
    return {ui->txtHistopathNum, ui->rtfSpecimen, ui->rtfHistory, ui->rtfGross,
            ui->rtfDiagnosis,    ui->rtfComments, ui->txtDiagnosis1, ui->txtDiagnosis2};
}

QLineEdit *frmHistopath::numberBox() const
{
    return ui->txtHistopathNum;
}

} // namespace corvane
