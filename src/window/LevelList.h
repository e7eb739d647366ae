#pragma once

#include <core/PickerRequest.h>
#include <grid/IGridControl.h>

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

    // The request's columns as a level sets them up: the description and the
    // group column found by their captions; title lines (and so pipe-sign
    // variables) only in a list that is grouped; the status column after the
    // list's own. The pipe-sign mode is undecided until the list is filled.
    void setUpColumns(const PickerRequest& request) {
        ColumnCount = qint16(request.ColumnWidths.UBound());
        StatusColumn = qint16(ColumnCount + 1);
        PipeSignLevel = PipeSignMode::Undecided;
        DescriptionColumn = 0;
        GroupColumn = 0;
        for (int c = 1; c <= ColumnCount; ++c) {
            const QString upper = request.ColumnCaptions(c).toUpper();
            if (upper.contains(QStringLiteral("DESCRIP")))
                DescriptionColumn = c;
            if (upper.contains(QStringLiteral("GP")))
                GroupColumn = c;
        }
        if (GroupColumn == 0)
            DescriptionColumn = 0;
    }

    // For each row as the list is filled, in the order read; text(col) is
    // the row's text in a column. The first title line decides whether the
    // list shows its variables: it does when that line's group is "*M".
    template <typename RowText> void decidePipeSigns(const RowText& text) {
        if (DescriptionColumn < 1 || PipeSignLevel != PipeSignMode::Undecided ||
            !text(DescriptionColumn).startsWith(TitleLinePrefix))
            return;
        PipeSignLevel = text(GroupColumn).toString().toUpper() == QLatin1String("*M")
                            ? PipeSignMode::ShowsVariables
                            : PipeSignMode::DoesNot;
    }
};

} // namespace viVavazuruv
