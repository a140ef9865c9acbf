#include "forms/fluids/frmbodyfluid.h"

#include "ui_frmbodyfluid.h"

#include "forms/common/screenroutines.h"
#include "forms/fluids/fluidentry.h"
#include "session/sessioncontext.h"

#include <QKeyEvent>
#include <QLabel>

namespace corvane {

namespace {

constexpr int kRows = 14;
// Rows a hematology bench does not report: the collection, the chemistry and the gravity.
constexpr int kChemistryRows[] = {0, 1, 4, 5, 11, 12, 13};
// The appearance boxes: taller when they stand alone at the top of the block.
constexpr int kAppearanceHeight = 46;
constexpr int kAppearanceHeightAlone = 58;

} // namespace

frmBodyFluid::frmBodyFluid(QWidget *parent)
    : ResultForm(QStringLiteral("frmBodyFluid"), parent), ui(std::make_unique<Ui::frmBodyFluid>()),
      m_txtResult((ui->setupUi(this), *this), "txtResult"), m_txtNValue(*this, "txtNValue")
{
    initLifecycle();
}

frmBodyFluid::~frmBodyFluid() = default;

void frmBodyFluid::loadHook()
{
    ResultForm::loadHook();
    Connection &db = SessionContext::current().db();
    for (int i = 0; i < kRows; ++i) {
        Recordset rs = db.query(Command("LABORATORY..Lab_Load_BodyFluidValues '1', '") << QString::number(i)
                                                                                         << "',''");
        if (!rs.eof())
            m_txtNValue.setText(i, rs.field(QStringLiteral("ResultValue")).toStringOr());
    }
    showSectionRows(SessionContext::current().RequestRecord.LabSection.trimmed() == QLatin1String("HEMATOLOGY"));
}

void frmBodyFluid::showSectionRows(bool hematology)
{
    for (int i : kChemistryRows) {
        for (QWidget *w : {static_cast<QWidget *>(findChild<QLabel *>(QStringLiteral("lblRow_%1").arg(i))),
                           txtResult(i), txtNValue(i)})
            w->setVisible(!hematology);
    }
    for (int i : {2, 3})
        txtResult(i)->setFixedHeight(hematology ? kAppearanceHeightAlone : kAppearanceHeight);
}

Command frmBodyFluid::resultQuery() const
{
    return fluidResultQuery();
}

void frmBodyFluid::fillResultFields(const Recordset &row)
{
    for (int i = 0; i < kRows; ++i) {
        m_txtResult.setText(i, row.field(i + 1).toStringOr());
        m_txtNValue.setText(i, row.field(15 + i).toStringOr());
    }
    ui->txtRemarks->setPlainText(row.field(QStringLiteral("result20")).toStringOr());
    ui->TxtMethod->setText(SessionContext::current().RequestRecord.Method);
}

// pH to LDH; time, volume and appearance are no measurements.
QList<JudgedField> frmBodyFluid::judgedFields() const
{
    return m_txtResult.judgedByPosition(4, 13);
}

Command frmBodyFluid::saveCommand(int flag, const SaveTexts &texts) const
{
    Command c(flag == 0 ? "Laboratory..Lab_Save_BodyFluids 0, '" : "Laboratory..Lab_Save_BodyFluids 1, '");
    appendSaveHead(c, texts, ui->txtAccNum->text());
    m_txtResult.appendTo(c, "','");
    m_txtNValue.appendTo(c, "','");
    c << ui->txtRemarks->toPlainText() << "','" << ui->TxtMethod->text() << "','" << texts.finished << "'";
    return c;
}

ReportRequest frmBodyFluid::report() const
{
    return fluidReport(QStringLiteral("LabPrint_BodyFluid.RPT"));
}

QString frmBodyFluid::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

bool frmBodyFluid::keyHook(QObject *watched, QKeyEvent *key)
{
    if (isEnterKey(key) && (m_txtResult.indexOf(watched) >= 0 || m_txtNValue.indexOf(watched) >= 0 ||
                            watched == ui->TxtMethod)) {
        focusNextChild();
        return true;
    }
    return false;
}

} // namespace corvane
