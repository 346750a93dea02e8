#include "tests/support/SampleProtocol.h"

ProtocolFormat::Table sampleProtocol(int entries)
{
    ProtocolFormat::Table cells{{QStringLiteral("Nr."), QStringLiteral("Name"), QStringLiteral("Pferd"),
                                 QStringLiteral("Zeit"), QStringLiteral("Platz")}};
    for (int i = 1; i <= entries; ++i)
        cells.append({QString::number(i), QStringLiteral("Reiterin%1").arg(i),
                      QStringLiteral("Stute%1").arg(i), QStringLiteral("2%1,50").arg(i % 10),
                      QString::number(i)});
    return cells;
}
