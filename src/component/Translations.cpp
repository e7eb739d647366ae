#include <viVavazuruv/Translations.h>

#include <QDir>
#include <QFileInfo>
#include <QTranslator>

#include <dlfcn.h>

namespace viVavazuruv {

namespace {

// The folder of the file this code was loaded from: the shared library (a
// link to it, as in the component folder, resolved), or a program that links
// the component's layers itself.
QString loadedFromFolder() {
    static const char anchor = 0;
    Dl_info info{};
    if (dladdr(&anchor, &info) == 0 || !info.dli_fname)
        return {};
    const QFileInfo file(QString::fromLocal8Bit(info.dli_fname));
    const QString resolved = file.canonicalFilePath();
    return QFileInfo(resolved.isEmpty() ? file.absoluteFilePath() : resolved).absolutePath();
}

} // namespace

QString TranslationsFolder() {
    const QDir from(loadedFromFolder());
    const QString installed =
        QDir::cleanPath(from.filePath(QStringLiteral(VIVAVAZURUV_INSTALLED_TRANSLATIONS)));
    if (QFileInfo(installed).isDir())
        return installed;
    const QString built = QDir::cleanPath(from.filePath(QStringLiteral(VIVAVAZURUV_BUILT_TRANSLATIONS)));
    return QFileInfo(built).isDir() ? built : installed;
}

bool LoadTranslation(QTranslator& translator, const QLocale& locale) {
    return translator.load(locale, QStringLiteral("viVavazuruv"), QStringLiteral("_"), TranslationsFolder());
}

} // namespace viVavazuruv
