#pragma once
// The concurring pathologist of a report (chkConforme, txtPathologist, chkScannedSignature): checking
// the box asks for the pathologist with the doctor search, the stored choice shows without it.

#include "services/database/command.h"

#include <QString>

class QCheckBox;
class QLineEdit;
class QWidget;

namespace corvane {

// "Maria L. Santos, M.D.": the conforme pathologist as the report names them. The blank, initial,
// ". " and last name drop out together when the last name is Null; an empty middle name keeps ". ".
QString conformeDisplayName(const QString &first, const QString &middle, const QString &last, bool lastIsNull);

class Conforme {
public:
    // Finds the three controls on the screen; a screen without them has no conforme.
    explicit Conforme(QWidget &screen);

    bool present() const { return m_box != nullptr; }
    // The stored conforme, shown without opening the search.
    void showStored(const QString &conforme, const QString &pathologist, const QString &signature);
    // "Lab_Get_Conforme": for the screens that keep the conforme apart from their own row.
    void load(const QString &requestNum);
    // The box was clicked: checked asks for the pathologist, cleared forgets them. The screen calls
    // this from its own handler, so an error reaches the host as its other events' do.
    void toggled(bool checked);

    QString conformeValue() const;
    QString signatureValue() const;
    QString pathologist() const;
    // "laboratory..Lab_Save_Conforme": request, conforme, signature, pathologist.
    Command saveCommand(const QString &requestNum) const;

private:
    QWidget &m_screen;
    QCheckBox *m_box = nullptr;
    QCheckBox *m_signature = nullptr;
    QLineEdit *m_pathologist = nullptr;
    bool m_loading = false;
};

// "1" for a checked box, else "0", as the save commands send check boxes.
QString checkValue(const QCheckBox *box);

} // namespace corvane
