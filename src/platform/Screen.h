#pragma once
// The screen as the magnifier sees it: the pointer, the primary screen's
// size and a picture of a part of it.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

namespace orvane::platform {

class Screen {
public:
    virtual ~Screen() = default;
    // The pointer in screen coordinates; nothing when it cannot be known.
    virtual std::optional<QPoint> CursorPos() const = 0;
    virtual QSize PrimarySize() const = 0;
    // The pixels of a rectangle of the primary screen (parts outside the
    // screen are black).
    virtual QImage Grab(const QRect& area) const = 0;
};

// QScreen::grabWindow of the primary screen.
class QtScreen : public Screen {
public:
    std::optional<QPoint> CursorPos() const override;
    QSize PrimarySize() const override;
    QImage Grab(const QRect& area) const override;
};

} // namespace orvane::platform
