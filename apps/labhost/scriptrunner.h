#pragma once
// Scripted sessions: opens requests as the host does, plays the user's actions against controls
// named as on the screens, answers message boxes, and logs every database command, every message
// and the outcome. How a laboratory validates its result entry before going live.

#include "scriptparse.h"

#include "services/ui/messagebox.h"

#include <QStringList>
#include <QTextStream>

#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace corvane {
class clsResultEntry;
}

namespace labhost {

struct CellName;

class ScriptRunner : public corvane::IUiSeam {
public:
    explicit ScriptRunner(QTextStream &log);
    ~ScriptRunner() override;

    // Runs the whole script; true when every step ran and every expectation held.
    bool run(const QString &script);

    // Plays the script against a window the caller owns, run modally as the component runs its
    // windows; lines after the window closes run as usual. For windows no request opens.
    bool run(const QString &script, QDialog &window);

    QMessageBox::StandardButton message(const corvane::MessageRequest &request) override;
    int modal(QDialog &dialog) override;
    std::optional<QString> input(const corvane::InputRequest &request) override;

    using Line = ScriptLine;

private:
    void load(const QString &script);
    void runTopLevel(const Line &line);
    // pause and touch, at top level and inside windows alike; false for other verbs.
    bool runSignal(const Line &line);
    void armFault(const Line &line);
    void actOnCell(const Line &line, QWidget &window, const CellName &name);
    void choose(const Line &line, QWidget *w, const QString &value);
    void openTab(const Line &line, QWidget *w, const QString &page);
    const Line *takeAnswer();
    void act(const Line &line, QWidget &window);
    QWidget *control(const Line &line, QWidget &window, const QString &name);
    void fail(const Line &line, const QString &why);
    corvane::clsResultEntry &component();

    QTextStream &m_log;
    std::vector<Line> m_lines;
    std::size_t m_next = 0;
    bool m_ok = true;
    std::unique_ptr<corvane::clsResultEntry> m_component;
    QStringList m_sessionSettings;
};

// Control text as the script compares it: text boxes, combos, check boxes "on"/"off", pickers in
// "MM/dd/yyyy" and "hh:mm AP", lists their current entry, tab controls their page's caption, any
// other control its user property.
QString controlValue(const QWidget &w);

} // namespace labhost
