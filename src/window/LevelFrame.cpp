#include "LevelFrame.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOptionGroupBox>

namespace viVavazuruv {

namespace {

// Everything that decides how the frame looks: the style, the box's size and
// state, its title and the colours and font it is drawn in.
QString frameKey(const QStyle& style, const QStyleOptionGroupBox& option, const QFont& font, qreal ratio) {
    size_t colours = 0;
    const QPalette::ColorGroup group = option.palette.currentColorGroup();
    for (int role = 0; role < QPalette::NColorRoles; ++role)
        colours = qHashMulti(colours, option.palette.color(group, QPalette::ColorRole(role)).rgba());
    return QStringLiteral("viVavazuruv-frame-%1-%2x%3@%4-%5-%6-%7-%8-%9")
        .arg(quintptr(&style))
        .arg(option.rect.width())
        .arg(option.rect.height())
        .arg(ratio)
        .arg(uint(option.state))
        .arg(uint(option.subControls) | uint(option.activeSubControls) << 16)
        .arg(QStringLiteral("%1.%2.%3.%4.%5.%6")
                 .arg(int(option.direction))
                 .arg(uint(option.features))
                 .arg(uint(option.textAlignment))
                 .arg(option.textColor.rgba())
                 .arg(option.lineWidth)
                 .arg(option.midLineWidth))
        .arg(colours)
        .arg(font.key() + QLatin1Char('-') + option.text);
}

// The desktop style's frame, drawn here as that style draws it: the style
// takes its frame from an image file, and the first image file a process
// reads has Qt look through every image format it has a plug-in for, 3.5 ms
// of a host's first picker window. Any other style draws its own.
bool drawnHere(const QStyle& style) {
    return style.name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0;
}

void drawFusionFrame(QPainter& painter, const QStyle& style, const QStyleOptionGroupBox& option,
                     const QWidget* box) {
    const QColor window = option.palette.color(QPalette::Window);
    // The style's frame starts below the title line and its image's first row.
    const int top = qMax(style.pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, &option, box),
                         option.fontMetrics.height()) +
                    4;
    const QRectF frame = QRectF(option.rect.adjusted(0, top, 0, 0));
    constexpr qreal shade = 0.9874; // the image's inside over the window's colour
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(window.darker(111), 1));
    painter.setBrush(
        QColor::fromRgbF(window.redF() * shade, window.greenF() * shade, window.blueF() * shade));
    painter.drawRoundedRect(frame.adjusted(1.5, 0.5, -0.5, -0.5), 2, 2);
    painter.setPen(QPen(window.darker(103), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(frame.adjusted(2.5, 1.5, -1.5, -1.5), 1, 1);
    painter.restore();
    const QRect label = style.subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    painter.setPen(option.textColor.isValid() ? option.textColor
                                              : option.palette.color(QPalette::WindowText));
    int alignment = Qt::TextShowMnemonic | Qt::AlignLeft | int(option.textAlignment);
    if (!style.styleHint(QStyle::SH_UnderlineShortcut, &option, box))
        alignment |= Qt::TextHideMnemonic;
    style.drawItemText(&painter, label, alignment, option.palette, option.state & QStyle::State_Enabled,
                       option.text, QPalette::NoRole);
}

} // namespace

LevelFrame::LevelFrame(QWidget* parent) : QGroupBox(parent) {
    // The picture covers the whole box, background included: nothing is
    // painted under it first, neither the box's own background nor the
    // window's (a nested level's frame hides the levels below it).
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LevelFrame::fitTitles(QWidget* parent) {
    if (!parent)
        return;
    for (QObject* child : parent->children()) {
        if (auto* frame = dynamic_cast<LevelFrame*>(child))
            frame->fitTitle();
    }
}

void LevelFrame::fitTitle() {
    int room = -1;
    if (const QWidget* parent = parentWidget()) {
        const QRect band = titleBand().translated(pos());
        bool over = false; // later children are stacked over this one
        for (const QObject* child : parent->children()) {
            if (child == this) {
                over = true;
                continue;
            }
            const auto* frame = dynamic_cast<const LevelFrame*>(child);
            if (over && frame && !frame->isHidden() && frame->geometry().intersects(band))
                room = std::min(room < 0 ? width() : room, frame->x() - x());
        }
    }
    if (room == m_titleRoom)
        return;
    m_titleRoom = room;
    update();
}

void LevelFrame::showEvent(QShowEvent* event) {
    QGroupBox::showEvent(event);
    fitTitles(parentWidget());
}

void LevelFrame::hideEvent(QHideEvent* event) {
    QGroupBox::hideEvent(event);
    fitTitles(parentWidget());
}

void LevelFrame::moveEvent(QMoveEvent* event) {
    QGroupBox::moveEvent(event);
    fitTitles(parentWidget());
}

void LevelFrame::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    fitTitles(parentWidget());
}

QStyleOptionGroupBox LevelFrame::shownOption() const {
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const int room = m_titleRoom < 0 ? width() : std::min(m_titleRoom, width());
    const QRect full = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    if (option.text.isEmpty() || full.right() < room)
        return option;
    // What the label takes beyond its text (margins), kept; the text gives way.
    const int textWidth = option.fontMetrics.horizontalAdvance(option.text, Qt::TextShowMnemonic);
    const int margins = full.width() - textWidth;
    const int gap = option.fontMetrics.averageCharWidth();
    option.text = option.fontMetrics.elidedText(
        option.text, Qt::ElideRight, std::max(0, room - full.left() - margins - gap), Qt::TextShowMnemonic);
    return option;
}

QString LevelFrame::shownTitle() const {
    return shownOption().text;
}

QRect LevelFrame::titleRect() const {
    const QStyleOptionGroupBox option = shownOption();
    if (option.text.isEmpty())
        return {};
    return style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
}

QRect LevelFrame::titleBand() const {
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const QRect label = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    return QRect(0, 0, width(), std::max(label.bottom() + 1, option.fontMetrics.height()));
}

void LevelFrame::paintEvent(QPaintEvent* event) {
    const QStyleOptionGroupBox option = shownOption();
    const qreal ratio = devicePixelRatio();
    const QString key = frameKey(*style(), option, font(), ratio);
    QPixmap picture;
    if (!QPixmapCache::find(key, &picture)) {
        picture = QPixmap(option.rect.size() * ratio);
        picture.setDevicePixelRatio(ratio);
        // The box's background goes under the frame, so the frame's soft
        // edges blend with it as they would on the screen.
        const QBrush background = palette().brush(backgroundRole());
        picture.fill(background.style() == Qt::SolidPattern ? background.color() : QColor(Qt::transparent));
        QPainter painter(&picture);
        if (background.style() != Qt::SolidPattern)
            painter.fillRect(QRect(QPoint(0, 0), option.rect.size()), background);
        // As a painter on the box itself starts.
        painter.setFont(font());
        painter.setPen(palette().color(foregroundRole()));
        painter.setBrush(palette().brush(backgroundRole()));
        painter.translate(-option.rect.topLeft());
        if (drawnHere(*style()))
            drawFusionFrame(painter, *style(), option, this);
        else
            style()->drawComplexControl(QStyle::CC_GroupBox, &option, &painter, this);
        painter.end();
        QPixmapCache::insert(key, picture);
    }
    // Only what shows: the grid and the buttons cover most of the box.
    QPainter painter(this);
    for (const QRect& part : event->region()) {
        const QRectF from = part.translated(-option.rect.topLeft());
        painter.drawPixmap(QRectF(part), picture,
                           QRectF(from.topLeft() * ratio, from.size() * ratio)); // in the picture's pixels
    }
}

} // namespace viVavazuruv
