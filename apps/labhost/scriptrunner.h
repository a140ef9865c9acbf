#pragma once
// Scripted sessions: opens requests as the host does, plays the user's actions against controls
// named as on the screens, answers message boxes, and logs every database command, every message
// and the outcome. How a laboratory validates its result entry before going live.

#include "services/ui/messagebox.h"

#include <QStringList>
#include <QTextStream>

#include <memory>
#include <vector>

class QWidget;

namespace corvane {
class clsResultEntry;
}

namespace labhost {

class ScriptRunner : public corvane::IUiSeam {
public:
    explicit ScriptRunner(QTextStream &log);
    ~ScriptRunner() override;

    // Runs the whole script; true when every step ran and every expectation held.
    bool run(const QString &script);

    QMessageBox::StandardButton message(const corvane::MessageRequest &request) override;
    int modal(QDialog &dialog) override;

    struct Line {
        int number = 0;
        QString window; // "frmMedTech" in "frmMedTech: click cmdFinish"
        QString verb;
        QStringList args;
        QString source;
    };
    // Splits one script line; quoted arguments may hold blanks ("" for a quote inside).
    static Line parseLine(int number, const QString &text);

private:
    void runTopLevel(const Line &line);
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
// "MM/dd/yyyy" and "hh:mm AP".
QString controlValue(const QWidget &w);

} // namespace labhost
