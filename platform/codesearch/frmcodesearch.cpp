#include "codesearch/frmcodesearch.h"

#include "ui_frmcodesearch.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>

namespace kestrix {

namespace {

constexpr int kRowRole = Qt::UserRole + 1;

// Keeps the lines that hold every word typed, in any shown column, without regard to case.
class WordFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setWords(const QString &text)
    {
        m_words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override
    {
        if (m_words.isEmpty())
            return true;
        QString line;
        for (int c = 0; c < sourceModel()->columnCount(); ++c)
            line += sourceModel()->index(sourceRow, c, sourceParent).data().toString() + QLatin1Char('\n');
        for (const QString &word : m_words) {
            if (!line.contains(word, Qt::CaseInsensitive))
                return false;
        }
        return true;
    }

private:
    QStringList m_words;
};

bool isMoveKey(int key)
{
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown;
}

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

frmCodeSearch::frmCodeSearch(const CodeList &list, const QStringList &fields, const QList<QStringList> &rows,
                             const QString &startText, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmCodeSearch>()), m_fields(fields), m_rows(rows),
      m_model(new QStandardItemModel(this)), m_proxy(new WordFilter(this))
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmCodeSearch"));
    setWindowTitle(QStringLiteral("Search %1").arg(list.name));

    QStringList headings;
    QList<int> positions;
    for (const CodeColumn &column : list.columns) {
        headings.append(column.heading);
        positions.append(fields.indexOf(column.field));
    }
    m_model->setHorizontalHeaderLabels(headings);
    for (int r = 0; r < rows.size(); ++r) {
        QList<QStandardItem *> items;
        for (int position : positions) {
            auto *item = new QStandardItem(position >= 0 ? rows[r].value(position) : QString());
            item->setData(r, kRowRole);
            items.append(item);
        }
        m_model->appendRow(items);
    }
    m_proxy->setSourceModel(m_model);
    ui->grdCodes->setModel(m_proxy);

    const int charWidth = ui->grdCodes->fontMetrics().averageCharWidth();
    for (int c = 0; c < list.columns.size(); ++c) {
        if (list.columns[c].widthChars > 0)
            ui->grdCodes->setColumnWidth(c, list.columns[c].widthChars * charWidth + 12);
    }
    ui->grdCodes->verticalHeader()->setDefaultSectionSize(ui->grdCodes->fontMetrics().height() + 6);

    ui->txtSearch->installEventFilter(this);
    ui->grdCodes->installEventFilter(this);
    connect(ui->txtSearch, &QLineEdit::textChanged, this, &frmCodeSearch::narrow);
    connect(ui->grdCodes, &QAbstractItemView::doubleClicked, this, &frmCodeSearch::choose);
    connect(ui->cmdSelect, &QPushButton::clicked, this, &frmCodeSearch::choose);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    ui->txtSearch->setText(startText);
    narrow(startText);
    ui->txtSearch->setFocus();
}

frmCodeSearch::~frmCodeSearch() = default;

int frmCodeSearch::visibleCount() const
{
    return m_proxy->rowCount();
}

void frmCodeSearch::narrow(const QString &text)
{
    static_cast<WordFilter *>(m_proxy)->setWords(text);
    if (m_proxy->rowCount() > 0)
        ui->grdCodes->setCurrentIndex(m_proxy->index(0, 0));
    updateCount();
}

void frmCodeSearch::updateCount()
{
    ui->lblCount->setText(QStringLiteral("%1 of %2").arg(m_proxy->rowCount()).arg(m_model->rowCount()));
}

void frmCodeSearch::choose()
{
    const QModelIndex current = ui->grdCodes->currentIndex();
    if (!current.isValid())
        return;
    const QStringList &row = m_rows.at(current.data(kRowRole).toInt());
    corvane::SearchRecord record;
    for (int f = 0; f < m_fields.size(); ++f)
        record.insert(m_fields[f], row.value(f));
    m_chosen = record;
    accept();
}

bool frmCodeSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (isEnter(key->key())) {
        choose();
        return true;
    }
    if (watched == ui->txtSearch && isMoveKey(key->key())) {
        // The list moves while the typing stays in the search box.
        QKeyEvent copy(QEvent::KeyPress, key->key(), key->modifiers());
        QCoreApplication::sendEvent(ui->grdCodes, &copy);
        return true;
    }
    const bool typed = key->key() == Qt::Key_Backspace || (!key->text().isEmpty() && key->text()[0].isPrint());
    if (watched == ui->grdCodes && typed) {
        // Typing in the list goes on in the search box.
        ui->txtSearch->setFocus();
        QKeyEvent copy(QEvent::KeyPress, key->key(), key->modifiers(), key->text());
        QCoreApplication::sendEvent(ui->txtSearch, &copy);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kestrix
