#include "forms/pathology/frmcytology.h"

#include "ui_frmcytology.h"

#include "forms/pathology/frmhistopath.h"
#include "session/sessioncontext.h"

namespace corvane {

frmCytology::frmCytology(QWidget *parent)
    : PathologyForm(QStringLiteral("frmCytology"), parent), ui(std::make_unique<Ui::frmCytology>())
{
    ui->setupUi(this);
    m_sources = {ui->chkResult_0, ui->chkResult_1, ui->chkResult_2};
    m_notes = {ui->txtResult_0, ui->txtResult_1, ui->txtResult_2};
    initPathology();
}

frmCytology::~frmCytology() = default;

Command frmCytology::resultQuery() const
{
    return histopathLoadCommand();
}

void frmCytology::fillResultFields(const Recordset &row)
{
    const auto f = [&](const char *column) { return row.field(QLatin1String(column)).toStringOr(); };
    ui->txtHistopathNum->setText(f("CytologyNum"));
    ui->rtfSpecimen->setPlainText(f("Specimen"));
    ui->rtfHistory->setPlainText(f("clinicaldiagnosis"));
    ui->rtfGross->setPlainText(f("GrossDescription"));
    ui->rtfDiagnosis->setPlainText(f("Diagnosis"));
    for (int k = 0; k < 3; ++k) {
        const SourceValue v = splitSourceValue(row.field(QStringLiteral("Result%1").arg(k + 1)).toStringOr());
        m_sources[k]->setChecked(v.checked);
        m_notes[k]->setText(v.note);
    }
    ui->txtRequestDate->setText(f("strRequestDate"));
    showStoredConforme(f("Conforme"), f("ConPathologist"), f("Signature"));
}

void frmCytology::fillNewResult(const QDateTime &today)
{
    PathologyForm::fillNewResult(today);
    for (int k = 0; k < 3; ++k) {
        m_sources[k]->setChecked(false);
        m_notes[k]->clear();
    }
}

QString frmCytology::sourceValue(int k) const
{
    return checkValue(m_sources[k]) + QLatin1Char('|') + m_notes[k]->text();
}

Command frmCytology::saveCommand(int flag, const SaveTexts &texts) const
{
    Command c(flag == 0 ? "Laboratory..Lab_Save_Cytology 0, '" : "Laboratory..Lab_Save_Cytology 1, '");
    c << SessionContext::current().RequestNum << "','" << ui->txtHistopathNum->text() << "','"
      << ui->rtfSpecimen->toPlainText() << "','" << ui->rtfHistory->toPlainText() << "', '"
      << ui->rtfGross->toPlainText() << "', '" << ui->rtfDiagnosis->toPlainText() << "', '" << sourceValue(0)
      << "', '" << sourceValue(1) << "', '" << sourceValue(2) << "', '" << texts.report << "', '"
      << ui->txtDoctorID->text() << "', '" << ui->txtPhysicianID->text() << "', '" << ui->txtPhysician->text()
      << "','" << ui->txtRequestDate->text() << "','" << texts.submitted << "','" << texts.lra << "', '"
      << ui->txtResidentId->text() << "','" << conformeValue() << "','" << signatureValue() << "','"
      << conformePathologist() << "'";
    return c;
}

ReportRequest frmCytology::report() const
{
    const SessionContext &s = SessionContext::current();
    return {QStringLiteral("LabPrint_Cytology.rpt"),
            QStringLiteral("Surgical Pathology / Cytology Report"),
            {s.HospitalAddress, s.EmployeeName, s.RequestNum, QStringLiteral("H"), verifyFlag()}};
}

void frmCytology::prepareSignOff(frmMedTech &signOff)
{
    preparePathologistSignOff(signOff);
}

QList<QWidget *> frmCytology::emptiedWhenNew() const
{
    return {ui->txtHistopathNum, ui->rtfSpecimen, ui->rtfHistory, ui->rtfGross, ui->rtfDiagnosis};
}

QLineEdit *frmCytology::numberBox() const
{
    return ui->txtHistopathNum;
}

} // namespace corvane
