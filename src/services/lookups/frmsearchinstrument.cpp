#include "services/lookups/frmsearchinstrument.h"

#include "ui_frmsearchinstrument.h"

#include "services/database/connection.h"
#include "services/lookups/dialogsupport.h"
#include "services/ui/messagebox.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLayout>
#include <QScrollBar>

namespace corvane {

namespace {
// The table is read by position, counting from 0.
constexpr int kInstrumentIDColumn = 1;
constexpr int kInstrumentNameColumn = 2;
constexpr int kReagentCodeColumn = 7;
} // namespace

frmSearchInstrument::frmSearchInstrument(Connection &db, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmSearchInstrument>()), m_db(db)
{
    ui->setupUi(this);
    ui->grdInstrument->installEventFilter(this);
    ui->grdInstrument->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    connect(ui->cmdSelect, &QPushButton::clicked, this, &frmSearchInstrument::select);
    connect(ui->grdInstrument, &QTableWidget::cellDoubleClicked, this, &frmSearchInstrument::select);
    connect(ui->cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

frmSearchInstrument::~frmSearchInstrument() = default;

void frmSearchInstrument::Form_Load()
{
    Recordset rs = m_db.query(Command("select * from LABORATORY.dbo.tbLabInstrumentName"));
    QStringList headings;
    for (int f = 0; f < rs.fieldCount(); ++f)
        headings.append(rs.fieldName(f));
    ui->grdInstrument->clear();
    ui->grdInstrument->setColumnCount(rs.fieldCount());
    ui->grdInstrument->setHorizontalHeaderLabels(headings);
    ui->grdInstrument->setRowCount(0);
    for (int row = 0; !rs.eof(); rs.moveNext(), ++row) {
        ui->grdInstrument->insertRow(row);
        for (int f = 0; f < rs.fieldCount(); ++f)
            ui->grdInstrument->setItem(row, f, new QTableWidgetItem(rs.field(f).toStringOr()));
    }
    rs.close();
    QTableWidget &grid = *ui->grdInstrument;
    grid.resizeColumnsToContents();
    // Wide enough to show every column, within reason.
    int width = grid.frameWidth() * 2 + grid.verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < grid.columnCount(); ++c)
        width += grid.columnWidth(c);
    const QMargins margins = layout()->contentsMargins();
    resize(qBound(this->width(), width + margins.left() + margins.right(), 1100), height());
    if (ui->grdInstrument->rowCount() > 0)
        ui->grdInstrument->setCurrentCell(0, kInstrumentNameColumn);
    ui->grdInstrument->setFocus();
}

int frmSearchInstrument::runModal()
{
    Form_Load();
    return showModal(*this);
}

void frmSearchInstrument::select()
{
    // With no instruments the current row is empty, and so is what it gives.
    const auto cell = [&](int column) { return currentRowText(*ui->grdInstrument, column); };
    m_instrumentID = cell(kInstrumentIDColumn).trimmed();
    m_instrumentName = cell(kInstrumentNameColumn);
    m_reagentCode = cell(kReagentCodeColumn);
    accept();
}

bool frmSearchInstrument::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->grdInstrument && isEnterPress(*event)) {
        select();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace corvane
