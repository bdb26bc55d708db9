#include "datasource/Utf8Text.h"

#include <QStringDecoder>

namespace dorvane::utf8text {

void decodeInto(QString& text, const char* bytes, qsizetype length)
{
    text.resize(length); // never more UTF-16 units than UTF-8 bytes
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QChar* end = decoder.appendToBuffer(text.data(), QByteArrayView(bytes, length));
    text.truncate(end - text.constData());
}

} // namespace dorvane::utf8text
