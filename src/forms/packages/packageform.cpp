#include "forms/packages/packageform.h"

#include "forms/common/screenroutines.h"
#include "session/sessioncontext.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>

namespace corvane {

namespace {

// The grid's column widths in twips, in column order; zero hides a column.
constexpr std::array<int, 12> kColumnTwips{0, 0, 3500, 0, 0, 0, 1200, 1000, 1000, 825, 825, 900};
// The screen's fonts run wider than the original's: a twip here is a tenth of a pixel, not a fifteenth.
constexpr double kPixelsPerTwip = 1.0 / 10.0;
constexpr int kTestNameColumn = 2;
constexpr int kFirstResultColumn = 6;

// Colours given as the original's BGR values.
QColor fromBgr(int bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}
const QColor kTestNameShade = fromBgr(12244461);
const QColor kFocusedField = fromBgr(12648447);

// The blood count's columns, as the stored blood count returns them.
constexpr std::array<const char *, 21> kBloodCountColumns{
    "HGB",        "HCT",      "WBC",       "Diff", "Band", "Segmenter", "Basophil",
    "Eosinophil", "Lymphocyte", "Monocyte", "Total", "Platelets", "MCV", "MCH",
    "MCHC",       "Remarks",  "RBC",       "MPV",  "RDW",  "Reticulocyte", "ESR"};
// The urinalysis fields in saving and loading order: a number is txtUrine(n), a name a combo.
constexpr std::array<const char *, 21> kUrineColumns{
    "Quantity", "Color", "Appearance", "Reaction", "Gravity", "Protein", "Glucose",
    "Ketones",  "Blood", "Leucocytes", "Nitrite", "Urobilinogen", "Bilirubin", "RBC",
    "WBC",      "Epith", "Mucus",      "Crystals", "Bacteria", "MicroCast", "Remarks"};
constexpr std::array<const char *, 15> kStoolColumns{"Color", "Consistency", "Mucus", "Pus", "Undigested",
                                                     "Blood", "Parasites", "RBC", "WBC", "Ova",
                                                     "Occult", "Fat", "Urobilinogen", "Bilirubin", "Remarks"};
// The combos among the urinalysis fields, by position in kUrineColumns.
constexpr std::array<int, 5> kComboPositions{1, 2, 4, 5, 6};
constexpr std::array<const char *, 5> kComboNames{"cboColor", "cboAppear", "cboGravity", "cboProtein", "cboGlucose"};

// Shows a stored value even when the pick list no longer offers it.
void setComboText(QComboBox *combo, const QString &text)
{
    int at = combo->findText(text);
    if (at < 0) {
        combo->addItem(text);
        at = combo->count() - 1;
    }
    combo->setCurrentIndex(at);
}

QString textOf(const QWidget *w)
{
    if (const auto *combo = qobject_cast<const QComboBox *>(w))
        return combo->currentText();
    if (const auto *line = qobject_cast<const QLineEdit *>(w))
        return line->text();
    return {};
}

} // namespace

PackageForm::PackageForm(const QString &screenName, PackageTraits traits, QWidget *parent)
    : ResultForm(screenName, parent), m_traits(std::move(traits))
{
}

PackageForm::~PackageForm() = default;

void PackageForm::initPackage()
{
    m_grid = findChild<QTableWidget *>(QStringLiteral("grdTest"));
    m_entry = findChild<QLineEdit *>(QStringLiteral("txtEntry"));
    m_tabs = findChild<QTabWidget *>(QStringLiteral("SSTab2"));
    m_txtResult = std::make_unique<ResultFields>(*this, "txtResult");
    m_txtUrine = std::make_unique<ResultFields>(*this, "txtUrine");
    m_txtStool = std::make_unique<ResultFields>(*this, "txtStool");
    for (std::size_t i = 0; i < kComboNames.size(); ++i)
        m_combos[i] = findChild<QComboBox *>(QLatin1String(kComboNames[i]));

    // The entry box floats over the cell it edits and scrolls with the grid.
    m_entry->setParent(m_grid->viewport());
    m_entry->hide();
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    connect(m_grid, &QTableWidget::currentCellChanged, this,
            [this](int row, int column, int previousRow, int previousColumn) {
                guarded([&] { cellChanged(row, column, previousRow, previousColumn); });
            });
    // A click on the cell the box already stands over brings the box back.
    connect(m_grid, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (isEditable(column))
            placeEntry(row, column);
    });
    for (QScrollBar *bar : {m_grid->verticalScrollBar(), m_grid->horizontalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            if (m_entryRow >= 0 && m_entry->isVisible())
                m_entry->setGeometry(m_grid->visualItemRect(m_grid->item(m_entryRow, m_entryColumn)));
        });
    connect(m_entry, &QLineEdit::editingFinished, this, [this] { commitEntry(); });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { highlight(now); });
    initLifecycle();
}

