#include "forms/interpretation/frmwithinterpretation.h"

#include "ui_frmwithinterpretation.h"

#include "services/signoff/frmmedtech.h"
#include "session/sessioncontext.h"

#include <QKeyEvent>

namespace corvane {

frmWithInterpretation::frmWithInterpretation(QWidget *parent)
    : ResultForm(QStringLiteral("frmWithInterpretation"), parent), ui(std::make_unique<Ui::frmWithInterpretation>()),
      m_texts((ui->setupUi(this), QList<QWidget *>{ui->rtfResult, ui->rtfInterpretation})), m_conforme(*this)
{
    initLifecycle();
    connect(ui->chkConforme, &QCheckBox::toggled, this,
            [this](bool checked) { guarded([&] { m_conforme.toggled(checked); }); });
}

frmWithInterpretation::~frmWithInterpretation() = default;

Command frmWithInterpretation::resultQuery() const
{
    return Command("LABORATORY..Lab_GetResultWithInterpretation  '") << SessionContext::current().RequestNum << "'";
}

void frmWithInterpretation::fillResultFields(const Recordset &row)
{
    const auto f = [&](const char *column) { return row.field(QLatin1String(column)).toStringOr(); };
    ui->rtfLegend->setPlainText(f("Interpretation"));
    ui->rtfResult->setPlainText(f("Result"));
    ui->rtfInterpretation->setPlainText(f("ResultInterpretation"));
    ui->txtSite->setText(f("site"));
    ui->txtSpecimen->setText(f("Specimen"));
    m_conforme.load(SessionContext::current().RequestNum);
}

void frmWithInterpretation::fillNewResult(const QDateTime &today)
{
    ResultForm::fillNewResult(today);
    SessionContext &s = SessionContext::current();
    Recordset legend = s.db().query(Command("Lab_BF_GetInterpretation '") << s.RequestRecord.code << "'");
    ui->rtfLegend->setPlainText(legend.eof() ? QString() : legend.field(QStringLiteral("Interpretation")).toStringOr());
    legend.close();
    // The specimen the exam was ordered on, until the technologist says otherwise.
    ui->txtSpecimen->setText(s.RequestRecord.Specimen);
    m_conforme.load(s.RequestNum);
}

// Request, sample number, result, interpretation, criteria, site, specimen, then the result,
// submitted, LRA and finished times.
QList<Command> frmWithInterpretation::saveCommands(int, const SaveTexts &texts) const
{
    const QString &requestNum = SessionContext::current().RequestNum;
    Command save("Laboratory..Lab_Save_WithInterpretation '");
    save << requestNum << "','" << ui->txtAccNum->text() << "','" << ui->rtfResult->toPlainText() << "','"
         << ui->rtfInterpretation->toPlainText() << "','" << ui->rtfLegend->toPlainText() << "','" << ui->txtSite->text()
         << "','" << ui->txtSpecimen->text() << "','" << texts.report << "','" << texts.submitted << "','" << texts.lra
         << "','" << texts.finished << "'";
    return {save, m_conforme.saveCommand(requestNum)};
}

ReportRequest frmWithInterpretation::report() const
{
    const SessionContext &s = SessionContext::current();
    const bool half = frmMedTech::shared().PaperSize() == QLatin1String("H");
    return {half ? QStringLiteral("LabPrint_WithInterpretation_Half.RPT") : QStringLiteral("LabPrint_WithInterpretation.RPT"),
            QStringLiteral("CYTOLOGY Result"),
            {s.HospitalAddress, s.RequestNum}};
}

void frmWithInterpretation::prepareSignOff(frmMedTech &signOff)
{
    signOff.setShowPaperSizeOption(true);
}

QString frmWithInterpretation::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the ACCESSION NUMBER first.");
}

// Enter breaks a line in the texts (Tab moves on); F9 searches.
bool frmWithInterpretation::keyHook(QObject *watched, QKeyEvent *key)
{
    const int index = m_texts.indexOf(watched);
    if (index < 0 || key->key() != Qt::Key_F9)
        return false;
    m_texts.searchInterpretation(index);
    return true;
}

} // namespace corvane
