#pragma once

#include "Export.h"

#include "wkDatabases.h"

#include <QtPlugin>

#include <memory>

namespace viVavazuruv {

// What the component's shared library exports as a Qt plugin. Its metadata
// carries "ProgID", "Version" and "HelpString", so a loader can find the
// library for a ProgID without creating anything.
class VIVAVAZURUV_EXPORT IComponentFactory {
public:
    virtual ~IComponentFactory() = default;
    // A new instance of the class named by progId, or null for an unknown ProgID.
    virtual std::unique_ptr<_wkDatabases> CreateInstance(const QString& progId) = 0;
};

inline constexpr char kProgId[] = "viVavazuruv.wkDatabases";

} // namespace viVavazuruv

// Changes whenever a host-facing interface's layout does (30.1: IHostServices
// gained the run of saves; 30.2: LastChange), so a host built against other headers is refused
// a plugin instead of calling into the wrong slots.
#define VIVAVAZURUV_COMPONENT_FACTORY_IID "org.viVavazuruv.IComponentFactory/30.2"
Q_DECLARE_INTERFACE(viVavazuruv::IComponentFactory, VIVAVAZURUV_COMPONENT_FACTORY_IID)
