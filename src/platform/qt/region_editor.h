// The small dialog in which the user types a region's edges, opened from the data graph's
// right-button menu. It blocks nothing but its graph's window, and hands back the edges only when
// they make a region.
#pragma once

#include <functional>

class QWidget;

// Opens the editor over `over` with the region's edges; apply(from, to) is called once, on OK,
// with from < to, both finite. Cancel, or closing it, changes nothing.
void OpenRegionEditor(QWidget* over, bool noise, double from, double to,
                      std::function<void(double from, double to)> apply);
