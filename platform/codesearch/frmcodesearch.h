#pragma once
// The search window of the code-search library: one code list, narrowed as the user types.
// Arrows and Page keys move in the list from the search box, Enter (or a double click) chooses
// the current line, Esc closes without a choice.

#include "codesearch/codelists.h"
#include "session/codesearch.h"

#include <QDialog>
#include <QList>
#include <QStringList>

#include <memory>
#include <optional>

class QSortFilterProxyModel;
class QStandardItemModel;

namespace Ui {
class frmCodeSearch;
}

namespace kestrix {

class frmCodeSearch : public QDialog {
    Q_OBJECT

public:
    // fields names the values of each row; rows missing a shown field show it empty.
    frmCodeSearch(const CodeList &list, const QStringList &fields, const QList<QStringList> &rows,
                  const QString &startText, QWidget *parent = nullptr);
    ~frmCodeSearch() override;

    // The record chosen when the window closed with a choice.
    const std::optional<corvane::SearchRecord> &chosen() const { return m_chosen; }
    // Lines left after narrowing.
    int visibleCount() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void narrow(const QString &text);
    void choose();
    void updateCount();

    std::unique_ptr<Ui::frmCodeSearch> ui;
    QStringList m_fields;
    QList<QStringList> m_rows;
    QStandardItemModel *m_model;
    QSortFilterProxyModel *m_proxy;
    std::optional<corvane::SearchRecord> m_chosen;
};

} // namespace kestrix
