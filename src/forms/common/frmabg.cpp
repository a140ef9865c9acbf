#include "forms/common/frmabg.h"

#include "ui_frmabg.h"

#include "session/sessioncontext.h"

#include <QLocale>

namespace corvane {

frmABG::frmABG(QWidget *parent)
    : ResultForm(QStringLiteral("frmABG"), parent), ui(std::make_unique<Ui::frmABG>()),
      m_results((ui->setupUi(this), *this))
{
    initLifecycle();
}

frmABG::~frmABG() = default;

void frmABG::loadHook()
{
    ResultForm::loadHook();
    // The sample types the laboratory offers, from its own list.
    SessionContext &s = SessionContext::current();
    Recordset rs = s.db().query(Command("Lab_Load_ABGValues '1','") << s.RequestRecord.code << "'");
    for (; !rs.eof(); rs.moveNext())
        ui->txtResult_10->addItem(rs.field(QStringLiteral("Description")).toStringOr());
    ui->txtResult_10->setCurrentIndex(-1);
}

Command frmABG::resultQuery() const
{
    return hcodesQuery();
}

void frmABG::fillResultFields(const Recordset &row)
{
    m_results.fillFromPositions(row);
    ui->rtfComments->setPlainText(row.field(QStringLiteral("result20")).toStringOr());
}

// The sample type (field 10) is no measurement.
QList<JudgedField> frmABG::judgedFields() const
{
    return m_results.judgedByPosition(0, 9);
}

Command frmABG::saveCommand(int flag, const SaveTexts &texts) const
{
    Command c(flag == 0 ? "Laboratory..Lab_Save_ABG 0, '" : "Laboratory..Lab_Save_ABG 1, '");
    c << SessionContext::current().RequestNum << "','" << texts.submitted << "', '" << ui->txtAccNum->text()
      << "', '";
    m_results.appendTo(c, "', '");
    c << ui->rtfComments->toPlainText() << "', '" << texts.finished << "'";
    return c;
}

ReportRequest frmABG::report() const
{
    const SessionContext &s = SessionContext::current();
    return {QStringLiteral("LabPrint_abg.RPT"), QStringLiteral("Blood Gas Result"), {s.HospitalAddress, s.RequestNum}};
}

QString frmABG::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the ACCESSION NUMBER first.");
}

// Blood-gas analysers print seconds, and the bench keeps them.
QString frmABG::dateTimeText(const QDateTime &at) const
{
    return QLocale::c().toString(at, QStringLiteral("MM/dd/yyyy hh:mm:ss AP"));
}

bool frmABG::keyHook(QObject *watched, QKeyEvent *key)
{
    return resultFieldKey(m_results, watched, key);
}

} // namespace corvane
