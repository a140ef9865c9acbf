#pragma once
// The med-tech listing of the sign-off dialog: active med techs whose last name starts with the
// text typed. Enter or a double click takes the current one; Esc closes without a choice.

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class frmListMedTech;
}

namespace corvane {

class Connection;

class frmListMedTech : public QDialog {
    Q_OBJECT

public:
    // The grid's header as the listing has always shown it; the first column marks the line.
    static inline const QString kGridHeader =
        QStringLiteral(" | EmployeeID | LastName | FirstName | MiddleName | License#");

    explicit frmListMedTech(Connection &db, QWidget *parent = nullptr);
    ~frmListMedTech() override;

    void setSearchText(const QString &text) { m_searchText = text; }

    // Empty until a med tech is chosen.
    QString MedTech() const { return m_medTech; }
    QString MedTechID() const { return m_medTechID; }
    QString MedTechLicense() const { return m_license; }

    // Lists the med techs matching SearchText.
    void Form_Load();
    // Form_Load, then the window modally through the UI seam.
    int runModal();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void choose();

    std::unique_ptr<Ui::frmListMedTech> ui;
    Connection &m_db;
    QString m_searchText;
    QString m_medTech;
    QString m_medTechID;
    QString m_license;
};

} // namespace corvane
