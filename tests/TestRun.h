#pragma once

#include <QString>

// Runs every registered test on the offscreen platform with German locale, the Berlin time zone
// and private settings and data folders. The print system is asked at cupsServer; empty, at a
// socket of this run where none listens, so no test reaches the machine's own printers.
int runTests(int argc, char **argv, const QString &cupsServer = QString());
