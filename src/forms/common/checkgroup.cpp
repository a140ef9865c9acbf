#include "forms/common/checkgroup.h"

#include <QCheckBox>
#include <QStringList>

namespace corvane {

QString checkGroupText(const QList<QCheckBox *> &boxes)
{
    QStringList parts;
    for (const QCheckBox *box : boxes)
        parts << (box && box->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    return parts.join(QLatin1Char('|'));
}

void setCheckGroup(const QList<QCheckBox *> &boxes, const QString &stored)
{
    const QStringList parts = stored.split(QLatin1Char('|'));
    for (qsizetype i = 0; i < boxes.size(); ++i)
        boxes[i]->setChecked(parts.value(i).trimmed().toInt() != 0);
}

QList<QCheckBox *> checkBoxArray(const QWidget &screen, const char *name)
{
    QList<QCheckBox *> boxes;
    for (int i = 0;; ++i) {
        auto *box = screen.findChild<QCheckBox *>(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
        if (!box)
            return boxes;
        boxes << box;
    }
}

} // namespace corvane
