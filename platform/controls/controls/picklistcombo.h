#pragma once
// The pick-list combo of the microscopy and blood-bank screens: an editable combo that fills its
// own list from a list procedure of the laboratory database. The technologist picks an entry or,
// where the screen allows it, types free text; the text is what the screen stores.

#include <QComboBox>
#include <QString>
#include <QStringList>

#include <memory>

namespace corvane {

// Runs a list procedure for a pick-list combo: the values of list `listNumber` in the given mode,
// in the order they are offered. Errors are thrown; the combo does not catch them.
class PickListSource {
public:
    virtual ~PickListSource() = default;
    virtual QStringList values(const QString &database, const QString &procedure, const QString &mode,
                               const QString &listNumber) = 0;
};

class PickListCombo : public QComboBox {
    Q_OBJECT
    // The stored value; USER so that generic tools (scripted sessions) read and write it.
    Q_PROPERTY(QString text READ text WRITE setText USER true)

public:
    explicit PickListCombo(QWidget *parent = nullptr);
    ~PickListCombo() override;

    // Where the lists come from; called once before the first load.
    void connectTo(std::shared_ptr<PickListSource> source, const QString &database);
    bool isConnected() const { return m_source != nullptr; }
    const QString &database() const { return m_database; }

    // Adds the entries of one list in one mode (the screens load mode "0", then "1"). Entries
    // already offered are not repeated, and the text shown stays as it was.
    void load(const QString &procedure, const QString &mode, const QString &listNumber);

    QString text() const;
    // Shows the value whether or not the list offers it: a stored result keeps a value the
    // laboratory has since taken off the list.
    void setText(const QString &text);

    // Free text (the default) lets the technologist type what the list lacks; without it only
    // list entries can be chosen.
    void setFreeText(bool allowed);
    bool freeText() const { return isEditable(); }

protected:
    void wheelEvent(QWheelEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void useCompleter();
    int entryOf(const QString &typed) const;

    std::shared_ptr<PickListSource> m_source;
    QString m_database;
};

} // namespace corvane
