#pragma once

#include <QGroupBox>

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

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace viVavazuruv
