#pragma once
#include <QString>
#include <string>
#include <string_view>

#include "core/encoding.h"

namespace tieba {

// The one crossing between the program's GB18030 texts and Qt's strings. Widgets receive a
// program text only through toQt and hand one back only through fromQt.

// Bytes that are not valid GB18030 (a cut page, say) are dropped rather than blanking the text.
inline QString toQt(const std::string& gb18030)
{
    const std::string utf8 = convertLenient(gb18030, "GB18030", "UTF-8");
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string fromQt(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return gbFromUtf8(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

// Multi-line boxes: the program's texts end their lines with CR LF, Qt's text boxes with LF.
inline QString toQtLines(const std::string& gb18030)
{
    QString text = toQt(gb18030);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

inline std::string fromQtLines(const QString& text)
{
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return fromQt(crlf);
}

} // namespace tieba
