#pragma once

#include "Export.h"
#include "IGlobal.h"

#include <QString>
#include <QVariant>

namespace viVavazuruv {

// The default interface of the component's class, in the member order hosts
// know. A host that loads the component at run time holds this interface and
// the IGlobal that QueryIGlobal returns; a host that links the library may use
// wkDatabases directly.
class _wkDatabases {
public:
    virtual ~_wkDatabases() = default;

    // Accepted and dropped: the office comes from the host's GIC.
    virtual void put_LocationID(qint32 lNewValue) = 0;
    // Always "".
    virtual QString get_LoginName() const = 0;
    // Accepted and dropped.
    virtual void put_LoginName(QString vNewValue) = 0;
    // Always an empty (invalid) QVariant.
    virtual QVariant get_MultiUser() const = 0;
    // Accepted and dropped.
    virtual void put_MultiUser(QVariant vNewValue) = 0;
    // Always "".
    virtual QString get_Path() const = 0;
    // Accepted and dropped.
    virtual void put_Path(QString vNewValue) = 0;

    // The same object's IGlobal, as a COM host would ask for it.
    virtual IGlobal* QueryIGlobal() = 0;
};

// The component's one public class. It has no per-instance data: the host
// objects and the request state are component-wide, so every instance sees what
// the last one received, and releasing an instance releases nothing else.
// Creating one opens no window and no connection.
class VIVAVAZURUV_EXPORT wkDatabases final : public _wkDatabases, public IGlobal {
public:
    wkDatabases() = default;
    ~wkDatabases() override = default;
    Q_DISABLE_COPY_MOVE(wkDatabases)

    void put_LocationID(qint32 lNewValue) override;
    QString get_LoginName() const override;
    void put_LoginName(QString vNewValue) override;
    QVariant get_MultiUser() const override;
    void put_MultiUser(QVariant vNewValue) override;
    QString get_Path() const override;
    void put_Path(QString vNewValue) override;
    IGlobal* QueryIGlobal() override;

    void put_DAC(const HostObject& value) override;
    HostObject get_DAC() const override;
    void put_GIC(const HostServicesRef& value) override;
    HostServicesRef get_GIC() const override;
    void put_GC(const HostObject& value) override;
    HostObject get_GC() const override;
    void put_PV(const HostObject& value) override;
    HostObject get_PV() const override;
};

} // namespace viVavazuruv
