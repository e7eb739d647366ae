#include "ComponentPlugin.h"

namespace viVavazuruv {

std::unique_ptr<_wkDatabases> ComponentPlugin::CreateInstance(const QString& progId) {
    if (progId.compare(QLatin1String(kProgId), Qt::CaseInsensitive) != 0)
        return nullptr;
    return std::make_unique<wkDatabases>();
}

} // namespace viVavazuruv
