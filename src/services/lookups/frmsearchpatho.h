#pragma once
// "Search Doctor": finds doctors (or pathologists only) by name or code. The chosen doctor's
// code and a "PF: " name line are read after the window closes; both stay empty when nothing
// was chosen.

#include "services/lookups/dialogsupport.h"

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class frmSearchPatho;
}

namespace corvane {

class Connection;

class frmSearchPatho : public QDialog {
    Q_OBJECT

public:
    explicit frmSearchPatho(Connection &db, QWidget *parent = nullptr);
    ~frmSearchPatho() override;

    // Searched when the window loads.
    void setSearchText(const QString &text) { m_searchText = text; }
    // "True" (or a non-zero number) searches pathologists only.
    void setIsPathologist(const QString &value);

    QString ResultCode() const { return m_resultCode; }
    QString ResultText() const { return m_resultText; }

    // Runs the search with SearchText.
    void Form_Load();
    // Form_Load, then the window modally through the UI seam; a failing search raises here.
    int runModal();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void search(const QString &text);
    void select();

    std::unique_ptr<Ui::frmSearchPatho> ui;
    Connection &m_db;
    ModalErrorTrap m_errors;
    QString m_searchText;
    bool m_isPathologist = false;
    QString m_resultCode;
    QString m_resultText;
};

} // namespace corvane
