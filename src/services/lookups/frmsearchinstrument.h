#pragma once
// The analyser lookup of the normal-values screen: every instrument of the laboratory in a
// grid; the chosen one's code, name and reagent code are read after the window closes.

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class frmSearchInstrument;
}

namespace corvane {

class Connection;

class frmSearchInstrument : public QDialog {
    Q_OBJECT

public:
    explicit frmSearchInstrument(Connection &db, QWidget *parent = nullptr);
    ~frmSearchInstrument() override;

    // Lists the instruments.
    void Form_Load();
    // Form_Load, then the window modally through the UI seam; returns its result code.
    int runModal();

    QString InstrumentID() const { return m_instrumentID; }
    QString InstrumentName() const { return m_instrumentName; }
    QString ReagentCode() const { return m_reagentCode; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void select();

    std::unique_ptr<Ui::frmSearchInstrument> ui;
    Connection &m_db;
    QString m_instrumentID;
    QString m_instrumentName;
    QString m_reagentCode;
};

} // namespace corvane
