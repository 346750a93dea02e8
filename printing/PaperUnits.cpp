#include "printing/PaperUnits.h"

#include <QPageSize>
#include <QSizeF>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

namespace {

bool isKnownUnit(TUnits units)
{
    return units >= mmPixel && units <= mmTWIPS;
}

qint64 unitsPerInch(TUnits units, int dpi)
{
    switch (units) {
    case mmPixel: return dpi;
    case mmLoMetric: return 254;
    case mmHiMetric: return 2540;
    case mmLoEnglish: return 10;
    case mmHiEnglish: return 100;
    case mmTWIPS: return 1440;
    }
    return 1;
}

int saturated(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Rounds half away from zero, as integer scaling of lengths does.
qint64 mulDivRounded(qint64 value, qint64 numerator, qint64 denominator)
{
    const qint64 product = value * numerator;
    qint64 quotient = product / denominator;
    const qint64 remainder = product % denominator;
    if (2 * std::llabs(remainder) >= denominator)
        quotient += product < 0 ? -1 : 1;
    return quotient;
}

} // namespace

int ConvertUnits(int value, int dpi, TUnits from, TUnits to)
{
    if (from == to || !isKnownUnit(from) || !isKnownUnit(to))
        return value;
    struct Exact
    {
        TUnits from, to;
        bool multiply;
        qint64 factor;
    };
    static constexpr Exact exact[] = {
        {mmLoMetric, mmHiMetric, true, 10},    {mmLoEnglish, mmHiMetric, true, 254},
        {mmLoEnglish, mmHiEnglish, true, 10},  {mmHiMetric, mmLoMetric, false, 10},
        {mmHiMetric, mmLoEnglish, false, 254}, {mmHiEnglish, mmLoEnglish, false, 10},
    };
    for (const Exact &e : exact) {
        if (e.from == from && e.to == to)
            return saturated(e.multiply ? qint64(value) * e.factor : qint64(value) / e.factor);
    }
    const qint64 numerator = unitsPerInch(to, dpi);
    const qint64 denominator = unitsPerInch(from, dpi);
    // A pixel of a device without a resolution cannot be converted.
    if (numerator <= 0 || denominator <= 0)
        return value;
    return saturated(mulDivRounded(value, numerator, denominator));
}

const PaperSizeTable PaperTable;

const PaperSizeInfo &PaperSizeTable::operator[](TPaperType type) const
{
    static const std::array<PaperSizeInfo, PaperTypeCount> table = [] {
        std::array<PaperSizeInfo, PaperTypeCount> rows{};
        for (int t = 0; t < pCustom; ++t) {
            // The Windows codes skip the two reserved values 48 and 49.
            const int code = t <= 46 ? t + 1 : t + 3;
            const QPageSize::PageSizeId id = QPageSize::id(code);
            // Qt's only gap is Folio, 8.5 x 13 inches.
            const QSizeF mm = id != QPageSize::Custom ? QPageSize::size(id, QPageSize::Millimeter)
                                                      : QSizeF(8.5 * 25.4, 13.0 * 25.4);
            rows[t] = {code, qRound(mm.width() * 10), qRound(mm.height() * 10)};
        }
        rows[pCustom] = {255, 0, 0};
        return rows;
    }();
    return table[qBound(0, int(type), PaperTypeCount - 1)];
}
