#pragma once

#include <QAbstractNativeEventFilter>
#include <memory>

class QWidget;

// While it lives, serves the data of a drag out of `pane` to drop targets that ask for it while
// the drag is still moving. GTK 4 file managers read the files during the drag and give up on
// the drop when that read is refused without naming the format, which Qt's X11 drag does. Does
// nothing where the window system needs no help (Windows, Wayland, no display).
class PaneDragData
{
public:
    explicit PaneDragData(QWidget& pane);
    ~PaneDragData();
    PaneDragData(const PaneDragData&) = delete;
    PaneDragData& operator=(const PaneDragData&) = delete;

private:
    std::unique_ptr<QAbstractNativeEventFilter> m_filter;
};
