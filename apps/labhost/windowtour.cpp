#include "windowtour.h"

#include "console.h"
#include "mainwindow.h"

#include "forms/common/frmcriticalcall.h"
#include "forms/common/resultform.h"
#include "forms/microscopy/frmurinalysisrefrange.h"
#include "host/clsresultentry.h"
#include "host/dispatch.h"
#include "host/screenfactory.h"
#include "services/database/connection.h"
#include "services/lookups/frmsearchinstrument.h"
#include "services/lookups/frmsearchpatho.h"
#include "services/lookups/searchcode.h"
#include "services/signoff/frmlistmedtech.h"
#include "services/signoff/frmmedtech.h"
#include "services/ui/messagebox.h"
#include "session/sessioncontext.h"

#include <labdb/schema.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QTextStream>

#include <algorithm>

namespace labhost {

namespace {

// Shows each modal window to the visitor, lets the caller open what the window opens, and closes
// it; message boxes are answered with their first button.
class TourSeam : public corvane::IUiSeam {
public:
    explicit TourSeam(const WindowVisitor &visit) : m_visit(visit) {}

    // The next window's name, instead of its object name.
    void nameNext(const QString &name) { m_nextName = name; }
    // Runs on the next window while it is shown, after it was visited.
    void thenNext(std::function<void(QDialog &)> then) { m_then = std::move(then); }
    bool hasThen() const { return static_cast<bool>(m_then); }
    // Appended to the object name of a window that was not named ("-new" for an open request).
    void setSuffix(const QString &suffix) { m_suffix = suffix; }

    QMessageBox::StandardButton message(const corvane::MessageRequest &request) override
    {
        const auto bits = request.buttons.toInt();
        return static_cast<QMessageBox::StandardButton>(bits & -bits);
    }
    int modal(QDialog &dialog) override
    {
        const QString name = m_nextName.isEmpty() ? dialog.objectName() + m_suffix : m_nextName;
        m_nextName.clear();
        const auto then = std::exchange(m_then, nullptr);
        dialog.show();
        dialog.activateWindow();
        QApplication::processEvents();
        m_visit(dialog, name);
        if (then)
            then(dialog);
        dialog.reject();
        dialog.hide();
        return dialog.result();
    }

private:
    const WindowVisitor &m_visit;
    QString m_nextName;
    QString m_suffix;
    std::function<void(QDialog &)> m_then;
};

struct WorklistRow {
    QString request, screen;
    bool stored;
    qint16 selector;
};

// Screens that only the host's selector opens, on their demo requests.
QList<WorklistRow> selectorScreens()
{
    QList<WorklistRow> rows;
    for (const labdb::DemoOpening &o : labdb::demoOpenings())
        if (!o.byName)
            rows.append({QLatin1String(o.request), QLatin1String(o.screen), o.stored, static_cast<qint16>(o.selector)});
    return rows;
}

// Every request of the demo worklist whose exam opens a screen of this build.
QList<WorklistRow> screenRequests()
{
    QList<WorklistRow> rows;
    corvane::Recordset rs = corvane::SessionContext::current().db().query(
        corvane::Command("Lab_Host_GetWorklist '") << QString() << "'");
    for (; !rs.eof(); rs.moveNext()) {
        const corvane::Dispatch d = corvane::chooseScreen(rs.field(QStringLiteral("FormType")).toStringOr(),
                                                          rs.field(QStringLiteral("ValueType")).toStringOr(), 0);
        if (d.kind == corvane::Dispatch::Kind::Screen && corvane::ScreenFactory::isRegistered(d.screen))
            rows.append({rs.field(QStringLiteral("RequestNum")).toString(), d.screen,
                         rs.field(QStringLiteral("HasResult")).toStringOr() == QLatin1String("Y"), 0});
    }
    return rows;
}

// The report preview and the code search, opened from a screen filled with a stored result.
void openScreenDialogs(TourSeam &seam, QDialog &screen)
{
    auto *form = qobject_cast<corvane::ResultForm *>(&screen);
    if (!form)
        return;
    form->Print_Result();
    qint32 kind = 28; // interpretations, as F9 in a result field
    QString exam = corvane::SessionContext::current().RequestRecord.code;
    QString filter;
    seam.nameNext(QStringLiteral("frmCodeSearch"));
    corvane::SearchCode(kind, exam, filter);
}

// F10 on the worked creatinine's clearance row (its second row) opens the computation dialog.
void pressComputeOnClearance(QDialog &screen)
{
    auto *grid = screen.findChild<QWidget *>(QStringLiteral("grdEntry"));
    if (!grid)
        return;
    grid->setFocus();
    grid->setProperty("Row", 2);
    grid->setProperty("col", 3);
    QApplication::processEvents();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F10, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget() ? QApplication::focusWidget() : grid, &press);
}

} // namespace

