#include "TextOutput.h"

#include <viVavazuruv/AutomationError.h>

using namespace Qt::StringLiterals;

namespace viVavazuruv::lists {

void appendJsonString(QString& out, QStringView text) {
    out += u'"';
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"':
            out += u"\\\""_s;
            break;
        case u'\\':
            out += u"\\\\"_s;
            break;
        case u'\n':
            out += u"\\n"_s;
            break;
        case u'\r':
            out += u"\\r"_s;
            break;
        case u'\t':
            out += u"\\t"_s;
            break;
        default:
            if (c.unicode() < 0x20)
                out += u"\\u%1"_s.arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += u'"';
}

void Output::flush() {
    const QByteArray bytes = m_text.toUtf8();
    if (m_device.write(bytes) != bytes.size())
        throw AutomationError(ErrorCode::HostError,
                              u"Writing the lists failed: %1"_s.arg(m_device.errorString()));
    m_text.clear();
}

} // namespace viVavazuruv::lists
