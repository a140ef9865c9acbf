#include "forms/bloodbank/frmerapra.h"

#include "ui_frmerapra.h"

#include "forms/bloodbank/receptorscoring.h"

#include <QApplication>
#include <QKeyEvent>

namespace corvane {

frmERAPRA::frmERAPRA(QWidget *parent)
    : ReceptorForm(QStringLiteral("frmERAPRA"), parent), ui(std::make_unique<Ui::frmERAPRA>()),
      m_txtResult((ui->setupUi(this), *this)),
      m_estrogen{ui->txtResult_0, ui->txtEstro_0, ui->txtEstro_1, ui->txtResult_2, ui->lblEstrogen},
      m_progesterone{ui->txtResult_1, ui->txtPro_0, ui->txtPro_1, ui->txtResult_3, ui->lblProgesterone}
{
    initLifecycle();
    wire(m_estrogen);
    wire(m_progesterone);
}

frmERAPRA::~frmERAPRA() = default;

void frmERAPRA::wire(const Row &row)
{
    const auto total = [row] { row.total->setText(receptor::totalScore(row.extent->text(), row.intensity->text())); };
    connect(row.percent, &QLineEdit::textChanged, this,
            [row](const QString &percent) { row.extent->setText(receptor::extentScore(percent, row.extent->text())); });
    connect(row.extent, &QLineEdit::textChanged, this, [row, total](const QString &score) {
        if (score == QLatin1String("0"))
            row.percent->setText(QLatin1String(receptor::kNoStaining));
        else if (score.isEmpty())
            row.percent->clear();
        total();
    });
    connect(row.intensity, &QLineEdit::textChanged, this, [row, total](const QString &score) {
        row.word->setText(receptor::intensityWord(score));
        total();
    });
}

void frmERAPRA::loadHook()
{
    ReceptorForm::loadHook();
    for (QComboBox *c : {ui->cboEstrogen, ui->cboProgesterone})
        c->addItems({QString(), QStringLiteral("NEGATIVE"), QStringLiteral("POSITIVE")});
}

QStringList frmERAPRA::results() const
{
    return {ui->cboEstrogen->currentText(), ui->cboProgesterone->currentText(), m_txtResult.text(0),
            m_txtResult.text(1),            ui->txtEstro_1->text(),             ui->txtPro_1->text(),
            m_txtResult.text(4),            m_txtResult.text(5),                m_txtResult.text(6)};
}

void frmERAPRA::showExtent(const Row &row, const QString &stored)
{
    if (stored.trimmed() == QLatin1String(receptor::kNoStaining))
        row.extent->setText(QStringLiteral("0"));
    else
        row.percent->setText(stored);
}

void frmERAPRA::showResults(const QStringList &r)
{
    showChoice(ui->cboEstrogen, r[0]);
    showChoice(ui->cboProgesterone, r[1]);
    showExtent(m_estrogen, r[2]);
    showExtent(m_progesterone, r[3]);
    ui->txtEstro_1->setText(r[4]);
    ui->txtPro_1->setText(r[5]);
    m_txtResult.setText(4, r[6]);
    m_txtResult.setText(5, r[7]);
    m_txtResult.setText(6, r[8]);
}

bool frmERAPRA::keyHook(QObject *watched, QKeyEvent *key)
{
    if (watched == ui->txtResult_0 || watched == ui->txtResult_1) {
        // A percentage: digits and the point only.
        const QString typed = key->text();
        const bool passes = typed.isEmpty() || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Tab ||
                            key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Delete ||
                            (typed.size() == 1 && QStringLiteral("1234567890.").contains(typed));
        if (!passes) {
            QApplication::beep();
            return true;
        }
        return false;
    }
    return ReceptorForm::keyHook(watched, key);
}

} // namespace corvane