void PackageForm::preparePages(const QString &) {}

void PackageForm::loadHook()
{
    ResultForm::loadHook();
    // The pickers start at the workstation's time, stored result or not.
    const QDateTime now = QDateTime::currentDateTime();
    for (const PickerPair &pair : {kReport, kSubmitted, kLra, kFinished})
        setPickerPair(pair, now);

    Connection &db = SessionContext::current().db();
    // Protein and glucose share the list of result code 4.
    const std::array<std::pair<const char *, QList<QComboBox *>>, 4> lists{{
        {"0", {m_combos[0]}},
        {"1", {m_combos[1]}},
        {"3", {m_combos[2]}},
        {"4", {m_combos[3], m_combos[4]}},
    }};
    for (const auto &[code, combos] : lists) {
        Recordset rs = db.query(Command("select * from tbLab_BuildUrinalysis where ResultCode = '") << QString::fromLatin1(code)
                                                                                                    << "'");
        for (; !rs.eof(); rs.moveNext()) {
            for (QComboBox *combo : combos)
                combo->addItem(rs.field(QStringLiteral("ResultValue")).toStringOr());
        }
    }
    for (QComboBox *combo : m_combos)
        combo->setCurrentIndex(-1);

    m_entry->hide();
    m_code = choosePackageCode();
    preparePages(m_code);
    if (!m_code.isEmpty()) {
        Recordset rs = db.query(Command(m_traits.packageQuery) << m_code << "'");
        bindGrid(rs);
    } else {
        formatGrid();
    }

    for (const char *name : {"lblLabels_0", "lblLabels_1", "lblLabels_3", "txtAccNum", "dtSubmitted",
                             "dtSubmittedTime", "dtFinishedDate", "dtFinishedTime"}) {
        if (auto *w = findChild<QWidget *>(QLatin1String(name)))
            w->hide();
    }
}

void PackageForm::bindGrid(const Recordset &rs)
{
    const labdb::ResultSet &set = rs.rows();
    m_entry->hide();
    m_entryRow = m_entryColumn = -1;
    const QSignalBlocker quiet(m_grid);
    m_grid->clear();
    m_grid->setColumnCount(rs.fieldCount());
    QStringList headings;
    for (int c = 0; c < rs.fieldCount(); ++c)
        headings << rs.fieldName(c);
    m_grid->setHorizontalHeaderLabels(headings);
    m_grid->setRowCount(rs.recordCount());
    for (int r = 0; r < rs.recordCount(); ++r) {
        for (int c = 0; c < rs.fieldCount(); ++c) {
            const Field value(&set.rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)], headings[c]);
            m_grid->setItem(r, c, new QTableWidgetItem(value.toStringOr()));
        }
    }
    formatGrid();
}

void PackageForm::formatGrid()
{
    for (int c = 0; c < m_grid->columnCount() && c < static_cast<int>(kColumnTwips.size()); ++c) {
        const int twips = kColumnTwips[static_cast<std::size_t>(c)];
        m_grid->setColumnHidden(c, twips == 0);
        if (twips > 0)
            m_grid->setColumnWidth(c, static_cast<int>(twips * kPixelsPerTwip));
    }
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        if (QTableWidgetItem *name = m_grid->item(r, kTestNameColumn))
            name->setBackground(kTestNameShade);
    }
    if (m_grid->rowCount() > 0 && m_grid->columnCount() > kFirstResultColumn) {
        m_grid->setCurrentCell(0, kFirstResultColumn);
        cellChanged(0, kFirstResultColumn, -1, -1);
    }
}

