#pragma once

#include <QRect>
#include <QSize>
#include <vector>

namespace x11 {

// `area` (a monitor, in root window pixels) less what one window's struts reserve along the edges
// of the root window of size `root`, where they reach into it: a panel on another monitor leaves
// this one alone. `strut` holds _NET_WM_STRUT_PARTIAL (12 values) or _NET_WM_STRUT (4: the whole
// edge); fewer values reserve nothing.
void SubtractStrut(QRect& area, const std::vector<unsigned long>& strut, const QSize& root);

}  // namespace x11
