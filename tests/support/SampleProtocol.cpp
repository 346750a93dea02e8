#include "tests/support/SampleProtocol.h"

StringGridCells sampleProtocol(int entries)
{
    StringGridCells cells(5, entries + 1);
    cells.setRows(0, {QStringLiteral("Nr."), QStringLiteral("Name"), QStringLiteral("Pferd"),
                      QStringLiteral("Zeit"), QStringLiteral("Platz")});
    for (int i = 1; i <= entries; ++i)
        cells.setRows(i, {QString::number(i), QStringLiteral("Reiterin%1").arg(i),
                          QStringLiteral("Stute%1").arg(i), QStringLiteral("2%1,50").arg(i % 10),
                          QString::number(i)});
    return cells;
}
