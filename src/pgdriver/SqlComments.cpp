#include "SqlComments.h"

namespace viVavazuruv::pgdriver {

qsizetype skipBlockComment(QStringView s, qsizetype i) {
    const qsizetype n = s.size();
    int depth = 1;
    i += 2;
    while (i < n && depth > 0) {
        if (s[i] == u'/' && i + 1 < n && s[i + 1] == u'*') {
            ++depth;
            i += 2;
        } else if (s[i] == u'*' && i + 1 < n && s[i + 1] == u'/') {
            --depth;
            i += 2;
        } else {
            ++i;
        }
    }
    return i;
}

} // namespace viVavazuruv::pgdriver
