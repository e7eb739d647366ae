#pragma once

#include "Export.h"

#include <QLocale>
#include <QString>

class QTranslator;

namespace viVavazuruv {

// The office's language. The component, the reference host and the demo host
// keep their texts in one catalogue per language, viVavazuruv_<language>.qm
// (de, es). With no catalogue installed every text is the English one.

// The folder of the catalogues: <prefix>/share/viVavazuruv/translations beside
// the installed library, or the build tree's own when the library runs from there.
VIVAVAZURUV_EXPORT QString TranslationsFolder();

// Loads into translator the catalogue of locale's first language that has one
// (for de_AT: viVavazuruv_de_AT.qm, then viVavazuruv_de.qm) from
// TranslationsFolder(); false when none has one, English among them. The host
// then installs the translator with QCoreApplication::installTranslator.
VIVAVAZURUV_EXPORT bool LoadTranslation(QTranslator& translator, const QLocale& locale);

} // namespace viVavazuruv