void PackageForm::cellChanged(int row, int column, int, int)
{
    commitEntry();
    m_entry->clear();
    if (row >= 0 && isEditable(column)) {
        placeEntry(row, column);
    } else {
        m_entry->hide();
        m_entryRow = m_entryColumn = -1;
    }
}

void PackageForm::placeEntry(int row, int column)
{
    QTableWidgetItem *cell = m_grid->item(row, column);
    if (!cell)
        return;
    m_entryRow = row;
    m_entryColumn = column;
    m_entry->setGeometry(m_grid->visualItemRect(cell));
    m_entry->setText(cell->text());
    m_entry->show();
    m_entry->setFocus();
}

// The box's text goes into the cell it stands over.
void PackageForm::commitEntry()
{
    // Hidden with its page (another tab open) the box still holds what was typed.
    if (m_entryRow < 0 || m_entry->isHidden())
        return;
    if (QTableWidgetItem *cell = m_grid->item(m_entryRow, m_entryColumn))
        cell->setText(m_entry->text());
}

bool PackageForm::entryKey(QKeyEvent *key)
{
    const int row = m_grid->currentRow();
    const int column = m_grid->currentColumn();
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
        // On the last row the text waits in the box until it loses the focus.
        if (row >= 0 && row + 1 < m_grid->rowCount())
            m_grid->setCurrentCell(row + 1, column);
        return true;
    case Qt::Key_Up:
        if (row > 0)
            m_grid->setCurrentCell(row - 1, column);
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        // Across the row's editable columns; past the last one the focus leaves the grid.
        const int next = m_traits.editableColumns.indexOf(column) + (key->key() == Qt::Key_Tab ? 1 : -1);
        if (next < 0 || next >= m_traits.editableColumns.size())
            return false;
        m_grid->setCurrentCell(row, m_traits.editableColumns[next]);
        return true;
    }
    default:
        return false;
    }
}

Command PackageForm::resultQuery() const
{
    return Command(m_traits.storedQuery) << SessionContext::current().RequestNum << "','" << m_code << "'";
}

// No sample number and no stored times: the pickers keep the workstation's time.
void PackageForm::fillStoredHeader(const Recordset &) {}

// No test row stored (a package without tests) still leaves the pages' stored results to show.
void PackageForm::fillNewResult(const QDateTime &)
{
    loadPages();
}

void PackageForm::fillResultFields(const Recordset &row)
{
    bindGrid(row);
    loadPages();
}

void PackageForm::loadPages()
{
    Connection &db = SessionContext::current().db();
    const QString &request = SessionContext::current().RequestNum;
    Recordset cbc = db.query(Command("LABORATORY..Lab_GetResultExecutiveCBC '") << request << "'");
    if (!cbc.eof()) {
        for (int i = 0; i < m_traits.bloodCountFields; ++i)
            m_txtResult->setText(i, cbc.field(QLatin1String(kBloodCountColumns[static_cast<std::size_t>(i)])).toStringOr());
    }
    Recordset urine = db.query(Command("LABORATORY..Lab_GetResultExecutiveUrine '") << request << "'");
    if (!urine.eof()) {
        const QList<QWidget *> fields = urineFields();
        for (int i = 0; i < fields.size(); ++i) {
            const QString text = urine.field(QLatin1String(kUrineColumns[static_cast<std::size_t>(i)])).toStringOr();
            if (auto *combo = qobject_cast<QComboBox *>(fields[i]))
                setComboText(combo, text);
            else
                qobject_cast<QLineEdit *>(fields[i])->setText(text);
        }
    }
    if (m_traits.withStool) {
        Recordset stool = db.query(Command("LABORATORY..Lab_GetResultExecutiveStool '") << request << "'");
        if (!stool.eof()) {
            for (int i = 0; i < m_txtStool->count(); ++i)
                m_txtStool->setText(i, stool.field(QLatin1String(kStoolColumns[static_cast<std::size_t>(i)])).toStringOr());
        }
    }
}

