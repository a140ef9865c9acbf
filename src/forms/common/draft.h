#pragma once
// What a technologist typed on a screen whose save failed, kept on the workstation so that a lost
// connection on a busy ward does not mean typing thirty results again. The database never sees it.

#include <QDateTime>
#include <QMap>
#include <QString>

#include <optional>

class QWidget;

namespace corvane {

// A screen's input controls by object name; grid cells as "grdEntry(2,3)".
using ControlValues = QMap<QString, QString>;

// Every input control of the screen: text and list boxes, pickers, spin and check boxes, and the
// cells of its grids. Controls inside other windows and the request header are not the screen's.
ControlValues readControls(const QWidget &screen);
// The entries of now that differ from (or are missing in) before.
ControlValues changedSince(const ControlValues &before, const ControlValues &now);
// Puts values back into the controls of the same names. Choices (lists, check and option boxes)
// come first and are made as the technologist makes them, so that whatever a choice fills in is
// then overwritten by what was on the screen. Names the screen no longer has are passed over.
void writeControls(QWidget &screen, const ControlValues &values);

struct DraftKey {
    QString user;    // the employee code
    QString screen;  // "frmAPTT"
    QString request; // the request number
};

struct Draft {
    QDateTime kept;
    ControlValues values;
};

// The drafts of this workstation's user, one file per technologist, screen and request, readable
// by the owner alone.
class DraftStore {
public:
    explicit DraftStore(QString folder);
    // Beside the per-user connection settings.
    static QString defaultFolder();

    std::optional<Draft> load(const DraftKey &key) const;
    // Throws ComponentError when the file cannot be written.
    void save(const DraftKey &key, const ControlValues &values) const;
    void remove(const DraftKey &key) const;
    QString fileName(const DraftKey &key) const;

private:
    QString m_folder;
};

// The shared screen life's part: remembers what the fill showed, offers a kept draft when the
// screen opens, keeps one when a save fails and drops it when a save succeeds.
class DraftKeeper {
public:
    DraftKeeper(QWidget &screen, QString screenName);

    // After the screen's own fill, before it is shown.
    void opened();
    void saveFailed();
    void saved();

private:
    DraftKey key() const;

    QWidget &m_screen;
    QString m_screenName;
    ControlValues m_filled;
    bool m_opened = false;
};

} // namespace corvane
