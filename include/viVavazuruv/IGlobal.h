#pragma once

#include "Export.h"

#include "IHostServices.h"

#include <QObject>

#include <memory>

namespace viVavazuruv {

// The host's own objects as references. Only GIC is used by the component's
// work; DAC, GC and PV are stored and handed back for the host's convenience.
using HostObject = std::shared_ptr<QObject>;
using HostServicesRef = std::shared_ptr<IHostServices>;

// The interface through which a host lends the component its shared objects.
// A put takes a reference (the object lives at least as long as the component
// holds it); a get returns a new reference, or null when nothing was put.
// The values are component-wide: a put through any instance is seen by all.
class VIVAVAZURUV_EXPORT IGlobal {
public:
    virtual ~IGlobal() = default;

    virtual void put_DAC(const HostObject& value) = 0;
    virtual HostObject get_DAC() const = 0;

    virtual void put_GIC(const HostServicesRef& value) = 0;
    virtual HostServicesRef get_GIC() const = 0;

    virtual void put_GC(const HostObject& value) = 0;
    virtual HostObject get_GC() const = 0;

    virtual void put_PV(const HostObject& value) = 0;
    virtual HostObject get_PV() const = 0;
};

} // namespace viVavazuruv
