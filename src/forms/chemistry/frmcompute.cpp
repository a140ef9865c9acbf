#include "forms/chemistry/frmcompute.h"

#include "ui_frmcompute.h"

#include "services/lookups/dialogsupport.h"
#include "services/ui/messagebox.h"
#include "session/sessioncontext.h"

#include <labdb/normalvalues.h>

#include <QKeyEvent>

namespace corvane {

namespace {

std::optional<double> number(const QLineEdit *box)
{
    return labdb::numericValue(box->text().toStdString());
}

void information(const QString &text)
{
    MessageBox::show(text, QStringLiteral("Compute"), QMessageBox::Information);
}

} // namespace

frmCompute::frmCompute(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::frmCompute>())
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmCompute"));
    ui->chkRepeat->hide();
    for (QLineEdit *box : {ui->txtResult1, ui->txtResult2, ui->txtVolume})
        box->installEventFilter(this);
    connect(ui->ChkManual, &QCheckBox::toggled, this, &frmCompute::updateCaptions);
    connect(ui->chkManual2, &QCheckBox::toggled, this, &frmCompute::updateCaptions);
    connect(ui->OptPrev1, &QRadioButton::clicked, this, [this] {
        takeAnalyserResult(ui->txtResult1, m_urine, clearance() ? QStringLiteral("Crea") : QStringLiteral("TP"));
    });
    // The serum input is always a creatinine.
    connect(ui->OptPrev2, &QRadioButton::clicked, this,
            [this] { takeAnalyserResult(ui->txtResult2, m_serum, QStringLiteral("Crea")); });
    connect(ui->OptManual1, &QRadioButton::clicked, this, [this] { ui->txtResult1->setFocus(); });
    connect(ui->OptManual2, &QRadioButton::clicked, this, [this] { ui->txtResult2->setFocus(); });
    connect(ui->btnCompute, &QPushButton::clicked, this, &frmCompute::compute);
    connect(ui->txtResult1, &QLineEdit::textEdited, this, [this] { m_fromAnalyser1 = false; });
    connect(ui->txtResult2, &QLineEdit::textEdited, this, [this] { m_fromAnalyser2 = false; });
}

frmCompute::~frmCompute() = default;

void frmCompute::setExamName(const QString &name)
{
    ui->lblExam->setText(name);
}

void frmCompute::setSpecimenIDs(const QString &urine, const QString &serum)
{
    m_urine = urine;
    m_serum = serum;
}

bool frmCompute::runModal()
{
    layoutForExam();
    return showModal(*this) == QDialog::Accepted;
}

void frmCompute::layoutForExam()
{
    const bool both = clearance();
    for (QWidget *w : std::initializer_list<QWidget *>{ui->txtResult2, ui->Label3, ui->FrManual2, ui->chkManual2,
                                                      ui->lblUnit2}) {
        w->setVisible(both);
        w->setEnabled(both);
    }
    ui->lblSpecimenID->setText(both ? QStringLiteral("Specimen ID : %1 (urine), %2 (serum)").arg(m_urine, m_serum)
                                    : QStringLiteral("Specimen ID : %1").arg(m_urine));
    // Units follow the laboratory's exam definitions; the dialog only applies the constants.
    if (both) {
        ui->lblUnit1->setText(QStringLiteral("umol/L"));
        ui->lblUnit2->setText(QStringLiteral("umol/L"));
        ui->lblFormula->setText(QStringLiteral(
            "Creatinine clearance (mL/s) = urine creatinine / serum creatinine x (volume in mL / 1440) x 0.0167. "
            "Both creatinines in the same unit; the collection is 24 hours (1440 minutes)."));
    } else {
        ui->lblUnit1->setText(QStringLiteral("mg/mL"));
        ui->lblFormula->setText(
            QStringLiteral("24-hour urine protein (mg/24 h) = urine protein (mg/mL) x volume of the collection (mL)."));
    }
    updateCaptions();
    ui->txtResult1->setFocus();
}

