#pragma once

#include <QGroupBox>
#include <QStyleOptionGroupBox>

namespace viVavazuruv {

// A level's frame: a group box that draws its background, frame and title
// once for each look (size, title, state, palette, font, style) and then
// copies the picture. The style draws the frame by stretching an image over
// the whole box, the costliest part of painting a picker window, and every
// window of a list has the same frame. The box is opaque: what lies under it
// is neither painted nor shown. The pictures are kept in Qt's pixmap cache.
class LevelFrame final : public QGroupBox {
public:
    explicit LevelFrame(QWidget* parent);

    // Each frame's title in parent ends where a frame stacked over it begins
    // (a nested level moved up to the window's top lies beside the titles
    // below it): a longer title is elided, not covered. Runs again by itself
    // whenever a frame shows, hides, moves or changes its size.
    static void fitTitles(QWidget* parent);
    // The title as drawn: its rectangle in the frame, and the line it stands on.
    QRect titleRect() const;
    QRect titleBand() const;
    QString shownTitle() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitTitle();
    QStyleOptionGroupBox shownOption() const;
    int m_titleRoom = -1;
};

} // namespace viVavazuruv
