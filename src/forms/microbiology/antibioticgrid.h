#pragma once
// The antibiotic table of the culture and sensitivity screen: one row per antibiotic, a code and a
// zone of inhibition for each of four organisms, typed through one editor laid over the current
// cell. Codes are S, I or R, with "*" when the result is not to be released.

#include <QObject>
#include <QString>

#include <functional>

class QKeyEvent;
class QLineEdit;
class QTableWidget;

namespace corvane {

class Recordset;

// One filled code of the table, as the save sends it.
struct SensitivityCode {
    QString antibiotic;
    QString result;
    QString organism; // "1" to "4": the column's header
    QString zone;
};

class AntibioticGrid : public QObject {
    Q_OBJECT

public:
    static constexpr int kColumns = 11;
    static constexpr int kFirstResultColumn = 3;

    // editor is laid over the table's cells; search is the antibiotic search box (may be null).
    AntibioticGrid(QTableWidget *table, QLineEdit *editor, QLineEdit *search);

    // Rows from a record set by position: code, description, then code and zone of organisms 1-4.
    void bind(Recordset &rs);
    // Columns, headers, widths and alignment; at least one data row; current column 3.
    void layOut();

    // A column whose header, trimmed, is "ZI".
    bool isZoneColumn(int column) const;
    bool isOpen(int column) const { return column >= kFirstResultColumn && column < kColumns; }
    static bool isValidCode(const QString &text);

    // Opens the editor on the current cell (columns 1 and 2 move to 3).
    void openEditor();
    void hideEditor();
    bool editorOpen() const;
    // Validates the open result cell: false, after "Invalid entry!", when the code is not one of ours.
    bool validate();
    // Keys typed in the editor; true when handled here.
    bool editorKey(QKeyEvent *key);
    // The first row whose description starts with the text becomes current and is highlighted.
    void search(const QString &text);
    // Enter in the search box: the first result column of the found row, editor open.
    void editFoundRow();

    // Every non-empty result cell, column by column.
    QList<SensitivityCode> codes() const;

    int currentRow() const;
    int currentColumn() const;
    void setCurrentCell(int row, int column);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void moveTo(int row, int column);
    void editorChanged(const QString &text);
    void placeEditor();

    QTableWidget *m_table;
    QWidget *m_viewport = nullptr;
    QLineEdit *m_editor;
    QLineEdit *m_search;
    bool m_placing = false;
};

} // namespace corvane
