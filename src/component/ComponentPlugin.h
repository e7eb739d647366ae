#pragma once

#include <viVavazuruv/ComponentFactory.h>

#include <QObject>

namespace viVavazuruv {

// The plugin object a host's ComponentLoader finds by the ProgID in its metadata.
class ComponentPlugin final : public QObject, public IComponentFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID VIVAVAZURUV_COMPONENT_FACTORY_IID FILE "ComponentPlugin.json")
    Q_INTERFACES(viVavazuruv::IComponentFactory)

public:
    std::unique_ptr<_wkDatabases> CreateInstance(const QString& progId) override;
};

} // namespace viVavazuruv
