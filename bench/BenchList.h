#pragma once

#include <core/PickerRequest.h>
#include <viVavazuruv/ReferenceHost.h>

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace viVavazuruv {
class RequestState;
}

// The list every picker benchmark works on: one SQLite database per length,
// made once per program and reused. Groups are two letters from A to P and
// descriptions four procedure words and a number, so a search for Q finds
// nothing in the columns a person sees.
inline const QString kBenchListCode = QStringLiteral("BENCH");

class BenchDatabase {
public:
    static BenchDatabase& forRows(int rows);

    QString path() const { return m_dir.filePath(QStringLiteral("bench.db")); }
    std::shared_ptr<viVavazuruv::ReferenceHost> host() const { return m_host; }

private:
    explicit BenchDatabase(int rows);

    QTemporaryDir m_dir;
    std::shared_ptr<viVavazuruv::ReferenceHost> m_host;
};

// The request an entry point makes for a generic list, over the host put as GIC.
viVavazuruv::PickerRequest benchRequest(viVavazuruv::RequestState& state,
                                        const std::shared_ptr<viVavazuruv::ReferenceHost>& host,
                                        const QString& listCode);
