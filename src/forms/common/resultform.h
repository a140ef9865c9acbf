#pragma once
// The life every result-entry screen shares: opened and filled from the request, edited, saved in
// one transaction, signed off, printed and closed. A screen states only its hooks.

#include "forms/common/deltacheck.h"
#include "forms/common/frmcriticalcall.h"
#include "forms/common/resultflags.h"
#include "host/resultscreen.h"
#include "services/lookups/dialogsupport.h"
#include "services/database/command.h"
#include "services/database/recordset.h"
#include "services/logbook.h"

#include <QDateTime>
#include <QDialog>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>

class QLineEdit;
class QKeyEvent;

namespace corvane {

struct ScreenTraits;
class frmMedTech;
class ResultFields;
class ReagentState;
class Connection;
class DraftKeeper;

// The date-time texts of the picker pairs, built once per save.
struct SaveTexts {
    QString report;    // dtReportDate + dtReportTime
    QString submitted; // dtSubmitted + dtSubmittedTime
    QString lra;       // dtLRADate + dtLRATime
    QString finished;  // dtFinishedDate + dtFinishedTime
};

// The logbook row a first save writes.
struct LogbookEntry {
    QDateTime submitted;
    QDateTime finished;
    QString number; // the sample number, or the screen's own number in its place
    LogbookExtra extra;
};

struct ReportRequest {
    QString fileName; // "LabPrint_APTT.RPT", looked up in the reports folder
    QString title;    // the preview window's caption
    QStringList parameters;
    // Subreports logged on like the main report, each with its own parameter values.
    QList<std::pair<QString, QStringList>> subreports = {};
};

class ResultForm : public QDialog, public ResultScreen {
    Q_OBJECT

public:
    ~ResultForm() override;

    // Placing the screen opens it (Form_Load) the first time, as touching a window's Top did.
    void setTop(int pixels) override;
    void setLeft(int pixels) override;
    void Fill_Results() override;
    int showModal() override;

    // The command buttons: save (with the performing med tech) or verify/print (with the verifier).
    void SaveAndSignOff(bool withVerifier, bool printing);
    // Everything in one transaction; false (rolled back, user told) on any failure.
    bool Save_Entries();
    void Print_Result();

    const QString &screenName() const { return m_name; }
    bool isLoaded() const { return m_loaded; }

protected:
    ResultForm(const QString &screenName, QWidget *parent = nullptr);
    // Called by the screen's constructor after setupUi: finds the common controls and wires them.
    void initLifecycle();

    // Step 2: the screen's own set-up (lists, hidden rows, reagent choices).
    virtual void loadHook();
    // Step 5.2: the query for the stored result.
    virtual Command resultQuery() const = 0;
    // The shared loader of the screens whose results sit in the numbered result row.
    static Command hcodesQuery();
    // Step 5.4: the sample number and the picker pairs from the stored row; screens whose loader
    // names them otherwise (or does not return them) override.
    virtual void fillStoredHeader(const Recordset &row);
    // Step 5.4: the result fields from the stored row.
    virtual void fillResultFields(const Recordset &row) = 0;
    // The numeric result controls and the stored columns they are judged as; their flags show
    // beside them while typing and when filled.
    virtual QList<JudgedField> judgedFields() const { return {}; }
    // Whether the screen compares its results with the patient's previous ones; by default when it
    // has judged fields.
    virtual bool checksDeltas() const { return !judgedFields().isEmpty(); }
    // The values the delta rules compare, as they stand; by default the judged fields.
    virtual QList<DeltaValue> deltaValues() const;
    // "Δ" when the value moved beyond its rule since the patient's previous result, else
    // empty; the status line follows.
    QString deltaMark(const QString &key, const QString &value, QString *tip = nullptr);
    // The limits read again after the screen changed them; what is typed stays.
    void reloadFlags() { loadFlags(); }
    // Step 9.7: the screen's save procedure; flag 0 for the first save, 1 after.
    virtual Command saveCommand(int flag, const SaveTexts &texts) const;
    // Step 9.7 as run inside the save transaction; by default saveCommands in order. Screens whose
    // save also writes other requests' logbook rows (one row per grid line) override this.
    virtual void executeSave(Connection &db, int flag, const SaveTexts &texts);
    // Step 10; a report without a file name prints nothing.
    virtual ReportRequest report() const = 0;
    // A line of another request saved with this one (a panel or batch ordered under several
    // numbers): its logbook row on its first save, or its verification in verify mode.
    void logOtherRequest(Connection &db, const QString &requestNum, const QString &sampleNum) const;