void frmCompute::updateCaptions()
{
    const QString first = clearance() ? QStringLiteral("Urine Creatinine") : QStringLiteral("Urine Protein");
    const QString prefix = QStringLiteral("Specimen ID : ");
    ui->FrManual1->setEnabled(ui->ChkManual->isChecked());
    ui->Label2->setText(ui->ChkManual->isChecked() ? first : prefix + first);
    ui->FrManual2->setEnabled(clearance() && ui->chkManual2->isChecked());
    ui->Label3->setText(ui->chkManual2->isChecked() ? QStringLiteral("Serum Creatinine")
                                                    : prefix + QStringLiteral("Serum Creatinine"));
}

void frmCompute::takeAnalyserResult(QLineEdit *input, const QString &specimen, const QString &testCode)
{
    Connection &db = SessionContext::current().db();
    Recordset count = db.query(Command("LABORATORY..Count_VitrosResult  '") << specimen << "','" << testCode << "'");
    const int results = count.eof() ? 0 : count.field(QStringLiteral("Number")).toInt();
    if (results > 1) {
        information(QStringLiteral("The particular exam has ") + QString::number(results) + QStringLiteral(" results"));
        ui->chkRepeat->show();
    }
    Recordset rs =
        db.query(Command("LABORATORY..get_Vitros_result_per_exam  '") << specimen << "','" << testCode << "'");
    if (rs.eof()) {
        information(QStringLiteral("No result from machine!"));
        return;
    }
    const std::string value = rs.field(QStringLiteral("sResult")).toStringOr().toStdString();
    const auto n = labdb::numericValue(value);
    input->setText(n ? QString::fromStdString(labdb::formatTwoDecimals(*n)) : QString::fromStdString(value));
    (input == ui->txtResult1 ? m_fromAnalyser1 : m_fromAnalyser2) = true;
}

bool frmCompute::checkVolume()
{
    const auto volume = number(ui->txtVolume);
    if (!volume) {
        MessageBox::show(QStringLiteral("Invalid value!"), QStringLiteral("Compute"), QMessageBox::Warning);
        ui->txtVolume->setFocus();
        return false;
    }
    ui->txtVolume->setText(QString::fromStdString(labdb::formatTwoDecimals(*volume)));
    return true;
}

bool frmCompute::eventFilter(QObject *watched, QEvent *event)
{
    auto *box = qobject_cast<QLineEdit *>(watched);
    if (box && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (box->text().trimmed().isEmpty()) {
                information(QStringLiteral("Input a value!"));
                return true;
            }
            if (box != ui->txtVolume && !number(box)) {
                information(QStringLiteral("Invalid Value!"));
                return true;
            }
            focusNextChild();
            return true;
        }
    }
    if (box == ui->txtVolume && event->type() == QEvent::FocusOut && !box->text().isEmpty()) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason)
            checkVolume();
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<double> frmCompute::creatinineClearance(double urine, double serum, double volume)
{
    if (serum == 0)
        return std::nullopt;
    // 0.0167 as the laboratory has always written it, not 1/60.
    return (urine / serum) * (volume / 1440) * 0.0167;
}

double frmCompute::urineProtein(double concentration, double volume)
{
    return concentration * volume;
}

void frmCompute::compute()
{
    QList<QLineEdit *> inputs{ui->txtResult1};
    if (clearance())
        inputs.append(ui->txtResult2);
    inputs.append(ui->txtVolume);
    for (QLineEdit *box : inputs) {
        if (box->text().trimmed().isEmpty()) {
            information(QStringLiteral("Input a value!"));
            box->setFocus();
            return;
        }
        if (!number(box)) {
            information(box == ui->txtVolume ? QStringLiteral("Invalid value!") : QStringLiteral("Invalid Value!"));
            box->setFocus();
            return;
        }
    }
    checkVolume();
    const double first = *number(ui->txtResult1);
    const double volume = *number(ui->txtVolume);
    if (clearance()) {
        const auto value = creatinineClearance(first, *number(ui->txtResult2), volume);
        if (!value) {
            information(QStringLiteral("The serum creatinine must be more than zero."));
            ui->txtResult2->setFocus();
            return;
        }
        m_result = *value;
    } else {
        m_result = urineProtein(first, volume);
    }
    // Marked on the result unless every input came from the analyser as it sent it.
    const bool fromAnalyser = m_fromAnalyser1 && (!clearance() || m_fromAnalyser2);
    m_manual = fromAnalyser ? 0 : 1;
    information(QStringLiteral("Computed!"));
    accept();
}

} // namespace corvane
