#include "mainwindow.h"

#include "ui_mainwindow.h"

#include "host/clsresultentry.h"
#include "services/database/connection.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>

namespace labhost {

namespace {
const QStringList kColumns = {QStringLiteral("Request"),   QStringLiteral("Patient"),  QStringLiteral("Exam"),
                              QStringLiteral("Section"),   QStringLiteral("FormType"), QStringLiteral("ValueType"),
                              QStringLiteral("Result"),    QStringLiteral("Verified")};
}

MainWindow::MainWindow(std::unique_ptr<corvane::Connection> worklistConnection, QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::MainWindow>()), m_db(std::move(worklistConnection))
{
    ui->setupUi(this);
    ui->grdWorklist->setColumnCount(static_cast<int>(kColumns.size()));
    ui->grdWorklist->setHorizontalHeaderLabels(kColumns);
    ui->grdWorklist->verticalHeader()->hide();
    ui->grdWorklist->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ui->grdWorklist->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch); // the exam name
    ui->grdWorklist->installEventFilter(this);

    connect(ui->txtFilter, &QLineEdit::textChanged, this, &MainWindow::refresh);
    connect(ui->cmdRefresh, &QPushButton::clicked, this, &MainWindow::refresh);
    connect(ui->cmdOpen, &QPushButton::clicked, this, &MainWindow::openSelected);
    connect(ui->grdWorklist, &QTableWidget::cellDoubleClicked, this, &MainWindow::openSelected);
    refresh();
}

MainWindow::~MainWindow() = default;

void MainWindow::refresh()
{
    corvane::Recordset rs;
    try {
        rs = m_db->query(corvane::Command("Lab_Host_GetWorklist '") << ui->txtFilter->text() << "'");
    } catch (const corvane::DatabaseError &e) {
        ui->lblStatus->setText(tr("Cannot read the worklist: %1").arg(e.description()));
        return;
    }
    QTableWidget *grid = ui->grdWorklist;
    grid->setRowCount(0);
    for (; !rs.eof(); rs.moveNext()) {
        const int row = grid->rowCount();
        grid->insertRow(row);
        for (int c = 0; c < rs.fieldCount(); ++c)
            grid->setItem(row, c, new QTableWidgetItem(rs.field(c).toStringOr()));
    }
    if (grid->rowCount() > 0 && grid->currentRow() < 0)
        grid->selectRow(0);
    ui->lblStatus->setText(tr("%n request(s)", nullptr, grid->rowCount()));
}

void MainWindow::refreshRow(int row)
{
    const QString request = ui->grdWorklist->item(row, 0)->text();
    corvane::Recordset rs = m_db->query(corvane::Command("Lab_Host_GetWorklist '") << request << "'");
    for (; !rs.eof(); rs.moveNext()) {
        if (rs.field(0).toStringOr() != request)
            continue;
        for (int c = 0; c < rs.fieldCount(); ++c)
            ui->grdWorklist->item(row, c)->setText(rs.field(c).toStringOr());
    }
}

corvane::clsResultEntry &MainWindow::component()
{
    // Created on first use, as a laboratory module creates it, and kept for the whole session.
    if (!m_component)
        m_component = std::make_unique<corvane::clsResultEntry>();
    return *m_component;
}

bool MainWindow::openSelected()
{
    const int row = ui->grdWorklist->currentRow();
    if (row < 0)
        return false;
    try {
        corvane::clsResultEntry &c = component();
        c.setEmployeeCode(ui->txtEmployeeCode->text());
        c.setEmployeeName(ui->txtEmployeeName->text());
        c.setCanVerify(ui->chkCanVerify->isChecked());
        c.setVerifyMode(ui->chkVerifyMode->isChecked());
        c.setEditMode(ui->chkEditMode->isChecked());
        c.setClerk(ui->chkClerk->isChecked());
        c.setEntryMode(static_cast<qint16>(ui->spnEntryMode->value()));
        QString examId = ui->txtExamID->text();
        c.Get_ExamID(examId);
        QString request = ui->grdWorklist->item(row, 0)->text();
        qint16 selector = static_cast<qint16>(ui->spnIntResult->value());
        c.Show_ResultEntry(request, selector);
    } catch (const std::exception &e) {
        QMessageBox::critical(this, tr("Result entry"), QString::fromStdString(e.what()));
    }
    refreshRow(row);
    return true;
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->grdWorklist && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return openSelected();
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace labhost
