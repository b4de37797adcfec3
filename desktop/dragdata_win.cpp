#include "dragdata.h"

// Windows drop targets read the drag's data through OLE, which Qt answers in full.
PaneDragData::PaneDragData(QWidget&) { }

PaneDragData::~PaneDragData() = default;
