#include "forms/fluids/frmspermcount.h"

#include "ui_frmspermcount.h"

#include "forms/common/screenroutines.h"
#include "forms/fluids/fluidentry.h"
#include "session/sessioncontext.h"

#include <QKeyEvent>
#include <QLabel>

namespace corvane {

frmSpermCount::frmSpermCount(QWidget *parent)
    : ResultForm(QStringLiteral("frmSpermCount"), parent), ui(std::make_unique<Ui::frmSpermCount>()),
      m_txtResult((ui->setupUi(this), *this), "txtResult"), m_lblResult(*this, "lblResult")
{
    initLifecycle();
}

frmSpermCount::~frmSpermCount() = default;

Command frmSpermCount::resultQuery() const
{
    return fluidResultQuery();
}

void frmSpermCount::fillResultFields(const Recordset &row)
{
    m_txtResult.fillFromPositions(row);
    ui->rtfComments->setPlainText(row.field(QStringLiteral("result20")).toStringOr());
    ui->TxtMethod->setText(SessionContext::current().RequestRecord.Method);
}

QString frmSpermCount::resultSummary() const
{
    QString summary;
    for (int i = 0; i < m_txtResult.count(); ++i) {
        const QString text = m_txtResult.text(i);
        if (!text.trimmed().isEmpty())
            summary += qobject_cast<QLabel *>(m_lblResult.field(i))->text() + QLatin1Char('=') + text +
                       QStringLiteral("; ");
    }
    return summary + QStringLiteral("Remarks: ") + ui->rtfComments->toPlainText() + QStringLiteral("; ");
}

QList<Command> frmSpermCount::openingCommands() const
{
    return {Command("Lab_DeleteDump_ResultSummary '") << SessionContext::current().RequestNum << "'"};
}

QList<Command> frmSpermCount::saveCommands(int flag, const SaveTexts &texts) const
{
    const QString &request = SessionContext::current().RequestNum;
    Command save(flag == 0 ? "Laboratory..Lab_Save_SpermCount 0, '" : "Laboratory..Lab_Save_SpermCount 1, '");
    appendSaveHead(save, texts, ui->txtAccNum->text());
    m_txtResult.appendTo(save, "','");
    save << ui->rtfComments->toPlainText() << "','" << ui->TxtMethod->text() << "','" << texts.finished << "'";
    return {save, Command("Lab_SaveDump_ResultSummary '") << request << "', '" << resultSummary() << "'"};
}

ReportRequest frmSpermCount::report() const
{
    return fluidReport(QStringLiteral("LabPrint_SpermCount.RPT"));
}

QString frmSpermCount::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

bool frmSpermCount::keyHook(QObject *watched, QKeyEvent *key)
{
    if (isEnterKey(key) && (m_txtResult.indexOf(watched) >= 0 || watched == ui->TxtMethod)) {
        focusNextChild();
        return true;
    }
    return false;
}

} // namespace corvane
