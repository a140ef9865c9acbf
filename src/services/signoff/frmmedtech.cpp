#include "services/signoff/frmmedtech.h"

#include "ui_frmmedtech.h"

#include "services/lookups/frmsearchpatho.h"
#include "services/signoff/frmlistmedtech.h"
#include "services/ui/messagebox.h"
#include "session/sessioncontext.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>

namespace corvane {

namespace {

constexpr double kHeightWithPaperSize = 4140; // twips
constexpr double kHeightWithoutPaperSize = 2900;

// A name of fewer than three characters is no name: the box stays empty.
QString displayName(const QString &name)
{
    return name.trimmed().size() < 3 ? QString() : name + QStringLiteral(", RMT");
}

bool isEnter(const QKeyEvent &key)
{
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

QPointer<frmMedTech> &sharedInstance()
{
    static QPointer<frmMedTech> instance;
    return instance;
}

void deleteSharedInstance()
{
    delete sharedInstance().data();
}

} // namespace

frmMedTech &frmMedTech::shared()
{
    QPointer<frmMedTech> &instance = sharedInstance();
    if (!instance) {
        instance = new frmMedTech;
        // Widgets must go before the application object does.
        qAddPostRoutine(deleteSharedInstance);
    }
    return *instance;
}

frmMedTech::frmMedTech(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::frmMedTech>())
{
    ui->setupUi(this);
    ui->optPaperSize_2->hide();
    ui->txtPathologistID->hide();
    for (QLineEdit *edit : {ui->txtMedTech, ui->txtVerified, ui->txtPathologist})
        edit->installEventFilter(this);

    connect(ui->cmdMedTech, &QPushButton::clicked, this,
            [this] { m_errors.run(*this, [this] { searchMedTech(Role::MedTech); }); });
    connect(ui->cmdMedtect2, &QPushButton::clicked, this,
            [this] { m_errors.run(*this, [this] { searchMedTech(Role::Verifier); }); });
    connect(ui->cmdPathologist, &QPushButton::clicked, this,
            [this] { m_errors.run(*this, [this] { searchPathologist(); }); });
    connect(ui->cmdFinish, &QPushButton::clicked, this, [this] { m_errors.run(*this, [this] { finish(true); }); });
    connect(ui->FlatBttn1, &QPushButton::clicked, this, [this] { m_errors.run(*this, [this] { finish(false); }); });
    // A name typed over the chosen one is no longer that med tech.
    connect(ui->txtMedTech, &QLineEdit::textEdited, this, [this] { m_medTechID.clear(); });
    connect(ui->txtVerified, &QLineEdit::textEdited, this, [this] { m_verifyID.clear(); });
}

frmMedTech::~frmMedTech() = default;

QLineEdit *frmMedTech::box(Role role) const
{
    return role == Role::MedTech ? ui->txtMedTech : ui->txtVerified;
}

void frmMedTech::hideVerifier()
{
    for (QWidget *w : {static_cast<QWidget *>(ui->txtVerified), static_cast<QWidget *>(ui->cmdMedtect2)}) {
        w->setEnabled(false);
        w->hide();
    }
    ui->lblVerified->hide();
}

void frmMedTech::hideMedTechs()
{
    for (QWidget *w : {static_cast<QWidget *>(ui->txtVerified), static_cast<QWidget *>(ui->cmdMedtect2),
                       static_cast<QWidget *>(ui->txtMedTech), static_cast<QWidget *>(ui->cmdMedTech)}) {
        w->setEnabled(false);
        w->hide();
    }
    ui->lblVerified->hide();
    ui->lblMedTech->hide();
}

bool frmMedTech::isVerifying() const
{
    return m_verify && !ui->txtVerified->isHidden() && ui->txtVerified->isEnabled();
}

void frmMedTech::take(Role role, Recordset rs, const char *codeColumn)
{
    if (rs.eof())
        return;
    const QString code = rs[QString::fromLatin1(codeColumn)].toStringOr();
    const QString name = rs[QStringLiteral("MedTech")].toStringOr();
    const QString license = rs[QStringLiteral("license")].toStringOr();
    rs.close();
    if (role == Role::MedTech) {
        m_medTechID = code;
        m_medTechName = name;
        m_medTechLicense = license;
    } else {
        m_verifyID = code;
        m_verifyName = name;
        m_verifyLicense = license;
    }
    display(role);
}

void frmMedTech::display(Role role)
{
    box(role)->setText(displayName(role == Role::MedTech ? m_medTechName : m_verifyName));
}

void frmMedTech::Form_Load()
{
    SessionContext &ctx = SessionContext::current();
    Connection &db = ctx.db();
    const QString requestNum = m_requestNum.trimmed();
    const QString employee = ctx.EmployeeCode.trimmed();
    m_cancelled = false;
    m_closing = false;
    if (m_newFormat)
        ui->optPaperSize_2->show();

    take(Role::MedTech, db.query(Command("LABORATORY..Lab_GetSelectedMedtech '") << requestNum << "'"), "MedTechID");
    const bool verifying = isVerifying();
    if (!verifying && (m_medTechID.trimmed().isEmpty() || m_medTechID.trimmed() != employee))
        take(Role::MedTech, db.query(Command("LABORATORY..Lab_GetSelectedMedtech_New '") << ctx.EmployeeCode << "'"),
             "MedTechID");

    take(Role::Verifier, db.query(Command("LABORATORY..Lab_GetVerifiedMedtech '") << requestNum << "'"), "VerifyID");
    if (verifying && (m_verifyID.trimmed().isEmpty() || m_verifyID.trimmed() != employee))
        take(Role::Verifier,
             db.query(Command("LABORATORY..Lab_GetVerifiedMedtech_new '") << ctx.EmployeeCode << "'"), "MedTechID");

    Recordset patho = db.query(Command("Lab_GetDefaultPatho '") << requestNum << "'");
    if (!patho.eof())
        ui->txtPathologist->setText(patho[QStringLiteral("SECTIONHEAD")].toStringOr());
    patho.close();
    if (!m_pathologist.trimmed().isEmpty())
        ui->txtPathologist->setText(m_pathologist);

    if (m_showPaperSizeOption.isEmpty())
        m_showPaperSizeOption = QStringLiteral("False");
    const bool paperSize = m_showPaperSizeOption == QStringLiteral("True");
    ui->fraPaperSize->setVisible(paperSize);
    setFixedHeight(twipsToPixelsY(*this, paperSize ? kHeightWithPaperSize : kHeightWithoutPaperSize));
    if (m_paperSize == QStringLiteral("W"))
        ui->optPaperSize_1->setChecked(true);
    else if (m_paperSize == QStringLiteral("N") && m_newFormat)
        ui->optPaperSize_2->setChecked(true);
    else
        ui->optPaperSize_0->setChecked(true);

    ui->txtMedTech->setFocus();
}

int frmMedTech::runModal()
{
    int result = QDialog::Rejected;
    try {
        Form_Load();
        result = showModal(*this);
    } catch (...) {
        unload();
        throw;
    }
    unload();
    m_errors.rethrow();
    return result;
}

void frmMedTech::unload()
{
    m_closing = true;
    m_verify = false;
    for (QWidget *w : {static_cast<QWidget *>(ui->txtVerified), static_cast<QWidget *>(ui->cmdMedtect2),
                       static_cast<QWidget *>(ui->lblVerified), static_cast<QWidget *>(ui->txtMedTech),
                       static_cast<QWidget *>(ui->cmdMedTech), static_cast<QWidget *>(ui->lblMedTech)}) {
        w->setEnabled(true);
        w->show();
    }
    ui->optPaperSize_2->hide();
    for (QLineEdit *edit : {ui->txtMedTech, ui->txtVerified, ui->txtPathologist, ui->txtPathologistID})
        edit->clear();
    m_medTechID.clear();
    m_medTechName.clear();
    m_medTechLicense.clear();
    m_verifyID.clear();
    m_verifyName.clear();
    m_verifyLicense.clear();
}

void frmMedTech::searchMedTech(Role role)
{
    frmListMedTech list(SessionContext::current().db(), this);
    list.setSearchText(box(role)->text());
    list.runModal();
    if (list.MedTechID().isEmpty())
        return; // nothing chosen: the box keeps its text
    if (role == Role::MedTech) {
        m_medTechID = list.MedTechID();
        m_medTechName = list.MedTech();
        m_medTechLicense = list.MedTechLicense();
    } else {
        m_verifyID = list.MedTechID();
        m_verifyName = list.MedTech();
        m_verifyLicense = list.MedTechLicense();
    }
    box(role)->setText(list.MedTech() + QStringLiteral(", RMT"));
}

void frmMedTech::searchPathologist()
{
    Connection &db = SessionContext::current().db();
    frmSearchPatho search(db, this);
    search.setIsPathologist(QStringLiteral("True"));
    search.setSearchText(QString());
    search.runModal();
    const QString code = search.ResultCode().trimmed();
    if (code.isEmpty())
        return;
    Recordset rs = db.query(Command("SELECT * FROM BUILD_FILE..tbCoDoctor WHERE DoctorID = '") << code << "'");
    if (rs.eof())
        return;
    const QString first = rs[QStringLiteral("FirstName")].toStringOr();
    const QString middle = rs[QStringLiteral("Middlename")].toStringOr();
    const QString last = rs[QStringLiteral("LastName")].toStringOr();
    rs.close();
    QString name = first + QLatin1Char(' ');
    if (!middle.isEmpty())
        name += middle.left(1) + QStringLiteral(". ");
    ui->txtPathologist->setText(name + last + QStringLiteral(", M.D."));
    ui->txtPathologistID->setText(code);
}

// Shown when a signer's box is left (or the dialog finished) without a med tech taken from the
// listing; the box is emptied and gets the focus back.
bool frmMedTech::checkTaken(Role role)
{
    QLineEdit *edit = box(role);
    const QString &code = role == Role::MedTech ? m_medTechID : m_verifyID;
    if (!code.trimmed().isEmpty() || edit->isHidden() || !edit->isEnabled())
        return true;
    MessageBox::show(QStringLiteral("You must select MedTech Name from the listing."), QStringLiteral("Warning"),
                     QMessageBox::Information);
    edit->clear();
    edit->setFocus();
    return false;
}

void frmMedTech::finish(bool print)
{
    if (!checkTaken(Role::MedTech) || (isVerifying() && !checkTaken(Role::Verifier)))
        return;
    if (ui->optPaperSize_0->isChecked())
        m_paperSize = QStringLiteral("H");
    else if (ui->optPaperSize_1->isChecked())
        m_paperSize = QStringLiteral("W");
    else if (ui->optPaperSize_2->isChecked())
        m_paperSize = QStringLiteral("N");

    Connection &db = SessionContext::current().db();
    const QString requestNum = m_requestNum.trimmed();
    const QString pathologist = ui->txtPathologist->text();
    if (isVerifying())
        db.execute(Command("LABORATORY..Lab_UpdateVerified '") << requestNum << "','" << m_medTechID << "','"
                                                                << m_verifyID << "','" << pathologist << "'");
    db.execute(Command("LABORATORY..Lab_UpdateMedTech '") << requestNum << "','" << m_medTechID << "','"
                                                         << pathologist << "'");
    m_closing = true;
    if (!print)
        m_cancelled = true;
    accept();
}

void frmMedTech::reject()
{
    // Closed without finishing: nothing was recorded, so nothing is printed.
    m_closing = true;
    m_cancelled = true;
    QDialog::reject();
}

bool frmMedTech::eventFilter(QObject *watched, QEvent *event)
{
    const Role role = watched == ui->txtMedTech ? Role::MedTech : Role::Verifier;
    const bool signerBox = watched == ui->txtMedTech || watched == ui->txtVerified;
    if (event->type() == QEvent::KeyPress) {
        const auto &key = *static_cast<QKeyEvent *>(event);
        if (isEnter(key) && signerBox) {
            m_errors.run(*this, [&] { searchMedTech(role); });
            return true;
        }
        if (isEnter(key) && watched == ui->txtPathologist) {
            focusNextChild();
            return true;
        }
    } else if (event->type() == QEvent::FocusOut && signerBox && !m_closing && isVisible()) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason ||
            reason == Qt::ShortcutFocusReason)
            checkTaken(role);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace corvane
