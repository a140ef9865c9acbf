#include "forms/pathology/pathologyform.h"

#include "forms/common/screenroutines.h"
#include "services/lookups/frmsearchpatho.h"
#include "services/lookups/searchcode.h"
#include "services/signoff/frmmedtech.h"
#include "services/ui/messagebox.h"
#include "session/sessioncontext.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QTabWidget>
#include <QTextEdit>

namespace corvane {

SourceValue splitSourceValue(const QString &stored)
{
    const qsizetype bar = stored.indexOf(QLatin1Char('|'));
    const QString number = bar < 0 ? stored : stored.left(bar);
    return {number.trimmed().toInt() != 0, bar < 0 ? QString() : stored.mid(bar + 1)};
}

void PathologyForm::initPathology()
{
    initLifecycle();
    const auto box = [this](const char *name) { return findChild<QLineEdit *>(QLatin1String(name)); };
    const struct {
        const char *id, *name, *button;
        bool freeName;
    } doctors[] = {{"txtDoctorID", "txtDoctorName", "cmdBrowseDoctor", false},
                   {"txtPhysicianID", "txtPhysician", "cmdPhysician", true},
                   {"txtResidentId", "txtResidentName", "cmdResident", true}};
    for (const auto &d : doctors) {
        const DoctorBoxes boxes{box(d.id), box(d.name), d.freeName};
        if (!boxes.id || !boxes.name)
            continue;
        m_doctors.append(boxes);
        // The name comes from the master file; only a doctor outside it is typed.
        boxes.name->setReadOnly(true);
        boxes.name->setFocusPolicy(Qt::NoFocus);
        if (auto *b = findChild<QAbstractButton *>(QLatin1String(d.button)))
            connect(b, &QAbstractButton::clicked, this, [this, boxes] {
                guarded([&] {
                    if (boxes.freeName && boxes.id->text() == QLatin1String("0"))
                        enterDoctor(boxes);
                    else
                        lookUpDoctor(boxes, QString());
                });
            });
    }
    if (auto *number = box("txtHistopathNum")) {
        // The number is written in capitals whatever the keyboard's state.
        connect(number, &QLineEdit::textEdited, this, [number](const QString &typed) {
            const QString upper = typed.toUpper();
            if (upper != typed) {
                const int at = number->cursorPosition();
                number->setText(upper);
                number->setCursorPosition(at);
            }
        });
    }
    m_conforme = std::make_unique<Conforme>(*this);
    if (auto *conforme = findChild<QCheckBox *>(QStringLiteral("chkConforme")))
        connect(conforme, &QCheckBox::toggled, this,
                [this](bool checked) { guarded([&] { m_conforme->toggled(checked); }); });
    for (const char *name : {"cmdSupplement", "cmdLupus"}) {
        if (auto *b = findChild<QAbstractButton *>(QLatin1String(name))) {
            b->hide();
            connect(b, &QAbstractButton::clicked, this, &QDialog::reject);
        }
    }
    if (QTabWidget *t = tabs())
        connect(t, &QTabWidget::currentChanged, this, &PathologyForm::focusPageText);
}

void PathologyForm::focusPageText(int index)
{
    // Choosing a page puts the cursor in its first text.
    QWidget *page = tabs()->widget(index);
    for (const char *name : {"rtfSpecimen", "rtfGross", "rtfDiagnosis"}) {
        auto *first = page ? page->findChild<QTextEdit *>(QLatin1String(name)) : nullptr;
        if (first && first->isVisibleTo(page)) {
            first->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

QTabWidget *PathologyForm::tabs() const
{
    return findChild<QTabWidget *>(QStringLiteral("TabMain"));
}

QString PathologyForm::text(const char *name) const
{
    if (const auto *e = findChild<QLineEdit *>(QLatin1String(name)))
        return e->text();
    if (const auto *e = findChild<QTextEdit *>(QLatin1String(name)))
        return e->toPlainText();
    return {};
}

void PathologyForm::setText(const char *name, const QString &value)
{
    if (auto *e = findChild<QLineEdit *>(QLatin1String(name)))
        e->setText(value);
    else if (auto *e = findChild<QTextEdit *>(QLatin1String(name)))
        e->setPlainText(value);
}

void PathologyForm::loadHook()
{
    ResultForm::loadHook();
    SessionContext &s = SessionContext::current();
    if (QTabWidget *t = tabs()) {
        const QSignalBlocker quiet(t);
        t->setCurrentIndex(0);
    }
    setText("rtfGross", QString());
    setText("rtfDiagnosis", QString());
    if (!s.EditMode) {
        setPickerPair(kReport, QDateTime::currentDateTime());
    } else {
        if (auto *b = findChild<QWidget *>(QStringLiteral("cmdSupplement")))
            b->show();
        if (auto *b = findChild<QWidget *>(QStringLiteral("cmdLupus")))
            b->setVisible(s.RequestRecord.ExamName.contains(QLatin1String("renal"), Qt::CaseInsensitive));
    }
    if (receivedFromServerClock()) {
        Recordset rs = s.db().query(Command("SELECT getdate() as serverdate"));
        const QDateTime now = rs.field(QStringLiteral("serverdate")).toDateTime();
        rs.close();
        setPickerPair(kSubmitted, now);
        setPickerPair(kLra, now);
    }
    // A report not yet written starts from the request's own date.
    if (findChild<QLineEdit *>(QStringLiteral("txtRequestDate")) && s.RequestRecord.requestdate.isValid())
        setText("txtRequestDate", commandDateTime(s.RequestRecord.requestdate));

    const RequestRecord &r = s.RequestRecord;
    const auto fill = [this](const char *id, const QString &code, const char *name, const QString &doctor) {
        setText(id, code);
        if (!code.isEmpty())
            setText(name, doctor);
    };
    fill("txtDoctorID", r.ReaderID, "txtDoctorName", r.Reader);
    fill("txtPhysicianID", r.PhysicianID, "txtPhysician", r.Physician);
    fill("txtResidentId", r.ResidentId, "txtResidentName", r.Resident);
    if (QLineEdit *number = numberBox())
        number->setFocus();
}

void PathologyForm::fillNewResult(const QDateTime &today)
{
    setPickerPair(kReport, today);
    for (QWidget *w : emptiedWhenNew()) {
        if (auto *e = qobject_cast<QLineEdit *>(w))
            e->clear();
        else if (auto *e = qobject_cast<QTextEdit *>(w))
            e->clear();
    }
}

LogbookEntry PathologyForm::logbookEntry() const
{
    return {pickerValue(kSubmitted), pickerValue(kLra), numberBox()->text(), LogbookExtra::of(text("txtDoctorID"))};
}

void PathologyForm::lookUpDoctor(const DoctorBoxes &boxes, const QString &text)
{
    ICodeSearch *search = SessionContext::current().SearchCodes.get();
    if (!search)
        return;
    qint32 kind = 6;
    QString searchText = text;
    QString filter = QStringLiteral("A");
    const std::optional<SearchRecord> record = search->showSearchForm(kind, searchText, filter);
    if (!record)
        return;
    const QString id = searchField(*record, QStringLiteral("DoctorID"));
    if (id.isEmpty()) {
        MessageBox::show(QStringLiteral("Invalid Doctor!"), QStringLiteral("Invalid Code"), QMessageBox::Warning);
        return;
    }
    boxes.id->setText(id);
    boxes.name->setText(searchField(*record, QStringLiteral("Doctor")));
    boxes.name->setReadOnly(true);
    boxes.name->setFocusPolicy(Qt::NoFocus);
}

void PathologyForm::enterDoctor(const DoctorBoxes &boxes)
{
    if (boxes.freeName && boxes.id->text() == QLatin1String("0")) {
        // A doctor outside the master file: the name is typed.
        boxes.name->setEnabled(true);
        boxes.name->setReadOnly(false);
        boxes.name->setFocusPolicy(Qt::StrongFocus);
        boxes.name->setFocus();
        return;
    }
    lookUpDoctor(boxes, boxes.id->text());
    boxes.id->setFocus();
    focusNextChild();
    // Past the lookup button to the field after the doctor.
    if (QWidget *now = focusWidget(); qobject_cast<QAbstractButton *>(now))
        focusNextChild();
}

bool PathologyForm::validateNumber()
{
    QLineEdit *number = numberBox();
    if (number->text().trimmed().isEmpty()) {
        MessageBox::show(QStringLiteral("You have to fill-in the HISTOPATH NUMBER first."),
                         QStringLiteral("Incomplete Data"), QMessageBox::Information);
        number->setFocus();
        return false;
    }
    if (auto *next = findChild<QWidget *>(QStringLiteral("dtSubmittedTime")))
        next->setFocus();
    return true;
}

void PathologyForm::showPage(int index)
{
    QTabWidget *t = tabs();
    if (t && index < t->count()) {
        t->setCurrentIndex(index);
        // The page switch moves the focus onto the page itself; the first text takes it back.
        focusPageText(index);
    } else
        focusNextChild();
}

bool PathologyForm::keyHook(QObject *watched, QKeyEvent *key)
{
    // Every key puts the buttons back as the user's verify right says.
    const bool canVerify = SessionContext::current().CanVerify;
    SetCommandButtons(*this, canVerify, canVerify, true);

    const QString name = watched->objectName();
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const bool plainTab = key->key() == Qt::Key_Tab && !(key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
    const bool f8 = key->key() == Qt::Key_F8;

    if (QTabWidget *t = tabs(); t && (plainTab || f8)) {
        // Tab at the end of a page and F8 in the history or gross description turn to the next page.
        const bool pageKey = name == QLatin1String("rtfHistory") || name == QLatin1String("rtfGross");
        if ((f8 && pageKey) || (plainTab && (name == QLatin1String("rtfHistory") ||
                                             name == QLatin1String("rtfMicroscopic")))) {
            showPage(t->currentIndex() + 1);
            return true;
        }
    }
    if (!enter)
        return false;
    if (name == QLatin1String("txtHistopathNum")) {
        validateNumber();
        return true;
    }
    for (const DoctorBoxes &boxes : std::as_const(m_doctors)) {
        if (watched == boxes.id) {
            enterDoctor(boxes);
            return true;
        }
    }
    if (qobject_cast<QLineEdit *>(watched)) {
        focusNextChild();
        return true;
    }
    return false;
}

bool PathologyForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut && watched->objectName() == QLatin1String("txtHistopathNum") &&
        watched == numberBox() && isVisible()) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason)
            guarded([&] { validateNumber(); });
    }
    return ResultForm::eventFilter(watched, event);
}

void PathologyForm::preparePathologistSignOff(frmMedTech &signOff)
{
    signOff.setShowPaperSizeOption(true);
    signOff.hideMedTechs();
    // The dialog keeps its pathologist between uses; a pathologist's sign-off starts from the
    // request's own.
    signOff.setPathologist(QString());
}

} // namespace corvane
