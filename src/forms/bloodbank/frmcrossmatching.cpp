#include "forms/bloodbank/frmcrossmatching.h"

#include "ui_frmcrossmatching.h"

#include "forms/bloodbank/bloodgroups.h"
#include "forms/common/checkgroup.h"
#include "forms/common/picklists.h"
#include "forms/common/screenroutines.h"
#include "services/ui/messagebox.h"
#include "session/sessioncontext.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLocale>

namespace corvane {

namespace {

constexpr const char *kListProcedure = "Lab_Load_CrossmatchingValues";

// The issue and transfusion pickers travel as text of their own: times with seconds, dates alone.
QString timeText(const QTimeEdit *picker)
{
    return QLocale::c().toString(picker->time(), QStringLiteral("hh:mm:ss AP"));
}

QString dateText(const QDateEdit *picker)
{
    return picker->date().toString(QStringLiteral("MM/dd/yyyy"));
}

// A stored picker text back into its picker; a text that is no time (or date) leaves it as it is.
void setTimeText(QTimeEdit *picker, const QString &stored)
{
    for (const char *format : {"h:mm:ss AP", "h:mm AP", "H:mm:ss", "H:mm"}) {
        const QTime t = QLocale::c().toTime(stored.trimmed().toUpper(), QLatin1String(format));
        if (t.isValid()) {
            picker->setTime(t);
            return;
        }
    }
}

void setDateText(QDateEdit *picker, const QString &stored)
{
    for (const char *format : {"M/d/yyyy", "yyyy-MM-dd"}) {
        const QDate d = QDate::fromString(stored.trimmed().left(10), QLatin1String(format));
        if (d.isValid()) {
            picker->setDate(d);
            return;
        }
    }
}

bool isEnter(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

} // namespace

frmCrossmatching::frmCrossmatching(QWidget *parent)
    : ResultForm(QStringLiteral("frmCrossmatching"), parent), ui(std::make_unique<Ui::frmCrossmatching>()),
      m_txtResult((ui->setupUi(this), *this)), m_chkPTransfusion{ui->chkPTransfusion_0, ui->chkPTransfusion_1},
      m_chkPReaction{ui->chkPReaction_0, ui->chkPReaction_1},
      m_chkPhase{ui->chkPhase_0, ui->chkPhase_1, ui->chkPhase_2}, m_chkReaction{ui->chkReaction_0, ui->chkReaction_1},
      m_lists(std::make_shared<ScreenPickLists>())
{
    initLifecycle();
    for (int i = 0; i < 4; ++i)
        connect(qobject_cast<QLineEdit *>(m_txtResult.field(i)), &QLineEdit::textChanged, this,
                &frmCrossmatching::showUnitFit);
    connect(ui->xCbo, &QComboBox::currentTextChanged, this, &frmCrossmatching::showUnitFit);
    // A date chosen from the calendar moves on, as a technologist expects after a pick.
    for (QDateEdit *date : {ui->dtSubmitted, ui->dtLRADate, ui->dtFinishedDate}) {
        connect(date->calendarWidget(), &QCalendarWidget::clicked, this, [this, date] {
            if (date->hasFocus())
                focusNextChild();
        });
    }
    showUnitFit();
}

frmCrossmatching::~frmCrossmatching() = default;

void frmCrossmatching::loadHook()
{
    loadPickList(*ui->xCbo, m_lists, kListProcedure, 1);
    loadPickList(*ui->cboCMResults, m_lists, kListProcedure, 2);
    const RequestRecord &r = SessionContext::current().RequestRecord;
    // This exam issues and transfuses a unit typed and crossmatched elsewhere.
    if (r.ValueType == QLatin1String("2") && r.FormType == QLatin1String("X")) {
        ui->fraCrossmatch_0->hide();
        ui->fraCrossmatch_1->hide();
    }
    ResultForm::loadHook();
    ui->SSTab1->setCurrentIndex(0);
    m_txtResult.setText(0, r.BloodType);
}

Command frmCrossmatching::resultQuery() const
{
    return hcodesQuery();
}

void frmCrossmatching::fillNewResult(const QDateTime &today)
{
    ResultForm::fillNewResult(today);
    for (QTimeEdit *t : {ui->dtTime, ui->dtIssuedTime, ui->dtTimeBegun, ui->dtTimeCompleted})
        t->setTime(today.time());
    for (QDateEdit *d : {ui->dtDate, ui->dtIssuedDate})
        d->setDate(today.date());
}

void frmCrossmatching::fillResultFields(const Recordset &row)
{
    const auto text = [&row](const char *column) { return row.field(QLatin1String(column)).toStringOr(); };
    // A stored group without "|" (never saved) leaves the boxes as the new result set them.
    const auto setGroup = [](const QList<QCheckBox *> &boxes, const QString &stored) {
        if (stored.contains(QLatin1Char('|')))
            setCheckGroup(boxes, stored);
    };
    setGroup(m_chkPTransfusion, text("Result1"));
    setGroup(m_chkPReaction, text("Result2"));
    ui->txtBBKNum->setText(text("Result3"));
    setTimeText(ui->dtTime, text("Result4"));
    setDateText(ui->dtDate, text("Result5"));
    ui->txtBloodIssuedBy->setText(text("Result6"));
    setDateText(ui->dtIssuedDate, text("Result7"));
    setTimeText(ui->dtIssuedTime, text("Result8"));
    setTimeText(ui->dtTimeBegun, text("Result9"));
    setTimeText(ui->dtTimeCompleted, text("result10"));
    ui->txtAmountGiven->setText(text("result11"));
    ui->txtTransfused->setText(text("result12"));
    ui->xCbo->setText(text("result27"));
    ui->cboCMResults->setText(text("result20"));
    ui->txtRemarks->setPlainText(text("result28"));
    setGroup(m_chkPhase, text("result25"));
    setGroup(m_chkReaction, text("Result26"));
    // By position: the seven typing and first vital-sign values, then three more past result20.
    for (int i = 0; i <= 6; ++i)
        m_txtResult.setText(i, row.field(13 + i).toStringOr());
    for (int i = 7; i <= 9; ++i)
        m_txtResult.setText(i, row.field(14 + i).toStringOr());
    m_txtResult.setText(10, text("result24"));
    ui->TxtMethod->setText(SessionContext::current().RequestRecord.Method);
    if (const Field finished = row.field(QStringLiteral("DateFinished")); !finished.isNull())
        setPickerPair(kFinished, finished.toDateTime());
}

// The monitoring before and after: temperature, pulse and blood pressure, stored where the save
// puts them ("120/80" is no number and gets no flag).
QList<JudgedField> frmCrossmatching::judgedFields() const
{
    QList<JudgedField> out;
    for (int i = 4; i <= 9; ++i)
        out.append({m_txtResult.field(i), QStringLiteral("result%1").arg(i <= 6 ? 13 + i : 14 + i)});
    return out;
}

Command frmCrossmatching::saveCommand(int flag, const SaveTexts &texts) const
{
    const QString &request = SessionContext::current().RequestNum;
    Command c;
    if (flag == 0) {
        c = Command("Laboratory..Lab_Save_Crossmatching 0, '");
        c << request << "','" << texts.submitted << "', '" << texts.lra << "', '" << ui->txtAccNum->text() << "', '";
    } else {
        c = Command("Laboratory..Lab_Save_Crossmatching 1,'");
        c << request << "','" << texts.submitted << "','" << texts.lra << "','" << ui->txtAccNum->text() << "','";
    }
    c << checkGroupText(m_chkPTransfusion) << "','" << checkGroupText(m_chkPReaction) << "','" << ui->txtBBKNum->text()
      << "','" << timeText(ui->dtTime) << "','" << dateText(ui->dtDate) << "','" << ui->txtBloodIssuedBy->text()
      << "','" << dateText(ui->dtIssuedDate) << "','" << timeText(ui->dtIssuedTime) << "','"
      << timeText(ui->dtTimeBegun) << "','" << timeText(ui->dtTimeCompleted) << "','" << ui->txtAmountGiven->text()
      << "','" << ui->txtTransfused->text() << "','";
    m_txtResult.appendTo(c, "', '");
    // The patient's blood type goes once more after the method.
    c << checkGroupText(m_chkPhase) << "','" << checkGroupText(m_chkReaction) << "','" << ui->cboCMResults->text()
      << "','" << ui->TxtMethod->text() << "','" << m_txtResult.text(0) << "','" << texts.finished << "','"
      << ui->xCbo->text() << "','" << ui->txtRemarks->toPlainText() << "'";
    return c;
}

ReportRequest frmCrossmatching::report() const
{
    const SessionContext &s = SessionContext::current();
    return {QStringLiteral("LabPrint_Crossmatch.RPT"), QStringLiteral("Crossmatching Result"),
            {s.HospitalAddress, s.RequestNum}};
}

QString frmCrossmatching::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

QString frmCrossmatching::unitMismatch() const
{
    return corvane::unitMismatch(BloodGroup::read(m_txtResult.text(0), m_txtResult.text(1)),
                                 BloodGroup::read(m_txtResult.text(2), m_txtResult.text(3)),
                                 unitKindOf(ui->xCbo->text()));
}

void frmCrossmatching::showUnitFit()
{
    const QString why = unitMismatch();
    ui->lblUnitFit->setText(why.isEmpty() ? QString() : QStringLiteral("DONOR UNIT DOES NOT FIT THE PATIENT: ") + why);
    ui->lblUnitFit->setVisible(!why.isEmpty());
}

bool frmCrossmatching::readyToSave()
{
    const QString why = unitMismatch();
    if (why.isEmpty())
        return true;
    const BloodGroup patient = BloodGroup::read(m_txtResult.text(0), m_txtResult.text(1));
    const BloodGroup donor = BloodGroup::read(m_txtResult.text(2), m_txtResult.text(3));
    const auto answer = MessageBox::show(
        QStringLiteral("The donor unit (%1) does not fit the patient (%2).\n%3\n\nSave this crossmatch anyway?")
            .arg(donor.name(), patient.name(), why),
        QStringLiteral("Blood Type Mismatch"), QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No);
    if (answer == QMessageBox::Yes)
        return true;
    ui->SSTab1->setCurrentIndex(0);
    m_txtResult.field(2)->setFocus();
    return false;
}

bool frmCrossmatching::turnPage(QObject *watched)
{
    QWidget *last = ui->fraCrossmatch_0->isHidden() ? static_cast<QWidget *>(ui->chkPReaction_1) : m_txtResult.field(3);
    if (watched != last)
        return false;
    ui->SSTab1->setCurrentIndex(1);
    QWidget *first = ui->fraCrossmatch_1->isHidden() ? m_txtResult.field(4) : static_cast<QWidget *>(ui->chkPhase_0);
    first->setFocus(Qt::TabFocusReason);
    return true;
}

bool frmCrossmatching::keyHook(QObject *watched, QKeyEvent *key)
{
    const bool plainTab = key->key() == Qt::Key_Tab && !(key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
    if ((plainTab || isEnter(key)) && turnPage(watched))
        return true;
    if (!isEnter(key))
        return false;
    if (m_txtResult.indexOf(watched) >= 0 || pickListOf(watched)) {
        focusNextChild();
        return true;
    }
    // The other one-line boxes move on too, so a whole result goes in from the keyboard.
    if (auto *box = qobject_cast<QLineEdit *>(watched); box && box != ui->txtAccNum) {
        focusNextChild();
        return true;
    }
    return false;
}

} // namespace corvane
