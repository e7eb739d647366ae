#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace viVavazuruv {

// What a level is doing with its list: picking rows, or editing them in
// place. The Edit button shows it ("&Edit" while browsing, "D&one" while
// editing); PickerLevel::setMode keeps the two together.
enum class LevelMode { Browse, Edit };

// Whether a level's list shows its two-character variables as "(?)". The
// list's first title line decides while the list is filled; a list without
// title lines stays undecided and shows them as stored.
enum class PipeSignMode { Undecided, ShowsVariables, DoesNot };

// One level's list as the window and its edit session work on it: the list
// code, where its columns are, whether it changed, and what the conflict
// check measures edits against. Grid-free, so an edit session can be tested
// without a window.
struct LevelList {
    // The frame's Tag: the level's list code.
    QString FrameTag;
    LevelMode Mode = LevelMode::Browse;
    bool ListChanged = false;
    qint16 ColumnCount = 0;
    qint16 StatusColumn = 0;
    qint32 DescriptionColumn = 0;
    qint32 GroupColumn = 0;
    PipeSignMode PipeSignLevel = PipeSignMode::Undecided;
    // Each stored row as it stood when editing began (fields 1 to
    // ColumnCount - 1, by key), kept while the host asks for conflict checks:
    // what another workstation changed since is measured against it.
    QHash<qint32, QStringList> LoadedRows;

    bool editing() const { return Mode == LevelMode::Edit; }
};

} // namespace viVavazuruv
