#include "forms/microbiology/stains/frmafb.h"

#include "ui_frmafb.h"

#include "session/sessioncontext.h"

#include <QKeyEvent>

namespace corvane {

frmAfb::frmAfb(QWidget *parent)
    : ResultForm(QStringLiteral("frmAfb"), parent), ui(std::make_unique<Ui::frmAfb>()),
      m_results((ui->setupUi(this), *this))
{
    initLifecycle();
}

frmAfb::~frmAfb() = default;

bool frmAfb::isSeriesSpecimen(const QString &specimenId)
{
    const QString id = specimenId.trimmed();
    return id == QLatin1String("3") || id == QLatin1String("21") || id == QLatin1String("0");
}

void frmAfb::loadHook()
{
    ResultForm::loadHook();
    const bool series = isSeriesSpecimen(SessionContext::current().RequestRecord.SpecimenID);
    ui->frLegendEta->setVisible(series);
    ui->frLegend->setVisible(!series);
    // Hidden boxes are still sent, empty unless a stored result filled them.
    for (int i : {1, 2}) {
        m_results.field(i)->setVisible(series);
        findChild<QWidget *>(QStringLiteral("lblLabels_%1").arg(i))->setVisible(series);
    }
}

Command frmAfb::resultQuery() const
{
    return hcodesQuery();
}

void frmAfb::fillNewResult(const QDateTime &today)
{
    ResultForm::fillNewResult(today);
    m_results.setText(0, SessionContext::current().RequestRecord.Specimen);
}

void frmAfb::fillResultFields(const Recordset &row)
{
    ui->rtfComments->setPlainText(row.field(QStringLiteral("result20")).toStringOr());
    m_results.fillFromPositions(row);
    ui->TxtMethod->setText(SessionContext::current().RequestRecord.Method);
}

QList<Command> frmAfb::saveCommands(int flag, const SaveTexts &texts) const
{
    const SessionContext &s = SessionContext::current();
    QList<Command> commands;
    if (flag != 0)
        commands << (Command("Laboratory..Lab_ResultSaveLastEdit '") << s.RequestNum << "', '" << s.EmployeeCode << "'");
    Command c(flag == 0 ? "Laboratory..Lab_Save_AFB 0, '" : "Laboratory..Lab_Save_AFB 1, '");
    c << s.RequestNum << "','" << texts.submitted << "', '" << texts.lra << "', '" << ui->txtAccNum->text() << "', '";
    m_results.appendTo(c, "', '");
    c << ui->rtfComments->toPlainText() << "', '" << ui->TxtMethod->text() << "', '" << texts.finished << "'";
    commands << c;
    return commands;
}

ReportRequest frmAfb::report() const
{
    const SessionContext &s = SessionContext::current();
    return {QStringLiteral("LabPrint_Afb.RPT"), QStringLiteral("AFB Result"), {s.HospitalAddress, s.RequestNum}};
}

QString frmAfb::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

bool frmAfb::keyHook(QObject *watched, QKeyEvent *key)
{
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && (m_results.indexOf(watched) >= 0 || watched == ui->TxtMethod)) {
        focusNextChild();
        return true;
    }
    return false;
}

} // namespace corvane
