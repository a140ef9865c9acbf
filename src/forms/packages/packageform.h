#pragma once
// The package screens' common body: a grid of the package's tests, edited through one floating
// box, and the fixed blood count, urinalysis and (executive) stool pages, all saved in the one
// save transaction of the lifecycle.

#include "forms/common/resultfields.h"
#include "forms/common/resultform.h"

#include <QList>

#include <array>

class QComboBox;
class QTableWidget;
class QTabWidget;

namespace corvane {

// The commands and grid columns that tell the two package screens apart.
struct PackageTraits {
    const char *packageQuery;  // the package's tests, for a new result
    const char *storedQuery;   // the stored rows, by request and package
    const char *clearRows;     // the DELETE of the stored rows, up to the request number
    const char *saveRow;       // one test row, up to the request number
    QList<int> editableColumns;
    QList<int> savedColumns;
    const char *saveBloodCount;
    int bloodCountFields; // txtResult(0) to txtResult(n - 1)
    bool withStool;
    const char *reportFile;
    const char *reportTitle;
};

class PackageForm : public ResultForm {
    Q_OBJECT

public:
    ~PackageForm() override;

    QTableWidget *grdTest() const { return m_grid; }
    QLineEdit *txtEntry() const { return m_entry; }
    const QString &packageCode() const { return m_code; }

protected:
    PackageForm(const QString &screenName, PackageTraits traits, QWidget *parent);
    // Called by the screen's constructor after setupUi.
    void initPackage();

    // The package the request is for; empty runs no package query.
    virtual QString choosePackageCode() const = 0;
    // Before the package query: a screen may hide the pages a package does not report.
    virtual void preparePages(const QString &code);
    QTabWidget *pages() const { return m_tabs; }

    void loadHook() override;
    Command resultQuery() const override;
    void fillStoredHeader(const Recordset &row) override;
    void fillNewResult(const QDateTime &today) override;
    void fillResultFields(const Recordset &row) override;
    bool readyToSave() override;
    QList<Command> saveCommands(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    QString accessionPrompt() const override;
    bool keyHook(QObject *watched, QKeyEvent *key) override;

private:
    void bindGrid(const Recordset &rs);
    void formatGrid();
    bool isEditable(int column) const { return m_traits.editableColumns.contains(column); }
    void cellChanged(int row, int column, int previousRow, int previousColumn);
    void placeEntry(int row, int column);
    void commitEntry();
    bool entryKey(QKeyEvent *key);
    void loadPages();
    void highlight(QWidget *focused);
    QList<QWidget *> urineFields() const;

    PackageTraits m_traits;
    QString m_code;
    QTableWidget *m_grid = nullptr;
    QLineEdit *m_entry = nullptr;
    QTabWidget *m_tabs = nullptr;
    // The cell the entry box stands over; -1 while it stands over none.
    int m_entryRow = -1;
    int m_entryColumn = -1;
    std::unique_ptr<ResultFields> m_txtResult;
    std::unique_ptr<ResultFields> m_txtUrine;
    std::unique_ptr<ResultFields> m_txtStool;
    std::array<QComboBox *, 5> m_combos{}; // color, appearance, gravity, protein, glucose
};

} // namespace corvane
