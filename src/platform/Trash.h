#pragma once
// The desktop's trash (freedesktop.org Trash): files sent there can be
// restored from the desktop's trash window.
#include <QString>

namespace orvane::platform {

class Trash {
public:
    virtual ~Trash() = default;
    // Moves one file or folder to the trash; false (and the file stays where
    // it is) when it cannot be trashed.
    virtual bool MoveToTrash(const QString& path) = 0;
};

// The real trash, kept the freedesktop.org way by the program itself: the home trash
// under $XDG_DATA_HOME (default ~/.local/share) for files on the home's
// device, else the trash at the top of the file's own mount. A file is never
// copied: when no trash on its device can be used the call fails.
class FreedesktopTrash : public Trash {
public:
    bool MoveToTrash(const QString& path) override;
};

} // namespace orvane::platform
