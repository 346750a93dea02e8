// The scoreboard's tests run on a desktop of two screens, the operator's and the spectators'.
#include "tests/TestRun.h"

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" OMBREL_TWO_SCREENS);
    return runTests(argc, argv);
}
