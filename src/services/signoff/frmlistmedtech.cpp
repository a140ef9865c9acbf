#include "services/signoff/frmlistmedtech.h"

#include "ui_frmlistmedtech.h"

#include "services/database/connection.h"
#include "services/lookups/dialogsupport.h"
#include "services/ui/messagebox.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace corvane {

namespace {
enum Column { Marker, EmployeeID, LastName, FirstName, MiddleName, License, ColumnCount };
} // namespace

frmListMedTech::frmListMedTech(Connection &db, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmListMedTech>()), m_db(db)
{
    ui->setupUi(this);
    QStringList headings;
    for (const QString &heading : kGridHeader.split(QLatin1Char('|')))
        headings.append(heading.trimmed());
    ui->grdDispWindow->setColumnCount(ColumnCount);
    ui->grdDispWindow->setHorizontalHeaderLabels(headings);
    ui->grdDispWindow->setColumnWidth(Marker, 16);
    ui->grdDispWindow->horizontalHeader()->setSectionResizeMode(Marker, QHeaderView::Fixed);
    ui->grdDispWindow->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    ui->grdDispWindow->installEventFilter(this);
    connect(ui->grdDispWindow, &QTableWidget::cellDoubleClicked, this, &frmListMedTech::choose);
    connect(ui->cmdSelect, &QPushButton::clicked, this, &frmListMedTech::choose);
    connect(ui->cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

frmListMedTech::~frmListMedTech() = default;

void frmListMedTech::Form_Load()
{
    Recordset rs = m_db.query(Command("LABORATORY..Lab_SearchMedTech '") << m_searchText << "'");
    QTableWidget &grid = *ui->grdDispWindow;
    grid.setRowCount(0);
    for (int row = 0; !rs.eof(); rs.moveNext(), ++row) {
        grid.insertRow(row);
        grid.setItem(row, Marker, new QTableWidgetItem());
        for (int c = EmployeeID; c < ColumnCount && c - 1 < rs.fieldCount(); ++c)
            grid.setItem(row, c, new QTableWidgetItem(rs.field(c - 1).toStringOr()));
    }
    rs.close();
    for (int c = EmployeeID; c < ColumnCount; ++c)
        grid.resizeColumnToContents(c);
    if (grid.rowCount() > 0)
        grid.setCurrentCell(0, LastName);
    grid.setFocus();
}

int frmListMedTech::runModal()
{
    Form_Load();
    return showModal(*this);
}

void frmListMedTech::choose()
{
    const QTableWidget &grid = *ui->grdDispWindow;
    const int row = grid.currentRow();
    if (row < 0)
        return; // an empty listing offers nothing to take
    const auto cell = [&](int column) { return currentRowText(grid, column); };
    m_medTechID = cell(EmployeeID).trimmed();
    m_medTech = cell(LastName) + QStringLiteral(", ") + cell(FirstName) + QLatin1Char(' ') + cell(MiddleName);
    m_license = cell(License);
    accept();
}

bool frmListMedTech::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->grdDispWindow && isEnterPress(*event)) {
        choose();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace corvane
