#pragma once
// The editable result grid of the quantitative screens: a read-only table with heading rows and
// columns, and an editor laid over the current cell. It owns no results: the screen fills the
// cells, says per column what may be edited, and copies what was typed back in its handlers.

#include <QColor>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <QWidget>

#include <array>
#include <utility>

class QLineEdit;
class QPushButton;
class QSettings;
class QTableView;

namespace corvane {

// Where a control keeps the properties its screen saves and restores with it (Qt has no saved
// state for a container, so the screen hands one of these to readProperties/writeProperties).
// A key that is absent reads as the default; writing the default removes the key again.
class PropertyBag {
public:
    virtual ~PropertyBag() = default;
    virtual QVariant readProperty(const QString &key, const QVariant &defaultValue) const = 0;
    virtual void writeProperty(const QString &key, const QVariant &value, const QVariant &defaultValue) = 0;
};

// In memory, for screens that keep their state themselves, and for tests.
class VariantMapPropertyBag : public PropertyBag {
public:
    VariantMapPropertyBag() = default;
    explicit VariantMapPropertyBag(QVariantMap values) : m_values(std::move(values)) {}
    QVariant readProperty(const QString &key, const QVariant &defaultValue) const override;
    void writeProperty(const QString &key, const QVariant &value, const QVariant &defaultValue) override;
    const QVariantMap &values() const { return m_values; }

private:
    QVariantMap m_values;
};

// Over a settings file, under one group (usually the screen's and the control's names).
class SettingsPropertyBag : public PropertyBag {
public:
    SettingsPropertyBag(QSettings &settings, QString group) : m_settings(settings), m_group(std::move(group)) {}
    QVariant readProperty(const QString &key, const QVariant &defaultValue) const override;
    void writeProperty(const QString &key, const QVariant &value, const QVariant &defaultValue) override;

private:
    QString path(const QString &key) const;
    QSettings &m_settings;
    QString m_group;
};

// Colours as the screens and saved properties give them: 24-bit, blue-green-red byte order.
QColor colorFromBgr(int bgr);
int colorToBgr(const QColor &color);

namespace grdentry_detail {
class GridModel;
class GridView;
class EntryEdit;
class SpinButtons;
} // namespace grdentry_detail

// Screens promote a QWidget to corvane::GrdEntry (header "forms/common/grdentry.h"). Children are
// named grdEntry (the table), txtEntry, cmdEntry and UpDown.
//
// Units: ColWidth is in twips (1440 to the inch) as the screens' layouts give it; mouse
// positions are pixels of the table.
// Events are signals; arguments the screen may change are references (direct connections only):
// set keyAscii in KeyPress, or keyCode in KeyDown, to 0 to swallow the key. A keyCode changed to
// another key is the key the navigation acts on. Enter arrives as Qt::Key_Return from either key.
// KeyDown also comes for keys the table itself gets while no editor is open.
// On Enter the move happens before LeaveCell, so screens copy Text into the cell in KeyDown.
class GrdEntry : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int FixedCols READ FixedCols WRITE setFixedCols)
    Q_PROPERTY(int FixedRows READ FixedRows WRITE setFixedRows)
    Q_PROPERTY(QString FormatString READ FormatString WRITE setFormatString)
    Q_PROPERTY(int Rows READ Rows WRITE setRows)
    Q_PROPERTY(int Cols READ Cols WRITE setCols)
    Q_PROPERTY(int col READ col WRITE setCol)
    Q_PROPERTY(int Row READ Row WRITE setRow)
    Q_PROPERTY(QString Text READ Text WRITE setText)
    Q_PROPERTY(int Increment READ Increment WRITE setIncrement)
    Q_PROPERTY(QColor BackColor_TextEntry READ BackColor_TextEntry WRITE setBackColor_TextEntry)
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE setForeColor)

