#include "forms/microscopy/frmurinalysisrefrange.h"

#include "ui_frmurinalysisrefrange.h"

#include "services/ui/messagebox.h"
#include "session/sessioncontext.h"

namespace corvane {

namespace {

void reportFailure(const std::exception &e)
{
    MessageBox::show(QStringLiteral("The reference ranges were not updated! Error: [") +
                         QString::fromStdString(e.what()) + QStringLiteral("]"),
                     QStringLiteral("Urinalysis Reference Range"), QMessageBox::Critical);
}

} // namespace

frmUrinalysisRefRange::frmUrinalysisRefRange(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmUrinalysisRefRange>())
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmUrinalysisRefRange"));
    setModal(true);
    for (int k = 0; k < 20; ++k)
        m_boxes.append(findChild<QLineEdit *>(QStringLiteral("txtRefRange_%1").arg(k)));
    connect(ui->cmdUpdate, &QPushButton::clicked, this, &frmUrinalysisRefRange::update);
    connect(ui->cmdExit, &QPushButton::clicked, this, &QDialog::reject);
}

frmUrinalysisRefRange::~frmUrinalysisRefRange() = default;

bool frmUrinalysisRefRange::edit(QWidget *parent)
{
    frmUrinalysisRefRange dialog(parent);
    try {
        dialog.Form_Load();
    } catch (const std::exception &e) {
        reportFailure(e);
        return false;
    }
    return showModal(dialog) == QDialog::Accepted;
}

void frmUrinalysisRefRange::Form_Load()
{
    Recordset rs = SessionContext::current().db().query(Command("LABORATORY..sp_GetUrinalysisRefRange"));
    if (rs.eof())
        return;
    for (int k = 0; k < m_boxes.size(); ++k)
        txtRefRange(k)->setText(rs.field(QStringLiteral("RefRange%1").arg(k + 1)).toStringOr());
}

// Every value is sent as it stands, changed or not; a failure leaves the dialog open with the
// values typed, so they can be sent again.
void frmUrinalysisRefRange::update()
{
    Command c("Laboratory..sp_SaveUrinalysisRefRange '");
    for (int k = 0; k < m_boxes.size(); ++k)
        c << txtRefRange(k)->text() << (k + 1 < m_boxes.size() ? "', '" : "'");
    try {
        SessionContext::current().db().execute(c);
    } catch (const std::exception &e) {
        reportFailure(e);
        return;
    }
    MessageBox::show(QStringLiteral("Referance Range Successfully Updated"), windowTitle(), QMessageBox::Information);
    accept();
}

} // namespace corvane
