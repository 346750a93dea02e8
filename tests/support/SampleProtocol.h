#pragma once

#include "protocol/ProtocolFiles.h"

// A protocol of entries numbered 1..n: "Reiterin<n>" on "Stute<n>" with a time and a place, row 0
// the captions, as the grid shows it for printing.
ProtocolFormat::Table sampleProtocol(int entries);
