#include "forms/bloodbank/frmcerb.h"

#include "ui_frmcerb.h"

namespace corvane {

frmCerb::frmCerb(QWidget *parent) : ReceptorForm(QStringLiteral("frmCerb"), parent), ui(std::make_unique<Ui::frmCerb>())
{
    ui->setupUi(this);
    initLifecycle();
}

frmCerb::~frmCerb() = default;

void frmCerb::loadHook()
{
    ReceptorForm::loadHook();
    ui->cboCerb->addItems({QString(), QStringLiteral("0 (Negative)"), QStringLiteral("1+ (Negative)"),
                           QStringLiteral("2+ (Weak positive)"), QStringLiteral("3+ (Positive)")});
    ui->cboCerbResult->addItems({QString(), QStringLiteral("NEGATIVE"), QStringLiteral("POSITIVE")});
}

// The score and interpretation take the first two slots; the block and control the seventh and eighth.
QStringList frmCerb::results() const
{
    return {ui->cboCerbResult->currentText(), ui->cboCerb->currentText(), QString(), QString(), QString(), QString(),
            ui->txtResult_1->text(), ui->txtResult_2->text(), QString()};
}

void frmCerb::showResults(const QStringList &r)
{
    showChoice(ui->cboCerbResult, r[0]);
    showChoice(ui->cboCerb, r[1]);
    ui->txtResult_1->setText(r[6]);
    ui->txtResult_2->setText(r[7]);
}

} // namespace corvane
