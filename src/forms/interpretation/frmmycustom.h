#pragma once
// Custom result tables: one line per description of the exam's format, with its result and, in one
// layout, its normal values; for one request, or for a batch of requests ordered under one charge
// reference number and entered together.

#include "forms/common/resultform.h"

#include <QStringList>

namespace Ui {
class frmMyCustom;
}

namespace corvane {

class GrdEntry;

class frmMyCustom : public ResultForm {
    Q_OBJECT

public:
    enum Column { ColLine = 0, ColDescription = 1, ColResult = 2, ColNormalValues = 3, ColRequestNum = 4, ColumnCount = 5 };
    // The batch report names at most this many requests.
    static constexpr int kBatchReportRequests = 12;

    explicit frmMyCustom(QWidget *parent = nullptr);
    ~frmMyCustom() override;

    GrdEntry &grid() const;
    bool isBatch() const { return m_requests.size() > 1; }

protected:
    void loadHook() override;
    Command resultQuery() const override;
    void fillResultFields(const Recordset &row) override;
    QList<Command> saveCommands(int flag, const SaveTexts &texts) const override;
    void executeSave(Connection &db, int flag, const SaveTexts &texts) override;
    ReportRequest report() const override;
    void prepareSignOff(frmMedTech &signOff) override;
    QString accessionPrompt() const override;

private:
    void discoverBatch();
    void loadFormat();
    void setupGrid(bool withNormalValues);
    void widenToFit(int column);
    Command saveCommand(const QString &requestNum, const SaveTexts &texts) const;

    std::unique_ptr<Ui::frmMyCustom> ui;
    // The batch as two "|" lists would hold it: exam codes and request numbers, in the same order.
    QStringList m_codes;
    QStringList m_requests;
};

} // namespace corvane