void tourWindows(const WindowVisitor &visit)
{
    MainWindow window(corvane::Connection::open(connectionStringFor(QString())));
    window.resize(1100, 640);
    window.show();
    QApplication::processEvents();
    visit(window, QStringLiteral("labhost-worklist"));

    corvane::clsResultEntry component;
    component.setEmployeeCode(QStringLiteral("0101"));
    component.setCanVerify(true);
    TourSeam seam(visit);
    corvane::ScopedUiSeam scoped(seam);
    const QList<WorklistRow> rows = screenRequests() + selectorScreens();
    QString storedRequest;
    const auto open = [&](const WorklistRow &row, const QString &name) {
        QString request = row.request;
        qint16 selector = row.selector;
        seam.nameNext(name);
        seam.setSuffix(row.stored ? QString() : QStringLiteral("-new"));
        if (!seam.hasThen()) {
            // A chooser goes on with its default choice, so the screen it opens is visited too.
            seam.thenNext([](QDialog &d) {
                if (auto *use = d.findChild<QAbstractButton *>(QStringLiteral("cmdUse")))
                    use->click();
            });
        }
        component.Show_ResultEntry(request, selector);
        seam.thenNext(nullptr);
    };
    // Each screen registered in this build, filled with a stored result and new.
    QStringList screens = corvane::ScreenFactory::registeredScreens();
    std::sort(screens.begin(), screens.end());
    for (const QString &screen : screens) {
        if (!corvane::dispatchScreenNames().contains(screen))
            continue; // opened by name below
        const auto stored = std::find_if(rows.begin(), rows.end(),
                                         [&](const WorklistRow &r) { return r.screen == screen && r.stored; });
        const auto fresh = std::find_if(rows.begin(), rows.end(),
                                        [&](const WorklistRow &r) { return r.screen == screen && !r.stored; });
        if (stored == rows.end() && fresh == rows.end()) {
            QTextStream(stderr) << "labhost: no demo request opens " << screen << '\n';
            continue;
        }
        if (stored != rows.end()) {
            if (storedRequest.isEmpty()) {
                storedRequest = stored->request;
                seam.thenNext([&seam](QDialog &d) { openScreenDialogs(seam, d); });
            }
            open(*stored, screen);
        }
        if (fresh != rows.end())
            open(*fresh, screen + QStringLiteral("-new"));
    }

    seam.setSuffix(QString());
    // The screens no format code opens, by name: worked and new.
    for (const labdb::DemoOpening &o : labdb::demoOpenings()) {
        if (!o.byName || !corvane::ScreenFactory::isRegistered(QLatin1String(o.screen)))
            continue;
        seam.nameNext(QLatin1String(o.screen) + (o.stored ? QString() : QStringLiteral("-new")));
        component.Show_Screen(QLatin1String(o.screen), QLatin1String(o.request));
    }
    // The computation dialog, which only F10 on a clearance or urine protein row opens.
    if (corvane::ScreenFactory::isRegistered(QStringLiteral("frmWithNormalValues"))) {
        seam.thenNext(&pressComputeOnClearance);
        open({QStringLiteral("R2603162"), QStringLiteral("frmWithNormalValues"), true, 0},
             QStringLiteral("frmWithNormalValues-clearance"));
    }

    // The serology screen's other layouts, chosen by the exam: worked and new.
    if (corvane::ScreenFactory::isRegistered(QStringLiteral("frmWithCutOff"))) {
        const struct {
            const char *request, *name;
            bool stored;
        } layouts[] = {{"R2604003", "frmWithCutOff-threshold", true}, {"R2603049", "frmWithCutOff-threshold", false},
                       {"R2604004", "frmWithCutOff-shortform", true}, {"R2603036", "frmWithCutOff-shortform", false},
                       {"R2604005", "frmWithCutOff-widal", true},     {"R2603048", "frmWithCutOff-widal", false},
                       {"R2604007", "frmWithCutOff-panel", false}};
        for (const auto &l : layouts)
            open({QLatin1String(l.request), QStringLiteral("frmWithCutOff"), l.stored, 0},
                 QLatin1String(l.name) + (l.stored ? QString() : QStringLiteral("-new")));
    }

    // Stored coagulation results with values out of range and with a critical value, and the call
    // that reports a critical value before it is saved.
    if (corvane::ScreenFactory::isRegistered(QStringLiteral("frmAPTT"))) {
        open({QStringLiteral("R2605101"), QStringLiteral("frmAPTT"), true, 0}, QStringLiteral("frmAPTT-flagged"));
        open({QStringLiteral("R2605102"), QStringLiteral("frmAPTT"), true, 0}, QStringLiteral("frmAPTT-critical"));
        // A bleeding time that moved beyond its delta rule since the patient's previous result.
        open({QStringLiteral("R2607102"), QStringLiteral("frmAPTT"), true, 0}, QStringLiteral("frmAPTT-delta"));
    }
    if (corvane::ScreenFactory::isRegistered(QStringLiteral("frmWithNormalValues")))
        open({QStringLiteral("R2607112"), QStringLiteral("frmWithNormalValues"), true, 0},
             QStringLiteral("frmWithNormalValues-delta"));
    // A urinalysis with counts above their ranges, and a transfusion with a febrile reaction.
    if (corvane::ScreenFactory::isRegistered(QStringLiteral("frmUrinalysis")))
        open({QStringLiteral("R2603612"), QStringLiteral("frmUrinalysis"), true, 0}, QStringLiteral("frmUrinalysis-flagged"));
    if (corvane::ScreenFactory::isRegistered(QStringLiteral("frmCrossmatching")))
        open({QStringLiteral("R2605103"), QStringLiteral("frmCrossmatching"), true, 0},
             QStringLiteral("frmCrossmatching-flagged"));
    {
        corvane::frmCriticalCall call({{QStringLiteral("result6"), QStringLiteral("APTT, patient"), QStringLiteral(">120"),
                                        QStringLiteral("> 100")},
                                       {QStringLiteral("result8"), QStringLiteral("Fibrinogen"), QStringLiteral("85"),
                                        QStringLiteral("< 100")}},
                                      QDateTime(QDate(2026, 3, 7), QTime(14, 5)));
        seam.nameNext(QStringLiteral("frmCriticalCall"));
        call.runModal();
    }

    // The sign-off dialog at both of its heights, and the lookups, on the demo data.
    corvane::Connection &db = corvane::SessionContext::current().db();
    for (const bool paperSize : {false, true}) {
        corvane::frmMedTech signOff;
        signOff.setRequestNum(storedRequest);
        signOff.setShowPaperSizeOption(paperSize);
        if (!paperSize)
            signOff.hideVerifier();
        seam.nameNext(paperSize ? QStringLiteral("frmMedTech-paper-size") : QStringLiteral("frmMedTech"));
        signOff.runModal();
    }
    // The urinalysis reference ranges, as the urinalysis screen opens them.
    corvane::frmUrinalysisRefRange::edit(nullptr);
    corvane::frmListMedTech medTechs(db);
    medTechs.runModal();
    corvane::frmSearchPatho doctors(db);
    doctors.setSearchText(QStringLiteral("A"));
    doctors.runModal();
    corvane::frmSearchInstrument instruments(db);
    instruments.runModal();
}

} // namespace labhost
