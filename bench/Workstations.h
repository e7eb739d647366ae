#pragma once

// The office bench_workstations sets up on one PostgreSQL server and the
// workstations (workstation_worker processes) work on, and the lines a
// workstation reports its operations in.

#include <QString>

#include <array>

namespace workstations {

// A list looked up and opened by every workstation.
struct OfficeList {
    const char* code;
    int rows;
};
inline constexpr std::array<OfficeList, 3> kLookupLists{{{"CRECARD", 20}, {"ALERT", 60}, {"DOCS", 200}}};

// The list saves edit: each workstation's own rows, and rows every
// workstation edits now and then, so two saves may meet on one of them.
inline constexpr char kEditList[] = "NOTES";
inline constexpr int kMaxWorkstations = 32;
inline constexpr int kOwnRows = 4;
inline constexpr int kSharedRows = 8;
inline const QString kSharedGroup = QStringLiteral("SH");

inline QString groupOf(int row) {
    return QStringLiteral("G%1").arg(row, 3, 10, QLatin1Char('0'));
}
inline QString descriptionOf(const QString& list, int row) {
    return QStringLiteral("%1 entry %2").arg(list).arg(row);
}
inline QString ownGroup(int workstation) {
    return QStringLiteral("W%1").arg(workstation, 2, 10, QLatin1Char('0'));
}

// A workstation's report, one line an operation: kind, microseconds,
// requests sent to the server, CPU microseconds of the workstation; then one
// closing line.
inline constexpr char kLookup = 'L';
inline constexpr char kOpen = 'O';
inline constexpr char kSave = 'S';
// "E <CPU microseconds of the run> <conflicts> <errors>"
inline constexpr char kEnd = 'E';

} // namespace workstations
