#include "PickerLevel.h"

#include "FormTwips.h"
#include "LevelFrame.h"
#include "ListColumns.h"
#include "wkDatabases_Form.h"
#include <grid/GridControl.h>
#include <grid/GridModel.h>

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>

namespace viVavazuruv {

namespace {
// The layout inside a level's frame, in twips.
constexpr qint32 kButtonWidth = 990;
constexpr qint32 kButtonHeight = 375;
constexpr qint32 kButtonTop = 240;
constexpr qint32 kInset = PickerLevel::Inset;
constexpr qint32 kGridGap = 45;
constexpr qint32 kGridBottom = 90;

// A caption as it is read out: without the mark of its access key ("&&" stays one "&").
QString withoutAccessKey(const QString& caption) {
    QString text;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        text += caption.at(i);
    }
    return text;
}

void placeInTwips(QWidget* widget, qint32 left, qint32 top, qint32 width, qint32 height) {
    widget->setGeometry(twips::twipsToPixelsX(left), twips::twipsToPixelsY(top),
                        std::max(0, twips::twipsToPixelsX(width)),
                        std::max(0, twips::twipsToPixelsY(height)));
}
} // namespace

PickerLevel::PickerLevel(wkDatabases_Form& form, int index) : m_form(form), m_index(index) {
    const QString suffix = QLatin1Char('_') + QString::number(index);
    Uddbs_Frame = new LevelFrame(&form);
    Uddbs_Frame->setObjectName(QStringLiteral("Uddbs_Frame") + suffix);
    // A nested level's frame lies over the levels below it and must hide them.
    Uddbs_Frame->setAutoFillBackground(true);
    uddbs_SS = new grid::GridControl(Uddbs_Frame);
    uddbs_SS->setObjectName(QStringLiteral("uddbs_SS") + suffix);
    uddbs_SS->setEventSink(this);
    uddbs_SS->model()->setTitleLineColumn(ListColumn::Description);
    // A window widened for editing gives the extra width to the descriptions.
    uddbs_SS->setSpareWidthColumn(ListColumn::Description);

    const auto makeButton = [&](const QString& name, const QString& caption) {
        auto* button = new QPushButton(caption, Uddbs_Frame);
        button->setObjectName(name + suffix);
        button->setAutoDefault(false);
        button->setProperty("level", index);
        button->installEventFilter(&form);
        button->setAccessibleName(withoutAccessKey(caption));
        return button;
    };
    cmd_Add = makeButton(QStringLiteral("cmd_Add"), tr("&New"));
    cmd_Select = makeButton(QStringLiteral("cmd_Select"), tr("&OK"));
    cmd_Cancel = makeButton(QStringLiteral("cmd_Cancel"), tr("&Close"));
    cmd_Edit = makeButton(QStringLiteral("cmd_Edit"), tr(BrowseCaption));
    cmd_Del = makeButton(QStringLiteral("cmd_Del"), tr("&Delete"));

    // Design positions (Top 300, Lefts 120/855/1560/2280/3120); Arrange_Controls
    // moves them before the window shows.
    const qint32 lefts[] = {120, 855, 1560, 2280, 3120};
    QPushButton* buttons[] = {cmd_Add, cmd_Select, cmd_Cancel, cmd_Edit, cmd_Del};
    for (int i = 0; i < 5; ++i)
        placeInTwips(buttons[i], lefts[i], 300, kButtonWidth, kButtonHeight);
    setTitle(QString());
    setMode(LevelMode::Browse);
}

PickerLevel::~PickerLevel() {
    // The window owns the widgets; the grid must not call a sink that is gone.
    if (uddbs_SS)
        uddbs_SS->setEventSink(nullptr);
}

void PickerLevel::makeStatusBar() {
    if (uddbs_SBar)
        return;
    const QString suffix = QLatin1Char('_') + QString::number(m_index);
    uddbs_SBar = new QStatusBar(Uddbs_Frame);
    uddbs_SBar->setObjectName(QStringLiteral("uddbs_SBar") + suffix);
    uddbs_SBar->setSizeGripEnabled(false);
    uddbs_SBar->setAccessibleName(tr("Hint"));
    uddbs_SBarPanel = new QLabel(m_hint, uddbs_SBar);
    uddbs_SBarPanel->setObjectName(QStringLiteral("uddbs_SBarPanel") + suffix);
    uddbs_SBar->addWidget(uddbs_SBarPanel, 1);
}

void PickerLevel::setHint(const QString& text) {
    m_hint = text;
    if (uddbs_SBarPanel)
        uddbs_SBarPanel->setText(text);
}

IGridControl& PickerLevel::grid() const {
    return *uddbs_SS;
}

void PickerLevel::setMode(LevelMode mode) {
    Mode = mode;
    cmd_Edit->setText(tr(mode == LevelMode::Edit ? EditingCaption : BrowseCaption));
    cmd_Edit->setAccessibleName(withoutAccessKey(cmd_Edit->text()));
    const QString keys =
        mode == LevelMode::Edit
            ? tr("F2 edits a cell, the context-menu key attaches a letter file, Escape "
                 "throws the changes away")
            : tr("Enter chooses, Space ticks, a letter or digit finds an entry, Escape closes");
    uddbs_SS->setAccessibleDescription(keys);
    uddbs_SS->view()->setAccessibleDescription(keys);
    updateNames();
}

