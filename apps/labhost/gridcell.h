#pragma once
// One cell of a grid on a screen, as a script names it: "grdEntry(2,3)". Rows and columns count as
// the grid shows them, headings included: row 0 is the heading row (a table's own header when it
// shows one), column 0 the heading column where there is one.

#include <QPoint>
#include <QString>

#include <optional>

class QAbstractItemView;
class QWidget;

namespace corvane {
class ExamEntry;
class GrdEntry;
}

namespace labhost {

struct CellName {
    QString control; // "grdEntry"
    int row = 0;
    int column = 0;
};
// "grdEntry(2,3)" -> {grdEntry, 2, 3}; nothing for any other name.
std::optional<CellName> cellName(const QString &scriptName);

// Clicks the widget at a point as the mouse does: the focus first, then press and release.
void clickAt(QWidget *widget, const QPoint &at);

class GridCell {
public:
    // The cell of a grid control (the grdEntry control or any item view); nothing, with the reason
    // in *why, for another kind of control or a cell outside the grid.
    static std::optional<GridCell> at(QWidget *control, int row, int column, QString *why);

    // What the cell shows: while its editor is open, the editor's text.
    QString text() const;
    bool isHeading() const;
    // Whether a technologist can type into it.
    bool editable() const;
    // Makes it the current cell with a click, as a technologist does, unless it already is.
    void go();
    // Where the keyboard is after go(): the cell's open editor, else the grid.
    QWidget *keyTarget() const;
    // Opens the editor of an editable cell (after go()); false when the cell has none.
    bool openEditor();
    // Puts a whole value into the cell: into the editor of a grdEntry cell (the screen takes it on
    // Enter or on leaving the cell, as it does with typing), into the model of another grid.
    void setValue(const QString &value);

private:
    GridCell() = default;
    bool isCurrent() const;
    QWidget *editorWidget() const;

    QWidget *m_control = nullptr;
    corvane::GrdEntry *m_entry = nullptr;
    // The exam-entry list: row 0 its headings, row i its line i-1; the entry column is column 2.
    corvane::ExamEntry *m_exams = nullptr;
    QAbstractItemView *m_view = nullptr;
    int m_row = 0;
    int m_column = 0;
    // Model coordinates; -1 for a cell of the table's own header.
    int m_modelRow = 0;
    int m_modelColumn = 0;
};

} // namespace labhost
