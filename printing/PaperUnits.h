#pragma once

#include <QtGlobal>

// Length units of the engine, with their units per inch (a pixel's are the device's resolution).
enum TUnits {
    mmPixel,     // device pixel
    mmLoMetric,  // 0.1 mm, 254 per inch
    mmHiMetric,  // 0.01 mm, 2540 per inch
    mmLoEnglish, // 0.1 inch
    mmHiEnglish, // 0.01 inch
    mmTWIPS,     // 1/1440 inch
};

// Converts a length between units; dpi gives the units per inch of mmPixel. Whole multiples and
// divisors are exact (dividing truncates toward zero), all other factors round to the nearest
// integer. A result beyond the 32-bit range saturates instead of wrapping.
int ConvertUnits(int value, int dpi, TUnits from, TUnits to);

enum TPaperType {
    pLetter,
    pLetterSmall,
    pTabloid,
    pLedger,
    pLegal,
    pStatement,
    pExecutive,
    pA3,
    pA4,
    pA4Small,
    pA5,
    pB4,
    pB5,
    pFolio,
    pQuatro,
    p10x14,
    p11x17,
    pNote,
    pEnv9,
    pEnv10,
    pEnv11,
    pEnv12,
    pEnv14,
    pCSheet,
    pDSheet,
    pESheet,
    pEnvDL,
    pEnvC5,
    pEnvC3,
    pEnvC4,
    pEnvC6,
    pEnvC65,
    pEnvB4,
    pEnvB5,
    pEnvB6,
    pEnvItaly,
    pEnvMonarch,
    pEnvPersonal,
    pFanfoldUSStd,
    pFanfoldGermanStd,
    pFanfoldGermanLegal,
    pB4ISO,
    pJapanesePostcard,
    p9x11,
    p10x11,
    p15x11,
    pEnvInvite,
    pLetterExtra,
    pLegalExtra,
    TabloidExtra,
    pA4Extra,
    pLetterTransverse,
    pA4Transverse,
    pLetterExtraTransverse,
    pAPlus,
    pBPlus,
    pLetterPlus,
    pA4Plus,
    pA5Transverse,
    pB5Transverse,
    pA3Extra,
    pA5Extra,
    pB5Extra,
    pA2,
    pA3Transverse,
    pA3ExtraTransverse,
    pCustom,
};
inline constexpr int PaperTypeCount = pCustom + 1;

// A paper's Windows paper-size code and its size in 0.1 mm (0 x 0 for pCustom).
struct PaperSizeInfo
{
    int ID;
    int Width;
    int Height;
};

// PaperTable[type]: the sizes come from Qt's page-size database, so no size is typed twice.
class PaperSizeTable
{
public:
    const PaperSizeInfo &operator[](TPaperType type) const;
};
extern const PaperSizeTable PaperTable;

enum TPrinterOrientation {
    poPortrait,
    poLandscape,
};