    // Hooks of the screens that depart from the common steps; the defaults are the common steps.
    // 5.3: a new result; by default every picker pair takes the server's time.
    virtual void fillNewResult(const QDateTime &today);
    // 5.1: screens that never read the stored result header say false; the logbook row's version
    // they compare when saving then comes with their stored row.
    virtual bool loadsResultHeader() const { return true; }
    // 5.3 and 5.4: screens whose sample number and pickers keep what the opening set (the
    // workstation's time), stored result or not, say false.
    virtual bool fillsHeaderFromStorage() const { return true; }
    // 9.6: the logbook row of a first save; by default submitted, finished and txtAccNum.
    virtual LogbookEntry logbookEntry() const;
    // 9.3: commands a screen sends right after the transaction begins, before the logbook test.
    virtual QList<Command> openingCommands() const { return {}; }
    // 9.7: every command of the screen's save, in order; by default saveCommand alone.
    virtual QList<Command> saveCommands(int flag, const SaveTexts &texts) const;
    // Before a command saves: false keeps the screen open with nothing saved (the screen has told
    // the technologist what to correct).
    virtual bool entriesComplete() { return true; }
    // 8.4: the sign-off dialog, just before it is shown.
    virtual void prepareSignOff(frmMedTech &signOff);
    // Before a command button saves: false keeps the screen open with nothing saved (a screen
    // that has the technologist confirm an entry first).
    virtual bool readyToSave();
    // Whether the running command verifies (Verify and Print).
    bool withVerifier() const { return m_withVerifier; }
    // Step 7: the prompt when the accession number is left empty.
    virtual QString accessionPrompt() const = 0;
    // A key on one of the screen's controls, before the shared keys; true when it was handled.
    virtual bool keyHook(QObject *watched, QKeyEvent *key);
    // The result fields' keys (Enter moves on, F9 searches), for screens that have them.
    bool resultFieldKey(ResultFields &fields, QObject *watched, QKeyEvent *key);
    // The picker pairs as command text; screens that send seconds override.
    virtual QString dateTimeText(const QDateTime &at) const;

    // The reagent list of the screen, when it has cboReagent.
    ReagentState *reagents() const { return m_reagents.get(); }
    // A date picker and its time picker, by control name.
    struct PickerPair {
        const char *date;
        const char *time;
    };
    static constexpr PickerPair kReport{"dtReportDate", "dtReportTime"};
    static constexpr PickerPair kSubmitted{"dtSubmitted", "dtSubmittedTime"};
    static constexpr PickerPair kLra{"dtLRADate", "dtLRATime"};
    static constexpr PickerPair kFinished{"dtFinishedDate", "dtFinishedTime"};
    // Leaving the LRA or submitted time while it still equals the result time is refused, so
    // that the technologist records it (screens that ask for these times say so).
    virtual bool asksForPickerTimes() const { return false; }
    // One of the screen's own events: an error closes the screen and reaches the host.
    template <class F>
    void guarded(F &&work)
    {
        m_errors.run(*this, std::forward<F>(work));
    }
    // The server clock ("Select getdate() as DateToday").
    QDateTime serverNow() const;
    // The pair as one value; invalid when the screen lacks the pair.
    QDateTime pickerValue(const PickerPair &pair) const;
    void setPickerPair(const PickerPair &pair, const QDateTime &at);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    bool validateAccessionNumber();
    bool checkPickerTime(QObject *watched);
    SaveTexts buildSaveTexts() const;
    void setAllPickers(const QDateTime &at);
    bool isOurs(QObject *object) const;
    void recordVerification();
    void loadFlags();
    // Before the save: the critical values not yet reported are called; false when cancelled.
    bool callCriticalValues();
    void saveJudgement(Connection &db);

    QString m_name;
    const ScreenTraits *m_traits;
    bool m_loaded = false;
    bool m_withVerifier = false;
    // The logbook row's version when the screen was filled: a save finding another one was
    // overtaken by another workstation and is refused.
    std::optional<int> m_seenVersion;
    std::unique_ptr<ReagentState> m_reagents;
    // Errors of the screen's own events (a failing print, a failing search) close the screen and
    // reach the host from showModal, as they always did.
    ModalErrorTrap m_errors;
    // What was typed, kept on the workstation when a save fails.
    std::unique_ptr<DraftKeeper> m_draft;
    ResultFlags *m_flags = nullptr;
    DeltaCheck *m_delta = nullptr;
    // The call of the critical values this save writes with the result.
    std::optional<CriticalCallEntry> m_call;
};

} // namespace corvane
