#pragma once

#include "controls/MyGrids.h"

// A protocol of entries numbered 1..n: "Reiterin<n>" on "Stute<n>" with a time and a place, row 0
// the captions, as the grid holds it for printing.
StringGridCells sampleProtocol(int entries);
