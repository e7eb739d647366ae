#pragma once

#include <viVavazuruv/IGridControl.h>

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QString>

#include <memory>

class QGroupBox;

namespace viVavazuruv {

namespace platform {
class GridControl;
}

// The controls of one picker level and the state that belongs to it. Levels
// are numbered 0 to 3; every control's objectName is its name and level
// (cmd_Select_0, uddbs_SS_1, Uddbs_Frame_2, uddbs_SBar_0).
struct FormLevel {
    QGroupBox* Uddbs_Frame = nullptr;
    platform::GridControl* uddbs_SS = nullptr;
    QPushButton* cmd_Select = nullptr;
    QPushButton* cmd_Edit = nullptr;
    QPushButton* cmd_Add = nullptr;
    QPushButton* cmd_Cancel = nullptr;
    QPushButton* cmd_Del = nullptr;
    QStatusBar* uddbs_SBar = nullptr;
    QLabel* uddbs_SBarPanel = nullptr; // the status bar's first panel

    // The frame's Tag: the level's list code.
    QString FrameTag;

    bool ListChanged = false;
    qint16 ColumnCount = 0;
    qint16 StatusColumn = 0;
    qint32 DescriptionColumn = 0;
    qint32 GroupColumn = 0;
    // -2 undecided, -1 the level shows pipe-sign variables, 0 it does not.
    qint16 PipeSignLevel = -2;

    IGridControl& grid() const;
};

} // namespace viVavazuruv
