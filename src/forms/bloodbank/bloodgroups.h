#pragma once
// ABO and Rh(D) groups as a blood bank writes them, and whether a donor unit fits the patient.

#include <QString>

namespace corvane {

struct BloodGroup {
    enum class Abo { Unknown, O, A, B, AB };
    enum class Rh { Unknown, Positive, Negative };
    Abo abo = Abo::Unknown;
    Rh rh = Rh::Unknown;

    // "O", "AB", "O+", "A POS", "B Rh-negative", "(-)" ...: the group from its box and the Rh(D)
    // type from its own box, or, when that box says nothing, from what follows the group.
    static BloodGroup read(const QString &groupText, const QString &rhText);
    // "A Rh+", "O Rh-", "AB": what is known of the group, as a message names it.
    QString name() const;
};

// What is transfused decides which antibodies meet which cells.
enum class UnitKind {
    RedCells,   // packed or washed red cells, and anything not named otherwise
    WholeBlood, // red cells and plasma: the patient's own ABO group only
    Plasma,     // plasma and cryoprecipitate: the donor's antibodies against the patient's cells
    Platelets,  // ABO not binding; Rh(D) still, for the red cells they carry
};
UnitKind unitKindOf(const QString &component);

// Why the donor unit does not fit the patient, in one sentence; empty when it fits or when the
// groups are not known well enough to tell.
QString unitMismatch(const BloodGroup &patient, const BloodGroup &donor, UnitKind kind);

} // namespace corvane
