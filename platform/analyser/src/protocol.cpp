#include "analyser/protocol.h"

#include <QCryptographicHash>

namespace analyser {

std::string messageKey(std::string_view text)
{
    const QByteArray digest = QCryptographicHash::hash(
        QByteArrayView(text.data(), static_cast<qsizetype>(text.size())), QCryptographicHash::Sha256);
    return digest.toHex().toStdString();
}

} // namespace analyser
