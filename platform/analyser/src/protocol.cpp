#include "analyser/protocol.h"

#include <QCryptographicHash>

namespace analyser {

std::string messageKey(std::string_view text)
{
    const QByteArray digest = QCryptographicHash::hash(
        QByteArrayView(text.data(), static_cast<qsizetype>(text.size())), QCryptographicHash::Sha256);
    return digest.toHex().toStdString();
}

std::vector<std::string> split(std::string_view text, char delimiter)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(delimiter, start);
        if (at == std::string_view::npos) {
            parts.emplace_back(text.substr(start));
            return parts;
        }
        parts.emplace_back(text.substr(start, at - start));
        start = at + 1;
    }
}

} // namespace analyser
