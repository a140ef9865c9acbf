#pragma once
// Check-box groups kept as one text: "0|1|0", a digit per box in order.

#include <QList>
#include <QString>

class QCheckBox;
class QWidget;

namespace corvane {

QString checkGroupText(const QList<QCheckBox *> &boxes);
// Boxes beyond the stored parts are cleared.
void setCheckGroup(const QList<QCheckBox *> &boxes, const QString &stored);
// NAME_0, NAME_1 ... of a screen, as long as they run.
QList<QCheckBox *> checkBoxArray(const QWidget &screen, const char *name);

} // namespace corvane
