#include "services/database/command.h"

namespace corvane {

Command Command::fromText(const QString &raw)
{
    Command c;
    c.m_text = labdb::CommandText::fromText(raw.toStdString());
    return c;
}

} // namespace corvane
