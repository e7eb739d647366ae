#include <core/RequestState.h>

#include <viVavazuruv/wkDatabases.h>

namespace viVavazuruv {

// The context properties are accepted for hosts that still set them; the
// office, user and data location come from the host's GIC instead.
void wkDatabases::put_LocationID(qint32) {}
QString wkDatabases::get_LoginName() const {
    return {};
}
void wkDatabases::put_LoginName(QString) {}
QVariant wkDatabases::get_MultiUser() const {
    return {};
}
void wkDatabases::put_MultiUser(QVariant) {}
QString wkDatabases::get_Path() const {
    return {};
}
void wkDatabases::put_Path(QString) {}

IGlobal* wkDatabases::QueryIGlobal() {
    return this;
}

void wkDatabases::put_DAC(const HostObject& value) {
    RequestState::ReleaseHostObjectsAtUnload();
    RequestState::instance().DAC = value;
}
HostObject wkDatabases::get_DAC() const {
    return RequestState::instance().DAC;
}
void wkDatabases::put_GIC(const HostServicesRef& value) {
    RequestState::ReleaseHostObjectsAtUnload();
    RequestState::instance().GIC = value;
}
HostServicesRef wkDatabases::get_GIC() const {
    return RequestState::instance().GIC;
}
void wkDatabases::put_GC(const HostObject& value) {
    RequestState::ReleaseHostObjectsAtUnload();
    RequestState::instance().GC = value;
}
HostObject wkDatabases::get_GC() const {
    return RequestState::instance().GC;
}
void wkDatabases::put_PV(const HostObject& value) {
    RequestState::ReleaseHostObjectsAtUnload();
    RequestState::instance().PV = value;
}
HostObject wkDatabases::get_PV() const {
    return RequestState::instance().PV;
}

} // namespace viVavazuruv
