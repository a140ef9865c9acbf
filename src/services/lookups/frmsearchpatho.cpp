#include "services/lookups/frmsearchpatho.h"

#include "ui_frmsearchpatho.h"

#include "services/database/connection.h"
#include "services/ui/messagebox.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace corvane {

namespace {

bool isEnter(const QKeyEvent &key)
{
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

} // namespace

frmSearchPatho::frmSearchPatho(Connection &db, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmSearchPatho>()), m_db(db)
{
    ui->setupUi(this);
    ui->txtSearch->installEventFilter(this);
    ui->grdResults->installEventFilter(this);
    ui->grdResults->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    connect(ui->cmdSelect, &QPushButton::clicked, this, &frmSearchPatho::select);
    connect(ui->grdResults, &QTableWidget::cellDoubleClicked, this, &frmSearchPatho::select);
}

frmSearchPatho::~frmSearchPatho() = default;

void frmSearchPatho::setIsPathologist(const QString &value)
{
    const QString v = value.trimmed();
    bool numeric = false;
    const double number = v.toDouble(&numeric);
    m_isPathologist = numeric ? number != 0 : v.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0;
}

void frmSearchPatho::Form_Load()
{
    ui->txtSearch->setText(m_searchText);
    search(m_searchText);
    ui->txtSearch->setFocus();
}

int frmSearchPatho::runModal()
{
    Form_Load();
    const int result = showModal(*this);
    m_errors.rethrow();
    return result;
}

void frmSearchPatho::search(const QString &text)
{
    Recordset rs = m_db.query(Command(m_isPathologist ? "Lab_SearchDoctor '2', '" : "Lab_SearchDoctor '1', '")
                              << text << "'");
    if (rs.eof())
        return; // the grid keeps what it showed
    QStringList headings;
    for (int f = 0; f < rs.fieldCount(); ++f)
        headings.append(rs.fieldName(f));
    QTableWidget &grid = *ui->grdResults;
    grid.clear();
    grid.setRowCount(0);
    grid.setColumnCount(rs.fieldCount());
    grid.setHorizontalHeaderLabels(headings);
    for (int row = 0; !rs.eof(); rs.moveNext(), ++row) {
        grid.insertRow(row);
        for (int f = 0; f < rs.fieldCount(); ++f) {
            auto *item = new QTableWidgetItem(rs.field(f).toStringOr());
            item->setToolTip(item->text()); // the fixed widths may cut a long name
            grid.setItem(row, f, item);
        }
    }
    rs.close();
    for (int c = 0; c < grid.columnCount() && c <= 4; ++c)
        grid.setColumnWidth(c, twipsToPixelsX(grid, c == 0 ? 1000 : 2000));
    grid.setCurrentCell(0, 0);
}

void frmSearchPatho::select()
{
    const QTableWidget &grid = *ui->grdResults;
    const auto cell = [&](int column) { return currentRowText(grid, column); };
    if (grid.currentRow() >= 0) {
        m_resultCode = cell(0);
        m_resultText = QStringLiteral("PF: ") + cell(2) + QStringLiteral(", ") + cell(3) + QLatin1Char(' ') + cell(4);
    }
    accept();
}

bool frmSearchPatho::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto &key = *static_cast<QKeyEvent *>(event);
        if (watched == ui->txtSearch && isEnter(key)) {
            m_errors.run(*this, [&] { search(ui->txtSearch->text()); });
            return true;
        }
        if (watched == ui->txtSearch && key.key() == Qt::Key_Down && ui->grdResults->rowCount() > 0) {
            ui->grdResults->setFocus();
            return true;
        }
        if (watched == ui->grdResults && isEnter(key)) {
            select();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace corvane
