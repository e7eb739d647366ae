#pragma once

#include "AutomationError.h"
#include "ComponentFactory.h"

#include <QDir>
#include <QJsonObject>
#include <QPluginLoader>
#include <QStringList>

#include <memory>

namespace viVavazuruv {

// Finds the component library registered for a ProgID among the folders given
// (and those in the VIVAVAZURUV_COMPONENT_PATH environment variable, separated
// by ':'), loads it once and creates an instance: the stand-in for creating a
// COM object by ProgID. Libraries are recognised by their plugin metadata, so
// nothing is loaded that does not declare the ProgID.
class ComponentLoader {
public:
    explicit ComponentLoader(QStringList searchFolders = {}) : m_folders(std::move(searchFolders)) {
        const QString env = qEnvironmentVariable("VIVAVAZURUV_COMPONENT_PATH");
        if (!env.isEmpty())
            m_folders += env.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    }

    // The path of the library that declares progId, or "" when none does.
    QString FindLibrary(const QString& progId) const {
        for (const QString& folder : m_folders) {
            const QDir dir(folder);
            const QStringList files = dir.entryList({QStringLiteral("*.so"), QStringLiteral("*.so.*"),
                                                     QStringLiteral("*.dylib"), QStringLiteral("*.dll")},
                                                    QDir::Files);
            for (const QString& name : files) {
                const QString path = dir.absoluteFilePath(name);
                const QJsonObject meta = QPluginLoader(path).metaData();
                if (meta.value(QStringLiteral("IID")).toString() !=
                    QLatin1String(VIVAVAZURUV_COMPONENT_FACTORY_IID))
                    continue;
                const QJsonObject own = meta.value(QStringLiteral("MetaData")).toObject();
                if (own.value(QStringLiteral("ProgID")).toString().compare(progId, Qt::CaseInsensitive) == 0)
                    return path;
            }
        }
        return {};
    }

    // The metadata object the library declares ("ProgID", "Version", "HelpString").
    static QJsonObject Metadata(const QString& libraryPath) {
        return QPluginLoader(libraryPath).metaData().value(QStringLiteral("MetaData")).toObject();
    }

    // Creates an instance; throws AutomationError when no library declares the
    // ProgID or the library cannot be loaded. The library stays loaded for the
    // life of the process, as an in-process server does.
    std::unique_ptr<_wkDatabases> CreateObject(const QString& progId) const {
        const QString path = FindLibrary(progId);
        if (path.isEmpty())
            throw AutomationError(ErrorCode::ComponentNotFound,
                                  QStringLiteral("No component is registered for \"%1\".").arg(progId));
        QPluginLoader loader(path);
        auto* factory = qobject_cast<IComponentFactory*>(loader.instance());
        if (!factory)
            throw AutomationError(ErrorCode::ComponentNotFound,
                                  QStringLiteral("The component library %1 could not be loaded: %2")
                                      .arg(path, loader.errorString()));
        auto object = factory->CreateInstance(progId);
        if (!object)
            throw AutomationError(
                ErrorCode::ComponentNotFound,
                QStringLiteral("The component library %1 does not create \"%2\".").arg(path, progId));
        return object;
    }

private:
    QStringList m_folders;
};

} // namespace viVavazuruv