QList<QWidget *> PackageForm::urineFields() const
{
    QList<QWidget *> fields;
    int text = 0;
    std::size_t combo = 0;
    for (std::size_t i = 0; i < kUrineColumns.size(); ++i) {
        if (combo < kComboPositions.size() && static_cast<int>(i) == kComboPositions[combo])
            fields << m_combos[combo++];
        else
            fields << m_txtUrine->field(text++);
    }
    return fields;
}

bool PackageForm::readyToSave()
{
    commitEntry();
    return true;
}

QList<Command> PackageForm::saveCommands(int, const SaveTexts &) const
{
    const QString &request = SessionContext::current().RequestNum;
    QList<Command> commands;
    commands << (Command(m_traits.clearRows) << request << "'");
    // Every row, also those left empty, so that a reload shows the whole package.
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        Command row(m_traits.saveRow);
        row << request;
        for (int c : m_traits.savedColumns) {
            const QTableWidgetItem *cell = m_grid->item(r, c);
            row << "','" << (cell ? cell->text() : QString());
        }
        commands << (row << "'");
    }
    Command cbc(m_traits.saveBloodCount);
    cbc << request;
    for (int i = 0; i < m_traits.bloodCountFields; ++i)
        cbc << "','" << m_txtResult->text(i);
    commands << (cbc << "'");
    Command urine("LAB_Save_ResultExecutiveUrine '");
    urine << request;
    for (const QWidget *field : urineFields())
        urine << "','" << textOf(field);
    commands << (urine << "'");
    if (m_traits.withStool) {
        Command stool("LAB_Save_ResultExecutiveStool '");
        stool << request;
        for (int i = 0; i < m_txtStool->count(); ++i)
            stool << "','" << m_txtStool->text(i);
        commands << (stool << "'");
    }
    return commands;
}

ReportRequest PackageForm::report() const
{
    Recordset name = SessionContext::current().db().query(Command("BUILD_FILE..global_SearchLABExam '") << m_code
                                                                                                        << "', '2'");
    const QString packageName = name.eof() ? QString() : name.field(QStringLiteral("LabExam")).toStringOr();
    return {QLatin1String(m_traits.reportFile), QLatin1String(m_traits.reportTitle),
            {SessionContext::current().RequestNum, m_code, packageName}};
}

QString PackageForm::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

bool PackageForm::keyHook(QObject *watched, QKeyEvent *key)
{
    if (watched == m_entry)
        return entryKey(key);
    if (!isEnterKey(key))
        return false;
    auto *w = qobject_cast<QWidget *>(watched);
    const bool field = m_txtResult->indexOf(watched) >= 0 || m_txtUrine->indexOf(watched) >= 0 ||
                       m_txtStool->indexOf(watched) >= 0 ||
                       std::any_of(m_combos.begin(), m_combos.end(),
                                   [w](QComboBox *c) { return w && (w == c || c->isAncestorOf(w)); });
    if (field) {
        focusNextChild();
        return true;
    }
    return false;
}

// The box with the focus stands out; the others of its array, and the combos left, do not.
void PackageForm::highlight(QWidget *focused)
{
    if (!focused || !isAncestorOf(focused))
        return;
    const auto paint = [](QWidget *w, bool on) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, on ? kFocusedField : QApplication::palette(w).color(QPalette::Base));
        w->setPalette(p);
    };
    for (const ResultFields *array : {m_txtResult.get(), m_txtUrine.get(), m_txtStool.get()}) {
        if (array->indexOf(focused) < 0)
            continue;
        for (int i = 0; i < array->count(); ++i)
            paint(array->field(i), array->field(i) == focused);
    }
    for (QComboBox *combo : m_combos)
        paint(combo, combo == focused || combo->isAncestorOf(focused));
}

} // namespace corvane
