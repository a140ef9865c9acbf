#include "forms/common/resultform.h"

#include "forms/common/draft.h"
#include "forms/common/pastelimit.h"
#include "forms/common/requestheader.h"
#include "forms/common/resultfields.h"
#include "forms/common/screenroutines.h"
#include "forms/common/screentraits.h"
#include "services/logbook.h"
#include "services/reagents.h"
#include "services/reports/reports.h"
#include "services/signoff/frmmedtech.h"
#include "services/ui/messagebox.h"
#include "session/errors.h"
#include "session/sessioncontext.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimeEdit>

namespace corvane {

namespace {

// Restores the arrow cursor however the block is left.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

template<typename T>
T *control(const QObject &screen, const char *name)
{
    return screen.findChild<T *>(QLatin1String(name));
}

} // namespace

ResultForm::ResultForm(const QString &screenName, QWidget *parent)
    : QDialog(parent), m_name(screenName), m_traits(&screenTraits(screenName)),
      m_draft(std::make_unique<DraftKeeper>(*this, screenName))
{
    setObjectName(screenName);
    setModal(true);
}

ResultForm::~ResultForm()
{
    qApp->removeEventFilter(this);
}

void ResultForm::initLifecycle()
{
    // Every key typed on the screen passes here first, whichever control has the focus.
    qApp->installEventFilter(this);

    if (auto *combo = control<QComboBox>(*this, "cboReagent")) {
        m_reagents = std::make_unique<ReagentState>(combo, control<QLabel>(*this, "lblLabels_19"),
                                                    control<QTableWidget>(*this, "grdReagent"));
        // Choosing a reagent shows what it consumes, so a first save has something to post.
        connect(combo, &QComboBox::textActivated, this,
                [this] { m_errors.run(*this, [this] { m_reagents->SelectReagent(); }); });
    }
    const auto button = [this](const char *name, bool verifier, bool printing) {
        if (auto *b = control<QAbstractButton>(*this, name)) {
            connect(b, &QAbstractButton::clicked, this, [this, verifier, printing] {
                m_errors.run(*this, [&] {
                    if (!readyToSave())
                        return;
                    if (verifier)
                        frmMedTech::shared().setVerify(true);
                    SaveAndSignOff(verifier, printing);
                });
            });
        }
    };
    button("cmdSave", false, false);
    button("cmdVerify", true, false);
    button("cmdPrint", true, true);
    if (auto *b = control<QAbstractButton>(*this, "cmdExam"))
        connect(b, &QAbstractButton::clicked, this, &QDialog::reject);
}

void ResultForm::setTop(int pixels)
{
    if (!m_loaded)
        Form_Load();
    move(x(), pixels);
}

void ResultForm::setLeft(int pixels)
{
    if (!m_loaded)
        Form_Load();
    move(pixels, y());
}

int ResultForm::showModal()
{
    m_draft->opened();
    const int result = corvane::showModal(*this);
    m_errors.rethrow();
    return result;
}

void ResultForm::Form_Load()
{
    m_loaded = true;
    if (auto *header = findChild<RequestHeader *>())
        header->show(SessionContext::current());
    ApplyClerkMode(*this);
    loadHook();
    const bool canVerify = SessionContext::current().CanVerify;
    SetCommandButtons(*this, canVerify, canVerify, true);
    ApplyMedTechRights(*this);
}

void ResultForm::loadHook()
{
    if (m_reagents)
        m_reagents->LoadReagentChoices();
}

void ResultForm::Fill_Results()
{
    SessionContext &s = SessionContext::current();
    m_seenVersion.reset();
    if (loadsResultHeader()) {
        LoadResultHeader();
        m_seenVersion = s.StoredResultHeader.RowVersion;
    }

    if (checksDeltas()) {
        // Read before the fields are filled, so that a filled value is compared at once.
        if (!m_delta)
            m_delta = new DeltaCheck(*this);
        m_delta->load(s.RequestNum);
    }
    Recordset rs = s.db().query(resultQuery());
    // Without the header the version comes with the stored row, when the row carries it. A first
    // save needs none: the server refuses a first save over a stored result.
    if (!loadsResultHeader() && !rs.eof() && rs.rows().columnIndex("LogbookVersion") >= 0) {
        const Field version = rs.field(QStringLiteral("LogbookVersion"));
        m_seenVersion = version.isNull() ? 0 : version.toInt();
    }
    if (rs.eof()) {
        for (const char *name : {"cmdPrint", "cmdVerify"}) {
            if (auto *b = control<QWidget>(*this, name))
                b->setEnabled(false);
        }
        if (fillsHeaderFromStorage())
            fillNewResult(serverNow());
        loadFlags();
        return;
    }
    if (fillsHeaderFromStorage())
        fillStoredHeader(rs);
    fillResultFields(rs);
    if (m_reagents)
        m_reagents->ShowPosting();
    loadFlags();
}

void ResultForm::loadFlags()
{
    const QList<JudgedField> fields = judgedFields();
    if (!fields.isEmpty()) {
        if (!m_flags)
            m_flags = new ResultFlags(*this);
        m_flags->load(SessionContext::current().RequestNum, fields);
    }
    // After the flags, so that each Δ takes its place beside its field's flag.
    if (m_delta)
        m_delta->watch(fields);
}

bool ResultForm::callCriticalValues()
{
    m_call.reset();
    const QList<CriticalValue> values = m_flags ? m_flags->uncalledCriticals() : QList<CriticalValue>();
    if (values.isEmpty())
        return true;
    // The clock is read for the dialog alone: a cancelled call leaves no trace in the command log.
    const QDateTime now = SessionContext::current().db().lookup(Command("Select getdate() as DateToday"))
                              .field(QStringLiteral("DateToday")).toDateTime();
    frmCriticalCall dialog(values, now, this);
    m_call = dialog.runModal();
    return m_call.has_value();
}

void ResultForm::saveJudgement(Connection &db)
{
    if (!m_flags || !m_flags->judges())
        return;
    const SessionContext &s = SessionContext::current();
    db.execute(Command("Laboratory..Lab_Save_ResultJudgement '") << s.RequestNum << "'");
    if (!m_call)
        return;
    for (const CriticalValue &v : m_call->values)
        db.execute(Command("Laboratory..Lab_Save_CriticalCall '")
                   << s.RequestNum << "', '" << s.RequestRecord.code << "', '" << v.field << "', '" << v.caption
                   << "', '" << v.value << "', '" << v.limit << "', '" << m_call->person << "', '" << m_call->ward
                   << "', '" << commandDateTime(m_call->callTime) << "', '1', '" << s.EmployeeCode << "'");
}

QList<DeltaValue> ResultForm::deltaValues() const
{
    QList<DeltaValue> out;
    for (const JudgedField &j : judgedFields()) {
        if (j.control && !j.control->isHidden())
            out.append({j.field, judgedText(j.control)});
    }
    return out;
}

QString ResultForm::deltaMark(const QString &key, const QString &value, QString *tip)
{
    const std::optional<SeenDelta> delta = m_delta ? m_delta->deltaOf(key, value) : std::nullopt;
    if (m_delta)
        m_delta->noteJudged(key, delta);
    if (tip)
        *tip = delta ? delta->text : QString();
    return delta ? QStringLiteral("\u0394") : QString();
}

void ResultForm::fillStoredHeader(const Recordset &rs)
{
    if (auto *acc = control<QLineEdit>(*this, "txtAccNum"))
        acc->setText(rs.field(QStringLiteral("AccessionNum")).toString());
    setPickerPair(kReport, rs.field(QStringLiteral("ResultDate")).toDateTime());
    setPickerPair(kSubmitted, rs.field(QStringLiteral("samplesubmitted")).toDateTime());
    if (control<QDateEdit>(*this, kLra.date)) {
        // A result saved without an LRA time shows the current one.
        const Field lra = rs.field(QStringLiteral("lratime"));
        setPickerPair(kLra, lra.isNull() ? serverNow() : lra.toDateTime());
    }
    // Before the screen's fields, so a screen that shows another finished time may set it.
    setPickerPair(kFinished, SessionContext::current().StoredResultHeader.DateFinished);
}

void ResultForm::fillNewResult(const QDateTime &today)
{
    setAllPickers(today);
}

LogbookEntry ResultForm::logbookEntry() const
{
    const auto *accession = control<QLineEdit>(*this, "txtAccNum");
    return {pickerValue(kSubmitted), pickerValue(kFinished), accession ? accession->text() : QString(),
            LogbookExtra::none()};
}

QList<Command> ResultForm::saveCommands(int flag, const SaveTexts &texts) const
{
    return {saveCommand(flag, texts)};
}

void ResultForm::prepareSignOff(frmMedTech &) {}

bool ResultForm::readyToSave()
{
    return true;
}

QDateTime ResultForm::serverNow() const
{
    Recordset now = SessionContext::current().db().query(Command("Select getdate() as DateToday"));
    return now.field(QStringLiteral("DateToday")).toDateTime();
}

void ResultForm::setAllPickers(const QDateTime &at)
{
    for (const PickerPair &pair : {kReport, kSubmitted, kLra, kFinished})
        setPickerPair(pair, at);
}

QDateTime ResultForm::pickerValue(const PickerPair &pair) const
{
    const auto *date = control<QDateEdit>(*this, pair.date);
    if (!date)
        return {};
    const auto *time = control<QTimeEdit>(*this, pair.time);
    return QDateTime(date->date(), time ? time->time() : QTime(0, 0));
}

void ResultForm::setPickerPair(const PickerPair &pair, const QDateTime &at)
{
    if (auto *date = control<QDateEdit>(*this, pair.date))
        date->setDate(at.date());
    if (auto *time = control<QTimeEdit>(*this, pair.time))
        time->setTime(at.time());
}

Command ResultForm::hcodesQuery()
{
    return Command("LABORATORY..Lab_GetResultHcodes  '") << SessionContext::current().RequestNum << "'";
}

Command ResultForm::saveCommand(int, const SaveTexts &) const
{
    throw ComponentError(QStringLiteral("The screen %1 has no save command.").arg(m_name));
}

void ResultForm::executeSave(Connection &db, int flag, const SaveTexts &texts)
{
    for (const Command &command : saveCommands(flag, texts))
        db.execute(command);
}

bool ResultForm::keyHook(QObject *, QKeyEvent *)
{
    return false;
}

bool ResultForm::resultFieldKey(ResultFields &fields, QObject *watched, QKeyEvent *key)
{
    switch (fields.handleKey(watched, key)) {
    case ResultFields::KeyResult::MoveOn:
        focusNextChild();
        return true;
    case ResultFields::KeyResult::Handled:
        return true;
    case ResultFields::KeyResult::NotOurs:
        break;
    }
    return false;
}

QString ResultForm::dateTimeText(const QDateTime &at) const
{
    return commandDateTime(at);
}

SaveTexts ResultForm::buildSaveTexts() const
{
    const auto text = [this](const PickerPair &pair) {
        const QDateTime at = pickerValue(pair);
        return at.isValid() ? dateTimeText(at) : QString();
    };
    return {text(kReport), text(kSubmitted), text(kLra), text(kFinished)};
}

void ResultForm::SaveAndSignOff(bool withVerifier, bool /*printing*/)
{
    if (!entriesComplete())
        return;
    // Nothing reaches the database when the call is cancelled; the screen stays as typed.
    if (!callCriticalValues())
        return;
    {
        WaitCursor wait;
        SetAllCommandButtons(*this, false);
    }
    m_withVerifier = withVerifier;
    if (Save_Entries()) {
        frmMedTech &signOff = frmMedTech::shared();
        signOff.setRequestNum(SessionContext::current().RequestNum);
        if (!withVerifier)
            signOff.hideVerifier();
        prepareSignOff(signOff);
        signOff.runModal();
        if (signOff.Cancelled() == QLatin1String("False"))
            Print_Result();
    }
    // The screen closes in every case; a failed save was already reported and rolled back.
    done(QDialog::Accepted);
}

bool ResultForm::Save_Entries()
{
    SessionContext &s = SessionContext::current();
    Connection &db = s.db();
    WaitCursor wait;
    try {
        const SaveTexts texts = buildSaveTexts();
        db.beginTrans();
        for (const Command &command : openingCommands())
            db.execute(command);
        if (s.VerifyMode)
            recordVerification();

        const LogbookEntry entry = logbookEntry();
        const int flag = SaveToLogbookIfFirst(db, s.RequestNum, s.EmployeeCode, entry.submitted, entry.finished,
                                              entry.number, entry.extra, m_seenVersion);
        executeSave(db, flag, texts);
        saveJudgement(db);
        if (m_delta)
            m_delta->save(db, deltaValues(), s.RequestNum, s.EmployeeCode);

        if (m_withVerifier && !s.VerifyMode)
            recordVerification();
        if (m_reagents)
            m_reagents->PostReagentConsumption();
        db.commitTrans();
        m_draft->saved();
        if (m_flags && m_call)
            m_flags->markCalled(m_call->values);
        m_call.reset();
        return true;
    } catch (const std::exception &e) {
        try {
            if (db.inTransaction())
                db.rollbackTrans();
        } catch (const std::exception &) {
            // A connection that died took its transaction with it.
        }
        m_draft->saveFailed();
        m_call.reset();
        MessageBox::show(QStringLiteral("Data was not saved! Error: [") + QString::fromStdString(e.what()) +
                             QStringLiteral("]"),
                         QStringLiteral("Save_Entries of Result Entry Class"), QMessageBox::Critical);
        return false;
    }
}

void ResultForm::logOtherRequest(Connection &db, const QString &requestNum, const QString &sampleNum) const
{
    const SessionContext &s = SessionContext::current();
    if (s.VerifyMode)
        RecordVerification(db, requestNum, s.EmployeeCode);
    else
        SaveToLogbookIfFirst(db, requestNum, s.EmployeeCode, pickerValue(kSubmitted), pickerValue(kFinished), sampleNum);
}

void ResultForm::recordVerification()
{
    SessionContext &s = SessionContext::current();
    // Screens without the verification still look at the logbook row, as they always did.
    if (m_traits->sendsVerification)
        RecordVerification(s.db(), s.RequestNum, s.EmployeeCode);
    else
        logbookHasRow(s.db(), s.RequestNum, LogbookSpelling::LowerCase);
}

void ResultForm::Print_Result()
{
    SessionContext &s = SessionContext::current();
    const ReportRequest r = report();
    if (r.fileName.isEmpty())
        return;
    const ReportLogin login{s.HospitalCompany, s.DbServer, s.DbUser, s.DbPassword};
    OpenReport(s.CurrentReport, login, r.fileName, QStringLiteral("LABORATORY"), r.parameters);
    for (const auto &[name, parameters] : r.subreports)
        OpenSubreport(s.CurrentReport, login, name, QStringLiteral("LABORATORY"), parameters);
    ShowReport(s.CurrentReport, false, r.title, false);
}

bool ResultForm::validateAccessionNumber()
{
    auto *acc = control<QLineEdit>(*this, "txtAccNum");
    if (!acc)
        return true;
    if (acc->text().trimmed().isEmpty()) {
        MessageBox::show(accessionPrompt(), QStringLiteral("Incomplete Data"), QMessageBox::Information);
        acc->setFocus();
        return false;
    }
    if (auto *next = control<QWidget>(*this, kSubmitted.date); next && next->isVisible())
        next->setFocus();
    return true;
}

bool ResultForm::checkPickerTime(QObject *watched)
{
    const auto refuse = [&](const PickerPair &pair, const QString &prompt) {
        if (watched->objectName() != QLatin1String(pair.time) || pickerValue(pair) != pickerValue(kReport))
            return false;
        MessageBox::show(prompt, QStringLiteral("Message"), QMessageBox::Information);
        if (auto *time = control<QWidget>(*this, pair.time))
            time->setFocus();
        return true;
    };
    return refuse(kLra, QStringLiteral("Please input the time Recorded in LRA Logbook.")) ||
           refuse(kSubmitted, QStringLiteral("Please input the sample submitted time."));
}

bool ResultForm::isOurs(QObject *object) const
{
    auto *w = qobject_cast<QWidget *>(object);
    return w && (w == this || isAncestorOf(w));
}

bool ResultForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && isOurs(watched)) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (refuseOversizedPaste(watched, *key))
            return true;
        bool handled = false;
        m_errors.run(*this, [&] { handled = keyHook(watched, key); });
        if (handled)
            return true;
        if (key->text() == QLatin1String("'")) {
            // Quotes would end a value in the laboratory's command texts.
            QKeyEvent backtick(QEvent::KeyPress, Qt::Key_QuoteLeft, key->modifiers(), QStringLiteral("`"));
            QCoreApplication::sendEvent(watched, &backtick);
            return true;
        }
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (qobject_cast<QDateTimeEdit *>(watched) || qobject_cast<QDateTimeEdit *>(watched->parent()))) {
            focusNextChild();
            return true;
        }
        if (enter && watched->objectName() == QLatin1String("txtAccNum")) {
            validateAccessionNumber();
            return true;
        }
    }
    if (event->type() == QEvent::ContextMenu && isOurs(watched)
        && showPasteCheckedMenu(watched, *static_cast<QContextMenuEvent *>(event)))
        return true;
    if (event->type() == QEvent::FocusOut && watched->objectName() == QLatin1String("txtAccNum") && isOurs(watched)
        && isVisible()) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason)
            validateAccessionNumber();
    }
    if (event->type() == QEvent::FocusOut && asksForPickerTimes() && isOurs(watched) && isVisible()) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason)
            checkPickerTime(watched);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace corvane
