#include "tests/TestRun.h"

int main(int argc, char **argv)
{
    return runTests(argc, argv);
}
