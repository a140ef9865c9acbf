#pragma once
// The exam-entry list of the exam-set screens: one line per exam of a request, with its name, an
// entry box, the flag, the normal value and the unit. It reads its lines itself through the source
// the screen hands it; the screen judges the entries and reacts to the keys typed on a line.

#include <QColor>
#include <QFrame>
#include <QList>
#include <QString>

#include <memory>

class QGridLayout;
class QLabel;
class QLineEdit;
class QScrollArea;

namespace corvane {

// One exam line as the source delivers it and the screen saves it.
struct ExamLine {
    QString requestNum;
    QString code;     // the exam code of the line
    QString exam;     // its name
    QString formType; // the line's format code
    QString entry;    // the result as typed or stored
    QString normalValue;
    QString unit;
    QString minimum;
    QString maximum;
    QString flag; // "HIGH", "LOW" or empty
};

// Reads the lines of a request: the stored ones when it has a result, else the exam's format for
// the entry mode. Errors are thrown; the list does not catch them.
class ExamLineSource {
public:
    virtual ~ExamLineSource() = default;
    virtual QList<ExamLine> examLines(const QString &requestNum, int entryMode) = 0;
};

// Screens promote a QFrame to corvane::ExamEntry (header "controls/examentry.h"). A line's entry
// box is named txtEntry_<line>, lines counting from 0.
//
// Keys typed in an entry box arrive first as KeyDown (every key; set keyCode to 0 to swallow it),
// then, for keys that type a character and for Enter (13) and Backspace (8), as KeyPress: set
// keyAscii to 0 to discard the character, or to another character to type that one instead.
// Connect both with Qt::DirectConnection. Up and Down move between lines when nobody swallowed them.
class ExamEntry : public QFrame {
    Q_OBJECT

public:
    enum Column { ColNumber, ColExam, ColEntry, ColFlag, ColNormalValue, ColUnit, ColumnCount };

    explicit ExamEntry(QWidget *parent = nullptr);
    ~ExamEntry() override;

    void connectTo(std::shared_ptr<ExamLineSource> source);
    bool isConnected() const { return m_source != nullptr; }
    // Reads and shows the lines of the request; the first line becomes the current one.
    void Load(int entryMode, const QString &requestNum);
    // Shows these lines in place of any others.
    void setLines(const QList<ExamLine> &lines);

    int count() const { return static_cast<int>(m_lines.size()); }
    // The line with the entry as typed so far. Lines out of range throw std::out_of_range.
    ExamLine line(int index) const;
    QString entry(int index) const;
    void setEntry(int index, const QString &text);
    QString normalValue(int index) const;
    void setNormalValue(int index, const QString &text);
    QString unit(int index) const;
    void setUnit(int index, const QString &text);
    void setRange(int index, const QString &minimum, const QString &maximum);
    QString flag(int index) const;
    void setFlag(int index, const QString &flag);

    // The line's entry box and flag are drawn in these colours (24-bit colours of the screens).
    void setLineColors(int index, const QColor &fore, const QColor &back);
    QColor lineBackColor(int index) const;

    // Column widths in twips; 0 hides the column. The number column starts hidden.
    void setColWidth(int column, int twips);
    int ColWidth(int column) const;
    // Lays the lines out in fixed columns of these widths (twips), from the number column on;
    // the columns after them keep their widths.
    void setFixedColumns(const QList<int> &twips);
    bool hasFixedColumns() const { return m_fixed; }

    int currentLine() const { return m_current; }
    // Makes the line current and puts the focus in its entry box.
    void setCurrentLine(int index);
    QLineEdit *entryBox(int index) const;

Q_SIGNALS:
    void KeyDown(int line, int &keyCode, Qt::KeyboardModifiers &shift);
    void KeyPress(int line, int &keyAscii);
    // The current line moved (the focus went to another entry box).
    void LineChanged(int line);
    // The text of a line's entry box changed, by typing or by setEntry.
    void EntryChanged(int line);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Row {
        QLabel *number = nullptr;
        QLabel *exam = nullptr;
        QLineEdit *entry = nullptr;
        QLabel *flag = nullptr;
        QLabel *normal = nullptr;
        QLabel *unit = nullptr;
    };
    void checkIndex(int index) const;
    int lineOf(const QObject *watched) const;
    void applyWidths();
    void applyColors(int index);
    int pixelsFromTwips(int twips) const;
    QList<QWidget *> columnWidgets(int column) const;
    void clearRows();

    std::shared_ptr<ExamLineSource> m_source;
    QScrollArea *m_scroll = nullptr;
    QWidget *m_body = nullptr;
    QGridLayout *m_grid = nullptr;
    QList<QLabel *> m_headings;
    QList<ExamLine> m_lines;
    QList<Row> m_rows;
    QList<std::pair<QColor, QColor>> m_colors;
    int m_widths[ColumnCount] = {0, 3600, 1800, 800, 1800, 1200};
    bool m_fixed = false;
    int m_current = -1;
};

} // namespace corvane