public:
    // Per-column settings exist for columns 0 to MaxColumn; other indexes throw std::out_of_range.
    // A table may have more columns, but those never open an editor.
    static constexpr int MaxColumn = 100;

    enum ColumnFormat { DigitsOnly = 0, UpperCase = 1, Decimal = 2 };
    enum ColumnControl { ButtonEditor = 0, SpinEditor = 1, PlainEditor = 2 };

    explicit GrdEntry(QWidget *parent = nullptr);
    ~GrdEntry() override;

    void setEnableColumn(int index, bool enabled);
    bool EnableColumn(int index) const;
    void setColumnformat(int index, int format);
    int columnformat(int index) const;
    void setColumnControl(int index, int control);
    int columnControl(int index) const;

    // Tab-separated cell texts; the row is inserted at index, or appended when index is -1.
    void AddItem(const QString &item, int index = -1);
    // Empties every cell (headings too) and hides the editor, the button and the spin.
    void Clear();

    int FixedCols() const;
    void setFixedCols(int count);
    int FixedRows() const;
    void setFixedRows(int count);
    // "<Code|^Exam|>Result;Row 1|Row 2": headings of row 0 (< left, ^ centre, > right), sized to
    // their text, then optional headings of column 0 after ";". Sets Cols (and Rows).
    QString FormatString() const;
    void setFormatString(const QString &format);
    int Rows() const;
    void setRows(int count);
    QString TextMatrix(int row, int column) const;
    void setTextMatrix(int row, int column, const QString &text);
    // A mark drawn after a cell's text in red (a result's H or L); TextMatrix never includes it.
    // Cleared with the texts; an empty note removes it.
    void setCellNote(int row, int column, const QString &note);
    QString CellNote(int row, int column) const;
    // The text shown when the pointer rests on a cell; cleared with the texts.
    void setCellToolTip(int row, int column, const QString &tip);
    QString CellToolTip(int row, int column) const;
    // The table is flat: one band.
    int Bands() const;
    int Cols() const;
    void setCols(int count);
    int col() const;
    void setCol(int column);
    int Row() const;
    void setRow(int row);
    int ColWidth(int index) const;
    void setColWidth(int index, int twips);
    QString Text() const;
    void setText(const QString &text);
    int Increment() const;
    void setIncrement(int step);
    // 0-2 left, 3-5 centre, 6-8 right (top, middle, bottom within each); anything else left.
    void setColAlignment(int index, int alignment);
    QColor BackColor_TextEntry() const;
    void setBackColor_TextEntry(const QColor &color);
    QColor ForeColor() const;
    void setForeColor(const QColor &color);

    // Keys "FixedCols", "FixedRows", "FormatString", "Rows", "0TextMatrix" (the current cell at
    // the time of reading), "Cols", "Col", "Row", "0ColWidth", "Text", "Increment",
    // "BkgColor_txtEntry", "ForeColor", read in that order.
    void readProperties(const PropertyBag &bag);
    void writeProperties(PropertyBag &bag) const;

Q_SIGNALS:
    void KeyPress(int &keyAscii);
    void ButtonClick();
    void Click();
    void KeyDown(int &keyCode, Qt::KeyboardModifiers &shift);
    void DownClick();
    void UpClick();
    void MouseDown(Qt::MouseButton &button, Qt::KeyboardModifiers &shift, float &x, float &y);
    void Change();
    void Show();
    void EnterCell();
    void LeaveCell();
    void RowColChange();
    // Kept for the screens' declarations; the control never raises it. Focus arriving from
    // outside the control is focusEntered, raised after the editor is placed.
    void GotFocus();

    void focusEntered();
    // A property the screen would save has changed (the key names as above, "TextMatrix" and
    // "ColWidth" without the 0).
    void propertyChanged(const QString &key);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class grdentry_detail::GridView;
    friend class grdentry_detail::EntryEdit;
    friend class grdentry_detail::SpinButtons;

    static void checkIndex(int index);
    int pixelsFromTwips(int twips) const;
    int twipsFromPixels(int pixels) const;
    bool columnEnabled(int column) const;

    // The current cell; moving it raises RowColChange unless an Enter move is under way.
    void moveTo(int row, int column);
    void syncViewCurrent();
    void enterCell();
    void leaveCell();
    void placeEditor();
    void layoutEditorOverCell();
    void relayoutEditor();
    void ensureVisible(int row, int column);
    void hideEditor();
    void hideAll();
    int nextEnabledColumn(int start);
    QRect cellRect(int row, int column) const;
    QTableView *viewFor(int row, int column) const;
    void applyLayout();
    void clampCurrent();
    void applyFormatString(const QString &format);
    int defaultColumnTwips() const;

    void editorKeyPress(QKeyEvent *event);
    bool filterKey(int &keyAscii) const;
    void gridKeyPress(QKeyEvent *event);
    void gridAboutToMove();
    void gridCurrentChanged(const QModelIndex &current);
    void gridMousePress(QMouseEvent *event, QWidget *source);
    void spinStep(int steps);
    void focusArrived(QWidget *now);

    grdentry_detail::GridModel *m_model = nullptr;
    grdentry_detail::GridView *m_grid = nullptr;
    grdentry_detail::EntryEdit *m_edit = nullptr;
    QPushButton *m_button = nullptr;
    grdentry_detail::SpinButtons *m_spin = nullptr;

    std::array<bool, MaxColumn + 1> m_enableColumn{};
    std::array<int, MaxColumn + 1> m_columnFormat{};
    std::array<int, MaxColumn + 1> m_columnControl{};

    int m_row = 0;
    int m_col = 0;
    int m_fixedRows = 1;
    int m_fixedCols = 1;
    int m_increment = 1;
    QString m_formatString;
    QColor m_backColor;
    QColor m_foreColor;

    bool m_settingCurrent = false;
    bool m_enterMove = false;
    bool m_userMove = false;
    bool m_focusInside = false;
    bool m_pressedInGrid = false;
    bool m_relayouting = false;
    Qt::FocusReason m_lastFocusReason = Qt::OtherFocusReason;
};

} // namespace corvane
