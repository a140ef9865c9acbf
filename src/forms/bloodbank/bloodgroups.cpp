#include "forms/bloodbank/bloodgroups.h"

#include <QRegularExpression>

namespace corvane {

namespace {

using Abo = BloodGroup::Abo;
using Rh = BloodGroup::Rh;

BloodGroup::Rh readRh(const QString &text)
{
    const QString t = text.toUpper();
    if (t.contains(QLatin1String("NEG")) || t.contains(QLatin1Char('-')))
        return Rh::Negative;
    if (t.contains(QLatin1String("POS")) || t.contains(QLatin1Char('+')))
        return Rh::Positive;
    return Rh::Unknown;
}

QString aboName(Abo abo)
{
    switch (abo) {
    case Abo::O:
        return QStringLiteral("O");
    case Abo::A:
        return QStringLiteral("A");
    case Abo::B:
        return QStringLiteral("B");
    case Abo::AB:
        return QStringLiteral("AB");
    case Abo::Unknown:
        break;
    }
    return {};
}

// Which ABO antigens a group carries: A and B.
bool hasA(Abo abo)
{
    return abo == Abo::A || abo == Abo::AB;
}
bool hasB(Abo abo)
{
    return abo == Abo::B || abo == Abo::AB;
}

// Cells of group `cells` meet the antibodies of group `plasma` (anti-A in O and B, anti-B in O
// and A) without harm.
bool cellsFitPlasma(Abo cells, Abo plasma)
{
    return (!hasA(cells) || hasA(plasma)) && (!hasB(cells) || hasB(plasma));
}

QString componentWord(UnitKind kind)
{
    switch (kind) {
    case UnitKind::WholeBlood:
        return QStringLiteral("whole blood");
    case UnitKind::Plasma:
        return QStringLiteral("plasma");
    case UnitKind::Platelets:
        return QStringLiteral("platelets");
    case UnitKind::RedCells:
        break;
    }
    return QStringLiteral("red cells");
}

} // namespace

BloodGroup BloodGroup::read(const QString &groupText, const QString &rhText)
{
    BloodGroup g;
    QString t = groupText.toUpper();
    t.remove(QRegularExpression(QStringLiteral("\\b(BLOOD|TYPE|GROUP)\\b|[:()]")));
    t = t.trimmed();
    // The group is the first word's letters (O may be written as a zero); the rest may carry the Rh.
    static const QRegularExpression group(QStringLiteral("^(AB|A|B|O|0)(?![A-Z0-9])"));
    const QRegularExpressionMatch m = group.match(t);
    QString rest;
    if (m.hasMatch()) {
        const QString letters = m.captured(1);
        g.abo = letters == QLatin1String("AB") ? Abo::AB
                : letters == QLatin1String("A") ? Abo::A
                : letters == QLatin1String("B") ? Abo::B
                                                : Abo::O;
        rest = t.mid(m.capturedEnd());
    }
    g.rh = readRh(rhText);
    if (g.rh == Rh::Unknown && rhText.trimmed().isEmpty())
        g.rh = readRh(rest);
    return g;
}

QString BloodGroup::name() const
{
    QString n = aboName(abo);
    if (rh != Rh::Unknown)
        n += (n.isEmpty() ? QString() : QStringLiteral(" ")) + (rh == Rh::Positive ? QStringLiteral("Rh+") : QStringLiteral("Rh-"));
    return n;
}

UnitKind unitKindOf(const QString &component)
{
    const QString c = component.toUpper();
    if (c.contains(QLatin1String("PLATELET")))
        return UnitKind::Platelets;
    if (c.contains(QLatin1String("PLASMA")) || c.contains(QLatin1String("FFP")) || c.contains(QLatin1String("CRYO")))
        return UnitKind::Plasma;
    if (c.contains(QLatin1String("WHOLE")))
        return UnitKind::WholeBlood;
    return UnitKind::RedCells;
}

QString unitMismatch(const BloodGroup &patient, const BloodGroup &donor, UnitKind kind)
{
    const QString what = componentWord(kind);
    const bool plural = kind == UnitKind::RedCells || kind == UnitKind::Platelets;
    const QString verb = plural ? QStringLiteral("do not fit") : QStringLiteral("does not fit");
    if (patient.abo != Abo::Unknown && donor.abo != Abo::Unknown) {
        const QString sentence = QStringLiteral("Group %1 %2 %3 a group %4 patient")
                                     .arg(aboName(donor.abo), what, verb, aboName(patient.abo));
        if (kind == UnitKind::RedCells && !cellsFitPlasma(donor.abo, patient.abo))
            return sentence + QLatin1Char('.');
        if (kind == UnitKind::WholeBlood && donor.abo != patient.abo)
            return sentence + QStringLiteral(": whole blood must be of the patient's own group.");
        if (kind == UnitKind::Plasma && !cellsFitPlasma(patient.abo, donor.abo))
            return sentence + QLatin1Char('.');
    }
    // Plasma carries no red cells to immunise against D.
    if (kind != UnitKind::Plasma && patient.rh == Rh::Negative && donor.rh == Rh::Positive)
        return QStringLiteral("Rh-positive %1 %2 an Rh-negative patient.").arg(what, verb);
    return {};
}

} // namespace corvane