void PickerLevel::setTitle(const QString& title, const QString& mark) {
    Uddbs_Frame->setTitle(title + mark);
}

void PickerLevel::setSubject(const QString& subject) {
    m_subject = subject.trimmed();
    updateNames();
}

void PickerLevel::setTicksRows(bool ticks) {
    m_ticksRows = ticks;
    updateNames();
}

void PickerLevel::updateNames() {
    const bool named = !m_subject.isEmpty();
    QString grid;
    if (editing())
        grid = named ? tr("%1, editing").arg(m_subject) : tr("Editing the list");
    else if (m_ticksRows)
        grid = named ? tr("%1, tick any number").arg(m_subject) : tr("Tick any number");
    else
        grid = named ? tr("%1, choose one").arg(m_subject) : tr("Choose one");
    Uddbs_Frame->setAccessibleName(tr("Level %1: %2").arg(m_index + 1).arg(named ? m_subject : grid));
    uddbs_SS->setAccessibleName(grid);
    uddbs_SS->view()->setAccessibleName(grid);
}

void PickerLevel::setCovered(bool covered) {
    if (covered == m_covered)
        return;
    if (covered)
        m_editEnabled = cmd_Edit->isEnabled();
    m_covered = covered;
    cmd_Edit->setEnabled(covered ? false : m_editEnabled);
}

void PickerLevel::place(qint32 frameLeft, qint32 frameTop, qint32 frameWidth, qint32 frameHeight,
                        bool showAddDelete) {
    placeInTwips(Uddbs_Frame, frameLeft, frameTop, frameWidth, frameHeight);

    // A frame narrower than its screen lets the window be gets narrower
    // buttons, never buttons over each other.
    const qint32 buttonWidth =
        std::clamp<qint32>((frameWidth - (MinFrameWidth - 3 * kButtonWidth)) / 3, 0, kButtonWidth);
    placeInTwips(cmd_Select, kInset, kButtonTop, buttonWidth, kButtonHeight);
    placeInTwips(cmd_Edit, kInset + buttonWidth + kInset, kButtonTop, buttonWidth, kButtonHeight);
    placeInTwips(cmd_Add, kInset, kButtonTop, buttonWidth, kButtonHeight);
    cmd_Add->setVisible(showAddDelete);
    const qint32 rightButton = frameWidth - kInset - buttonWidth;
    placeInTwips(cmd_Cancel, rightButton, kButtonTop, buttonWidth, kButtonHeight);
    placeInTwips(cmd_Del, rightButton, kButtonTop, buttonWidth, kButtonHeight);
    cmd_Del->setVisible(showAddDelete);

    // The hint line belongs to edit mode; most windows never show it.
    const bool barShown = editing();
    if (barShown)
        makeStatusBar();
    if (uddbs_SBar)
        uddbs_SBar->setVisible(barShown);
    const qint32 barHeight = barShown ? twips::pixelsToTwipsY(uddbs_SBar->sizeHint().height()) : 0;

    const qint32 gridTop = kButtonTop + kButtonHeight + kGridGap;
    const qint32 gridWidth = frameWidth - 2 * kInset;
    const qint32 gridHeight = frameHeight - gridTop - kGridBottom - barHeight;
    grid().Move(kInset, gridTop, std::max(0, gridWidth), std::max(0, gridHeight));
    grid().setReDraw(true);
    if (barShown)
        placeInTwips(uddbs_SBar, kInset, gridTop + gridHeight, gridWidth, barHeight);
}

void PickerLevel::CellChange(qint32 Col, qint32 Row) {
    m_form.runHandler([&] { m_form.uddbs_SS_CellChange(qint16(m_index), Col, Row); });
}

void PickerLevel::CellClick(qint32 Col, qint32 Row) {
    m_form.runHandler([&] { m_form.uddbs_SS_CellClick(qint16(m_index), Col, Row); });
}

void PickerLevel::CellDoubleClick(qint32 Col, qint32 Row) {
    m_form.runHandler([&] { m_form.uddbs_SS_CellDoubleClick(qint16(m_index), Col, Row); });
}

void PickerLevel::EditModeChange(qint32 Col, qint32 Row, qint16 Mode, bool ChangeMade) {
    m_form.runHandler([&] { m_form.uddbs_SS_EditModeChange(qint16(m_index), Col, Row, Mode, ChangeMade); });
}

void PickerLevel::RightClick(qint16 ClickType, qint32 Col, qint32 Row, qint32 X, qint32 Y) {
    m_form.runHandler([&] { m_form.uddbs_SS_RightClick(qint16(m_index), ClickType, Col, Row, X, Y); });
}

void PickerLevel::TopLeftChange(qint32 OldLeft, qint32 OldTop, qint32 NewLeft, qint32 NewTop) {
    m_form.runHandler(
        [&] { m_form.uddbs_SS_TopLeftChange(qint16(m_index), OldLeft, OldTop, NewLeft, NewTop); });
}

void PickerLevel::KeyDown(qint16& KeyCode, qint16& Shift) {
    m_form.runHandler([&] { m_form.uddbs_SS_KeyDown(qint16(m_index), KeyCode, Shift); });
}

void PickerLevel::MouseUp(qint16& Button, qint16& Shift, float X, float Y) {
    m_form.runHandler([&] { m_form.uddbs_SS_MouseUp(qint16(m_index), Button, Shift, X, Y); });
}

} // namespace viVavazuruv
