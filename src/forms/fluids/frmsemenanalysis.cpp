#include "forms/fluids/frmsemenanalysis.h"

#include "ui_frmsemenanalysis.h"

#include "forms/common/picklists.h"
#include "forms/common/screenroutines.h"
#include "forms/fluids/fluidentry.h"
#include "session/sessioncontext.h"

#include <QKeyEvent>

namespace corvane {

namespace {

// The reference values are numbered up to one past the highest box.
constexpr int kReferenceNumbers = 20;
// The last list of the first page; Enter there turns to the motility page.
constexpr int kLastOfFirstPage = 9;

} // namespace

frmSemenAnalysis::frmSemenAnalysis(QWidget *parent)
    : ResultForm(QStringLiteral("frmSemenAnalysis"), parent), ui(std::make_unique<Ui::frmSemenAnalysis>()),
      m_xCbo((ui->setupUi(this), pickListArray(*this, "xCbo"))), m_lists(std::make_shared<ScreenPickLists>())
{
    initLifecycle();
}

frmSemenAnalysis::~frmSemenAnalysis() = default;

QLineEdit *frmSemenAnalysis::txtNValue(int i) const
{
    return findChild<QLineEdit *>(QStringLiteral("txtNValue_%1").arg(i));
}

void frmSemenAnalysis::loadHook()
{
    ResultForm::loadHook();
    Connection &db = SessionContext::current().db();
    for (int n = 1; n <= kReferenceNumbers; ++n) {
        Recordset rs = db.query(Command("Lab_Load_SemenValues '1','") << QString::number(n) << "',''");
        if (!rs.eof()) {
            if (QLineEdit *box = txtNValue(n - 1))
                box->setText(rs.field(QStringLiteral("ResultValue")).toStringOr());
        }
    }
    for (int i = 0; i < m_xCbo.size(); ++i)
        loadPickList(*xCbo(i), m_lists, "Lab_Load_SemenResulResultValues", i);
    ui->sstbMain->setCurrentIndex(0);
}

Command frmSemenAnalysis::resultQuery() const
{
    return fluidResultQuery();
}

void frmSemenAnalysis::fillResultFields(const Recordset &row)
{
    for (int i = 0; i < m_xCbo.size(); ++i)
        xCbo(i)->setText(row.field(i + 1).toStringOr());
    // The third-hour motile share and the agglutination are read by name, over their positions.
    xCbo(19)->setText(row.field(QStringLiteral("result21")).toStringOr());
    xCbo(20)->setText(row.field(QStringLiteral("result20")).toStringOr());
    ui->rtfComments->setPlainText(row.field(QStringLiteral("result25")).toStringOr());
    ui->TxtMethod->setText(SessionContext::current().RequestRecord.Method);
}

// Every list box, as the column it is stored in (the third-hour motile share and the agglutination
// trade places).
QList<JudgedField> frmSemenAnalysis::judgedFields() const
{
    QList<JudgedField> out;
    for (int i = 0; i < m_xCbo.size(); ++i)
        out.append({xCbo(i), QStringLiteral("result%1").arg(i == 19 ? 21 : i == 20 ? 20 : i + 1)});
    return out;
}

Command frmSemenAnalysis::saveCommand(int flag, const SaveTexts &texts) const
{
    Command c(flag == 0 ? "Laboratory..Lab_Save_SemenAnalysis 0,'" : "Laboratory..Lab_Save_SemenAnalysis 1,'");
    appendSaveHead(c, texts, ui->txtAccNum->text());
    for (const PickListCombo *combo : m_xCbo)
        c << combo->text() << "','";
    c << ui->rtfComments->toPlainText() << "','" << ui->TxtMethod->text() << "','" << texts.finished << "'";
    return c;
}

QString frmSemenAnalysis::reportFileFor(const QString &examCode)
{
    return examCode == QLatin1String("756") ? QStringLiteral("LabPrint_SemenAnalysis_revised.RPT")
                                            : QStringLiteral("LabPrint_SemenAnalysis.RPT");
}

ReportRequest frmSemenAnalysis::report() const
{
    return fluidReport(reportFileFor(SessionContext::current().RequestRecord.code));
}

QString frmSemenAnalysis::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

bool frmSemenAnalysis::keyHook(QObject *watched, QKeyEvent *key)
{
    if (!isEnterKey(key))
        return false;
    PickListCombo *combo = pickListOf(watched);
    if (combo && combo == xCbo(kLastOfFirstPage) && !(key->modifiers() & Qt::ShiftModifier)) {
        // Named outright: turning the page moves the focus on its own.
        ui->sstbMain->setCurrentIndex(1);
        xCbo(13)->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (combo || watched == ui->TxtMethod) {
        focusNextChild();
        return true;
    }
    return false;
}

} // namespace corvane
