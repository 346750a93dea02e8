// The printing tests through a real print system, with the private scheduler's socket as the
// print system every test of this program asks.
#include "tests/TestRun.h"
#include "tests/printing/PrivateCups.h"

int main(int argc, char **argv)
{
    // Started by the first test that prints, so that listing the tests starts nothing.
    PrivateCups cups;
    const int result = runTests(argc, argv, cups.socketPath());
    cups.stop();
    return result;
}
