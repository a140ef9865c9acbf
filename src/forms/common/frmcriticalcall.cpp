#include "forms/common/frmcriticalcall.h"

#include "ui_frmcriticalcall.h"

#include "services/ui/messagebox.h"

#include <QHeaderView>

namespace corvane {

frmCriticalCall::frmCriticalCall(const QList<CriticalValue> &values, const QDateTime &serverNow, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmCriticalCall>()), m_values(values)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmCriticalCall"));
    setModal(true);
    ui->grdValues->setRowCount(static_cast<int>(values.size()));
    for (int r = 0; r < values.size(); ++r) {
        const CriticalValue &v = values[r];
        int c = 0;
        for (const QString &text : {v.caption, v.value, v.limit}) {
            auto *item = new QTableWidgetItem(text);
            if (c == 1) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            ui->grdValues->setItem(r, c++, item);
        }
    }
    ui->grdValues->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    ui->grdValues->verticalHeader()->hide();
    ui->dtCallDate->setDate(serverNow.date());
    ui->dtCallTime->setTime(serverNow.time());
    connect(ui->txtPerson, &QLineEdit::textChanged, this, &frmCriticalCall::updateOk);
    connect(ui->chkReadBack, &QCheckBox::toggled, this, &frmCriticalCall::updateOk);
    connect(ui->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    updateOk();
}

frmCriticalCall::~frmCriticalCall() = default;

// The call is documented only with a named recipient who read the values back.
void frmCriticalCall::updateOk()
{
    ui->cmdOK->setEnabled(!ui->txtPerson->text().trimmed().isEmpty() && ui->chkReadBack->isChecked());
}

std::optional<CriticalCallEntry> frmCriticalCall::runModal()
{
    if (showModal(*this) != QDialog::Accepted || !ui->cmdOK->isEnabled())
        return std::nullopt;
    return CriticalCallEntry{m_values, ui->txtPerson->text().trimmed(), ui->txtWard->text().trimmed(),
                             QDateTime(ui->dtCallDate->date(), ui->dtCallTime->time())};
}

} // namespace corvane
